#pragma once
// The lesson label "第<book>册 第<lesson>课" names a lesson in the lesson list and
// the notes list. Book and lesson numbers travel as text, exactly as stored.
#include <QString>

namespace varendo {

QString lessonLabel(const QString& book, const QString& lesson);

// The lesson number of a label: the text between "册 第" and the first "课" after it.
// Empty when the label has no such part.
QString lessonNumberOf(const QString& label);

// Position of a lesson row in its book's lesson list. Book 1 has one row per pair
// of textbook lessons numbered 1, 3, 5, …, so its position is number div 2; the
// other books number their rows 1, 2, 3, ….
int lessonListPosition(int bookIndex, qint64 lessonNumber);

} // namespace varendo
