#pragma once
// A course source folder: one folder per book ("1" to "4"), in it one folder per
// lesson row with plain UTF-8 texts, an LRC lyric file and a manifest (see
// course/demo/README.md). Reading checks everything a lesson row needs.
#include <QList>
#include <QString>
#include <QStringList>
#include <stdexcept>

namespace varendo::course {

// A problem in the sources, named by file and line (line 0: the file as a whole).
struct SourceError : std::runtime_error {
    SourceError(QString file, int line, QString message);
    QString file;
    int line;
    QString message;
    QString text() const; // "file:line: message"
};

// One lesson row, with its texts as stored (CR LF line ends, full-width apostrophes
// in the lesson text and the timing).
struct LessonSource {
    QString folder;       // where it came from
    QString book;         // "1" .. "4"
    QString lesson;       // 1 to 3 digits, as written
    QString title;
    QString text;
    QString words;
    QString translation;
    QString timing;       // the timed lyric lines, without the header tags
    QString video;
    QString audio;
};

// Reads and checks the whole source folder; rows in book order, lessons by number.
QList<LessonSource> readCourseSource(const QString& sourceDir);

// Lines of a text, each ended by CR LF.
QString withCrLf(const QString& text);
// ASCII apostrophes as stored in the lesson text and the timing.
QString fullWidthApostrophes(const QString& text);
// True when a timing line's sentence occurs in the lesson text, apart from letter case.
bool sentenceInText(const QString& timingLine, const QString& lessonText);

} // namespace varendo::course
