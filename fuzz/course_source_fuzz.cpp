// A course source folder is written by hand. The input is one lesson's files in the
// order manifest.txt, title.txt, text.txt, words.txt, translation.txt, lyrics.lrc, each
// after a line "==> <name> <==" (the first needs none); a file not given is missing.
// They are written into book 2 of a scratch source folder and read back. Checks: a read
// either gives one lesson or throws SourceError; a lesson has a number of 1 to 3 digits,
// non-empty texts with CR LF line ends that GBK holds, and timing lines that each start
// with a time tag and whose sentences occur in the lesson text.
#include "course_source.h"

#include "common/gbk_text.h"
#include "common/timing_line.h"
#include "fuzz_support.h"

#include <QDir>
#include <QRegularExpression>

using namespace varendo;
using namespace varendo::course;
using fuzz::require;

namespace {

const char* const kFiles[] = {"manifest.txt", "title.txt", "text.txt", "words.txt", "translation.txt", "lyrics.lrc"};

// The input's part for each file, cut at the "==> name <==" lines.
QList<QByteArray> filesOf(const QByteArray& input)
{
    QList<QByteArray> files;
    QByteArray rest = input.startsWith("==> manifest.txt <==\n") ? input.mid(21) : input;
    for (std::size_t i = 0; i + 1 < std::size(kFiles); ++i) {
        const QByteArray marker = QByteArray("\n==> ") + kFiles[i + 1] + " <==\n";
        const qsizetype at = rest.indexOf(marker);
        if (at < 0)
            break;
        files << rest.left(at + 1);
        rest = rest.mid(at + marker.size());
    }
    files << rest;
    return files;
}

void checkStored(const QString& text, const char* what)
{
    require(!text.isEmpty() && text.endsWith(QLatin1String("\r\n")), what);
    require(!text.contains(QRegularExpression(QStringLiteral("\r(?!\n)|(?<!\r)\n"))), what);
    require(fitsGbk(text), what);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString root = fuzz::scratchFolder() + QStringLiteral("/source");
    QDir(root).removeRecursively();
    const QString lesson = root + QStringLiteral("/2/001-lesson/");
    QDir().mkpath(lesson);
    const QList<QByteArray> files = filesOf(fuzz::bytesOf(data, size));
    for (qsizetype i = 0; i < files.size(); ++i)
        fuzz::writeFile(lesson + QLatin1String(kFiles[i]), files[i]);

    QList<LessonSource> read;
    try {
        read = readCourseSource(root);
    } catch (const SourceError&) {
        return 0;
    }
    require(read.size() == 1, "one lesson folder gives one lesson");
    const LessonSource& s = read.front();
    require(s.book == QLatin1String("2"), "the lesson is in its book");
    require(QRegularExpression(QStringLiteral("^[0-9]{1,3}$")).match(s.lesson).hasMatch(), "a lesson number of 1 to 3 digits");
    require(!s.video.isEmpty() && !s.audio.isEmpty(), "media names are given");
    checkStored(s.title, "the title is stored text");
    checkStored(s.text, "the lesson text is stored text");
    checkStored(s.words, "the words are stored text");
    checkStored(s.translation, "the translation is stored text");
    checkStored(s.timing, "the timing is stored text");
    for (const QString& line : s.timing.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
        require(startsWithTimeTag(line), "every timing line starts with a time tag");
        require(sentenceInText(line, s.text), "every timed sentence is in the lesson text");
    }
    return 0;
}
