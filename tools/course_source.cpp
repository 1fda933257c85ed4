#include "course_source.h"

#include "common/gbk_text.h"
#include "common/timing_line.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QStringDecoder>
#include <algorithm>

namespace varendo::course {

SourceError::SourceError(QString f, int l, QString m)
    : std::runtime_error((f + QLatin1Char(':') + QString::number(l) + QStringLiteral(": ") + m).toStdString()),
      file(std::move(f)), line(l), message(std::move(m))
{
}

QString SourceError::text() const
{
    return line > 0 ? QStringLiteral("%1:%2: %3").arg(file).arg(line).arg(message)
                    : QStringLiteral("%1: %2").arg(file, message);
}

QString withCrLf(const QString& text)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = t.split(QLatin1Char('\n'));
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    if (lines.isEmpty())
        return QString();
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

QString fullWidthApostrophes(const QString& text)
{
    QString t = text;
    return t.replace(QLatin1Char('\''), QChar(0xFF07));
}

namespace {

// A text quoted in a message, cut to a readable length.
QString quoted(const QString& text)
{
    constexpr qsizetype kLongest = 80;
    return text.size() <= kLongest ? text : text.left(kLongest) + QStringLiteral("……（共 %1 个字符）").arg(text.size());
}

} // namespace

bool sentenceInText(const QString& timingLine, const QString& lessonText)
{
    const QString sentence = stripTags(timingLine).trimmed();
    return sentence.isEmpty() || lessonText.contains(sentence, Qt::CaseInsensitive);
}

namespace {

QByteArray readBytes(const QString& path, const QString& shown)
{
    QFile f(path);
    if (!f.exists())
        throw SourceError(shown, 0, QStringLiteral("文件不存在"));
    if (!f.open(QIODevice::ReadOnly))
        throw SourceError(shown, 0, QStringLiteral("无法读取：%1").arg(f.errorString()));
    return f.readAll();
}

void requireGbk(const QString& line, const QString& shown, int lineNumber)
{
    if (!fitsGbk(line))
        throw SourceError(shown, lineNumber, QStringLiteral("含有 GBK 编码无法表示的字符"));
}

// Reads a UTF-8 text file; invalid UTF-8 or characters GBK cannot hold are errors
// naming the line.
QString readText(const QString& path, const QString& shown)
{
    const QByteArray bytes = readBytes(path, shown);
    const QList<QByteArray> lines = bytes.split('\n');
    QString text;
    for (int i = 0; i < lines.size(); ++i) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString line = utf8.decode(lines[i]);
        if (utf8.hasError())
            throw SourceError(shown, i + 1, QStringLiteral("不是有效的 UTF-8 文本"));
        if (i == 0 && line.startsWith(QChar(0xFEFF)))
            line.remove(0, 1);
        requireGbk(line, shown, i + 1);
        text += line;
        if (i + 1 < lines.size())
            text += QLatin1Char('\n');
    }
    return text;
}

struct Manifest {
    QString lesson, video, audio;
};

Manifest readManifest(const QString& path, const QString& shown)
{
    const QStringList lines = readText(path, shown).split(QLatin1Char('\n'));
    QMap<QString, QString> values;
    QMap<QString, int> lineOf;
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            throw SourceError(shown, i + 1, QStringLiteral("应为“名称=值”的形式"));
        const QString key = line.left(eq).trimmed();
        if (key != QLatin1String("lesson") && key != QLatin1String("video") && key != QLatin1String("audio"))
            throw SourceError(shown, i + 1, QStringLiteral("未知的项目“%1”").arg(key));
        values[key] = line.mid(eq + 1).trimmed();
        lineOf[key] = i + 1;
    }
    for (const char* key : {"lesson", "video", "audio"})
        if (!values.contains(QLatin1String(key)))
            throw SourceError(shown, 0, QStringLiteral("缺少“%1=”一项").arg(QLatin1String(key)));
    static const QRegularExpression number(QStringLiteral("^[0-9]{1,3}$"));
    if (!number.match(values["lesson"]).hasMatch())
        throw SourceError(shown, lineOf["lesson"],
                          QStringLiteral("课程编号“%1”应为 1 到 3 位数字").arg(values["lesson"]));
    for (const char* key : {"video", "audio"}) {
        const QString v = values[QLatin1String(key)];
        if (v.isEmpty() || v.size() > 120)
            throw SourceError(shown, lineOf[QLatin1String(key)],
                              QStringLiteral("文件名应为 1 到 120 个字符"));
    }
    return {values["lesson"], values["video"], values["audio"]};
}

