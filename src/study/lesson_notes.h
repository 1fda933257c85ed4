#pragma once
// The learner's notes on a lesson, kept in the lesson's row of book1: the text in
// 备注 and the flag 笔记 ("有" or "无"). A lesson is named by its row ID, so the
// notes of one lesson can never be written to another with the same label.
#include "database/dataset.h"

#include <QList>
#include <QString>
#include <optional>

namespace varendo::study {

struct NotedLesson {
    qint64 id = -1;
    QString label; // "第<book>册 第<lesson>课"
};

struct LessonNotes {
    NotedLesson lesson;
    QString text; // as the editor shows it: plain line breaks
};

// Stored notes end their lines with CR LF; the editor works with plain line breaks.
QString editorText(const QString& stored);
QString storedText(const QString& edited);

// The lessons whose flag says they have notes, in table row order.
QList<NotedLesson> notedLessons(const db::ConnectionPtr& connection);

// The notes of one row; nothing when the row is no longer there.
std::optional<LessonNotes> lessonNotes(const db::ConnectionPtr& connection, qint64 id);
// The notes of the first row of a book and lesson number, as stored.
std::optional<LessonNotes> lessonNotes(const db::ConnectionPtr& connection, const QString& book,
                                       const QString& lesson);

// Stores the editor's text as the row's notes and sets its flag. Throws VarendoError
// (a DatabaseError with the reason when the write fails); the row is then unchanged.
void saveNotes(const db::ConnectionPtr& connection, const NotedLesson& lesson, const QString& edited);
// Empties the row's notes and clears its flag. Throws as saveNotes does.
void clearNotes(const db::ConnectionPtr& connection, const NotedLesson& lesson);

} // namespace varendo::study
