#pragma once
// A media tree as lines "<indent><kind> <text>", to compare whole trees at once.
#include "library/media_tree.h"

#include <QStringList>

#include <algorithm>

namespace varendo::test {

// byName: files and folders in name order within each run of one kind, for trees
// whose listing order is the file system's; groups and the runs stay as they are.
inline void dumpNode(const library::MediaTree::Node& node, int level, bool byName, QStringList& out)
{
    out.append(QString(level * 2, QLatin1Char(' ')) + QLatin1String(library::kindName(node.kind)) + QLatin1Char(' ')
               + node.text);
    std::vector<const library::MediaTree::Node*> children;
    for (const auto& child : node.children)
        children.push_back(child.get());
    for (auto run = children.begin(); byName && run != children.end();) {
        const auto end = std::find_if(run, children.end(), [&](auto* c) { return c->kind != (*run)->kind; });
        if ((*run)->kind != library::NodeKind::MaskGroup)
            std::sort(run, end, [](auto* a, auto* b) { return a->text < b->text; });
        run = end;
    }
    for (const auto* child : children)
        dumpNode(*child, level + 1, byName, out);
}

inline QStringList dumpTree(const library::MediaTree& tree, bool byName = false)
{
    QStringList out;
    for (const auto& top : tree.root().children)
        dumpNode(*top, 0, byName, out);
    return out;
}

} // namespace varendo::test
