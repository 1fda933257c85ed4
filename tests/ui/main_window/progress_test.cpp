// The study progress board through the real windows on a real lesson database:
// where it opens, what a block of cells stores, the pop-up's states, the tooltip,
// starting a lesson in the main window, and a book longer than the board.
#include "program_folder.h"
#include "qstring_print.h"

#include "ui/about_box.h"
#include "ui/main_window.h"
#include "ui/progress_board.h"
#include "ui/radio_group.h"

#include <QAction>
#include <QApplication>
#include <QMouseEvent>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>


using namespace varendo;


namespace {

const QChar kStudied(0xFF0D), kBeingStudied(0xFF0A), kToReview(0xFF1D);

QList<LessonRow> book(const QString& number, int lessons)
{
    QList<LessonRow> rows;
    for (int i = 1; i <= lessons; ++i) {
        LessonRow r;
        r.book = number;
        r.lesson = QString::number(i);
        r.title = QStringLiteral("Lesson %1\r\nTitle %1\r\n第%1课\r\n").arg(i);
        r.text = QStringLiteral("Text\r\n");
        rows << r;
    }
    return rows;
}

class ProgressBoard : public ::testing::Test {
protected:
    void SetUp() override
    {
        QList<LessonRow> rows = book("1", 3) + book("2", 20) + book("3", 100);
        rows[3 + 6].state = QStringLiteral("学习中"); // book 2, lesson 7
        folder.writeLessons(rows);
        w = &folder.start();
        f = w->Form1;
        board = w->Form5;
        grid = board->rzstrngrd1;
    }
    void mainWindowOn(int bookIndex, int position)
    {
        f->cbb1->setCurrentIndex(bookIndex);
        f->getkbs(QString::number(bookIndex + 1));
        f->rzchcklst1->setCurrentIndex(position);
    }
    QString stored(const QString& bookNumber, int lesson)
    {
        db::Query q(folder.open());
        q.SetSQL("select 课程状态 from book1 where 课本号=? and 课程编号=?", {bookNumber, QString::number(lesson)});
        q.Open();
        return q.FieldByName("课程状态").AsString();
    }
    QString cell(int column, int row) const
    {
        const QTableWidgetItem* item = grid->item(row, column);
        return item ? item->text() : QString();
    }
    QPoint centre(int column, int row) const
    {
        grid->scrollToItem(grid->item(row, column));
        return grid->visualItemRect(grid->item(row, column)).center();
    }
    void click(int column, int row, Qt::KeyboardModifiers keys = {})
    {
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, keys, centre(column, row));
    }
    QString tooltipAt(int column, int row)
    {
        // As the window system delivers a move of the pointer without a button held.
        const QPoint at = centre(column, row);
        QMouseEvent move(QEvent::MouseMove, at, grid->viewport()->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(grid->viewport(), &move);
        return grid->toolTip();
    }
    // The pop-up's state items the learner would see.
    QStringList offered()
    {
        board->pm1Popup(board->pm1);
        QStringList states;
        for (QAction* a : {board->zt0, board->zt1, board->zt2, board->zt3})
            if (a->isVisible())
                states << a->text();
        return states;
    }

    ProgramFolder folder;
    VarendoWindows* w = nullptr;
    TForm1* f = nullptr;
    TForm5* board = nullptr;
    QTableWidget* grid = nullptr;
};

} // namespace

// Opened from the main window on book 2's 18th lesson; a block of three cells set
// to studied; the pop-up's states for one cell and for a block; a block past the
// book's end; the tooltip over a lesson and over an empty cell.
TEST_F(ProgressBoard, OpensOnTheMainWindowsLessonAndStoresTheStatesOfABlock)
{
    mainWindowOn(1, 17);
    f->J1->trigger();
    ASSERT_TRUE(board->isVisible());
    ASSERT_TRUE(board->progressQuery);
    EXPECT_EQ(board->rg1->ItemIndex(), 1);
    EXPECT_EQ(grid->currentColumn(), 1);
    EXPECT_EQ(grid->currentRow(), 2);
    EXPECT_EQ(cell(1, 2), "第 018 课＋");
    EXPECT_EQ(grid->rowCount(), 12);
    EXPECT_TRUE(cell(4, 2).isEmpty()) << "book 2 has 20 lessons";

    // One cell being studied: the pop-up offers the other three states.
    click(6, 0);
    EXPECT_EQ(board->rg2->ItemIndex(), 2);
    EXPECT_EQ(offered(), QStringList({"未学习", "已学习", "待温习"}));

    // Lessons 2 to 4 as a block: all four states offered; each row stored.
    click(1, 0);
    click(3, 0, Qt::ShiftModifier);
    EXPECT_EQ(offered(), QStringList({"未学习", "已学习", "学习中", "待温习"}));
    board->zt1->trigger();
    for (int lesson : {2, 3, 4})
        EXPECT_EQ(stored("2", lesson), "已学习") << lesson;
    EXPECT_EQ(stored("2", 1), "未学习");
    EXPECT_EQ(stored("2", 5), "未学习");
    EXPECT_EQ(QStringList({cell(1, 0), cell(2, 0), cell(3, 0)}),
              QStringList({"第 002 课－", "第 003 课－", "第 004 课－"}));

    // A block reaching past the last lesson changes only the lessons before the end.
    click(3, 2);
    click(6, 2, Qt::ShiftModifier);
    board->zt3->trigger();
    EXPECT_EQ(stored("2", 20), "待温习");
    EXPECT_EQ(cell(3, 2), QStringLiteral("第 020 课") + kToReview);
    EXPECT_TRUE(cell(4, 2).isEmpty());
    EXPECT_TRUE(folder.messages.isEmpty()) << folder.messages.join('\n').toStdString();

    // The tooltip names book and lesson, the title's lines after the first and the
    // state; over a cell without a lesson it says nothing and fails nothing.
    const QString tip = tooltipAt(2, 0);
    EXPECT_TRUE(tip.contains("第2册 第 003 课")) << tip.toStdString();
    EXPECT_TRUE(tip.contains("Title 3\n第3课\n")) << tip.toStdString();
    EXPECT_TRUE(tip.endsWith("课程状态:已学习")) << tip.toStdString();
    EXPECT_EQ(tooltipAt(7, 5), "");

    // A state stored on the board is what the board shows when opened again.
    board->btn2->click();
    EXPECT_FALSE(board->isVisible());
    EXPECT_FALSE(board->progressQuery);
    f->L1->trigger();
    EXPECT_EQ(cell(2, 0), QStringLiteral("第 003 课") + kStudied);
}

