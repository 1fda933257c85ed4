// The settings dialog through the real windows on a real lesson database:
// what it shows, what it stores, and what its defaults put back.
#include "dialog_answer.h"
#include "program_folder.h"

#include "ui/main_window.h"
#include "ui/settings_dialog.h"

#include <QAction>
#include <QCheckBox>
#include <QColorDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QTemporaryDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace varendo;

namespace {

// The first settings row, column by column.
QString stored(ProgramFolder& folder, const QString& column)
{
    db::Query q(folder.open());
    q.SetSQL(QStringLiteral("select * from bookset order by ID"));
    q.Open();
    q.First();
    return q.FieldByName(column).AsString();
}

} // namespace

// Folders typed and options ticked are stored with the text look on Save; the
// options change at once, the folders only when saved; Default and Save store
// the factory look with the folders in force.
TEST(SettingsDialog, SavesFoldersOptionsAndTheTextLookAndDefaultsPutTheFactoryLookBack)
{
    ProgramFolder folder;
    folder.writeLessons({});
    VarendoWindows& windows = folder.start();
    TForm1* f = windows.Form1;
    TForm4* settings = windows.Form4;
    const QString videoInForce = f->videoDir;

    f->S3->trigger();
    ASSERT_TRUE(settings->isVisible());
    EXPECT_EQ(settings->lbledt->text(), videoInForce);

    // Typed but left: the next showing shows the folder in force again.
    settings->lbledt->setText(QStringLiteral("/somewhere/else"));
    settings->btn3->click();
    EXPECT_FALSE(settings->isVisible());
    f->S3->trigger();
    EXPECT_EQ(settings->lbledt->text(), videoInForce);

    const bool names = settings->chk1->isChecked();
    settings->chk1->click();
    EXPECT_EQ(f->showLessonNameFlag, names ? "0" : "1") << "the option changes before any save";

    QFont font = f->mmo1->font();
    font.setBold(true);
    font.setUnderline(true);
    f->lessonFont.font = font;
    f->lessonFont.color = QColor(0x12, 0x34, 0x56);
    f->styleLessonPanes();
    const QString video = folder.file(QStringLiteral("my video"));
    settings->lbledt->setText(video);
    settings->btn4->click();
    EXPECT_EQ(f->videoDir, video);
    EXPECT_EQ(stored(folder, QStringLiteral("视频文件目录")), video);
    EXPECT_EQ(stored(folder, QStringLiteral("课程名显示")), names ? "0" : "1");
    EXPECT_EQ(stored(folder, QStringLiteral("状态")), "fsbold,fsUnderline,");
    EXPECT_EQ(stored(folder, QStringLiteral("颜色")), QString::number(0x56 * 65536 + 0x34 * 256 + 0x12));

    settings->btn5->click();
    EXPECT_FALSE(f->mmo1->font().bold());
    settings->btn4->click();
    EXPECT_EQ(stored(folder, QStringLiteral("字体")), "微软雅黑");
    EXPECT_EQ(stored(folder, QStringLiteral("字号")), "12");
    EXPECT_EQ(stored(folder, QStringLiteral("颜色")), "0");
    EXPECT_EQ(stored(folder, QStringLiteral("状态")), "");
    EXPECT_EQ(stored(folder, QStringLiteral("背景色")), "-16777192");
    EXPECT_EQ(stored(folder, QStringLiteral("视频文件目录")), video) << "the folders in force are kept";
    EXPECT_EQ(folder.messages,
              (QStringList{"保存完成!", "恢复默认完成,请保存设置!", "保存完成!"}));
}

// The font and background chosen in their dialogs are stored at once and come
// back at the next start; a family name longer than the font column is kept whole.
TEST(SettingsDialog, ChosenFontAndBackgroundAreStoredAtOnceAndComeBack)
{
    QString longFamily;
    for (const QString& family : QFontDatabase::families())
        if (family.size() > 12 && !QFontDatabase::isPrivateFamily(family)) {
            longFamily = family;
            break;
        }
    if (longFamily.isEmpty())
        GTEST_SKIP() << "no installed font family has a name over 12 characters";
    ProgramFolder folder;
    folder.writeLessons({});
    TForm1* f = folder.start().Form1;

    {
        test::DialogAnswer answer([&](QDialog* dialog) {
            static_cast<QFontDialog*>(dialog)->setCurrentFont(QFont(longFamily, 14));
        });
        f->F1->trigger();
    }
    {
        test::DialogAnswer answer(
            [](QDialog* dialog) { static_cast<QColorDialog*>(dialog)->setCurrentColor(QColor(10, 20, 30)); });
        f->C2->trigger();
    }
    EXPECT_EQ(stored(folder, QStringLiteral("字体")), longFamily.left(12));
    EXPECT_EQ(stored(folder, QStringLiteral("自定义四")), longFamily);
    EXPECT_EQ(stored(folder, QStringLiteral("字号")), "14");
    EXPECT_EQ(stored(folder, QStringLiteral("背景色")), QString::number(30 * 65536 + 20 * 256 + 10));
    EXPECT_EQ(f->mmo1->font().family(), longFamily);
    EXPECT_EQ(f->mmo1->palette().color(QPalette::Base), QColor(10, 20, 30));

    TForm1* again = folder.start().Form1;
    EXPECT_EQ(again->lessonFont.font.family(), longFamily);
    EXPECT_EQ(again->lessonFont.font.pointSize(), 14);
    EXPECT_EQ(again->rzm2->font().family(), longFamily);
    EXPECT_EQ(again->rzm2->palette().color(QPalette::Base), QColor(10, 20, 30));
    EXPECT_TRUE(folder.messages.isEmpty()) << folder.messages.join("\n").toStdString();
}

