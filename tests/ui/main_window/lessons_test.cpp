#include "program_folder.h"

#include "common/varendo_error.h"
#include "database/lesson_record.h"
#include "ui/main_window.h"
#include "ui/notes_window.h"
#include "ui/radio_group.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <gtest/gtest.h>

using namespace varendo;

namespace {

LessonRow lesson(const QString& book, const QString& number, const QString& tag)
{
    LessonRow r;
    r.book = book;
    r.lesson = number;
    r.title = "Lesson " + number + "  " + tag + "\r\n";
    r.text = "Listen to the tape. " + tag + "\r\nIt's " + tag + ".\r\n";
    r.words = "New words and expressions\r\n" + tag + "  n. 词\r\n";
    r.translation = "参考译文\r\n" + tag + "的译文\r\n";
    r.timing = "[00:01.00]Listen to the tape. " + tag + "\r\n[00:03.50]It＇s " + tag + ".\r\n";
    r.video = "Book" + book + "-" + number + ".rm";
    r.audio = tag + ".mp3";
    return r;
}

QString editorLine(const QString& stored)
{
    return QString(stored).replace("\r\n", "\n");
}

class LessonDisplay : public ::testing::Test {
protected:
    void SetUp() override
    {
        LessonRow noted = lesson("1", "3", "bus");
        noted.notes = "Remember: \"bus\" is 公共汽车.\r\n";
        folder.writeLessons({lesson("1", "1", "hello"), noted, lesson("2", "3", "three"), lesson("2", "15", "fifteen"),
                             lesson("2", "007", "seven"), lesson("3", "1", "tea")});
        f = folder.start().Form1;
    }
    // Chooses an item as the learner does, so the change handler runs.
    void choose(QComboBox* list, int index)
    {
        list->setCurrentIndex(index);
        emit list->activated(index);
    }
    ProgramFolder folder;
    TForm1* f = nullptr;
};

} // namespace

TEST_F(LessonDisplay, LessonListShowsNumbersAsStored)
{
    f->getkbs("2");
    ASSERT_EQ(f->rzchcklst1->count(), 3);
    EXPECT_EQ(f->rzchcklst1->itemText(0), "第2册 第3课");
    EXPECT_EQ(f->rzchcklst1->itemText(1), "第2册 第15课");
    EXPECT_EQ(f->rzchcklst1->itemText(2), "第2册 第007课");
    EXPECT_EQ(f->rzchcklst1->currentIndex(), 0);
    // Filling the list does not load a lesson: the start lesson stays.
    EXPECT_EQ(f->mmo1->toPlainText(), "Listen to the tape. hello\nIt's hello.\n");

    f->cbb1->setCurrentIndex(1);
    choose(f->rzchcklst1, 2);
    EXPECT_TRUE(f->rzm1->toPlainText().startsWith("Lesson 007  seven"));
    choose(f->rzchcklst1, 1);
    EXPECT_TRUE(f->rzm1->toPlainText().startsWith("Lesson 15  fifteen"));
}

TEST_F(LessonDisplay, LoadingFillsThePanesAndTheTimingList)
{
    f->cbb1->setCurrentIndex(0);
    f->getkbs("1");
    choose(f->rzchcklst1, 0);
    EXPECT_EQ(f->grp7->title(), "Varendo英语第一册");
    EXPECT_EQ(f->rzm1->toPlainText(), "Lesson 1  hello\n");
    EXPECT_EQ(f->mmo1->toPlainText(), "Listen to the tape. hello\nIt's hello.\n");
    EXPECT_EQ(f->rzm2->toPlainText(), "New words and expressions\nhello  n. 词\n");
    EXPECT_EQ(f->rzm3->toPlainText(), "参考译文\nhello的译文\n");
    EXPECT_EQ(f->timingList, QStringList({"[00:01.00]Listen to the tape. hello", "[00:03.50]It＇s hello."}));
    EXPECT_EQ(f->mmo1->lineWrapMode(), QPlainTextEdit::WidgetWidth);
}

TEST_F(LessonDisplay, MediaPathFollowsThePlaybackFormat)
{
    f->videoDir = "/data/video  ";
    f->audioDir = "/data/mp3";
    f->rg1->SetItemIndex(1);
    EXPECT_EQ(f->getkcs("2", "15"), "/data/mp3/2/fifteen.mp3");
    f->rg1->SetItemIndex(0);
    EXPECT_EQ(f->getkcs("2", "15"), "/data/video/Book2-15.rm");
    // An opened file leaves no format chosen: the video folder is used.
    f->rg1->SetItemIndex(-1);
    EXPECT_EQ(f->rg1->ItemIndex(), -1);
    EXPECT_EQ(f->getkcs("2", "007"), "/data/video/Book2-007.rm");
}

