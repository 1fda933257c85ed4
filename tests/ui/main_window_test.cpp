#include "program_folder.h"

#include "recorder/acm_wave_in.h"
#include "recorder/acm_wave_out.h"
#include "ui/about_box.h"
#include "common/media_texts.h"
#include "ui/main_window.h"
#include "ui/notes_window.h"
#include "ui/progress_board.h"
#include "ui/radio_group.h"
#include "ui/settings_dialog.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>
#include <QTemporaryDir>
#include <cstring>
#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace varendo;

namespace {

LessonRow row(const char* book, const char* lesson, const char* state)
{
    LessonRow r;
    r.book = QString::fromUtf8(book);
    r.lesson = QString::fromUtf8(lesson);
    r.state = QString::fromUtf8(state);
    return r;
}

} // namespace

TEST(Startup, CreatesTheDatabaseAndSetsTheSharedState)
{
    ProgramFolder folder;
    auto& w = folder.start(false);
    TForm1* f = w.Form1;
    EXPECT_TRUE(QFile::exists(folder.file("varendo.mdb")));
    EXPECT_EQ(QDir::currentPath() + "/", folder.path());
    EXPECT_EQ(f->appDir, folder.path());
    EXPECT_EQ(f->mediaMasks, QStringList({"*.mp3", "*.rm", "*.rmvb", "*.wmv", "*.asf", "*.avi"}));
    // The open dialog: every kind the players take, and any file.
    EXPECT_EQ(varendo::qtFileFilter(f->mediaFilter).split(";;"),
              QStringList({"媒体文件*.mp3;*.rm;*.rmvb;*.wmv;*.asf;*.avi;*.mp4;*.mkv;*.ogg;*.wav;*.m4a;*.flac "
                           "(*.mp3 *.rm *.rmvb *.wmv *.asf *.avi *.mp4 *.mkv *.ogg *.wav *.m4a *.flac)",
                           "所有文件 (*)"}));
    EXPECT_EQ(f->playMode, "video");
    EXPECT_EQ(f->recFileName, "rec.rec");
    EXPECT_EQ(f->recFormatPtr, &f->recFormat);
    EXPECT_EQ(f->recFormat.formatTag, 49);
    EXPECT_EQ(f->recFormat.avgBytesPerSec, 1625u);
    EXPECT_EQ(f->recFormat.blockAlign, 65);
    EXPECT_EQ(f->recFormat.samplesPerBlock, 320);
    EXPECT_FALSE(f->firstShowDone);
    EXPECT_FALSE(f->repeatOn || f->openFileMode || f->markDragging || f->barSyncing || f->searchRunning);
    EXPECT_EQ(f->btnabz->toolTip(), "复读起点\n微调CTRL+-\n鼠标拖拽调整");
    EXPECT_EQ(f->btnbbz->toolTip(), "复读终点\n微调CTRL+-\n鼠标拖拽调整");
    EXPECT_TRUE(f->grp3->isHidden());
    EXPECT_TRUE(f->acmwvn1->isHidden());
    EXPECT_TRUE(f->acmwvt1->isHidden());
    EXPECT_EQ(f->acmwvn1->size(), QSize(32, 32));
    EXPECT_EQ(f->acmwvn1->parentWidget(), f->grp5);
    EXPECT_EQ(f->grp8->height(), 209);
    EXPECT_EQ(f->grp6->height(), 161);
    EXPECT_TRUE(folder.messages.isEmpty()) << folder.messages.join("\n").toStdString();
}

