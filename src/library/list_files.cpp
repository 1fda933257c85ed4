#include "library/list_files.h"

#include "common/gbk_text.h"
#include "common/whole_file.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>

namespace varendo::library {

namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

// The text of a list file's bytes: UTF-8 after a byte order mark, else GBK.
// Bytes without a mark that are no GBK at all but valid UTF-8 come from copies
// of this program that wrote UTF-8 without the mark; they are read as UTF-8.
QString listText(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    if (bytes.startsWith(kByteOrderMark))
        return utf8.decode(QByteArrayView(bytes).sliced(3));
    QString gbk = fromGbk(bytes);
    if (!gbk.contains(QChar(QChar::ReplacementCharacter)))
        return gbk;
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? gbk : text;
}

} // namespace

QStringList decodeListLines(const QByteArray& bytes)
{
    const QString text = listText(bytes);
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        lines.append(text.mid(start, i - start));
        if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.append(text.mid(start));
    return lines;
}

QByteArray encodeListLines(const QStringList& lines)
{
    QString text;
    for (const QString& line : lines)
        text += line + QLatin1String("\r\n");
    // GBK, as other copies store the lists, whenever it holds the names and reads
    // back as them (a GBK text cannot start like a byte order mark); else UTF-8
    // behind the mark that tells it.
    if (std::all_of(lines.begin(), lines.end(), [](const QString& l) { return fitsGbk(l); })) {
        QByteArray gbk = toGbk(text);
        if (listText(gbk) == text)
            return gbk;
    }
    return kByteOrderMark + text.toUtf8();
}

bool readListFile(const QString& path, QStringList* lines, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("无法打开列表文件 %1：%2").arg(path, file.errorString());
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = QStringLiteral("无法读取列表文件 %1：%2").arg(path, file.errorString());
        return false;
    }
    *lines = decodeListLines(bytes);
    return true;
}

bool writeListFile(const QString& path, const QStringList& lines, QString* error)
{
    auto fail = [&](const QString& reason) {
        if (error)
            *error = QStringLiteral("无法保存列表文件 %1：%2").arg(path, reason);
        return false;
    };
    // A line break inside a line would split it into two entries on reading.
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (lines[i].contains(QLatin1Char('\r')) || lines[i].contains(QLatin1Char('\n')))
            return fail(QStringLiteral("第 %1 行含有换行符").arg(i + 1));
    QString reason;
    if (!writeFileWhole(path, encodeListLines(lines), &reason))
        return fail(reason);
    return true;
}

QString playListLine(const PlayListEntry& entry)
{
    auto image = [](const std::optional<int>& value) {
        if (!value || *value < 0 || *value > 999)
            return QStringLiteral("---");
        return QStringLiteral("%1").arg(*value, 3, 10, QLatin1Char('0'));
    };
    // One digit keeps the prefix at its fixed width; other states have no meaning.
    const int state = entry.checkState >= 0 && entry.checkState <= 9 ? entry.checkState : 0;
    return QStringLiteral("@%1 %2 %3 %4 ")
               .arg(entry.enabled ? 1 : 0)
               .arg(state)
               .arg(image(entry.image), image(entry.disabledImage))
        + entry.text;
}

PlayListEntry parsePlayListLine(const QString& line)
{
    PlayListEntry entry;
    const QChar form = line.isEmpty() ? QChar() : line[0];
    if (form != QLatin1Char('@') && form != QLatin1Char('&')) {
        entry.text = line;
        return entry;
    }
    // Positions from 0; a character past the end of a short line counts as absent.
    auto at = [&line](qsizetype i) { return i < line.size() ? line[i] : QChar(); };
    entry.enabled = at(1) == QLatin1Char('1');
    const QChar state = at(3);
    entry.checkState = state >= QLatin1Char('0') && state <= QLatin1Char('9') ? state.unicode() - '0' : 0;
    if (form == QLatin1Char('&')) {
        entry.text = line.mid(5);
        return entry;
    }
    auto image = [&line](qsizetype from) -> std::optional<int> {
        bool ok = false;
        const int value = line.mid(from, 3).toInt(&ok);
        return ok ? std::optional(value) : std::nullopt;
    };
    entry.image = image(5);
    entry.disabledImage = image(9);
    entry.text = line.mid(13);
    return entry;
}

QList<PlayListEntry> parsePlayList(const QStringList& lines)
{
    QList<PlayListEntry> entries;
    for (const QString& line : lines)
        if (!line.isEmpty())
            entries.append(parsePlayListLine(line));
    return entries;
}

} // namespace varendo::library