TEST_F(LessonDisplay, ATextThatDoesNotDecodeIsLeftEmptyAndNamed)
{
    f->getkcs("1", "1");
    // Lesson text that no longer decodes: the new lesson shows with that pane empty, and the learner is told.
    folder.open()->exec("update book1 set 课程内容=? where 课本号=? and 课程编号=?", {"00ZZ", "3", "1"});
    f->getkcs("3", "1");
    EXPECT_EQ(f->rzm1->toPlainText(), "Lesson 1  tea\n");
    EXPECT_EQ(f->mmo1->toPlainText(), "");
    EXPECT_EQ(f->rzm2->toPlainText(), "New words and expressions\ntea  n. 词\n");
    EXPECT_EQ(f->rzm3->toPlainText(), "参考译文\ntea的译文\n");
    ASSERT_EQ(folder.messages.size(), 1);
    EXPECT_TRUE(folder.messages[0].startsWith("第3册 第1课的课文内容无法读取")) << folder.messages[0].toStdString();

    // No new words stored: an empty pane, nothing to report.
    folder.open()->exec("update book1 set 生词短语=? where 课本号=? and 课程编号=?", {"", "2", "3"});
    f->getkcs("2", "3");
    EXPECT_EQ(f->mmo1->toPlainText(), "Listen to the tape. three\nIt's three.\n");
    EXPECT_EQ(f->rzm2->toPlainText(), "");
    EXPECT_EQ(folder.messages.size(), 1);
}

TEST_F(LessonDisplay, TimingThatDoesNotDecodeLeavesAnEmptyList)
{
    folder.open()->exec("update book1 set 时间刻度=? where 课本号=? and 课程编号=?", {"7F", "2", "15"});
    f->getkcs("2", "3");
    ASSERT_FALSE(f->timingList.isEmpty());
    const QString path = f->getkcs("2", "15");
    EXPECT_TRUE(f->timingList.isEmpty());
    EXPECT_EQ(f->mmo1->toPlainText(), "Listen to the tape. fifteen\nIt's fifteen.\n");
    EXPECT_TRUE(path.endsWith("Book2-15.rm"));
    EXPECT_TRUE(folder.messages.isEmpty());
}

TEST_F(LessonDisplay, NotesMarkerFollowsTheNotes)
{
    auto& w = folder.windows();
    f->getkcs("1", "3");
    EXPECT_TRUE(f->lbl1->isVisible());
    EXPECT_EQ(w.Form3->mmo1->toPlainText(), "Remember: \"bus\" is 公共汽车.\n");
    QTest::mouseDClick(f->lbl1, Qt::LeftButton);
    EXPECT_TRUE(w.Form3->isVisible());
    w.Form3->hide();
    f->getkcs("1", "1");
    EXPECT_FALSE(f->lbl1->isVisible());
    EXPECT_TRUE(w.Form3->mmo1->toPlainText().isEmpty());
}

TEST_F(LessonDisplay, PaneSwitchesHideTheTextButKeepIt)
{
    f->getkcs("1", "1");
    const QColor background = f->rzm3->palette().color(QPalette::Base);
    f->F2->trigger();
    EXPECT_FALSE(f->F2->isChecked());
    EXPECT_EQ(f->rzm3->palette().color(QPalette::Text), background);
    EXPECT_EQ(f->rzm3->toPlainText(), "参考译文\nhello的译文\n");
    // Still hidden after another lesson is loaded.
    f->getkcs("3", "1");
    EXPECT_EQ(f->rzm3->palette().color(QPalette::Text), background);
    EXPECT_EQ(f->rzm3->toPlainText(), "参考译文\ntea的译文\n");
    f->F2->trigger();
    EXPECT_TRUE(f->F2->isChecked());
    EXPECT_EQ(f->rzm3->palette().color(QPalette::Text), f->lessonFont.color);

    // The handlers toggle on their own, when run directly.
    f->N7Click(nullptr);
    EXPECT_FALSE(f->N7->isChecked());
    EXPECT_EQ(f->mmo1->palette().color(QPalette::Text), f->mmo1->palette().color(QPalette::Base));
    f->N8Click(nullptr);
    EXPECT_FALSE(f->N8->isChecked());
    EXPECT_EQ(f->rzm2->palette().color(QPalette::Text), f->rzm2->palette().color(QPalette::Base));
}

TEST_F(LessonDisplay, TypedCharactersAreDiscardedButArrowKeysChoose)
{
    f->cbb1->setCurrentIndex(0);
    f->getkbs("1");
    f->cbb1->setFocus();
    QTest::keyClicks(f->cbb1, "Varendo");
    QKeyEvent chinese(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("第"));
    QApplication::sendEvent(f->cbb1, &chinese);
    EXPECT_EQ(f->cbb1->currentIndex(), 0);
    QTest::keyClicks(f->rzchcklst1, "2");
    QApplication::sendEvent(f->rzchcklst1, &chinese);
    QApplication::sendEvent(f->rzchcklst1, &chinese);
    EXPECT_EQ(f->rzchcklst1->currentIndex(), 0);
    EXPECT_TRUE(f->rzm1->toPlainText().startsWith("Lesson 1  hello")); // the start lesson, not another

    QTest::keyClick(f->rzchcklst1, Qt::Key_Down);
    EXPECT_EQ(f->rzchcklst1->currentIndex(), 1);
    EXPECT_TRUE(f->rzm1->toPlainText().startsWith("Lesson 3  bus"));
}

