#pragma once
// The media tree without widgets: what each node is, the rules that give a
// node its kind, a node its full path and remove folders that lead to no
// media, and a plain tree the folder search and the list files fill (the
// command-line tool and the tests use it; the window holds the same tree in
// its tree view and applies the same rules).
#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace varendo::library {

enum class NodeKind { Folder, MaskGroup, MediaFile };

// The picture of each kind in the main window's image list.
constexpr int kFolderIcon = 21;
constexpr int kMaskGroupIcon = 23;
constexpr int kMediaFileIcon = 2;
int iconOf(NodeKind kind);
// The kind an icon stands for; anything else counts as a folder.
NodeKind kindOfIcon(int icon);
// The kind in words for text output: "folder", "group" or "file".
const char* kindName(NodeKind kind);

// The kind of a node after a list file is loaded, from its text, whether it
// has children and its parent's kind (none for a top-level node): a childless
// node under a mask group is a media file (groups never nest, so even a file
// named like a mask); otherwise a node whose text is one of masks exactly is a
// mask group; everything else is a folder.
NodeKind kindAfterLoad(const QString& text, bool hasChildren, std::optional<NodeKind> parentKind,
                       const QStringList& masks);

// A folder node with nothing below it leads to no media and is removed by the
// pruning; files and mask groups always stay.
inline bool isPrunable(NodeKind kind, int childCount) { return kind == NodeKind::Folder && childCount == 0; }

// The full path of a node from the texts of its ancestors, top-level first, and
// its own text last; ancestors whose text is one of masks exactly are left out.
// Parts are joined with "/", with none added after a part that already ends in
// one (the root folder "/").
QString nodePath(const QStringList& textsFromTop, const QStringList& masks);

// One change the folder search makes to the tree. Nodes are numbered by the
// search from 1; parent 0 is the anchor: the tree's top level when a folder is
// added, the folder node being searched again otherwise.
struct TreeChange {
    int id = 0;
    int parent = 0;
    QString text;
    NodeKind kind = NodeKind::Folder;
};

// One line of a media list file: the node's level as that many tabs, then its text.
inline QString mdlLine(int level, const QString& text) { return QString(level, QLatin1Char('\t')) + text; }

class MediaTree {
public:
    struct Node {
        QString text;
        NodeKind kind = NodeKind::Folder;
        Node* parent = nullptr; // the invisible root for a top-level node
        std::vector<std::unique_ptr<Node>> children;
    };

    MediaTree() = default;
    // A moved tree's top-level nodes name the new root as their parent.
    MediaTree(MediaTree&& other) noexcept;
    MediaTree& operator=(MediaTree&& other) noexcept;
    // Takes the nodes down without recursing, so a list nested thousands of
    // levels deep cannot exhaust the stack.
    ~MediaTree();

    // The invisible root; its children are the top-level nodes.
    Node& root() { return root_; }
    const Node& root() const { return root_; }
    bool empty() const { return root_.children.empty(); }
    int count() const; // every node, at every level

    // Appended after parent's last child; a null parent stands for the root.
    Node* add(Node* parent, const QString& text, NodeKind kind);

    // Applies a search's changes; ids maps the search's numbers to the nodes
    // added so far, and is extended. Parent 0 is anchor (the root when null);
    // a change whose parent is unknown is left out.
    void apply(const std::vector<TreeChange>& changes, Node* anchor, QHash<int, Node*>& ids);

    // Removes every folder that ends up with nothing below it, anywhere in the tree.
    void prune();

    // Every node in pre-order with its level (0 for a top-level node).
    void forEachNode(const std::function<void(const Node& node, int level)>& visit) const;

    // The tree as media list file lines: one per node in pre-order, its level
    // as that many tabs, then its text.
    QStringList mdlLines() const;
    // Builds the tree from media list file lines and gives every node its kind.
    // On a line more than one level deeper than the one before, stops with the
    // message "Invalid level (%d) for item "%s"" in *error; the nodes read
    // before it stay (with their kinds set).
    static MediaTree fromMdlLines(const QStringList& lines, const QStringList& masks, QString* error);

private:
    Node root_;
};

// The six masks a search looks for, in the order their groups appear.
QStringList defaultMediaMasks();

} // namespace varendo::library
