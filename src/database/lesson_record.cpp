#include "database/lesson_record.h"


namespace varendo::db {
namespace {

// Bytes that hold at least limit characters: UTF-8 takes at most four a character.
qint64 textLimit(int limit)
{
    return 4 * qint64(limit);
}

// Hexadecimal characters that unscramble to at least limit characters: a seed
// pair, then a pair per byte, and a GBK character takes at most two bytes.
qint64 cipherLimit(int limit)
{
    return 2 * (2 * qint64(limit) + 1);
}

// The beginning of a stored text: only its first bytes are read, so a huge text
// never reaches the program whole. A character cut at the end is left out.
StoredText storedStart(const Connection& connection, const char* column, qint64 rowId, qint64 maxBytes)
{
    qint64 total = 0;
    QByteArray bytes =
        connection.readValueStart(QStringLiteral("book1"), QString::fromUtf8(column), rowId, maxBytes, total);
    const bool cut = total > bytes.size();
    if (cut && !bytes.isEmpty()) {
        qsizetype lead = bytes.size() - 1;
        while (lead > 0 && bytes.size() - lead < 4 && (uchar(bytes[lead]) & 0xC0) == 0x80)
            --lead;
        const uchar c = uchar(bytes[lead]);
        const qsizetype length = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
        if (lead + length > bytes.size())
            bytes.truncate(lead);
    }
    return {QString::fromUtf8(bytes), cut};
}

} // namespace

std::optional<LessonRecord> readLesson(const ConnectionPtr& connection, const QString& book, const QString& lesson,
                                       int limit)
{
    // Reading a column stored after a long text walks that text's chain of pages.
    // Mapped, the walk costs no read calls and is not repeated for the next column;
    // only while this row is read, so that scans of the whole table (the start
    // lesson's state) do not keep the file's pages in the program's memory.
    struct Mapped {
        Connection& c;
        explicit Mapped(Connection& connection) : c(connection) { c.exec(QStringLiteral("PRAGMA mmap_size = 268435456")); }
        ~Mapped()
        {
            try {
                c.exec(QStringLiteral("PRAGMA mmap_size = 0"));
            } catch (const DatabaseError&) {
            }
        }
    } mapped(*connection);
    Query q(connection);
    q.SetSQL(QStringLiteral("select rowid as row_id, ID, 课本号, 课程编号, 备注, 时间刻度, 视频文件名, 音频文件名 "
                            "from book1 where 课本号=? and 课程编号=? order by ID limit 1"),
             {book, lesson});
    q.Open();
    if (q.Eof())
        return std::nullopt;
    LessonRecord r;
    r.id = q.FieldByName(QStringLiteral("ID")).AsInteger();
    r.book = q.FieldByName(QStringLiteral("课本号")).AsString();
    r.number = q.FieldByName(QStringLiteral("课程编号")).AsString();
    r.notes = q.FieldByName(QStringLiteral("备注")).AsString();
    r.timing = q.FieldByName(QStringLiteral("时间刻度")).AsString();
    r.video = q.FieldByName(QStringLiteral("视频文件名")).AsString();
    r.audio = q.FieldByName(QStringLiteral("音频文件名")).AsString();
    // The row as SQLite keeps it, which a course file made elsewhere need not number by ID.
    const qint64 rowId = q.FieldByName(QStringLiteral("row_id")).AsInteger();
    r.title = storedStart(*connection, "课程名", rowId, textLimit(limit));
    r.text = storedStart(*connection, "课程内容", rowId, cipherLimit(limit));
    r.words = storedStart(*connection, "生词短语", rowId, cipherLimit(limit));
    r.translation = storedStart(*connection, "参考译文", rowId, textLimit(limit));
    return r;
}

QString paneText(const QString& text, bool cut, int limit)
{
    if (!cut && text.size() <= limit)
        return text;
    QString shown = text.left(limit);
    // Whole lines only, unless one line alone is longer than the pane takes.
    const qsizetype end = shown.lastIndexOf(QLatin1Char('\n'));
    if (end > 0)
        shown.truncate(end + 1);
    const qsizetype count = shown.size();
    if (!shown.endsWith(QLatin1Char('\n')))
        shown += QLatin1Char('\n');
    return shown + QStringLiteral("……（内容太长，这里只显示开头的 %1 个字，其余部分没有显示。）\n").arg(count);
}

} // namespace varendo::db
