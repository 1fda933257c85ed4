// What a cell of the progress board says, for the lesson numbers and titles the
// course database can hold.
#include "qstring_print.h"
#include "study/progress_board.h"

#include <gtest/gtest.h>

using namespace varendo::study;

TEST(ProgressBoardCells, LabelsTitleLinesAndStateWordKeepTheirPlaces)
{
    // Numbers padded to three digits, longer ones whole; text that is no number stays as stored.
    EXPECT_EQ(cellLabel("7"), "第 007 课");
    EXPECT_EQ(cellLabel("1234"), "第 1234 课");
    EXPECT_EQ(cellLabel(" 12 "), "第 012 课");
    EXPECT_EQ(cellLabel("-3"), "第 -003 课");
    EXPECT_EQ(cellLabel("12a"), "第 12a 课");
    EXPECT_EQ(labelOfCellText(cellText(cellLabel("7"), 3)), "第 007 课");
    EXPECT_EQ(cellText("第 007 课", -1), "第 007 课");
    EXPECT_EQ(stateOfCellText(QStringLiteral("第 007 课＋＝")), 3) << "the last mark found wins";

    // A break at the end starts no line: a two-line title draws no title line, and the
    // state word goes straight under the label.
    EXPECT_EQ(titleLines("Lesson 1\r\nA title\r\n"), QStringList({"Lesson 1", "A title"}));
    EXPECT_EQ(cellLines("Lesson 1\r\nA title\r\n", "已学习", true, true), QStringList({"已学习"}));
    // Breaks of every kind; a blank middle line keeps its place, the last line is not drawn.
    EXPECT_EQ(cellLines("Lesson 1\r  Two  \n\r\nFour\nLast", "学习中", true, true),
              QStringList({"Two", "", "Four", "学习中"}));
    EXPECT_EQ(cellLines("Lesson 1\nTwo\nLast", "学习中", false, true), QStringList({"学习中"}));
    EXPECT_EQ(cellLines("Lesson 1\nTwo\nLast", "学习中", true, false), QStringList({"Two"}));

    EXPECT_EQ(cellTooltip(2, "第 003 课＊", "Lesson 3\r\nTitle\r\n"),
              "        第2册 第 003 课        \nTitle\n        课程状态:学习中");

    EXPECT_EQ(boardRows(0), 12);
    EXPECT_EQ(boardRows(96), 12);
    EXPECT_EQ(boardRows(97), 13);
}
