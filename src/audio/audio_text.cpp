#include "audio/audio_text.h"

#include "common/gbk_text.h"

#include <QStringDecoder>

namespace varendo::audio_text {

namespace {
const char* const kUrlSchemes[] = {"http://", "https://", "ftp://"};

QString lastComponent(const QString& path)
{
    return path.mid(std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\')) + 1);
}
} // namespace

bool startsWithUrl(const QString& name)
{
    for (const char* scheme : kUrlSchemes)
        if (name.startsWith(QLatin1String(scheme), Qt::CaseInsensitive))
            return true;
    return false;
}

bool containsUrl(const QString& name)
{
    for (const char* scheme : kUrlSchemes)
        if (name.contains(QLatin1String(scheme), Qt::CaseInsensitive))
            return true;
    return false;
}

QString fileExtension(const QString& path)
{
    const QString name = lastComponent(path);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.mid(dot);
}

QString fileTitle(const QString& path)
{
    return lastComponent(path).chopped(fileExtension(path).size());
}

QString decodeText(const QByteArray& bytes)
{
    static const QByteArray bom("\xEF\xBB\xBF");
    if (bytes.startsWith(bom))
        return QString::fromUtf8(bytes.mid(bom.size()));
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return fromGbk(bytes);
}

QString trimmed(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= u' ')
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= u' ')
        --end;
    return text.mid(begin, end - begin);
}

} // namespace varendo::audio_text