TEST(Startup, ControlsCaptionsHintsAndMenusAreInPlace)
{
    ProgramFolder folder;
    TForm1* f = folder.start().Form1;
    EXPECT_EQ(f->cbb1->count(), 4);
    EXPECT_EQ(f->cbb1->itemText(0), "Varendo英语第一册");
    EXPECT_EQ(f->cbb1->itemText(3), "Varendo英语第四册");
    EXPECT_EQ(f->rzchcklst1->count(), 0); // the empty database's book 1 has no lessons
    EXPECT_EQ(f->rg1->title(), "播放格式选择");
    EXPECT_EQ(f->rg1->ItemIndex(), 0);
    EXPECT_EQ(f->grp7->title(), "课程名称");
    EXPECT_EQ(f->grp5->title(), "文章内容");
    EXPECT_EQ(f->grp8->title(), "生词和短语");
    EXPECT_EQ(f->grp2->title(), "参考译文");
    EXPECT_EQ(f->lbl1->text(), "有笔记记录");
    EXPECT_TRUE(f->lbl1->isHidden());
    EXPECT_EQ(f->lbl1->toolTip(), "双击查看笔记内容");

    struct Hint { QToolButton* b; const char* hint; bool enabled; };
    for (auto h : {Hint{f->btup, "上一课程", false}, Hint{f->btPlay, "播放", true}, Hint{f->btPause, "暂停", false},
                   Hint{f->btStop, "停止", false}, Hint{f->btnext, "下一课程", false},
                   Hint{f->btFullScreen, "全屏", false}, Hint{f->btna, "复读起点", false},
                   Hint{f->btnb, "复读终点", false}, Hint{f->btretu, "复读", false}, Hint{f->btnrec, "录音", true}}) {
        EXPECT_EQ(h.b->toolTip(), QString::fromUtf8(h.hint));
        EXPECT_EQ(h.b->isEnabled(), h.enabled) << h.hint;
    }
    EXPECT_EQ(f->SoundLevel->maximum(), 10000);
    EXPECT_EQ(f->SoundLevel->value(), 10000);
    EXPECT_FALSE(f->SoundLevel->isEnabled());
    EXPECT_EQ(f->btnrecord->text(), "录音(&R)");
    EXPECT_EQ(f->btnrecord->toolTip(), "开始录制");

    EXPECT_EQ(f->O1->text(), "打开文件(&O)");
    EXPECT_EQ(f->O1->shortcut(), QKeySequence("Ctrl+O"));
    EXPECT_EQ(f->D1->shortcut(), QKeySequence("Ctrl+P"));
    EXPECT_EQ(f->X1->shortcut(), QKeySequence("Ctrl+X"));
    EXPECT_EQ(f->S3->shortcut(), QKeySequence("Ctrl+S"));
    EXPECT_EQ(f->M1->shortcut(), QKeySequence("Ctrl+M"));
    EXPECT_EQ(f->F3->shortcut(), QKeySequence("Ctrl+G"));
    EXPECT_EQ(f->A1->shortcut(), QKeySequence("Ctrl+A"));
    EXPECT_EQ(f->N14->text(), "创建桌面快捷方式");
    EXPECT_TRUE(f->N7->isChecked() && f->N8->isChecked() && f->F2->isChecked() && f->C3->isChecked());
    EXPECT_FALSE(f->R2->isVisible());
    EXPECT_FALSE(f->N12->isVisible());
    EXPECT_TRUE(f->N12->isChecked());
    EXPECT_EQ(f->C1->text(), "清除复读(&C)");
    EXPECT_EQ(f->N17->text(), "目录媒体文件列表(&P)");
    EXPECT_FALSE(f->pmrecplay->isEnabled());
    EXPECT_FALSE(f->pmrecsave->isEnabled());
    for (QWidget* target : {static_cast<QWidget*>(f->mmo1), static_cast<QWidget*>(f->rzm2),
                            static_cast<QWidget*>(f->rzm3), static_cast<QWidget*>(f->cbb1),
                            static_cast<QWidget*>(f->rzchcklst1)})
        EXPECT_EQ(target->contextMenuPolicy(), Qt::CustomContextMenu);
    // Full size: the client area the layout places controls in.
    EXPECT_EQ(f->client->width(), 1025);
    EXPECT_EQ(f->grp1->geometry(), QRect(0, 5, 576, 519));
    EXPECT_EQ(f->grp5->geometry(), QRect(575, 77, 446, 401));
    EXPECT_EQ(f->grp2->geometry(), QRect(155, 525, 422, 158));
}

