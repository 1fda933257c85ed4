// A media list file (".mdl") is read back from disk, possibly written by another copy
// of the program or edited by hand. Checks: a read stops only at a level error and
// otherwise keeps every line as a node; saving the tree and reading the file again gives
// the same lines and kinds; pruning leaves no empty folder.
#include "library/list_files.h"
#include "library/media_tree.h"

#include "fuzz_support.h"

#include <utility>

using namespace varendo::library;
using varendo::fuzz::require;

namespace {

QList<std::pair<int, NodeKind>> shape(const MediaTree& tree)
{
    QList<std::pair<int, NodeKind>> out;
    tree.forEachNode([&out](const MediaTree::Node& node, int level) { out.append({level, node.kind}); });
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QStringList lines = decodeListLines(varendo::fuzz::bytesOf(data, size));
    const QStringList masks = defaultMediaMasks();
    QString error;
    MediaTree tree = MediaTree::fromMdlLines(lines, masks, &error);
    require(tree.count() <= lines.size(), "no more nodes than lines");
    require(!error.isEmpty() || tree.count() == lines.size(), "without an error every line is a node");

    const QStringList saved = tree.mdlLines();
    QString again;
    const MediaTree reread = MediaTree::fromMdlLines(decodeListLines(encodeListLines(saved)), masks, &again);
    require(again.isEmpty(), "a saved tree reads without an error");
    require(reread.mdlLines() == saved, "a saved tree reads back with the same lines");
    require(shape(reread) == shape(tree), "a saved tree reads back with the same kinds");

    tree.prune();
    tree.forEachNode([](const MediaTree::Node& node, int) {
        require(!isPrunable(node.kind, int(node.children.size())), "pruning leaves no empty folder");
    });
    return 0;
}
