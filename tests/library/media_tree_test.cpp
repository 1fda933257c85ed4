#include "library/list_files.h"
#include "library/media_tree.h"
#include "tree_dump.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace varendo::library;
using varendo::test::dumpTree;

namespace {

const QStringList kMasks = defaultMediaMasks();

MediaTree load(const QStringList& lines, QString* error = nullptr)
{
    QString ignored;
    return MediaTree::fromMdlLines(lines, kMasks, error ? error : &ignored);
}

} // namespace

TEST(LibraryTree, PathsLeaveOutGroupsNamedExactlyLikeAMask)
{
    EXPECT_EQ(nodePath({"/", "x"}, kMasks), "/x");
    EXPECT_EQ(nodePath({"/music", "*.mp3", "a.mp3"}, kMasks), "/music/a.mp3");
    EXPECT_EQ(nodePath({"/music", "*.MP3", "a.mp3"}, kMasks), "/music/*.MP3/a.mp3");
    EXPECT_EQ(nodePath({"/m", "y", "*.wmv"}, kMasks), "/m/y/*.wmv"); // its own text is never left out
}

TEST(LibraryTree, PruneRemovesEveryFolderLeadingToNoMedia)
{
    MediaTree tree = load({"/m", "\t*.mp3", "\t\ta.mp3", "\tx", "\ta", "\t\tb", "\t\t\tc", "\t\t\t\t*.rm",
                           "\t\t\t\t\te.rm", "\tp", "\t\tq", "\t\t\tr", "/empty", "/gone", "\tgone too",
                           "\t*.MP3", "\t\tz.mp3"}); // letter case counts: a folder and a folder
    tree.prune();
    EXPECT_EQ(dumpTree(tree), QStringList({"folder /m", "  group *.mp3", "    file a.mp3", "  folder a", "    folder b",
                                           "      folder c", "        group *.rm", "          file e.rm"}));
}

TEST(LibraryTree, SavedAndLoadedTreeKeepsTextsNestingOrderAndKinds)
{
    MediaTree tree;
    auto* root = tree.add(nullptr, "/", NodeKind::Folder);
    auto* group = tree.add(root, "*.mp3", NodeKind::MaskGroup);
    tree.add(group, "b.mp3", NodeKind::MediaFile);
    tree.add(group, "*.mp3", NodeKind::MediaFile);
    auto* book = tree.add(tree.add(root, "第一册", NodeKind::Folder), "课文", NodeKind::Folder);
    tree.add(tree.add(book, "*.avi", NodeKind::MaskGroup), "clips.avi", NodeKind::MediaFile);
    tree.add(book, "clips.avi", NodeKind::Folder);
    tree.add(nullptr, "空媒体目录", NodeKind::Folder);
    const QStringList expected = dumpTree(tree);

    QTemporaryDir dir;
    const QString file = dir.filePath("media.mdl");
    QString error;
    ASSERT_TRUE(writeListFile(file, tree.mdlLines(), &error)) << error.toStdString();
    QStringList lines;
    ASSERT_TRUE(readListFile(file, &lines, &error)) << error.toStdString();
    MediaTree loaded = load(lines, &error);
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(dumpTree(loaded), expected);
    EXPECT_EQ(loaded.count(), 10);

    // A moved tree's top-level nodes know their new root.
    MediaTree moved = std::move(loaded);
    for (const auto& top : moved.root().children)
        EXPECT_EQ(top->parent, &moved.root());
}

TEST(LibraryTree, LinesArePlacedByTheirLevel)
{
    struct Case {
        QStringList lines;
        QStringList tree;
        QString error;
    };
    const Case cases[] = {
        // Blanks count as levels as tabs do; going up several levels at once.
        {{"a", " b", "  c", " \td", "e"}, {"folder a", "  folder b", "    folder c", "    folder d", "folder e"}, {}},
        {{"a", "\tb", "\t\tc", "d", "\te"},
         {"folder a", "  folder b", "    folder c", "folder d", "  folder e"}, {}},
        // The first line is top-level however deep it is indented.
        {{"\t\tx", "\ty", "z"}, {"folder x", "  folder y", "folder z"}, {}},
        // Too deep: what came before stays, with its kinds.
        {{"/m", "\t*.mp3", "\t\ta.mp3", "\t\t\t\tb c", "d"},
         {"folder /m", "  group *.mp3", "    file a.mp3"},
         "Invalid level (4) for item \"b c\""},
        {{"a", "  b"}, {"folder a"}, "Invalid level (2) for item \"b\""},
    };
    for (const Case& c : cases) {
        QString error = "stale";
        EXPECT_EQ(dumpTree(load(c.lines, &error)), c.tree) << c.lines.join('|').toStdString();
        EXPECT_EQ(error, c.error);
    }
}

TEST(LibraryTree, DeepTreeNeedsNoDeepStack)
{
    // Deeper than recursion over the nodes could go on the default stack: pruned,
    // counted and taken down.
    MediaTree tree;
    MediaTree::Node* node = nullptr;
    for (int i = 0; i < 400000; ++i)
        node = tree.add(node, "d", NodeKind::Folder);
    tree.add(tree.add(node, "*.mp3", NodeKind::MaskGroup), "a.mp3", NodeKind::MediaFile);
    tree.prune();
    EXPECT_EQ(tree.count(), 400002);
}
