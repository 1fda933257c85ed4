// PLS and M3U list files come from anywhere (downloaded radio lists, other players).
// Checks: a PLS file gives as many titles and lengths as files, no more than the most
// entries a list may add; an M3U file adds no more than that either; every entry is a
// URL or a path made absolute (on this system or, written on Windows, with its drive);
// an entry already resolved resolves to itself.
#include "audio/audio_text.h"
#include "audio/playlist.h"
#include "common/gbk_text.h"

#include "fuzz_support.h"

#include <QDir>

using namespace varendo;
using fuzz::require;

namespace {

bool isResolved(const QString& entry)
{
    if (audio_text::startsWithUrl(entry) || entry.startsWith(u'/'))
        return true;
    return entry.size() >= 3 && entry.at(1) == u':' && entry.at(2) == u'\\';
}

void checkEntries(const TPlaylist& list)
{
    require(list.Count() <= TPlaylist::MaxEntries, "no more entries than a list may add");
    for (const QString& file : list.Files)
        require(isResolved(file), "every entry is a URL or an absolute path");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input = fuzz::bytesOf(data, size);
    const QString folder = fuzz::scratchFolder();

    const QString pls = folder + QStringLiteral("/list.pls");
    fuzz::writeFile(pls, input);
    TPlaylist fromPls;
    require(fromPls.LoadPLS(pls, true), "a readable PLS file loads");
    require(fromPls.Titles.size() == fromPls.Files.size() && fromPls.Lengths.size() == fromPls.Files.size(),
            "a PLS file gives a title and a length for every file");
    checkEntries(fromPls);

    const QString m3u = folder + QStringLiteral("/list.m3u");
    fuzz::writeFile(m3u, input);
    TPlaylist fromM3u;
    require(fromM3u.LoadM3U(m3u, true), "a readable M3U file loads");
    checkEntries(fromM3u);
    for (const QString& file : fromM3u.Files)
        require(fromM3u.ResolvePath(file) == file, "a resolved entry resolves to itself");

    // The same lines resolved against a list written on Windows, named by the first line.
    const QStringList lines = fromUtf8OrGbk(input).split(u'\n');
    TPlaylist windows;
    windows.ListFile = QStringLiteral("D:\\lists\\") + lines.front();
    for (const QString& line : lines)
        require(isResolved(windows.ResolvePath(line)), "a Windows list's entries resolve too");
    return 0;
}
