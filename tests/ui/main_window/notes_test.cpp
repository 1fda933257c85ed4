// The lesson notes window on a real lesson database, with the main window's marker.
#include "program_folder.h"
#include "qstring_print.h"

#include "ui/main_window.h"
#include "ui/notes_window.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>

using namespace varendo;


namespace {

LessonRow lesson(const QString& book, const QString& number, const QString& notes = {})
{
    LessonRow r;
    r.book = book;
    r.lesson = number;
    r.title = "Lesson " + number + "\r\n";
    r.text = "Text of lesson " + number + "\r\n";
    r.notes = notes;
    return r;
}

struct Stored {
    QString notes, flag;
};

class LessonNotes : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder.writeLessons({lesson("1", "1"), lesson("1", "3", "Bus: 公共汽车\r\n"), lesson("2", "3"),
                             lesson("2", "15", "Fifteen \"notes\"\r\nline two")});
        startWindows();
    }
    void startWindows()
    {
        w = &folder.start();
        f = w->Form1;
        notes = w->Form3;
    }
    // The main window shows a lesson as when the learner picks it in the lesson list.
    void showLesson(const QString& book, const QString& number)
    {
        f->cbb1->setCurrentIndex(book.toInt() - 1);
        f->getkbs(book);
        f->rzchcklst1->setCurrentIndex(f->rzchcklst1->findText("第" + book + "册 第" + number + "课"));
        f->getkcs(book, number);
    }
    Stored stored(const QString& book, const QString& number)
    {
        db::Query q(folder.open());
        q.SetSQL("select 备注, 笔记 from book1 where 课本号=? and 课程编号=?", {book, number});
        q.Open();
        return {q.FieldByName("备注").AsString(), q.FieldByName("笔记").AsString()};
    }
    QStringList listed() const
    {
        QStringList labels;
        for (int i = 0; i < notes->lst1->count(); ++i)
            labels << notes->lst1->item(i)->text();
        return labels;
    }
    QListWidgetItem* entry(const QString& label) const
    {
        const auto found = notes->lst1->findItems(label, Qt::MatchExactly);
        return found.isEmpty() ? nullptr : found.first();
    }
    void clickEntry(const QString& label)
    {
        QListWidgetItem* item = entry(label);
        ASSERT_NE(item, nullptr) << label.toStdString();
        QTest::mouseClick(notes->lst1->viewport(), Qt::LeftButton, {}, notes->lst1->visualItemRect(item).center());
    }
    // Typed at the end of the editor; text the test keyboard cannot type is pasted.
    void type(const QString& text)
    {
        notes->mmo1->moveCursor(QTextCursor::End);
        const bool typeable = std::all_of(text.begin(), text.end(), [](QChar c) { return c >= ' ' && c <= '~'; });
        if (typeable)
            QTest::keyClicks(notes->mmo1, text);
        else
            notes->mmo1->insertPlainText(text);
    }

    ProgramFolder folder;
    VarendoWindows* w = nullptr;
    TForm1* f = nullptr;
    TForm3* notes = nullptr;
};

} // namespace