// A timed line as the lessons store it: its tags as [mm:ss.xx] with the file's offset
// applied, then the sentence as written, without word times.
QString storedLine(const QString& line, const TimingLine& parsed, qint64 offset)
{
    QString stored;
    for (qint64 ms : parsed.times)
        stored += timeTag(offsetTime(ms, offset));
    return stored + stripWordTags(line.mid(parsed.textStart)).trimmed();
}

// The timed lines of a lyric file, read as the program reads an opened file's lyrics
// (UTF-8, GBK or UTF-16; any time tag form it tracks). Header tags and whatever comes
// before the first timed line are left out; after it, every line must be timed.
QString readTiming(const QString& path, const QString& shown, const QString& lessonText)
{
    const QStringList lines = decodeLyrics(readBytes(path, shown));
    const qint64 offset = lyricOffset(lines);
    QStringList kept;
    for (int i = 0; i < lines.size(); ++i) {
        const QString& line = lines[i];
        requireGbk(line, shown, i + 1);
        const TimingLine parsed = parseTimingLine(line);
        if (parsed.times.isEmpty()) {
            if (kept.isEmpty() || parsed.header || line.trimmed().isEmpty())
                continue;
            throw SourceError(shown, i + 1, QStringLiteral("歌词行没有时间标签 [mm:ss.xx]"));
        }
        const QString stored = fullWidthApostrophes(storedLine(line, parsed, offset));
        if (!sentenceInText(stored, lessonText))
            throw SourceError(shown, i + 1,
                              QStringLiteral("句子“%1”没有出现在课文中").arg(quoted(stripTags(stored).trimmed())));
        kept << stored;
    }
    if (kept.isEmpty())
        throw SourceError(shown, 0, QStringLiteral("没有带时间标签的句子"));
    return withCrLf(kept.join(QLatin1Char('\n')));
}

LessonSource readLesson(const QString& dir, const QString& shownDir, const QString& book)
{
    auto file = [&](const char* name) { return QDir(dir).filePath(QLatin1String(name)); };
    auto shown = [&](const char* name) { return shownDir + QLatin1Char('/') + QLatin1String(name); };
    LessonSource s;
    s.folder = shownDir;
    s.book = book;
    const Manifest m = readManifest(file("manifest.txt"), shown("manifest.txt"));
    s.lesson = m.lesson;
    s.video = m.video;
    s.audio = m.audio;
    s.title = withCrLf(readText(file("title.txt"), shown("title.txt")));
    s.text = withCrLf(fullWidthApostrophes(readText(file("text.txt"), shown("text.txt"))));
    s.words = withCrLf(readText(file("words.txt"), shown("words.txt")));
    s.translation = withCrLf(readText(file("translation.txt"), shown("translation.txt")));
    for (auto [value, name] : {std::pair{&s.title, "title.txt"}, std::pair{&s.text, "text.txt"},
                               std::pair{&s.words, "words.txt"}, std::pair{&s.translation, "translation.txt"}})
        if (value->isEmpty())
            throw SourceError(shown(name), 0, QStringLiteral("文件是空的"));
    s.timing = readTiming(file("lyrics.lrc"), shown("lyrics.lrc"), s.text);
    return s;
}

} // namespace

QList<LessonSource> readCourseSource(const QString& sourceDir)
{
    const QDir root(sourceDir);
    if (!root.exists())
        throw SourceError(sourceDir, 0, QStringLiteral("课程源目录不存在"));
    QList<LessonSource> all;
    for (int b = 1; b <= 4; ++b) {
        const QString book = QString::number(b);
        const QFileInfo bookEntry(root.filePath(book));
        if (bookEntry.exists() && !bookEntry.isDir())
            throw SourceError(book, 0, QStringLiteral("第%1册应是一个目录，这里却是一个文件").arg(book));
        const QDir bookDir(bookEntry.filePath());
        if (!bookDir.exists())
            continue;
        QList<LessonSource> lessons;
        for (const QString& name : bookDir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
            LessonSource s = readLesson(bookDir.filePath(name), book + QLatin1Char('/') + name, book);
            for (const LessonSource& other : lessons)
                if (other.lesson.toInt() == s.lesson.toInt())
                    throw SourceError(s.folder + QStringLiteral("/manifest.txt"), 0,
                                      QStringLiteral("第%1册的课程编号 %2 与 %3 重复").arg(book, s.lesson, other.folder));
            lessons << s;
        }
        std::stable_sort(lessons.begin(), lessons.end(), [](const LessonSource& x, const LessonSource& y) {
            return x.lesson.toInt() < y.lesson.toInt();
        });
        all << lessons;
    }
    if (all.isEmpty())
        throw SourceError(sourceDir, 0, QStringLiteral("没有找到任何课程（应有名为 1 到 4 的册目录）"));
    return all;
}

} // namespace varendo::course
