#include "common/gbk_text.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace varendo {

QByteArray toGbk(const QString& text)
{
    QStringEncoder encoder("GBK");
    return encoder.encode(text);
}

QString fromGbk(const QByteArray& bytes)
{
    QStringDecoder decoder("GBK");
    return decoder.decode(bytes);
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