TEST_F(LessonNotes, SavedDiscardedAndClearedWithTheMarkerFollowing)
{
    showLesson("1", "3");
    EXPECT_TRUE(f->lbl1->isVisible());
    QTest::mouseDClick(f->lbl1, Qt::LeftButton);
    ASSERT_TRUE(notes->isVisible());
    EXPECT_EQ(notes->grp5->title(), "第1册 第3课 课程笔记");
    EXPECT_EQ(notes->mmo1->toPlainText(), "Bus: 公共汽车\n");
    EXPECT_EQ(listed(), QStringList({"第1册 第3课", "第2册 第15课"}));

    // A lesson without notes gets some: the row, the list and the marker follow.
    showLesson("1", "1");
    EXPECT_FALSE(f->lbl1->isVisible());
    EXPECT_EQ(notes->grp5->title(), "第1册 第1课 课程笔记");
    type("hello");
    notes->btn2->click();
    EXPECT_EQ(stored("1", "1").notes, "hello");
    EXPECT_EQ(stored("1", "1").flag, "有");
    EXPECT_TRUE(f->lbl1->isVisible());
    EXPECT_EQ(listed(), QStringList({"第1册 第1课", "第1册 第3课", "第2册 第15课"}));
    EXPECT_EQ(folder.messages.last(), "保存完成！");

    // Discarding drops the unsaved edits only.
    type(" and more");
    notes->btn3->click();
    EXPECT_EQ(notes->mmo1->toPlainText(), "hello");
    EXPECT_EQ(stored("1", "1").notes, "hello");

    // An emptied editor saves nothing and says so.
    notes->mmo1->clear();
    qsizetype shown = folder.messages.size();
    notes->btn2->click();
    EXPECT_EQ(stored("1", "1").notes, "hello");
    EXPECT_EQ(folder.messages.size(), shown + 1);
    EXPECT_NE(folder.messages.last(), "保存完成！");

    // Clearing with nothing ticked changes nothing.
    notes->A1->trigger();
    notes->C1->trigger();
    shown = folder.messages.size();
    notes->N2->trigger();
    EXPECT_EQ(listed().size(), 3);
    EXPECT_EQ(folder.messages.size(), shown + 1);
    EXPECT_NE(folder.messages.last(), "笔记已清除！");

    // Two ticked lessons are cleared, the shown one among them: its marker goes.
    notes->btn3->click();
    notes->A1->trigger();
    entry("第1册 第3课")->setCheckState(Qt::Unchecked);
    notes->N2->trigger();
    EXPECT_EQ(folder.messages.last(), "笔记已清除！");
    EXPECT_EQ(stored("1", "1").notes, "");
    EXPECT_EQ(stored("1", "1").flag, "无");
    EXPECT_EQ(stored("2", "15").notes, "");
    EXPECT_EQ(stored("2", "15").flag, "无");
    EXPECT_EQ(stored("1", "3").flag, "有");
    EXPECT_FALSE(f->lbl1->isVisible());
    EXPECT_EQ(listed(), QStringList({"第1册 第3课"}));
    EXPECT_EQ(notes->mmo1->toPlainText(), "hello");

    notes->btn4->click();
    EXPECT_FALSE(notes->isVisible());
}

TEST_F(LessonNotes, QuotesLineEndsAndRareCharactersKeptVerbatimAcrossRestarts)
{
    showLesson("2", "15");
    f->B1->trigger();
    EXPECT_EQ(notes->mmo1->toPlainText(), "Fifteen \"notes\"\nline two");
    // Characters only GBK has (not GB2312), quotes and SQL, on lines of their own.
    const QString added = QString::fromUtf8("\n'); DROP TABLE book1; --\n朱镕基 堃 喆 〇\n");
    type(added);
    notes->btn2->click();
    const QString expected = QString::fromUtf8("Fifteen \"notes\"\r\nline two\r\n'); DROP TABLE book1; --\r\n"
                                               "朱镕基 堃 喆 〇\r\n");
    EXPECT_EQ(stored("2", "15").notes, expected);

    // Saving again what was loaded stores the same text.
    notes->btn2->click();
    EXPECT_EQ(stored("2", "15").notes, expected);

    startWindows();
    showLesson("2", "15");
    EXPECT_TRUE(f->lbl1->isVisible());
    f->B1->trigger();
    EXPECT_EQ(notes->mmo1->toPlainText(), QString(expected).replace("\r\n", "\n"));
    EXPECT_EQ(listed(), QStringList({"第1册 第3课", "第2册 第15课"}));
}

