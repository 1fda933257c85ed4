#include "course_database.h"

#include "common/timing_line.h"
#include "common/varendo_error.h"
#include "database/content_cipher.h"
#include "database/lesson_schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryFile>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace varendo::course {

namespace {

// The temporary database being built, and its journal: removed if the build is
// stopped by a signal. Plain buffers, as only they may be touched in a handler.
char gBuilding[4096];
char gBuildingJournal[4096];

extern "C" void removeTemporaryAndStop(int signal)
{
    if (gBuilding[0]) {
        ::unlink(gBuilding);
        ::unlink(gBuildingJournal);
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void copyPath(char (&to)[4096], const QByteArray& path)
{
    const size_t n = std::min(sizeof to - 1, size_t(path.size()));
    std::memcpy(to, path.constData(), n);
    to[n] = 0;
}

// While alive, a stopped build leaves no temporary database behind.
class CleanUpOnSignal {
public:
    explicit CleanUpOnSignal(const QString& path)
    {
        const QByteArray file = QFile::encodeName(path);
        copyPath(gBuildingJournal, file + "-journal");
        copyPath(gBuilding, file);
        for (int s : {SIGTERM, SIGINT, SIGHUP})
            std::signal(s, removeTemporaryAndStop);
    }
    ~CleanUpOnSignal()
    {
        for (int s : {SIGTERM, SIGINT, SIGHUP})
            std::signal(s, SIG_DFL);
        gBuilding[0] = 0;
    }
    CleanUpOnSignal(const CleanUpOnSignal&) = delete;
    CleanUpOnSignal& operator=(const CleanUpOnSignal&) = delete;
};

} // namespace

void buildDatabase(const QList<LessonSource>& lessons, const QString& outputFile, const QString& programDir,
                   bool overwrite)
{
    const QFileInfo out(outputFile);
    if (out.exists() && !overwrite)
        throw VarendoError(QStringLiteral("%1 已存在；如要替换它，请加 --force").arg(outputFile));
    if (!out.absoluteDir().exists())
        throw VarendoError(QStringLiteral("目录 %1 不存在").arg(out.absolutePath()));

    // Build beside the target, then rename over it: a failure leaves nothing behind.
    QTemporaryFile temp(out.absoluteDir().filePath(QStringLiteral(".varendo-course-XXXXXX.mdb")));
    if (!temp.open())
        throw VarendoError(QStringLiteral("无法在 %1 中创建临时文件").arg(out.absolutePath()));
    temp.close();
    QFile::remove(temp.fileName()); // the database engine creates it afresh
    const CleanUpOnSignal cleanUp(temp.fileName());
    {
        auto con = db::openLessonDatabase(temp.fileName(), programDir);
        con->exec(QStringLiteral("BEGIN"));
        for (const LessonSource& s : lessons) {
            con->exec(QStringLiteral("insert into book1 (课本号, 课程编号, 课程名, 课程内容, 生词短语, 参考译文, 备注, "
                                     "笔记, 视频文件名, 音频文件名, 课程状态, 时间刻度) "
                                     "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                      {s.book, s.lesson, s.title, encodeColumn(s.text), encodeColumn(s.words), s.translation,
                       QString(), QStringLiteral("无"), s.video, s.audio, QStringLiteral("未学习"),
                       encodeColumn(s.timing)});
        }
        con->exec(QStringLiteral("COMMIT"));
    }
    // One step: the old file stays until the new one takes its place.
    if (std::rename(QFile::encodeName(temp.fileName()).constData(), QFile::encodeName(outputFile).constData()) != 0)
        throw VarendoError(QStringLiteral("无法写入 %1：%2").arg(outputFile, QString::fromLocal8Bit(std::strerror(errno))));
    temp.setAutoRemove(false);
}

namespace {

db::ConnectionPtr openExisting(const QString& file)
{
    auto con = std::make_shared<db::Connection>();
    con->open(file, db::Connection::Mode::OpenExisting);
    if (!db::TableExists(*con, QStringLiteral("book1")))
        throw VarendoError(QStringLiteral("%1 中没有课程表 book1").arg(file));
    return con;
}

QString firstLine(const QString& text)
{
    return text.section(QLatin1Char('\n'), 0, 0).trimmed();
}

} // namespace

QStringList listDatabase(const QString& file)
{
    db::Query q(openExisting(file));
    q.SetSQL(QStringLiteral("select * from book1 order by ID"));
    q.Open();
    QStringList out;
    QString book;
    for (; !q.Eof(); q.Next()) {
        const QString b = q.FieldByName(QStringLiteral("课本号")).AsString();
        if (b != book) {
            book = b;
            out << QStringLiteral("第%1册").arg(book);
        }
        out << QStringLiteral("  %1\t%2\t[%3]\t视频: %4\t音频: %5")
                   .arg(q.FieldByName(QStringLiteral("课程编号")).AsString(),
                        firstLine(q.FieldByName(QStringLiteral("课程名")).AsString()),
                        q.FieldByName(QStringLiteral("课程状态")).AsString(),
                        q.FieldByName(QStringLiteral("视频文件名")).AsString(),
                        q.FieldByName(QStringLiteral("音频文件名")).AsString());
    }
    return out;
}

QStringList checkDatabase(const QString& file, const QString& mediaDir, int* rowsChecked)
{
    db::Query q(openExisting(file));
    q.SetSQL(QStringLiteral("select * from book1 order by ID"));
    q.Open();
    QStringList problems;
    int rows = 0;
    QMap<QString, int> rowsOfBook;
    const QDir media(mediaDir);
    for (; !q.Eof(); q.Next(), ++rows) {
        const QString book = q.FieldByName(QStringLiteral("课本号")).AsString();
        const QString lesson = q.FieldByName(QStringLiteral("课程编号")).AsString();
        const QString where = QStringLiteral("第%1册 第%2课").arg(book, lesson);
        // The program finds a lesson in its book's list by its number: book 1 numbers
        // its rows 1, 3, 5, …, the other books 1, 2, 3, ….
        const int position = rowsOfBook[book]++;
        const int expected = book == QLatin1String("1") ? 2 * position + 1 : position + 1;
        if (lesson.toInt() != expected)
            problems << QStringLiteral("%1：这一册的第 %2 行应编号为 %3，否则开始学习时会选错课程")
                            .arg(where)
                            .arg(position + 1)
                            .arg(expected);
        QString text, timing;
        auto decode = [&](const char* column, QString* into) {
            try {
                const QString plain = decodeColumn(q.FieldByName(QString::fromUtf8(column)).AsString());
                if (into)
                    *into = plain;
            } catch (const VarendoError& e) {
                problems << QStringLiteral("%1：%2 无法解码（%3）").arg(where, QString::fromUtf8(column), e.message());
            }
        };
        decode("课程内容", &text);
        decode("生词短语", nullptr);
        decode("时间刻度", &timing);
        if (!text.isEmpty()) {
            const QStringList lines = timing.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
            for (const QString& line : lines)
                if (!sentenceInText(line, text))
                    problems << QStringLiteral("%1：句子“%2”没有出现在课文中").arg(where, stripTags(line).trimmed());
        }
        const QString video = media.filePath(QStringLiteral("video/") + q.FieldByName(QStringLiteral("视频文件名")).AsString());
        const QString audio = media.filePath(QStringLiteral("mp3/%1/").arg(book)
                                             + q.FieldByName(QStringLiteral("音频文件名")).AsString());
        for (const QString& path : {video, audio})
            if (!QFileInfo(path).isFile())
                problems << QStringLiteral("%1：缺少媒体文件 %2").arg(where, path);
    }
    if (rows == 0)
        problems << QStringLiteral("数据库中没有任何课程");
    if (rowsChecked)
        *rowsChecked = rows;
    return problems;
}

} // namespace varendo::course
