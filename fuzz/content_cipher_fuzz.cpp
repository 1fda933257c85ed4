// The content cipher reads the scrambled columns of a lesson database, which may be
// damaged or made by hand. Checks: decoding any text either throws CipherError or gives
// one byte per whole hex pair after the seed; plain bytes the cipher carries (1 to 254: 0 and
// 255 meet in the same residue) come back unchanged from encoding with any seed and key;
// a column whose text fits GBK comes back unchanged.
#include "database/content_cipher.h"

#include "common/gbk_text.h"
#include "fuzz_support.h"

#include <algorithm>

using namespace varendo;
using fuzz::require;

namespace {

void decodeAnything(const QByteArray& cipher, const QByteArray& key)
{
    try {
        const QByteArray plain = DecodeText(cipher, key);
        require(cipher.size() >= 3, "only a seed and at least one digit decode");
        // A lone last digit counts only right after the seed; elsewhere it is passed over.
        require(plain.size() == std::max<qsizetype>(1, (cipher.size() - 2) / 2), "one plain byte per pair after the seed");
    } catch (const CipherError&) {
    }
}

void roundTrip(const QByteArray& input, const QByteArray& key)
{
    QByteArray plain = input;
    plain.removeIf([](char c) { return c == '\0' || c == '\xFF'; });
    if (plain.isEmpty())
        return;
    const uint8_t seed = uint8_t(input.front());
    const QByteArray cipher = EncodeTextWithSeed(plain, key, seed);
    require(cipher.size() == 2 * (plain.size() + 1), "two hex digits per byte and the seed");
    require(std::all_of(cipher.begin(), cipher.end(),
                        [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }),
            "cipher text is upper-case hex");
    require(DecodeText(cipher, key) == plain, "decode(encode(bytes)) gives the bytes");
    require(DecodeText(cipher.toLower(), key) == plain, "lower-case cipher text decodes the same");
}

void columnRoundTrip(const QByteArray& input)
{
    const QString text = QString::fromUtf8(input);
    if (text.isEmpty() || text.contains(QChar(0)) || !fitsGbk(text))
        return;
    require(decodeColumn(encodeColumn(text)) == text, "a column that fits GBK comes back");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input = fuzz::bytesOf(data, size);
    // The column key, or a key of the input's own in its first line (an empty one
    // stands for the inner key) when it has a second line. One key an input: under the
    // address sanitizer every exception thrown costs dearly.
    const qsizetype newline = input.indexOf('\n');
    const QByteArray key = newline < 0 ? QByteArray(kColumnKey) : input.left(newline);
    const QByteArray rest = newline < 0 ? input : input.mid(newline + 1);

    decodeAnything(rest, key);
    roundTrip(rest, key);
    columnRoundTrip(rest);
    return 0;
}