// Numbers no font or colour can have are reported with the other unreadable
// settings; a course folder that is not accepted is named, and saving keeps it.
TEST(SettingsDialog, UnusableNumbersAndARefusedFolderAreReportedAndTheLearnersFolderKept)
{
    ProgramFolder folder;
    QTemporaryDir course;
    const QString video = course.path() + "/video", audio = course.path() + "/mp3"; // no sample file in it
    folder.open()->exec("update bookset set 字号=?, 颜色=?, 背景色=?, 视频文件目录=?, 音频文件目录=?",
                        {"99999", "99999999999", "-99999999999", video, audio});
    VarendoWindows& windows = folder.start();
    TForm1* f = windows.Form1;
    ASSERT_EQ(folder.messages.size(), 2) << folder.messages.join("\n").toStdString();
    const QString& unreadable = folder.messages[0];
    EXPECT_TRUE(unreadable.startsWith("设置读取有误，已使用默认值")) << unreadable.toStdString();
    EXPECT_TRUE(unreadable.contains("字号") && unreadable.contains("99999"));
    EXPECT_TRUE(unreadable.contains("颜色") && unreadable.contains("背景色"));
    EXPECT_EQ(f->lessonFont.font.pointSize(), 12);
    EXPECT_EQ(f->lessonFont.color, QColor(Qt::black));
    EXPECT_EQ(f->lessonBackgroundValue, -16777192);

    const QString& refused = folder.messages[1];
    EXPECT_TRUE(refused.contains(audio) && refused.contains(video)) << refused.toStdString();
    EXPECT_EQ(f->audioDir, folder.path() + "mp3") << "the program folder's own serve this run";

    // The dialog shows the learner's folders, and saving something else keeps them.
    f->S3->trigger();
    TForm4* settings = windows.Form4;
    EXPECT_EQ(settings->lbledt1->text(), audio);
    settings->chk2->click();
    settings->btn4->click();
    EXPECT_EQ(stored(folder, QStringLiteral("音频文件目录")), audio);
    EXPECT_EQ(stored(folder, QStringLiteral("视频文件目录")), video);
    EXPECT_EQ(stored(folder, QStringLiteral("字号")), "12");
}

// OK in the font dialog keeps the look the panes have; the text colour is chosen
// and stored like the font; neither shows a pane's text the learner hid.
TEST(SettingsDialog, FontAndTextColourChoicesKeepTheLookAndHiddenPanesHidden)
{
    ProgramFolder folder;
    LessonRow lesson;
    lesson.book = "1";
    lesson.lesson = "1";
    lesson.title = "Lesson 1\r\n";
    lesson.translation = "参考译文\r\n译文\r\n";
    folder.writeLessons({lesson});
    // A family this machine does not have, as a course made elsewhere stores.
    folder.open()->exec("update bookset set 字体=?, 状态=?", {"NoSuchFamily", "fsbold,"});
    VarendoWindows& windows = folder.start();
    TForm1* f = windows.Form1;
    ASSERT_NE(QFontInfo(f->lessonFont.font).family(), "NoSuchFamily");
    f->F2->trigger(); // the translation hidden

    const auto hidden = [&] {
        return f->rzm3->palette().color(QPalette::Text) == f->rzm3->palette().color(QPalette::Base);
    };
    {
        test::DialogAnswer answer([](QDialog*) {});
        f->F1->trigger();
        ASSERT_TRUE(answer.answered());
    }
    EXPECT_EQ(stored(folder, QStringLiteral("状态")), "fsbold,") << "bold kept, nothing added";
    EXPECT_EQ(stored(folder, QStringLiteral("字体")), QFontInfo(f->mmo1->font()).family().left(12));
    EXPECT_FALSE(f->mmo1->font().italic());
    EXPECT_TRUE(hidden());

    // The text colour, from the menu and from the settings dialog's button.
    {
        test::DialogAnswer answer(
            [](QDialog* dialog) { static_cast<QColorDialog*>(dialog)->setCurrentColor(QColor(200, 0, 0)); });
        f->Y1->trigger();
    }
    EXPECT_EQ(stored(folder, QStringLiteral("颜色")), QString::number(200));
    EXPECT_EQ(f->rzm1->palette().color(QPalette::Text), QColor(200, 0, 0));
    EXPECT_TRUE(hidden());
    {
        test::DialogAnswer answer(
            [](QDialog* dialog) { static_cast<QColorDialog*>(dialog)->setCurrentColor(QColor(0, 0, 90)); });
        f->S3->trigger();
        windows.Form4->btn6->click();
    }
    EXPECT_EQ(stored(folder, QStringLiteral("颜色")), QString::number(90 * 65536));
    {
        test::DialogAnswer answer(
            [](QDialog* dialog) { static_cast<QColorDialog*>(dialog)->setCurrentColor(QColor(250, 250, 200)); });
        f->C2->trigger();
    }
    EXPECT_TRUE(hidden());
    EXPECT_EQ(f->rzm3->palette().color(QPalette::Base), QColor(250, 250, 200));
    f->F2->trigger();
    EXPECT_EQ(f->rzm3->palette().color(QPalette::Text), QColor(0, 0, 90));
    EXPECT_EQ(folder.start().Form1->lessonFont.color, QColor(0, 0, 90)) << "the colour comes back";
}
