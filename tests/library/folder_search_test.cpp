#include "library/folder_search.h"
#include "tree_dump.h"

#include "file_bytes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <set>

using namespace varendo;
using namespace varendo::library;

namespace {

// Empty files and the folders that hold them, below root.
void lay(const QString& root, const QStringList& files)
{
    for (const QString& file : files) {
        const QString path = root + "/" + file;
        ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
        ASSERT_TRUE(test::writeAll(path, {}));
    }
}

std::vector<std::vector<TreeChange>> batchesOf(const QString& path, SearchMode mode, const SearchOptions& options,
                                               bool stopAfterFirst, bool* finished)
{
    std::atomic<bool> stop{false};
    std::vector<std::vector<TreeChange>> batches;
    *finished = searchFolder(
        path, mode,
        [&](std::vector<TreeChange>&& batch) {
            batches.push_back(std::move(batch));
            stop = stopAfterFirst;
        },
        stop, options);
    return batches;
}

} // namespace

TEST(LibrarySearch, GroupsThenSubFoldersAndEmptyFoldersPruned)
{
    QTemporaryDir dir;
    lay(dir.path(), {"m/a.mp3", "m/b.MP3", "m/c.avi", "m/notes.txt", "m/y/d.wmv", "m/x/readme.txt"});
    // The picked folder named with a trailing "/." stands as its clean absolute path.
    const MediaTree tree = searchIntoTree(dir.path() + "/m/.");
    EXPECT_EQ(test::dumpTree(tree, true), QStringList({"folder " + dir.path() + "/m", "  group *.mp3",
                                                       "    file a.mp3", "    file b.MP3", "  group *.avi",
                                                       "    file c.avi", "  folder y", "    group *.wmv",
                                                       "      file d.wmv"}));
}

TEST(LibrarySearch, WhatIsDescendedIntoAndWhatIsListed)
{
    QTemporaryDir dir;
    const QString m = dir.path() + "/m";
    lay(m, {"p/q/r/e.rm", "clips.avi/f.asf", ".h/g.RMVB", "y/d.wmv", "u/v/w.txt"});
    ASSERT_TRUE(QFile::link(m + "/y", m + "/link"));
    ASSERT_TRUE(QFile::link(m + "/y", m + "/seen.mp3"));
    ASSERT_TRUE(QFile::link(m + "/y/d.wmv", m + "/z.wmv"));
    // Names the file system holds as bytes that are not UTF-8, and a name no list line can hold.
    const QByteArray oddName = QFile::encodeName(m) + "/\xff\xfe.mp3";
    ASSERT_TRUE(test::writeAll(QFile::decodeName(oddName), {}));
    ASSERT_TRUE(test::writeAll(m + "/two\nlines.mp3", {}));

    // Listed: entries of any type by name, a link to a folder too. Entered: real folders, hidden ones too.
    EXPECT_EQ(test::dumpTree(searchIntoTree(m), true),
              QStringList({"folder " + m,
                           "  group *.mp3", "    file seen.mp3", "    file " + QFile::decodeName("\xff\xfe.mp3"),
                           "  group *.wmv", "    file z.wmv",
                           "  group *.avi", "    file clips.avi",
                           "  folder .h", "    group *.rmvb", "      file g.RMVB",
                           "  folder clips.avi", "    group *.asf", "      file f.asf",
                           "  folder p", "    folder q", "      folder r", "        group *.rm", "          file e.rm",
                           "  folder y", "    group *.wmv", "      file d.wmv"}));

    // A folder that cannot be read yields only the added folder itself, then nothing.
    EXPECT_TRUE(searchIntoTree(m + "/absent").empty());
}

TEST(LibrarySearch, BatchesParentsFirstAndResearchMatchesAdding)
{
    QTemporaryDir dir;
    lay(dir.path(), {"a.mp3", "b.avi", "s/c.mp3", "s/t/d.mp3", "s/t/e.rm", "u/f.wmv", "u/g.wmv", "w/h.asf", "w/i.asf"});
    SearchOptions options;
    options.batchSize = 4;
    options.batchDelay = std::chrono::hours(1);
    bool finished = false;
    const auto added = batchesOf(dir.path(), SearchMode::AddFolder, options, false, &finished);
    EXPECT_TRUE(finished);
    std::vector<TreeChange> all;
    std::vector<std::size_t> sizes;
    for (const auto& batch : added) {
        sizes.push_back(batch.size());
        all.insert(all.end(), batch.begin(), batch.end());
    }
    // The folder, 4 sub-folders, 7 groups and 9 files.
    EXPECT_EQ(sizes, (std::vector<std::size_t>{4, 4, 4, 4, 4, 1}));
    ASSERT_EQ(all.size(), 21u);
    EXPECT_EQ(all[0].text, dir.path());
    // Numbered in order, in pre-order (each change under a node still open), and
    // under each folder its groups before its sub-folders.
    std::vector<int> open;
    std::set<int> hasSubFolder;
    for (std::size_t i = 0; i < all.size(); ++i) {
        const TreeChange& c = all[i];
        EXPECT_EQ(c.id, int(i) + 1);
        while (!open.empty() && open.back() != c.parent)
            open.pop_back();
        EXPECT_TRUE(c.parent == 0 ? i == 0 : !open.empty()) << c.text.toStdString();
        if (c.kind == NodeKind::Folder) {
            hasSubFolder.insert(c.parent);
        } else if (c.kind == NodeKind::MaskGroup) {
            EXPECT_FALSE(hasSubFolder.contains(c.parent)) << c.text.toStdString();
        }
        open.push_back(c.id);
    }

    // Searching again gives the same changes without the folder's own node.
    options.batchSize = 1000;
    const auto again = batchesOf(dir.path(), SearchMode::Research, options, false, &finished);
    ASSERT_EQ(again.size(), 1u);
    ASSERT_EQ(again[0].size(), all.size() - 1);
    for (std::size_t i = 0; i < again[0].size(); ++i) {
        const TreeChange& a = all[i + 1];
        const TreeChange& r = again[0][i];
        EXPECT_EQ(std::tuple(r.id, r.parent, r.text, r.kind), std::tuple(a.id - 1, a.parent - 1, a.text, a.kind));
    }
}

TEST(LibrarySearch, StopEndsTheWalkAndNothingMoreIsDelivered)
{
    SearchOptions options;
    options.batchSize = 1;
    bool finished = true;
    // The whole file system would take long; stopped after the first batch, it does not.
    const auto batches = batchesOf("/", SearchMode::AddFolder, options, true, &finished);
    EXPECT_FALSE(finished);
    ASSERT_EQ(batches.size(), 1u);
    ASSERT_EQ(batches[0].size(), 1u);
    EXPECT_EQ(std::tuple(batches[0][0].id, batches[0][0].parent, batches[0][0].text), std::tuple(1, 0, QString("/")));

    std::atomic<bool> stopped{true};
    EXPECT_FALSE(searchFolder("/", SearchMode::AddFolder, [](auto&&) { FAIL() << "delivered after stop"; }, stopped));
}
