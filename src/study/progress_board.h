#pragma once
// The study progress board without its window: the four study states with their
// marks and colours, what a cell of the board says, and where a lesson sits on it.
// A book's lessons fill the board row by row, eight to a row, in table row order.
#include <QString>
#include <QStringList>

#include <array>

namespace varendo::study {

struct StudyState {
    QString word;    // as stored in 课程状态
    QChar mark;      // full-width mark at the end of a cell's text
    qint64 colour;   // stored colour value: blue × 65536 + green × 256 + red
};

// Not studied, studied, being studied, to be reviewed: codes 0 to 3.
const std::array<StudyState, 4>& studyStates();
constexpr int kBeingStudied = 2;

// The code of a stored state word, compared exactly; −1 for any other text.
int stateOfWord(const QString& word);
// The code of the mark a cell's text carries (the last of the four found wins); −1 for none.
int stateOfCellText(const QString& text);

// "第 001 课": the lesson number written with at least three digits. A number that
// does not read as one is shown as it is stored.
QString cellLabel(const QString& lessonNumber);
// The label followed by the state's mark; no mark for an unknown state.
QString cellText(const QString& label, int state);
// The label part of a cell's text: the text without its mark.
QString labelOfCellText(const QString& text);

// Board geometry: eight columns, at least twelve rows, and more when a book needs them.
constexpr int kBoardColumns = 8;
constexpr int kBoardMinRows = 12;
int boardRows(int lessonCount);
// The 1-based record of a cell, and the cell of a 0-based lesson position.
inline int recordOfCell(int column, int row) { return row * kBoardColumns + column + 1; }
inline int columnOfPosition(int position) { return position % kBoardColumns; }
inline int rowOfPosition(int position) { return position / kBoardColumns; }

// A lesson title's lines; a break at the very end starts no further line.
QStringList titleLines(const QString& title);

// What a cell draws under its label, one entry per 16-pixel line after the label's;
// an empty entry keeps its line blank. Title lines are those between the first (the
// lesson number) and the last, trimmed; the state word comes after them, or on the
// first line under the label when no title lines are shown.
QStringList cellLines(const QString& title, const QString& stateWord, bool showNames, bool showState);

// The tooltip over a lesson's cell: book and lesson, the title lines after the
// first, and the state.
QString cellTooltip(int book, const QString& cellText, const QString& title);

} // namespace varendo::study