TEST(Startup, FirstLessonBeingStudiedWins)
{
    ProgramFolder folder;
    folder.writeLessons({row("1", "1", "已学习"), row("2", "1", "未学习"), row("2", "7", "学习中"),
                         row("3", "2", "学习中")});
    TForm1* f = folder.start().Form1;
    EXPECT_TRUE(f->firstShowDone);
    EXPECT_EQ(f->cbb1->currentIndex(), 1);
    EXPECT_EQ(f->rzchcklst1->count(), 2);
    // Book 2, row 7 of a book with a gap in its numbering: the row's own item, not
    // item 6, which is past the end of this two-row book.
    EXPECT_EQ(f->rzchcklst1->currentText(), "第2册 第7课");
}

TEST(Startup, LessonPositionRulesOfBookOneAndTheOthers)
{
    {
        ProgramFolder folder;
        QList<LessonRow> rows;
        for (const char* n : {"1", "3", "5", "7", "9"})
            rows << row("1", n, strcmp(n, "7") == 0 ? "学习中" : "已学习");
        folder.writeLessons(rows);
        TForm1* f = folder.start().Form1;
        EXPECT_EQ(f->cbb1->currentIndex(), 0);
        EXPECT_EQ(f->rzchcklst1->currentIndex(), 3); // 7 div 2
        EXPECT_EQ(f->rzchcklst1->currentText(), "第1册 第7课");
    }
    {
        ProgramFolder folder;
        QList<LessonRow> rows;
        for (int n = 1; n <= 8; ++n)
            rows << row("2", QByteArray::number(n).constData(), n == 7 ? "学习中" : "已学习");
        folder.writeLessons(rows);
        TForm1* f = folder.start().Form1;
        EXPECT_EQ(f->cbb1->currentIndex(), 1);
        EXPECT_EQ(f->rzchcklst1->currentIndex(), 6); // 7 - 1
        EXPECT_EQ(f->rzchcklst1->currentText(), "第2册 第7课");
    }
}

TEST(Startup, WithoutALessonBeingStudiedTheFirstNotStudiedIsChosen)
{
    ProgramFolder folder;
    folder.writeLessons({row("1", "1", "已学习"), row("1", "3", "待温习"), row("3", "1", "已学习"),
                         row("3", "2", "未学习"), row("4", "1", "未学习")});
    TForm1* f = folder.start().Form1;
    EXPECT_EQ(f->cbb1->currentIndex(), 2);
    EXPECT_EQ(f->rzchcklst1->currentText(), "第3册 第2课");
    // Shown, not played.
    EXPECT_EQ(f->grp7->title(), "Varendo英语第三册");
    EXPECT_TRUE(f->btPlay->isEnabled());
    EXPECT_FALSE(f->btStop->isEnabled());
    EXPECT_TRUE(folder.messages.isEmpty()) << folder.messages.join("\n").toStdString();
}

TEST(Startup, AnEmptyLessonTableStartsOnBookOneWithNothingSelected)
{
    ProgramFolder folder;
    TForm1* f = folder.start().Form1;
    EXPECT_EQ(f->cbb1->currentIndex(), 0);
    EXPECT_EQ(f->rzchcklst1->count(), 0);
    EXPECT_EQ(f->rzchcklst1->currentIndex(), -1);
    EXPECT_TRUE(folder.messages.isEmpty());
}

TEST(Startup, OnlyTheFirstShowChoosesTheLessonAndLoadsSettings)
{
    ProgramFolder folder;
    folder.writeLessons({row("1", "1", "学习中"), row("2", "1", "未学习")});
    TForm1* f = folder.start().Form1;
    ASSERT_EQ(f->cbb1->currentIndex(), 0);
    f->cbb1->setCurrentIndex(3);
    auto& w = folder.windows();
    w.Form4->lbledt->setText("/somewhere/else");
    f->hide();
    f->showMinimized();
    f->showNormal();
    EXPECT_EQ(f->cbb1->currentIndex(), 3);
    EXPECT_EQ(w.Form4->lbledt->text(), "/somewhere/else");
}