TEST_F(LessonNotes, CaptionAndTextAlwaysNameTheSameLesson)
{
    showLesson("1", "3");
    f->B1->trigger();

    // Saving after picking another book's entry: the list is rebuilt, the editor
    // stays on that lesson, and a second save lands there too.
    clickEntry("第2册 第15课");
    EXPECT_EQ(notes->grp5->title(), "第2册 第15课 课程笔记");
    EXPECT_EQ(notes->mmo1->toPlainText(), "Fifteen \"notes\"\nline two");
    EXPECT_EQ(f->rzchcklst1->currentText(), "第1册 第3课");
    type("!");
    notes->btn2->click();
    EXPECT_EQ(notes->grp5->title(), "第2册 第15课 课程笔记");
    type("?");
    notes->btn2->click();
    EXPECT_EQ(stored("2", "15").notes, "Fifteen \"notes\"\r\nline two!?");
    EXPECT_EQ(stored("1", "3").notes, "Bus: 公共汽车\r\n");
    EXPECT_TRUE(f->lbl1->isVisible());

    // The main window loading another lesson while the window is open turns the
    // caption with the text.
    showLesson("2", "3");
    EXPECT_EQ(notes->grp5->title(), "第2册 第3课 课程笔记");
    EXPECT_EQ(notes->mmo1->toPlainText(), "");
    type("three");
    notes->btn2->click();
    EXPECT_EQ(stored("2", "3").notes, "three");
    EXPECT_EQ(stored("2", "15").notes, "Fifteen \"notes\"\r\nline two!?");

    // Showing the window again names the main window's lesson with its own text,
    // but unsaved notes of another lesson stay under that lesson's name.
    clickEntry("第1册 第3课");
    notes->hide();
    notes->show();
    EXPECT_EQ(notes->grp5->title(), "第2册 第3课 课程笔记");
    EXPECT_EQ(notes->mmo1->toPlainText(), "three");
    clickEntry("第1册 第3课");
    type("unsaved");
    notes->hide();
    notes->show();
    EXPECT_EQ(notes->grp5->title(), "第1册 第3课 课程笔记");
    notes->btn2->click();
    EXPECT_EQ(stored("1", "3").notes, "Bus: 公共汽车\r\nunsaved");
    EXPECT_EQ(stored("2", "3").notes, "three");
}

// Notes typed and not saved survive the main window moving on: another lesson
// picked, or the same lesson loaded again by Play. They stay under their own
// lesson's name and save there; once saved, the editor follows again.
TEST_F(LessonNotes, UnsavedNotesStayWhenAnotherLessonLoads)
{
    showLesson("1", "3");
    f->B1->trigger();
    type("unsaved");
    showLesson("1", "1");
    EXPECT_EQ(notes->grp5->title(), "第1册 第3课 课程笔记");
    EXPECT_EQ(notes->mmo1->toPlainText(), "Bus: 公共汽车\nunsaved");
    EXPECT_FALSE(f->lbl1->isVisible()) << "the main window's marker is its own lesson's";
    showLesson("1", "3");
    EXPECT_EQ(notes->mmo1->toPlainText(), "Bus: 公共汽车\nunsaved") << "reloading the lesson keeps the edits";
    showLesson("2", "15");
    notes->btn2->click();
    EXPECT_EQ(stored("1", "3").notes, "Bus: 公共汽车\r\nunsaved");
    EXPECT_EQ(stored("2", "15").notes, "Fifteen \"notes\"\r\nline two");

    showLesson("2", "15");
    EXPECT_EQ(notes->grp5->title(), "第2册 第15课 课程笔记");
    EXPECT_EQ(notes->mmo1->toPlainText(), "Fifteen \"notes\"\nline two");
}

TEST_F(LessonNotes, FailedWriteShowsTheReasonAndKeepsTheText)
{
    showLesson("1", "1");
    f->B1->trigger();
    folder.open()->exec("create trigger no_notes before update on book1 begin "
                        "select raise(abort, 'notes are locked'); end");
    type("do not lose me");
    notes->btn2->click();
    ASSERT_FALSE(folder.messages.isEmpty());
    EXPECT_TRUE(folder.messages.last().contains("第1册 第1课")) << folder.messages.last().toStdString();
    EXPECT_TRUE(folder.messages.last().contains("notes are locked")) << folder.messages.last().toStdString();
    EXPECT_EQ(notes->mmo1->toPlainText(), "do not lose me");
    EXPECT_EQ(stored("1", "1").flag, "无");
    EXPECT_FALSE(f->lbl1->isVisible());

    // Once the database takes writes again, the same text saves.
    folder.open()->exec("drop trigger no_notes");
    notes->btn2->click();
    EXPECT_EQ(stored("1", "1").notes, "do not lose me");
    EXPECT_TRUE(f->lbl1->isVisible());
}