TEST_F(LessonDisplay, ChangingTheBookLoadsItsFirstLesson)
{
    choose(f->cbb1, 2);
    EXPECT_EQ(f->rzchcklst1->count(), 1);
    EXPECT_EQ(f->rzchcklst1->currentText(), "第3册 第1课");
    EXPECT_EQ(f->grp7->title(), "Varendo英语第三册");
    EXPECT_TRUE(f->rzm1->toPlainText().startsWith("Lesson 1  tea"));
}

TEST_F(LessonDisplay, AMissingLessonRowIsNamed)
{
    f->getkcs("1", "1");
    try {
        f->getkcs("2", "99");
        FAIL() << "loaded a lesson that is not there";
    } catch (const VarendoError& e) {
        EXPECT_EQ(e.message(), "课程数据库中找不到第2册 第99课。");
    }
    EXPECT_TRUE(f->rzm1->toPlainText().startsWith("Lesson 1  hello"));
}

TEST_F(LessonDisplay, ABookWithoutRowsListsNothingAndCannotLoad)
{
    f->getkcs("1", "1");
    choose(f->cbb1, 3);
    EXPECT_EQ(f->rzchcklst1->count(), 0);
    EXPECT_EQ(f->rzchcklst1->currentIndex(), -1);
    ASSERT_EQ(folder.messages.size(), 1);
    EXPECT_TRUE(folder.messages[0].contains("没有选中的课程"));
    EXPECT_TRUE(f->rzm1->toPlainText().startsWith("Lesson 1  hello")); // nothing else loaded
}

// Texts far longer than any lesson: each pane gets the beginning, in whole lines,
// and says that the rest is not shown; the start lesson shows so at start and
// again when played, and ordinary lessons stay whole.
TEST(HugeLesson, EachPaneShowsTheBeginningAndSaysTheRestIsLeftOut)
{
    ProgramFolder folder;
    LessonRow huge = lesson("1", "1", "huge");
    const QString titleLine = QStringLiteral("Lesson 1 A title that goes on and on\r\n");
    const QString chineseLine = QStringLiteral("第一课的参考译文，一行又一行。\r\n");
    huge.title = titleLine.repeated(2'000'000 / titleLine.size());
    huge.translation = chineseLine.repeated(2'000'000 / chineseLine.size());
    // One line with no end at all, scrambled as stored.
    huge.text = QStringLiteral("Listen to the tape. ") + QStringLiteral("汉字").repeated(150'000);
    huge.state = QStringLiteral("学习中");
    folder.writeLessons({huge, lesson("1", "3", "bus")});
    TForm1* f = folder.start().Form1;

    const auto checkPanes = [&] {
        const QString title = f->rzm1->toPlainText();
        EXPECT_LE(title.size(), db::kPaneTextLimit + 100);
        EXPECT_TRUE(title.startsWith(editorLine(titleLine))) << title.left(80).toStdString();
        // Whole lines, then the note.
        const QStringList lines = title.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        ASSERT_GE(lines.size(), 2);
        EXPECT_EQ(lines.at(lines.size() - 2) + "\n", editorLine(titleLine));
        EXPECT_TRUE(lines.last().contains("内容太长")) << lines.last().toStdString();
        const QString translation = f->rzm3->toPlainText();
        EXPECT_LE(translation.size(), db::kPaneTextLimit + 100);
        EXPECT_TRUE(translation.startsWith(editorLine(chineseLine)));
        EXPECT_TRUE(translation.contains("内容太长"));
        // The single scrambled line is cut inside itself, on a whole character.
        const QString text = f->mmo1->toPlainText();
        EXPECT_LE(text.size(), db::kPaneTextLimit + 100);
        EXPECT_TRUE(text.startsWith("Listen to the tape. 汉字汉字"));
        EXPECT_FALSE(text.contains(QChar::ReplacementCharacter));
        EXPECT_TRUE(text.contains("内容太长"));
        // The short texts of the same lesson are whole.
        EXPECT_EQ(f->rzm2->toPlainText(), "New words and expressions\nhuge  n. 词\n");
        EXPECT_EQ(f->timingList.size(), 2);
    };
    // At start, before any Play.
    EXPECT_EQ(f->rzchcklst1->currentText(), "第1册 第1课");
    checkPanes();
    f->getkcnr();
    checkPanes();
    f->getkcs("1", "3");
    EXPECT_EQ(f->rzm1->toPlainText(), "Lesson 3  bus\n");
    EXPECT_EQ(f->rzm3->toPlainText(), "参考译文\nbus的译文\n");
}
