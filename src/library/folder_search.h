#pragma once
// Searches a folder and everything below it for media files, producing the
// tree changes that show it: under each folder one group per mask that
// matched (in the masks' order, each with its matching entries in name
// order), then its sub-folders in name order, each complete before the next
// is entered. Names are in natural order ("2" before "10", letter case
// aside). One directory listing per folder.
//
// Descended into: real directories, hidden ones included; not symbolic links
// and not mount points of other file systems. A folder that cannot be read
// yields nothing. Masks match the final extension without regard to case.
#include "library/media_tree.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <functional>
#include <vector>

namespace varendo::library {

// Receives the changes in walk order, a batch at a time, on the search's thread.
using ChangeSink = std::function<void(std::vector<TreeChange>&& batch)>;

struct SearchOptions {
    QStringList masks = defaultMediaMasks();
    // A batch is handed over when it holds this many changes or has waited
    // this long, whichever comes first, and at the end.
    std::size_t batchSize = 512;
    std::chrono::milliseconds batchDelay{40};
};

enum class SearchMode {
    AddFolder, // the folder itself becomes a new top-level node (id 1, parent 0)
    Research,  // the folder's groups and sub-folders go under the anchor
};

// Walks path; stop is looked at between two steps of the walk. Returns false
// when stopped (the changes handed over so far stand).
bool searchFolder(const QString& path, SearchMode mode, const ChangeSink& sink, const std::atomic<bool>& stop,
                  const SearchOptions& options = {});

// The same walk into a plain tree, pruned, as the window would hold it after
// adding path (the command-line tool's "search").
MediaTree searchIntoTree(const QString& path, const SearchOptions& options = {});

} // namespace varendo::library
