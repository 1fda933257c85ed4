#pragma once
// One lesson's row, read when the lesson is chosen, with each long text cut to
// what a pane can lay out without keeping the window waiting.
#include "database/dataset.h"

#include <QString>
#include <optional>

namespace varendo::db {

// Characters a lesson pane is given of one text. A printed lesson is a few
// thousand; beyond this the text layout alone holds the window for long.
inline constexpr int kPaneTextLimit = 50000;

// A long text as stored, perhaps only its beginning.
struct StoredText {
    QString value;      // the whole text, or its first characters
    bool cut = false;   // the stored text is longer than value
};

struct LessonRecord {
    qint64 id = 0;
    QString book, number;
    StoredText title, text, words, translation; // text and words still scrambled
    QString notes, timing;                      // whole: the notes are edited, the timing tracked
    QString video, audio;
};

// The first row of the book's lesson, or nothing. Of the title, text, words and
// translation only the beginning is read, enough for limit characters (text and
// words still scrambled); the rest stays on disk.
std::optional<LessonRecord> readLesson(const ConnectionPtr& connection, const QString& book, const QString& lesson,
                                       int limit = kPaneTextLimit);

// What a pane shows of a text: the text itself when it fits in limit characters;
// otherwise its beginning up to the last line end within the limit, and a line
// saying that the rest is not shown.
QString paneText(const QString& text, bool cut, int limit = kPaneTextLimit);

} // namespace varendo::db