TEST(Startup, SettingsAreLoadedAtTheFirstShow)
{
    ProgramFolder folder;
    {
        auto con = folder.open();
        con->exec("update bookset set 课程状态显示=?, 状态=?, 字号=?, 颜色=?, 背景色=?",
                  {"0", "fsbold,fsItalic,", "15", "255", "16777215"});
    }
    auto& w = folder.start();
    TForm1* f = w.Form1;
    // No course audio in the folder: both folders are the program folder's own.
    EXPECT_EQ(f->videoDir, folder.path() + "video");
    EXPECT_EQ(f->audioDir, folder.path() + "mp3");
    EXPECT_EQ(w.Form4->lbledt1->text(), folder.path() + "mp3");
    EXPECT_EQ(f->showLessonNameFlag, "1");
    EXPECT_EQ(f->showLessonStateFlag, "0");
    EXPECT_TRUE(w.Form4->chk1->isChecked());
    EXPECT_TRUE(w.Form5->chk1->isChecked());
    EXPECT_FALSE(w.Form4->chk2->isChecked());
    EXPECT_FALSE(w.Form5->chk2->isChecked());
    EXPECT_TRUE(f->lessonFont.font.bold());
    EXPECT_TRUE(f->lessonFont.font.italic());
    EXPECT_FALSE(f->lessonFont.font.underline());
    EXPECT_EQ(f->lessonFont.font.pointSize(), 15);
    EXPECT_EQ(f->lessonFont.color, QColor(255, 0, 0));
    for (QPlainTextEdit* pane : {f->mmo1, f->rzm1, f->rzm2, f->rzm3, w.Form3->mmo1}) {
        EXPECT_EQ(pane->palette().color(QPalette::Base), QColor(255, 255, 255));
        EXPECT_EQ(pane->palette().color(QPalette::Text), QColor(255, 0, 0));
        EXPECT_TRUE(pane->font().bold());
    }
    EXPECT_TRUE(w.Form2->lbl1->text().startsWith("Varendo英语视频辅助学习工具\n版本:"));
    EXPECT_EQ(f->windowTitle(), "Varendo英语视频辅助学习工具");
}

TEST(Startup, CourseFoldersAreKeptWhenTheSampleAudioIsThere)
{
    ProgramFolder folder;
    QTemporaryDir course;
    ASSERT_TRUE(QDir(course.path()).mkpath("mp3/1"));
    QFile sample(course.path() + "/mp3/1/001&002－Excuse Me.mp3");
    ASSERT_TRUE(sample.open(QIODevice::WriteOnly));
    sample.close();
    folder.open()->exec("update bookset set 视频文件目录=?, 音频文件目录=?",
                        {course.path() + "/video", course.path() + "/mp3"});
    TForm1* f = folder.start().Form1;
    EXPECT_EQ(f->videoDir, course.path() + "/video");
    EXPECT_EQ(f->audioDir, course.path() + "/mp3");
}

