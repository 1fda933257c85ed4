#include "library/folder_search.h"
#include "library/list_files.h"

#include "file_bytes.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace varendo;
using namespace varendo::library;

namespace {

struct ToolRun {
    int code = -1;
    QByteArray out;
    QString err;
};

ToolRun run(const QStringList& args)
{
    QProcess p;
    p.start(VARENDO_LISTS_TOOL, args);
    EXPECT_TRUE(p.waitForFinished(60000));
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            QString::fromUtf8(p.readAllStandardError())};
}

} // namespace

TEST(ListsTool, SearchWritesTheMediaListAndTreeShowsItsKinds)
{
    QTemporaryDir dir;
    const QString media = dir.filePath("课文");
    ASSERT_TRUE(QDir().mkpath(media + "/y") && QDir().mkpath(media + "/x"));
    ASSERT_TRUE(test::writeAll(media + "/a.mp3", {}) && test::writeAll(media + "/y/d.wmv", {}));

    const ToolRun search = run({"search", media});
    ASSERT_EQ(search.code, 0) << search.err.toStdString();
    EXPECT_EQ(search.out, encodeListLines(searchIntoTree(media).mdlLines()));
    EXPECT_EQ(decodeListLines(search.out).first(), media); // GBK holds the name

    const QString list = dir.filePath("media.mdl");
    ASSERT_TRUE(test::writeAll(list, search.out));
    const ToolRun tree = run({"tree", list});
    EXPECT_EQ(tree.code, 0);
    EXPECT_EQ(QString::fromUtf8(tree.out), "[folder] " + media + "\n  [group] *.mp3\n    [file] a.mp3\n"
                                           "  [folder] y\n    [group] *.wmv\n      [file] d.wmv\n");

    // A bad level: what was read is shown, then the reason, and the run fails.
    ASSERT_TRUE(test::writeAll(list, "/m\r\n\t*.mp3\r\n\t\t\t\tlost\r\n"));
    const ToolRun bad = run({"tree", list});
    EXPECT_NE(bad.code, 0);
    EXPECT_EQ(bad.out, "[folder] /m\n  [group] *.mp3\n");
    EXPECT_TRUE(bad.err.contains("Invalid level (4) for item \"lost\"")) << bad.err.toStdString();
}

TEST(ListsTool, PlayListRoundTripAndErrors)
{
    QTemporaryDir dir;
    const QString list = dir.filePath("play.lst");
    ASSERT_TRUE(test::writeAll(list, "&0 2 b.mp3\n/x/a.mp3\r\n\r\n@1 1 003 --- c.mp3"));
    EXPECT_EQ(run({"playlist", list}).out,
              "disabled greyed    b.mp3\nenabled  unchecked /x/a.mp3\nenabled  checked   c.mp3\n");
    EXPECT_EQ(run({"roundtrip", list}).out, "@0 2 --- --- b.mp3\r\n@1 0 --- --- /x/a.mp3\r\n@1 1 003 --- c.mp3\r\n");

    const ToolRun missing = run({"tree", dir.filePath("none.mdl")});
    EXPECT_EQ(missing.code, 1);
    EXPECT_TRUE(missing.err.contains(dir.filePath("none.mdl"))) << missing.err.toStdString();
    EXPECT_EQ(run({"search", list}).code, 1); // not a folder
    EXPECT_EQ(run({"tree"}).code, 2);
}
