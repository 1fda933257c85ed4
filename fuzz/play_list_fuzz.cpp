// A play list file (".lst") is read back from disk, possibly written by another copy of
// the program or edited by hand. Checks: every non-empty line is an entry; an entry
// written and read again is the same, and a saved list's file reads back as the same list.
#include "library/list_files.h"

#include "fuzz_support.h"

using namespace varendo::library;
using varendo::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QStringList lines = decodeListLines(varendo::fuzz::bytesOf(data, size));
    const QList<PlayListEntry> read = parsePlayList(lines);
    require(read.size() == lines.size() - lines.count(QString()), "one entry per non-empty line");

    // What the window saves: each entry in its full form. Values the form cannot hold
    // (an image number out of range) are settled by the first save.
    QStringList savedLines;
    QList<PlayListEntry> settled;
    for (const PlayListEntry& entry : read) {
        savedLines << playListLine(entry);
        settled << parsePlayListLine(savedLines.back());
        require(parsePlayListLine(playListLine(settled.back())) == settled.back(),
                "an entry written and read again is the same");
    }
    require(parsePlayList(decodeListLines(encodeListLines(savedLines))) == settled,
            "a saved list's file reads back as the same list");
    return 0;
}
