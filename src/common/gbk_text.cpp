#include "common/gbk_text.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace varendo {

QByteArray toGbk(const QString& text)
{
    QStringEncoder encoder("GBK");
    return encoder.encode(text);
}

namespace {

// A GBK lead byte: it and the byte after it make one character.
bool isLeadByte(char c)
{
    const auto b = static_cast<unsigned char>(c);
    return b >= 0x81 && b <= 0xFE;
}

// The bytes end with a lead byte whose second byte is missing (a text cut short).
// A lead byte followed by a byte that cannot end a character still pairs with it here:
// that byte is a single-byte character, so both readings meet again after it.
bool endsInsideCharacter(QByteArrayView bytes)
{
    qsizetype at = 0;
    while (at < bytes.size())
        at += isLeadByte(bytes[at]) ? 2 : 1;
    return at > bytes.size();
}

} // namespace

QString fromGbk(const QByteArray& bytes)
{
    // The decoder reads the bytes as a whole text, not as part of a stream. It would drop
    // a lead byte left over at the end without a trace, so that byte is shown here.
    QStringDecoder decoder("GBK", QStringConverter::Flag::Stateless);
    if (!endsInsideCharacter(bytes))
        return decoder.decode(bytes);
    return decoder.decode(QByteArrayView(bytes).chopped(1)) + QChar(QChar::ReplacementCharacter);
}

QString fromUtf8OrGbk(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(bytes);
    return utf8.hasError() ? fromGbk(bytes) : text;
}

bool fitsGbk(const QString& text)
{
    QStringEncoder encoder("GBK", QStringConverter::Flag::Stateless);
    QByteArray bytes = encoder.encode(text);
    if (encoder.hasError())
        return false;
    return fromGbk(bytes) == text;
}

} // namespace varendo
