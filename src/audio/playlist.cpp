#include "audio/playlist.h"

#include "audio/audio_text.h"
#include "common/gbk_text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringView>
#include <algorithm>
#include <optional>

namespace varendo {

namespace {

const QString kNoLength = QStringLiteral("0");

std::optional<QString> readText(const QString& name)
{
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return fromUtf8OrGbk(bytes);
}

// Hands each line to take, split at CR LF, LF or CR; a final line break does not start
// another line. Stops at the first line take refuses. Lines are handed over one at a time,
// so a file of millions of short lines never becomes millions of strings at once.
template <typename Take>
void forEachLine(QStringView text, Take take)
{
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n')
            continue;
        if (!take(text.sliced(start, i - start).toString()))
            return;
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        take(text.sliced(start).toString());
}

// The keys of the first "[playlist]" section, lower-cased; the first of a repeated key counts.
QHash<QString, QString> playlistSection(const QString& text)
{
    QHash<QString, QString> keys;
    enum { Before, Inside, After } where = Before;
    forEachLine(text, [&](const QString& raw) {
        const QString line = audio_text::trimmed(raw);
        if (line.startsWith(u'[')) {
            if (where == Inside)
                where = After;
            else if (where == Before && line.endsWith(u']')
                     && line.mid(1, line.size() - 2).trimmed().compare(QLatin1String("playlist"), Qt::CaseInsensitive) == 0)
                where = Inside;
            return where != After;
        }
        if (where != Inside || line.startsWith(u';'))
            return true;
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0)
            return true;
        const QString key = audio_text::trimmed(line.left(eq)).toLower();
        QString value = audio_text::trimmed(line.mid(eq + 1));
        if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
            value = value.mid(1, value.size() - 2);
        if (!keys.contains(key))
            keys.insert(key, value);
        return true;
    });
    return keys;
}

bool isWindowsPath(const QString& path)
{
    return path.size() >= 2 && path.at(1) == u':' && path.at(0).isLetter();
}

} // namespace

void TPlaylist::begin(const QString& name, bool clear)
{
    ListFile = name;
    if (clear) {
        Files.clear();
        Titles.clear();
        Lengths.clear();
    }
}

bool TPlaylist::LoadPLS(const QString& name, bool clear)
{
    begin(name, clear);
    if (!QFileInfo::exists(name))
        return true;
    const std::optional<QString> text = readText(name);
    if (!text)
        return false;
    const QHash<QString, QString> keys = playlistSection(*text);

    bool isNumber = false;
    int count = keys.value(QStringLiteral("numberofentries")).toInt(&isNumber);
    if (!isNumber)
        count = 0;
    count = std::min(count, MaxEntries);
    for (int n = 1; n <= count; ++n) {
        const QString file = keys.value(QStringLiteral("file%1").arg(n));
        Files << ResolvePath(file);
        const QString titleKey = QStringLiteral("title%1").arg(n);
        Titles << (keys.contains(titleKey) ? keys.value(titleKey) : audio_text::fileTitle(file));
        Lengths << keys.value(QStringLiteral("length%1").arg(n), kNoLength);
    }
    return true;
}

bool TPlaylist::LoadM3U(const QString& name, bool clear)
{
    begin(name, clear);
    const std::optional<QString> text = readText(name);
    if (!text)
        return false;
    int entries = 0;
    forEachLine(*text, [&](const QString& line) {
        const QString test = audio_text::trimmed(line).toUpper();
        if (test.isEmpty())
            return true; // a blank line names nothing
        if (!test.startsWith(u'#')) {
            Files << ResolvePath(line);
            ++entries;
        } else if (test.startsWith(QLatin1String("#EXTINF:"))) {
            const qsizetype comma = line.indexOf(u',');
            Titles << (comma < 0 ? line : line.mid(comma + 1));
        }
        Lengths << kNoLength;
        return entries < MaxEntries;
    });
    return true;
}

void TPlaylist::Add(const QString& path, const QString& title)
{
    Files << path;
    Titles << title;
    Lengths << kNoLength;
}

QString TPlaylist::ResolvePath(const QString& entry) const
{
    const QString e = audio_text::trimmed(entry);
    if (audio_text::startsWithUrl(e))
        return e;

    // A list written on Windows ("D:\lists\a.pls") keeps Windows rules throughout; any
    // other list resolves against its own folder, or the working folder when named alone.
    const bool windowsList = isWindowsPath(ListFile);
    QString base;
    if (windowsList) {
        const qsizetype cut = std::max(ListFile.lastIndexOf(u'\\'), ListFile.lastIndexOf(u'/'));
        base = cut < 0 ? ListFile.left(2) : ListFile.left(cut);
        base += u'\\';
    } else {
        base = ListFile.isEmpty() ? QDir::currentPath() : QFileInfo(ListFile).absolutePath();
        if (!base.endsWith(u'/'))
            base += u'/';
    }

    if (e.startsWith(u'/'))
        return e;
    if (e.startsWith(u'\\') && !e.startsWith(QLatin1String("\\\\"))) {
        if (windowsList)
            return base.left(2) + e;
        return QString(e).replace(u'\\', u'/'); // the root of this file system
    }
    if (e.mid(1, 2) == QLatin1String(":\\"))
        return e;
    return base + (windowsList ? e : QString(e).replace(u'\\', u'/'));
}

} // namespace varendo
