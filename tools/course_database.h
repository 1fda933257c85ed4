#pragma once
// Making, listing and checking lesson databases for course authors.
#include "course_source.h"

#include <QString>
#include <QStringList>

namespace varendo::course {

// Writes a new lesson database holding the rows, with the program's schema and its
// default settings row (folders under programDir). The file appears whole or not at
// all. Throws VarendoError on failure; an existing file is refused unless overwrite.
void buildDatabase(const QList<LessonSource>& lessons, const QString& outputFile, const QString& programDir,
                   bool overwrite);

// One line per lesson: book, lesson, title, state, media names, under a line per book.
QStringList listDatabase(const QString& file);

// Decodes every row and checks its sentences and media files (mediaDir holds the
// "video" folder and the "mp3" folder with its sub-folders "1" to "4"). Returns the
// problems found; empty when all is well.
QStringList checkDatabase(const QString& file, const QString& mediaDir, int* rowsChecked = nullptr);

} // namespace varendo::course