TEST(Startup, AnUnusableDatabaseIsReportedAndLeftAlone)
{
    ProgramFolder folder;
    const QByteArray garbage = QByteArray("not a lesson database\n").repeated(64);
    {
        QFile f(folder.file("varendo.mdb"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(garbage);
    }
    auto& w = folder.start();
    ASSERT_EQ(folder.messages.size(), 1) << folder.messages.join("\n").toStdString();
    EXPECT_TRUE(folder.messages[0].contains("varendo.mdb"));
    EXPECT_TRUE(folder.messages[0].contains("不是有效的数据库"));
    // The program goes on without lessons.
    EXPECT_TRUE(w.Form1->isVisible());
    EXPECT_EQ(w.Form1->rzchcklst1->count(), 1); // the design-time item
    EXPECT_EQ(w.Form1->videoDir, folder.path() + "video");
    QFile f(folder.file("varendo.mdb"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), garbage);
}

TEST(Startup, TheWindowsWorkInTheProgramFolderWhateverTheWorkingFolder)
{
    QTemporaryDir elsewhere;
    ProgramFolder program;
    QDir::setCurrent(elsewhere.path());
    program.start(false);
    EXPECT_TRUE(QFile::exists(program.file("varendo.mdb")));
    EXPECT_FALSE(QFile::exists(elsewhere.path() + "/varendo.mdb"));
    EXPECT_EQ(QDir::currentPath() + "/", program.path());
}

TEST(Startup, AStartLessonThatCannotBeChosenStillLoadsTheSettings)
{
    ProgramFolder folder;
    LessonRow broken = row("1", "1", "学习中");
    broken.book = "x"; // not a book number
    folder.writeLessons({broken});
    auto& w = folder.start();
    ASSERT_EQ(folder.messages.size(), 1);
    EXPECT_TRUE(folder.messages[0].contains("课本号")) << folder.messages[0].toStdString();
    EXPECT_EQ(w.Form1->videoDir, folder.path() + "video");
    EXPECT_EQ(w.Form4->lbledt1->text(), folder.path() + "mp3");
    EXPECT_TRUE(w.Form4->chk1->isChecked());
}

TEST(Startup, AStartLessonNumberThatIsNotANumberKeepsItsBookAndALessonThatLoads)
{
    ProgramFolder folder;
    LessonRow odd = row("2", "3a", "学习中");
    odd.title = "Lesson 3a  odd\r\n";
    folder.writeLessons({row("1", "1", "已学习"), row("2", "1", "已学习"), row("2", "2", "未学习"), odd});
    auto& w = folder.start();
    TForm1* f = w.Form1;
    // The book is chosen and listed; the lesson being studied is the one selected
    // and shown, its number as stored, with nothing to report.
    EXPECT_TRUE(folder.messages.isEmpty()) << folder.messages.join("\n").toStdString();
    EXPECT_EQ(f->cbb1->currentIndex(), 1);
    EXPECT_EQ(f->rzchcklst1->count(), 3);
    EXPECT_EQ(f->rzchcklst1->currentText(), "第2册 第3a课");
    EXPECT_EQ(f->rzm1->toPlainText(), "Lesson 3a  odd\n");
    EXPECT_TRUE(w.Form4->chk1->isChecked()); // the settings still load
    // Play loads what is selected.
    f->getkcnr();
    EXPECT_EQ(f->rzm1->toPlainText(), "Lesson 3a  odd\n");
    // This folder has no media: the lesson's file and the fallback are reported missing.
    ASSERT_EQ(folder.messages.size(), 2);
    EXPECT_TRUE(folder.messages[0].startsWith("此课程媒体文件：")) << folder.messages[0].toStdString();
}

TEST(Startup, SettingsThatDoNotReadKeepTheirDefaultsAndAreReported)
{
    ProgramFolder folder;
    folder.open()->exec("update bookset set 字号=?, 背景色=?, 课程状态显示=?", {"12.5pt", "", "0"});
    auto& w = folder.start();
    ASSERT_EQ(folder.messages.size(), 1);
    EXPECT_TRUE(folder.messages[0].contains("字号"));
    // Everything that did read is applied.
    EXPECT_EQ(w.Form1->audioDir, folder.path() + "mp3");
    EXPECT_EQ(w.Form1->showLessonStateFlag, "0");
    EXPECT_EQ(w.Form1->lessonFont.font.pointSize(), 12);
    EXPECT_EQ(w.Form1->lessonFont.font.family(), "微软雅黑");
}

// Another program holds the database: the learner is asked, may try again while it
// is still held, and gets the lessons once it is let go.
TEST(Startup, ADatabaseHeldByAnotherProgramCanBeTriedAgain)
{
    ProgramFolder folder;
    folder.writeLessons({row("2", "1", "学习中")});
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(folder.file("varendo.mdb").toUtf8().constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    folder.answer = [&](const QString&) {
        // Still held at the first retry; let go before the second.
        if (folder.questions.size() == 2)
            sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
        return true;
    };
    TForm1* f = folder.start().Form1;
    sqlite3_close(other);
    ASSERT_EQ(folder.questions.size(), 2);
    EXPECT_TRUE(folder.questions[0].contains("正被其他程序使用")) << folder.questions[0].toStdString();
    EXPECT_TRUE(folder.questions[0].contains("重试"));
    EXPECT_TRUE(folder.messages.isEmpty()) << folder.messages.join("\n").toStdString();
    EXPECT_EQ(f->rzchcklst1->currentText(), "第2册 第1课");

    // Given up: the program goes on without lessons, and Play says why.
    ProgramFolder declined;
    declined.writeLessons({row("1", "1", "学习中")});
    ASSERT_EQ(sqlite3_open(declined.file("varendo.mdb").toUtf8().constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    TForm1* g = declined.start().Form1;
    sqlite3_close(other);
    EXPECT_EQ(declined.questions.size(), 1);
    g->btPlay->click();
    ASSERT_EQ(declined.messages.size(), 1);
    EXPECT_TRUE(declined.messages[0].contains("课程数据库没有打开")) << declined.messages[0].toStdString();
}

// A damaged file is named in Chinese and left as it was; SQLite's own findings are
// not the learner's reading.
TEST(Startup, ADamagedDatabaseIsReportedInChineseAndLeftAlone)
{
    ProgramFolder folder;
    QList<LessonRow> rows;
    for (int n = 1; n <= 60; ++n) {
        LessonRow r = row("2", QByteArray::number(n).constData(), "未学习");
        r.title = QStringLiteral("Lesson %1 with a title long enough to fill pages\r\n").arg(n).repeated(20);
        rows << r;
    }
    folder.writeLessons(rows);
    QByteArray bytes;
    {
        QFile file(folder.file("varendo.mdb"));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        const qint64 pageSize = 4096;
        // The cell pointers of every page after the first few: the schema still
        // reads, the lesson table does not.
        for (qint64 page = 5; page * pageSize < file.size(); ++page) {
            file.seek(page * pageSize + 8);
            file.write("\xff\xff\xff\xff", 4);
        }
        file.seek(0);
        bytes = file.readAll();
    }
    folder.start();
    ASSERT_EQ(folder.messages.size(), 1) << folder.messages.join("\n").toStdString();
    const QString& message = folder.messages[0];
    EXPECT_TRUE(message.contains("varendo.mdb") && message.contains("已损坏")) << message.toStdString();
    EXPECT_FALSE(message.contains("page") || message.contains("Page") || message.contains("tree"))
        << message.toStdString();
    QFile file(folder.file("varendo.mdb"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), bytes);
}

// A database file of no bytes is set up as a new, empty course, and the learner is
// told; Play then says why nothing plays.
TEST(Startup, AnEmptyDatabaseFileIsSetUpAndPlaySaysWhyNothingPlays)
{
    ProgramFolder folder;
    {
        QFile file(folder.file("varendo.mdb"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    TForm1* f = folder.start().Form1;
    ASSERT_EQ(folder.messages.size(), 1) << folder.messages.join("\n").toStdString();
    EXPECT_TRUE(folder.messages[0].contains("空文件")) << folder.messages[0].toStdString();
    {
        auto con = folder.open();
        EXPECT_TRUE(db::TableExists(*con, "book1") && db::TableExists(*con, "bookset"));
    }
    f->btPlay->click();
    ASSERT_EQ(folder.messages.size(), 2);
    EXPECT_TRUE(folder.messages[1].startsWith("没有选中的课程：Varendo英语第一册还没有课程"))
        << folder.messages[1].toStdString();
    EXPECT_TRUE(f->btPlay->isEnabled());
    EXPECT_FALSE(f->btStop->isEnabled());
}
