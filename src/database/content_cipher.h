#pragma once
// The reversible scrambling of the lesson text, new words and timing columns.
// A stored-data format: text scrambled here must unscramble byte for byte anywhere else.
//
// Cipher text is hexadecimal: a seed pair, then one pair per plain byte, each
// v = ((v + b) mod 255) XOR key[i], where v starts at the seed and carries over.
#include "common/varendo_error.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace varendo {

// Key of the three scrambled lesson columns.
inline constexpr char kColumnKey[] = "Rom_Ka572";
// Used in place of an empty key.
inline constexpr char kInnerKey[] = "Brisk   Ocean";

class CipherError : public VarendoError {
public:
    using VarendoError::VarendoError;
};

// Scrambles plain bytes with a random seed. Upper-case hex, 2 × (n + 1) characters.
QByteArray EncodeText(const QByteArray& plain, const QByteArray& key);
// The same with a given seed (0..255), for reproducible output.
QByteArray EncodeTextWithSeed(const QByteArray& plain, const QByteArray& key, uint8_t seed);

// Restores the plain bytes. Accepts lower-case digits. Throws CipherError when the
// text is shorter than a seed and one pair, or holds a pair that is not hexadecimal.
QByteArray DecodeText(const QByteArray& cipher, const QByteArray& key);

// Column helpers: Unicode text <-> GBK bytes scrambled with the column key.
QString encodeColumn(const QString& text);
QString decodeColumn(const QString& cipher);

} // namespace varendo