// Starting a lesson of another book from the board switches the main window to
// that book and lesson and marks the lesson as being studied.
TEST_F(ProgressBoard, StartingALessonOfAnotherBookSwitchesTheMainWindow)
{
    mainWindowOn(0, 1);
    f->J1->trigger();
    EXPECT_EQ(board->rg1->ItemIndex(), 0);
    board->rg1->button(1)->click();
    EXPECT_EQ(cell(4, 1), "第 013 课＋");

    click(4, 1);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, centre(4, 1));
    EXPECT_EQ(f->cbb1->currentIndex(), 1);
    EXPECT_EQ(f->rzchcklst1->count(), 20);
    EXPECT_EQ(f->rzchcklst1->currentText(), "第2册 第13课");
    EXPECT_TRUE(f->rzm1->toPlainText().startsWith("Lesson 13")) << f->rzm1->toPlainText().toStdString();
    EXPECT_EQ(cell(4, 1), QStringLiteral("第 013 课") + kBeingStudied);
    EXPECT_EQ(stored("2", 13), "学习中");
    EXPECT_EQ(board->rg2->ItemIndex(), 2);
}

// A book of 100 lessons grows the board to 13 rows instead of writing its last
// lessons over its first; the last lesson's cell changes the last lesson.
TEST_F(ProgressBoard, ABookLongerThanTheBoardGrowsIt)
{
    mainWindowOn(2, 99);
    f->J1->trigger();
    EXPECT_EQ(grid->rowCount(), 13);
    EXPECT_EQ(cell(0, 0), "第 001 课＋");
    EXPECT_EQ(cell(3, 12), "第 100 课＋");
    EXPECT_EQ(grid->currentRow(), 12);
    EXPECT_EQ(grid->currentColumn(), 3);
    board->zt0->trigger(); // the state it has: stored again, nothing else changes
    board->zt3->trigger();
    EXPECT_EQ(stored("3", 100), "待温习");
    EXPECT_EQ(stored("3", 1), "未学习");
    EXPECT_TRUE(tooltipAt(3, 12).contains("第3册 第 100 课"));
    EXPECT_TRUE(tooltipAt(4, 12).isEmpty());
}

// The cells are drawn in their states' colours, with the title's middle lines and the
// state word under the label as the check boxes say; the picture shows once the
// window is tall enough.
TEST_F(ProgressBoard, DrawsStatesAndTitlesAsTheCheckBoxesSayAndShowsThePictureWhenTall)
{
    mainWindowOn(1, 6);
    f->J1->trigger();
    const auto reddish = [](QRgb c) { return qRed(c) > 180 && qGreen(c) < 90 && qBlue(c) < 90; };
    // Pixels of the being-studied red in a band of the cell, lines counted under the label.
    const auto redIn = [&](int firstLine, int lines) {
        const QRect r = grid->visualItemRect(grid->item(0, 6));
        const QImage image = grid->viewport()->grab(r).toImage();
        int count = 0;
        for (int y = 4 + 16 * firstLine; y < std::min(image.height(), 4 + 16 * (firstLine + lines)); ++y)
            for (int x = 0; x < image.width(); ++x)
                count += reddish(image.pixel(x, y));
        return count;
    };
    for (bool names : {true, false}) {
        if (board->chk1->isChecked() != names)
            board->chk1->click();
        if (!board->chk2->isChecked())
            board->chk2->click();
        EXPECT_GT(redIn(0, 1), 20) << "label in red";
        EXPECT_GT(redIn(1, 1), 20) << "title line or state word under it";
        board->chk2->click();
        if (!names) {
            EXPECT_EQ(redIn(1, 1), 0) << "nothing under the label";
        }
    }
    EXPECT_EQ(f->showLessonNameFlag, "0");
    EXPECT_EQ(f->showLessonStateFlag, "0");

    EXPECT_FALSE(board->grp4->isVisible());
    board->resize(board->width(), board->height() + 200);
    EXPECT_TRUE(board->grp4->isVisible());
    EXPECT_FALSE(board->img1->pixmap().isNull());
    EXPECT_GT(board->img1->height(), 150);
    EXPECT_FALSE(w->Form2->img1->pixmap().isNull()) << "the about box's picture";
}
