#pragma once
// The lesson database: file name, the two tables, and opening or creating it.
#include "database/dataset.h"

#include <QString>

namespace varendo::db {

inline constexpr char kDatabaseFileName[] = "varendo.mdb";

// Statements that create the two tables. Column names, order, widths and defaults
// are those every lesson file uses; widths are enforced by checks named
// "width_<column>".
QString book1CreateStatement();
QString booksetCreateStatement();

// Throws DatabaseError naming what was found when the file holds tables that are
// not the lesson tables: other tables only, or a lesson table missing columns or
// with columns of the wrong type. An empty file, or one with usable tables, passes.
void checkLessonTables(Connection& connection);

// Creates whichever of the two tables is missing; an existing table is never altered.
void ensureLessonTables(Connection& connection);

// Inserts the settings row when bookset has none: the program folder's "video"
// and "mp3" sub-folders, both display flags "1", defaults for the rest.
void ensureSettingsRow(Connection& connection, const QString& appDir);

// Opens the database file, creating it when missing; then the tables and the
// settings row. Throws DatabaseError with a message for the learner.
ConnectionPtr openLessonDatabase(const QString& path, const QString& appDir);

// The statements that select one book's rows (with the columns the progress board
// reads and changes), one book's lesson numbers in list order, and one lesson's
// whole row. The book, then the lesson number, are bound.
QString bookSelection();
QString lessonListSelection();
QString lessonSelection();

} // namespace varendo::db
