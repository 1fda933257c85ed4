// The lesson database as the main window uses it: opening it at start, its main
// query, the start lesson chosen at the first show and the settings row.
#include "ui/main_window.h"

#include "common/colour_value.h"
#include "common/folder_access.h"
#include "common/lesson_label.h"
#include "common/varendo_error.h"
#include "database/lesson_schema.h"
#include "database/settings_row.h"
#include "ui/lesson_panes.h"
#include "ui/message_box.h"
#include "ui/notes_window.h"
#include "ui/progress_board.h"
#include "ui/settings_dialog.h"
#include "ui/varendo_windows.h"

#include <QCheckBox>
#include <QDir>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <algorithm>

using namespace varendo;

void TLessonsPart::dfcreat()
{
    qry1.reset();
    con1.reset();
    openDatabase();
    if (!con1)
        return;
    qry1 = std::make_unique<db::Query>(con1);
    qry1->SetSQL(db::lessonListSelection(), {QStringLiteral("1")});
    qry1->Open();
    qry1->First();
}

void TLessonsPart::openDatabase()
{
    // Opens the file beside the program, creating it (with both tables and the
    // settings row) when missing.
    const QString& appDir = form_.appDir;
    const QString path = appDir + QLatin1String(db::kDatabaseFileName);
    const QFileInfo before(path);
    const bool emptyFile = before.isFile() && before.size() == 0;
    for (;;) {
        try {
            con1 = db::openLessonDatabase(path, appDir);
            break;
        } catch (const db::DatabaseBusy& e) {
            // Another program holds the file: the learner may close it and try again.
            if (!form_.w.messages.AskRetry(e.message()
                                           + QStringLiteral("\n请关闭正在使用它的程序，然后点“重试”；"
                                                            "点“取消”则本次不打开课程数据库，没有课程可以学习。")))
                return;
        }
    }
    // A file of no bytes holds no course: it is set up as a new one, and the
    // learner hears why there is nothing to study.
    if (emptyFile)
        form_.w.messages.ShowMessage(
            QStringLiteral("课程数据库“%1”是一个空文件（0 字节），其中没有任何课程。\n"
                           "已在其中建立空的课程表和设置，现在没有可以学习的课程：请重新安装课程数据库。")
                .arg(QLatin1String(db::kDatabaseFileName)));
}

void TLessonsPart::requireDatabase() const
{
    // dfcreat sets the connection and the main query together, or neither.
    if (!con1 || !qry1)
        throw db::DatabaseError(QStringLiteral("课程数据库没有打开，无法读取课程。"));
}

std::unique_ptr<db::Query> TLessonsPart::newQuery() const
{
    requireDatabase();
    return std::make_unique<db::Query>(con1);
}

const db::ConnectionPtr& TLessonsPart::database() const
{
    requireDatabase();
    return con1;
}

db::Query& TLessonsPart::mainQuery()
{
    requireDatabase();
    return *qry1;
}

void TLessonsPart::chooseStartLesson()
{
    if (!con1)
        return;
    // Start at the first lesson being studied, else the first not studied yet.
    // Only what the choice needs: the lesson texts of every book are not read at start.
    auto q = newQuery();
    q->SetSQL(QStringLiteral("select ID, 课本号, 课程编号, 课程状态 from book1 order by ID"));
    q->Open();
    if (q->Locate(QStringLiteral("课程状态"), QStringLiteral("学习中"))
        || q->Locate(QStringLiteral("课程状态"), QStringLiteral("未学习"))) {
        const QString bookText = q->FieldByName(QStringLiteral("课本号")).AsString();
        const QString id = q->FieldByName(QStringLiteral("ID")).AsString();
        cbb1->setCurrentIndex(int(q->FieldByName(QStringLiteral("课本号")).AsInteger() - 1));
        getkbs(bookText);
        // The row's own item, found in the list just filled: a gap in the numbering
        // or a number that is not one still selects the lesson being studied.
        if (qry1->Locate(QStringLiteral("ID"), id))
            rzchcklst1->setCurrentIndex(qry1->RecNo() - 1);
    } else {
        getkbs(QStringLiteral("1"));
        rzchcklst1->setCurrentIndex(0);
    }
    q->Close();
}

void TLessonsPart::showSelectedLesson()
{
    if (!con1 || rzchcklst1->currentIndex() < 0)
        return;
    getkcs(QString::number(cbb1->currentIndex() + 1), lessonNumberOf(rzchcklst1->currentText()));
}

