#include "audio/audio_text.h"

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
