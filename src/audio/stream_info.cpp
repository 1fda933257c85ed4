#include "audio/stream_info.h"

#include "common/gbk_text.h"

#include <QStringList>
#include <algorithm>

namespace varendo {

namespace {

constexpr std::size_t kHeaderScanLimit = 400;

QString decode(const std::string& bytes)
{
    return fromUtf8OrGbk(QByteArray(bytes.data(), qsizetype(bytes.size())));
}

QStringList headerLines(const std::optional<std::string>& block)
{
    QStringList lines;
    if (!block)
        return lines;
    const std::size_t end = std::min(block->size(), kHeaderScanLimit);
    std::string current;
    for (std::size_t i = 0; i < end; ++i) {
        const char c = (*block)[i];
        if (c == '\0') {
            lines << decode(current);
            current.clear();
        } else {
            current += c;
        }
    }
    // Text after the last NUL within the scanned bytes is an unfinished line: dropped.
    return lines;
}

int findLine(const QStringList& lines, const QString& key)
{
    for (int i = int(lines.size()) - 1; i >= 0; --i)
        if (lines[i].contains(key, Qt::CaseInsensitive))
            return i;
    return -1;
}

QString afterColon(const QString& line)
{
    const qsizetype colon = line.indexOf(u':');
    return colon < 0 ? line : line.mid(colon + 1);
}

QString betweenApostrophes(const QString& text)
{
    const qsizetype first = text.indexOf(u'\'');
    if (first < 0)
        return {};
    const qsizetype second = text.indexOf(u'\'', first + 1);
    if (second < 0)
        return {};
    return text.mid(first + 1, second - first - 1);
}

} // namespace

void readStreamInfo(const std::optional<std::string>& headerBlock,
                    const std::optional<std::string>& metadata, TStreamInfo& info)
{
    QStringList lines = headerLines(headerBlock);
    lines << (metadata ? decode(*metadata) : QString());

    auto assignFrom = [&](const char* key, QString& field) {
        const int at = findLine(lines, QLatin1String(key));
        if (at >= 0)
            field = afterColon(lines[at]);
    };
    assignFrom("icy-name", info.name);
    assignFrom("icy-genre", info.genre);
    assignFrom("icy-url", info.url);
    assignFrom("icy-br", info.bitRate);

    // Notices are numbered from 1; the first missing number ends them. The usual
    // "requires Winamp" notice says nothing about the stream and is left out.
    for (int n = 1;; ++n) {
        const int at = findLine(lines, QStringLiteral("icy-notice%1").arg(n));
        if (at < 0)
            break;
        if (!lines[at].contains(QLatin1String("Winamp"), Qt::CaseInsensitive))
            info.notices += afterColon(lines[at]) + u' ';
    }

    const int title = findLine(lines, QStringLiteral("StreamTitle"));
    if (title >= 0)
        info.streamTitle = betweenApostrophes(lines[title]);

    // The metadata line carries both values; start at "StreamUrl" so the URL's
    // apostrophes are the first two.
    const int url = findLine(lines, QStringLiteral("StreamUrl"));
    if (url >= 0) {
        const QString& line = lines[url];
        const qsizetype at = line.indexOf(QLatin1String("StreamUrl"));
        info.streamUrl = betweenApostrophes(at < 0 ? line : line.mid(at));
    }
}

} // namespace varendo
