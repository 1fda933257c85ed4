#include "library/list_files.h"

#include "common/gbk_text.h"
#include "file_bytes.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace varendo;
using namespace varendo::library;

TEST(LibraryListFile, LinesEndAtCrLfOrBoth)
{
    const std::pair<QByteArray, QStringList> cases[] = {
        {"", {}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\rb\r", {"a", "b"}},
        {"a\nb", {"a", "b"}},
        {"a\r\n\r\nb\n\n", {"a", "", "b", ""}},
        {"a\r\r\n", {"a", ""}},
        {"\n", {""}},
    };
    for (const auto& [bytes, lines] : cases)
        EXPECT_EQ(decodeListLines(bytes), lines) << bytes.toHex().constData();
}

// GBK without a header, as other copies store the lists; UTF-8 behind a byte
// order mark when a name needs it. Whatever is written reads back exactly.
TEST(LibraryListFile, GbkUnlessANameNeedsUtf8BehindAByteOrderMark)
{
    const QStringList chinese{QString::fromUtf8("第一册"), QString::fromUtf8("\t课文 1.mp3")};
    const QByteArray gbk = toGbk(chinese.join("\r\n") + "\r\n");
    EXPECT_EQ(encodeListLines(chinese), gbk);
    EXPECT_EQ(decodeListLines(gbk), chinese);

    const QStringList wide{QString::fromUtf8("第一册"), QString::fromUtf8("\t\U0001F600.mp3")};
    ASSERT_FALSE(fitsGbk(wide[1]));
    EXPECT_EQ(encodeListLines(wide), "\xEF\xBB\xBF" + wide.join("\r\n").toUtf8() + "\r\n");
    EXPECT_EQ(decodeListLines(encodeListLines(wide)), wide);

    // GBK whose bytes are valid UTF-8 too: "一" is D2 BB ("һ" in UTF-8), "录"
    // C2 BC ("¼"), "课文" in UTF-8 is valid GBK. A file without the mark is GBK.
    EXPECT_EQ(decodeListLines("\xD2\xBB\r\n"), QStringList{QString::fromUtf8("一")});
    EXPECT_EQ(decodeListLines(QString::fromUtf8("课文\r\n").toUtf8()), QStringList{fromGbk(QString::fromUtf8("课文").toUtf8())});
    for (const QStringList& names : {QStringList{QString::fromUtf8("一")}, QStringList{QString::fromUtf8("录.mp3")},
                                     QStringList{QChar(0xFEFF) + QString::fromUtf8("课文.mp3"), wide[1]},
                                     QStringList{QChar(0xFEFF) + QString::fromUtf8("一")}, QStringList{""}})
        EXPECT_EQ(decodeListLines(encodeListLines(names)), names) << names[0].toStdString();

    // Lists an earlier copy wrote as UTF-8 without the mark still read when they
    // are no GBK; a character cut short at the end is shown as such.
    EXPECT_EQ(decodeListLines("\xEF\xBB\xBF/m\r\n"), QStringList{"/m"});
    EXPECT_EQ(decodeListLines(QString::fromUtf8("课\r\n").toUtf8()), QStringList{QString::fromUtf8("课")});
    const QByteArray cut = QByteArray("a") + toGbk(QString::fromUtf8("课")).left(1);
    EXPECT_EQ(decodeListLines(cut), QStringList{fromGbk(cut)});
}

TEST(LibraryListFile, FailedReadOrSaveLosesNothing)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("play.lst");
    QString error;
    QStringList lines{"kept"};
    EXPECT_FALSE(readListFile(file, &lines, &error));
    EXPECT_EQ(lines, QStringList{"kept"});
    EXPECT_TRUE(error.contains(file)) << error.toStdString();

    error.clear();
    EXPECT_FALSE(writeListFile(dir.filePath("missing/play.lst"), {"a"}, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFile::exists(dir.filePath("missing")));

    ASSERT_TRUE(writeListFile(file, {"old", "list"}, &error)) << error.toStdString();
    const QByteArray old = test::readAll(file);
    EXPECT_EQ(old, "old\r\nlist\r\n");
    error.clear();
    EXPECT_FALSE(writeListFile(file, {"new", "a\nb"}, &error)); // would split into two entries
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(test::readAll(file), old);

    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.mdl"));
    error.clear();
    EXPECT_FALSE(writeListFile(dir.filePath("folder.mdl"), {"a"}, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(QFileInfo(dir.filePath("folder.mdl")).isDir());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
              QStringList({"folder.mdl", "play.lst"})); // no temporary file left behind
}

TEST(LibraryPlayList, LineFormsAndAbsentCharacters)
{
    using E = PlayListEntry;
    const std::pair<QString, E> cases[] = {
        {"@1 1 005 --- a b.mp3", E{true, 1, 5, std::nullopt, "a b.mp3"}},
        {"@0 2 --- 012 /x/c.mp3", E{false, 2, std::nullopt, 12, "/x/c.mp3"}},
        {"@1 x 00", E{true, 0, 0, std::nullopt, ""}},
        {"@", E{false, 0, std::nullopt, std::nullopt, ""}},
        {"&1 1 d.mp3", E{true, 1, std::nullopt, std::nullopt, "d.mp3"}},
        {"&0", E{false, 0, std::nullopt, std::nullopt, ""}},
        {"/x/@e.mp3", E{true, 0, std::nullopt, std::nullopt, "/x/@e.mp3"}},
    };
    for (const auto& [line, entry] : cases) {
        EXPECT_EQ(parsePlayListLine(line), entry) << line.toStdString();
        const QString written = playListLine(entry);
        EXPECT_EQ(written.size(), 13 + entry.text.size()) << written.toStdString();
        EXPECT_EQ(parsePlayListLine(written), entry) << written.toStdString();
    }
    EXPECT_EQ(playListLine(E{false, 2, 7, 123, "f.mp3"}), "@0 2 007 123 f.mp3");
    EXPECT_EQ(parsePlayList({"a", "", "&0 1 b"}), (QList<E>{E{true, 0, {}, {}, "a"}, E{false, 1, {}, {}, "b"}}));
}
