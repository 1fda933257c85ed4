#include "database/content_cipher.h"

#include "common/gbk_text.h"

#include <random>

namespace varendo {
namespace {

QByteArray keyInUse(const QByteArray& key)
{
    return key.isEmpty() ? QByteArray(kInnerKey) : key;
}

// Reads one or two hex digits; an empty run or any other character is a conversion error.
int hexNumber(const QByteArray& cipher, qsizetype from, qsizetype count)
{
    const QByteArray digits = cipher.mid(from, count);
    if (digits.isEmpty())
        throw CipherError(QStringLiteral("内容解码失败：密文不完整（位置 %1 处缺少数据）。").arg(from + 1));
    int value = 0;
    for (char c : digits) {
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else
            throw CipherError(QStringLiteral("内容解码失败：“%1”不是有效的十六进制数（位置 %2）。")
                                  .arg(QString::fromLatin1(digits))
                                  .arg(from + 1));
        value = value * 16 + d;
    }
    return value;
}

uint8_t randomSeed()
{
    static thread_local std::mt19937 engine{std::random_device{}()};
    return static_cast<uint8_t>(std::uniform_int_distribution<int>(0, 255)(engine));
}

} // namespace

QByteArray EncodeTextWithSeed(const QByteArray& plain, const QByteArray& key, uint8_t seed)
{
    const QByteArray k = keyInUse(key);
    QByteArray out;
    out.reserve(2 * (plain.size() + 1));
    out.append(QByteArray::number(seed, 16).rightJustified(2, '0').toUpper());
    int v = seed;
    qsizetype i = 0;
    for (char c : plain) {
        const int b = static_cast<uint8_t>(c);
        i = (i < k.size()) ? i + 1 : 1;
        v = ((v + b) % 255) ^ static_cast<uint8_t>(k[i - 1]);
        out.append(QByteArray::number(v, 16).rightJustified(2, '0').toUpper());
    }
    return out;
}

QByteArray EncodeText(const QByteArray& plain, const QByteArray& key)
{
    return EncodeTextWithSeed(plain, key, randomSeed());
}

QByteArray DecodeText(const QByteArray& cipher, const QByteArray& key)
{
    const QByteArray k = keyInUse(key);
    int p = hexNumber(cipher, 0, 2);
    QByteArray out;
    out.reserve(cipher.size() / 2);
    qsizetype pos = 2; // 0-based index of the next pair
    qsizetype i = 0;
    do {
        const int c = hexNumber(cipher, pos, 2);
        i = (i < k.size()) ? i + 1 : 1;
        const int x = c ^ static_cast<uint8_t>(k[i - 1]);
        const int b = (x > p) ? x - p : x - p + 255;
        out.append(static_cast<char>(b));
        p = c;
        pos += 2;
    } while (pos + 1 < cipher.size());
    return out;
}

QString encodeColumn(const QString& text)
{
    return QString::fromLatin1(EncodeText(toGbk(text), kColumnKey));
}

QString decodeColumn(const QString& cipher)
{
    return fromGbk(DecodeText(cipher.toLatin1(), kColumnKey));
}

} // namespace varendo
