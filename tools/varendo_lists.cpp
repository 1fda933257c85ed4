// varendo-lists: look into the media list window's files and search folders as it does.
//
//   varendo-lists tree FILE.mdl        the media tree, one node a line with its kind
//   varendo-lists playlist FILE.lst    the play list's entries with their flags
//   varendo-lists search DIR           the tree adding DIR gives, as a media list file on stdout
//   varendo-lists roundtrip FILE       a .mdl or .lst file read and written back to stdout
#include "library/folder_search.h"
#include "library/list_files.h"
#include "library/media_tree.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>

using namespace varendo::library;

namespace {

int usage()
{
    std::fputs("usage:\n"
               "  varendo-lists tree FILE.mdl\n"
               "  varendo-lists playlist FILE.lst\n"
               "  varendo-lists search DIR\n"
               "  varendo-lists roundtrip FILE.mdl|FILE.lst\n",
               stderr);
    return 2;
}

int fail(const QString& message)
{
    std::fprintf(stderr, "varendo-lists: %s\n", message.toUtf8().constData());
    return 1;
}

void writeStdout(const QByteArray& bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

const char* stateName(int state)
{
    switch (state) {
    case 0:
        return "unchecked";
    case 1:
        return "checked";
    case 2:
        return "greyed";
    }
    return "unknown";
}

// The tree a media list file holds; false, with the message, when it cannot be
// read or stops at a bad level (then *tree holds what was read before).
bool loadTree(const QString& path, MediaTree* tree, QString* error)
{
    QStringList lines;
    if (!readListFile(path, &lines, error))
        return false;
    QString levelError;
    *tree = MediaTree::fromMdlLines(lines, defaultMediaMasks(), &levelError);
    if (levelError.isEmpty())
        return true;
    *error = QStringLiteral("%1：%2").arg(path, levelError);
    return false;
}

int printTree(const QString& path)
{
    MediaTree tree;
    QString error;
    const bool whole = loadTree(path, &tree, &error);
    tree.forEachNode([](const MediaTree::Node& node, int level) {
        std::printf("%s[%s] %s\n", QByteArray(qsizetype(level) * 2, ' ').constData(), kindName(node.kind),
                    node.text.toUtf8().constData());
    });
    std::fflush(stdout);
    return whole ? 0 : fail(error);
}

int printPlayList(const QString& path)
{
    QStringList lines;
    QString error;
    if (!readListFile(path, &lines, &error))
        return fail(error);
    for (const PlayListEntry& entry : parsePlayList(lines))
        std::printf("%-8s %-9s %s\n", entry.enabled ? "enabled" : "disabled", stateName(entry.checkState),
                    entry.text.toUtf8().constData());
    return 0;
}

int search(const QString& path)
{
    if (!QFileInfo(path).isDir())
        return fail(QStringLiteral("%1 不是文件夹").arg(path));
    const MediaTree tree = searchIntoTree(path);
    if (tree.empty())
        std::fprintf(stderr, "varendo-lists: %s 中没有找到媒体文件\n", path.toUtf8().constData());
    writeStdout(encodeListLines(tree.mdlLines()));
    return 0;
}

int roundTrip(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("mdl")) {
        MediaTree tree;
        QString error;
        const bool whole = loadTree(path, &tree, &error);
        writeStdout(encodeListLines(tree.mdlLines()));
        std::fflush(stdout);
        return whole ? 0 : fail(error);
    }
    if (suffix == QLatin1String("lst")) {
        QStringList lines;
        QString error;
        if (!readListFile(path, &lines, &error))
            return fail(error);
        QStringList written;
        for (const PlayListEntry& entry : parsePlayList(lines))
            written.append(playListLine(entry));
        writeStdout(encodeListLines(written));
        return 0;
    }
    return fail(QStringLiteral("%1：不知道怎样读这种文件（应为 .mdl 或 .lst）").arg(path));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() != 2)
        return usage();
    const QString& command = args[0];
    const QString& path = args[1];
    if (command == QLatin1String("tree"))
        return printTree(path);
    if (command == QLatin1String("playlist"))
        return printPlayList(path);
    if (command == QLatin1String("search"))
        return search(path);
    if (command == QLatin1String("roundtrip"))
        return roundTrip(path);
    return usage();
}