void TLessonsPart::warnIfReadOnly()
{
    // Said once, at start: otherwise the learner finds out at the first note,
    // study state, setting or recording that cannot be kept.
    const QString& appDir = form_.appDir;
    const bool databaseReadOnly = con1 && con1->isReadOnly();
    const bool folderReadOnly = !acceptsWrites(appDir);
    if (!folderReadOnly && !databaseReadOnly)
        return;
    readOnlyFolderTold = folderReadOnly;
    form_.w.messages.ShowMessage(
        QStringLiteral("程序目录“%1”不能写入：学习进度、笔记、设置和录音都无法保存。\n"
                       "课程仍可照常阅读和播放。要保存这些内容，请让该目录可以写入后重新打开本程序。")
            .arg(QDir::toNativeSeparators(appDir)));
}

void TLessonsPart::getset()
{
    const QString& appDir = form_.appDir;
    const auto exists = [](const QString& path) { return QFileInfo::exists(path); };
    // Whatever goes wrong, the folders are set: the program folder's own are the
    // fallback, and what could not be read is reported.
    db::SettingsRow row = db::defaultSettings(appDir);
    if (con1) {
        try {
            row = db::loadSettingsRow(con1, appDir, exists);
        } catch (const VarendoError& e) {
            row.problems << e.message();
        }
    }
    if (!row.problems.isEmpty())
        form_.w.messages.ShowError(QStringLiteral("设置读取有误，已使用默认值：\n") + row.problems.join(QLatin1Char('\n')));
    VarendoWindows& w = form_.w;
    // The dialog shows the folders as stored, so that saving keeps the learner's
    // own even when they are not in force for this run.
    chosenVideoDir = row.storedVideoDir;
    chosenAudioDir = row.storedAudioDir;
    w.Form4->lbledt->setText(chosenVideoDir);
    w.Form4->lbledt1->setText(chosenAudioDir);
    form_.showLessonNameFlag = row.showLessonNameFlag;
    form_.showLessonStateFlag = row.showLessonStateFlag;
    videoDir = row.videoDir;
    audioDir = row.audioDir;
    if (videoDir != chosenVideoDir || audioDir != chosenAudioDir)
        w.messages.ShowMessage(
            QStringLiteral("音频目录“%1”中没有课程的示例文件“%2”，这次不能用作课程目录。\n"
                           "本次运行使用程序目录中的视频目录“%3”和音频目录“%4”。\n"
                           "设置中保存的视频目录“%5”和音频目录“%1”保持不变，可以在“设置”中修改。")
                .arg(QDir::toNativeSeparators(chosenAudioDir),
                     QDir::toNativeSeparators(QDir(chosenAudioDir).relativeFilePath(db::sampleAudioFile(chosenAudioDir))),
                     QDir::toNativeSeparators(videoDir), QDir::toNativeSeparators(audioDir),
                     QDir::toNativeSeparators(chosenVideoDir)));

    const bool names = row.showLessonNameFlag == QLatin1String("1");
    const bool states = row.showLessonStateFlag == QLatin1String("1");
    w.Form4->chk1->setChecked(names);
    w.Form5->chk1->setChecked(names);
    w.Form4->chk2->setChecked(states);
    w.Form5->chk2->setChecked(states);

    QFont font(row.font.name);
    if (row.font.pointSize > 0)
        font.setPointSize(row.font.pointSize);
    font.setBold(row.font.bold);
    font.setItalic(row.font.italic);
    font.setUnderline(row.font.underline);
    font.setStrikeOut(row.font.strikeOut);
    TLessonFont& lessonFont = form_.lessonFont;
    lessonFont.font = font;
    lessonFont.color = colorFromValue(row.font.colour);

    form_.lessonBackgroundValue = row.backgroundColour;
    styleLessonPanes();
    form_.usePlaybackSpeed(row.playbackSpeed);
}

void TLessonsPart::styleLessonPanes()
{
    // Font and colours of every lesson pane; the background also serves focused and
    // read-only, and a pane whose text is hidden keeps it hidden.
    const QColor background = colorFromValue(form_.lessonBackgroundValue);
    for (QPlainTextEdit* pane : {mmo1, rzm1, rzm2, rzm3, form_.w.Form3->mmo1}) {
        pane->setFont(form_.lessonFont.font);
        setPaneColour(pane, QPalette::Base, background);
        setPaneColour(pane, QPalette::Text, paneTextColour(pane));
    }
}
