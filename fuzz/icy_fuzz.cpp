// An internet radio server chooses its header lines and metadata freely.
// The input is the header block (NUL-ended "name:value" lines), then a line "--meta--",
// then the metadata text; either part may be missing. Checks: the stream title and URL
// hold no apostrophe (they are what lies between two); a field whose key occurs nowhere
// keeps its old value; notices, when any, end in a blank.
#include "audio/stream_info.h"

#include "common/gbk_text.h"
#include "fuzz_support.h"

#include <optional>
#include <string>

using namespace varendo;
using fuzz::require;

namespace {

const QString kUntouched = QStringLiteral("untouched");

std::optional<std::string> part(const QList<QByteArray>& parts, int i)
{
    if (i >= parts.size() || parts[i] == "-")
        return std::nullopt; // "-" stands for a stream that did not send this part
    return parts[i].toStdString();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input = fuzz::bytesOf(data, size);
    const QList<QByteArray> parts = fuzz::splitInput(input, "\n--meta--\n");
    const std::optional<std::string> header = part(parts, 0);
    const std::optional<std::string> metadata = part(parts, 1);

    TStreamInfo info{kUntouched, kUntouched, kUntouched, kUntouched, kUntouched, kUntouched, QString()};
    readStreamInfo(header, metadata, info);

    require(!info.streamTitle.contains(u'\'') || info.streamTitle == kUntouched, "a title holds no apostrophe");
    require(!info.streamUrl.contains(u'\'') || info.streamUrl == kUntouched, "a URL holds no apostrophe");
    require(info.notices.isEmpty() || info.notices.endsWith(u' '), "each notice is followed by a blank");

    // Every reading the key could be found in: case-insensitive matching lets a few
    // non-ASCII letters ("ſ", the Kelvin sign) stand for ASCII ones.
    const QString whole = QString::fromLatin1(input) + u'\n' + QString::fromUtf8(input) + u'\n' + fromGbk(input);
    auto keeps = [&](const char* key, const QString& field) {
        if (!whole.contains(QLatin1String(key), Qt::CaseInsensitive))
            require(field == kUntouched, key);
    };
    keeps("icy-name", info.name);
    keeps("icy-genre", info.genre);
    keeps("icy-url", info.url);
    keeps("icy-br", info.bitRate);
    keeps("StreamTitle", info.streamTitle);
    keeps("StreamUrl", info.streamUrl);
    if (!whole.contains(QLatin1String("icy-notice1"), Qt::CaseInsensitive))
        require(info.notices.isEmpty(), "no notice without icy-notice1");
    return 0;
}
