#include "library/media_tree.h"

#include <algorithm>
#include <utility>

namespace varendo::library {

int iconOf(NodeKind kind)
{
    switch (kind) {
    case NodeKind::MaskGroup:
        return kMaskGroupIcon;
    case NodeKind::MediaFile:
        return kMediaFileIcon;
    case NodeKind::Folder:
        break;
    }
    return kFolderIcon;
}

NodeKind kindOfIcon(int icon)
{
    if (icon == kMaskGroupIcon)
        return NodeKind::MaskGroup;
    if (icon == kMediaFileIcon)
        return NodeKind::MediaFile;
    return NodeKind::Folder;
}

const char* kindName(NodeKind kind)
{
    switch (kind) {
    case NodeKind::MaskGroup:
        return "group";
    case NodeKind::MediaFile:
        return "file";
    case NodeKind::Folder:
        break;
    }
    return "folder";
}

NodeKind kindAfterLoad(const QString& text, bool hasChildren, std::optional<NodeKind> parentKind,
                       const QStringList& masks)
{
    if (!hasChildren && parentKind == NodeKind::MaskGroup)
        return NodeKind::MediaFile;
    if (masks.contains(text, Qt::CaseSensitive))
        return NodeKind::MaskGroup;
    return NodeKind::Folder;
}

QString nodePath(const QStringList& textsFromTop, const QStringList& masks)
{
    QString path;
    for (qsizetype i = 0; i < textsFromTop.size(); ++i) {
        const QString& part = textsFromTop[i];
        const bool own = i == textsFromTop.size() - 1;
        if (!own && masks.contains(part, Qt::CaseSensitive))
            continue;
        if (!path.isEmpty() && !path.endsWith(QLatin1Char('/')))
            path += QLatin1Char('/');
        path += part;
    }
    return path;
}

namespace {

using Node = MediaTree::Node;

// Visits every node below top in pre-order with its depth (top's children at
// depth 0), without recursion.
template <typename NodeT, typename Visit>
void eachNode(NodeT& top, Visit&& visit)
{
    std::vector<std::pair<NodeT*, int>> stack;
    for (auto it = top.children.rbegin(); it != top.children.rend(); ++it)
        stack.emplace_back(it->get(), 0);
    while (!stack.empty()) {
        auto [node, depth] = stack.back();
        stack.pop_back();
        visit(*node, depth);
        for (auto it = node->children.rbegin(); it != node->children.rend(); ++it)
            stack.emplace_back(it->get(), depth + 1);
    }
}

// Deletes everything below node leaf first, so no destructor recurses deeply.
void clearChildren(Node& node)
{
    std::vector<std::unique_ptr<Node>> pending = std::move(node.children);
    node.children.clear();
    while (!pending.empty()) {
        std::unique_ptr<Node> last = std::move(pending.back());
        pending.pop_back();
        for (auto& child : last->children)
            pending.push_back(std::move(child));
        last->children.clear();
    }
}

void adoptChildren(Node& root)
{
    for (auto& child : root.children)
        child->parent = &root;
}

} // namespace

MediaTree::MediaTree(MediaTree&& other) noexcept
{
    root_.children = std::move(other.root_.children);
    other.root_.children.clear();
    adoptChildren(root_);
}

MediaTree& MediaTree::operator=(MediaTree&& other) noexcept
{
    if (this != &other) {
        clearChildren(root_);
        root_.children = std::move(other.root_.children);
        other.root_.children.clear();
        adoptChildren(root_);
    }
    return *this;
}

MediaTree::~MediaTree() { clearChildren(root_); }

int MediaTree::count() const
{
    int n = 0;
    eachNode(root_, [&n](const Node&, int) { ++n; });
    return n;
}

MediaTree::Node* MediaTree::add(Node* parent, const QString& text, NodeKind kind)
{
    if (!parent)
        parent = &root_;
    auto node = std::make_unique<Node>();
    node->text = text;
    node->kind = kind;
    node->parent = parent;
    parent->children.push_back(std::move(node));
    return parent->children.back().get();
}

void MediaTree::apply(const std::vector<TreeChange>& changes, Node* anchor, QHash<int, Node*>& ids)
{
    for (const TreeChange& change : changes) {
        Node* parent = change.parent == 0 ? anchor : ids.value(change.parent);
        if (change.parent != 0 && !parent)
            continue;
        ids.insert(change.id, add(parent, change.text, change.kind));
    }
}

void MediaTree::prune()
{
    // Post-order: a folder's children are pruned before it is judged, so a
    // chain of folders that only held empty folders goes in the same pass.
    struct Frame {
        Node* node;
        std::size_t next;
    };
    std::vector<Frame> stack{{&root_, 0}};
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.next < top.node->children.size()) {
            Node* child = top.node->children[top.next++].get();
            stack.push_back({child, 0});
            continue;
        }
        std::erase_if(top.node->children,
                      [](const std::unique_ptr<Node>& c) { return isPrunable(c->kind, int(c->children.size())); });
        stack.pop_back();
    }
}

void MediaTree::forEachNode(const std::function<void(const Node& node, int level)>& visit) const
{
    eachNode(root_, visit);
}

QStringList MediaTree::mdlLines() const
{
    QStringList lines;
    forEachNode([&lines](const Node& node, int level) { lines.append(mdlLine(level, node.text)); });
    return lines;
}

MediaTree MediaTree::fromMdlLines(const QStringList& lines, const QStringList& masks, QString* error)
{
    if (error)
        error->clear();
    MediaTree tree;
    Node* previous = nullptr;
    int previousDepth = 0;
    for (const QString& line : lines) {
        int level = 0;
        while (level < line.size() && (line[level] == QLatin1Char('\t') || line[level] == QLatin1Char(' ')))
            ++level;
        const QString text = line.mid(level);
        Node* parent = nullptr;
        if (!previous) {
            parent = &tree.root_;
            level = 0; // the first node is top-level however it is indented
        } else if (level == previousDepth) {
            parent = previous->parent;
        } else if (level == previousDepth + 1) {
            parent = previous;
        } else if (level < previousDepth) {
            Node* sibling = previous;
            for (int depth = previousDepth; depth > level; --depth)
                sibling = sibling->parent;
            parent = sibling->parent;
        } else {
            if (error)
                *error = QStringLiteral("Invalid level (%1) for item \"%2\"").arg(level).arg(text);
            break;
        }
        previous = tree.add(parent, text, NodeKind::Folder);
        previousDepth = level;
    }

    // Pre-order, so a parent's kind is settled before its children are judged.
    eachNode(tree.root_, [&masks](Node& node, int depth) {
        const std::optional<NodeKind> parentKind = depth == 0 ? std::nullopt : std::optional(node.parent->kind);
        node.kind = kindAfterLoad(node.text, !node.children.empty(), parentKind, masks);
    });
    return tree;
}

QStringList defaultMediaMasks()
{
    return {QStringLiteral("*.mp3"), QStringLiteral("*.rm"),  QStringLiteral("*.rmvb"),
            QStringLiteral("*.wmv"), QStringLiteral("*.asf"), QStringLiteral("*.avi")};
}

} // namespace varendo::library
