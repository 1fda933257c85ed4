#include "course_database.h"
#include "course_source.h"

#include "common/gbk_text.h"
#include "database/content_cipher.h"
#include "database/lesson_schema.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace varendo;
using namespace varendo::course;

namespace {

void write(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
}

db::ConnectionPtr openBuilt(const QString& file)
{
    auto con = std::make_shared<db::Connection>();
    con->open(file, db::Connection::Mode::OpenExisting);
    return con;
}

// A small two-book course written the way authors write it.
class CourseSource : public ::testing::Test {
protected:
    void SetUp() override
    {
        lesson("1/001-hello", "1", "Lesson 1  Hello\n你好\n",
               "Listen to the tape then answer this question. Who is Tom?\nTOM: Hello! I'm Tom.\nANNA: Hi, Tom.\n",
               "[00:00.00]Listen to the tape then answer this question. Who is Tom?\n[00:04.20]Hello! I'm Tom.\n"
               "[00:06.10]Hi, Tom.\n");
        lesson("1/003-bye", "3", "Lesson 3  Bye\n", "Listen to the tape. Where is Tom going?\nBye, Tom!\n",
               "[00:01.00]bye, tom!\n");
        lesson("2/002-rain", "2", "Lesson 2  Rain\n", "First listen and answer the question.\nIt rained.\n",
               "[00:00.50]It rained.\n");
        lesson("2/010-sun", "10", "Lesson 10  Sun\n", "First listen and answer the question.\nThe sun came out.\n",
               "[00:00.50][00:09.00]The sun came out.\n");
    }
    void lesson(const QString& folder, const QByteArray& number, const QByteArray& title, const QByteArray& text,
                const QByteArray& lyrics)
    {
        const QString d = src.path() + "/" + folder + "/";
        write(d + "manifest.txt", "lesson=" + number + "\nvideo=Book-" + number + ".avi\naudio=" + number + ".mp3\n");
        write(d + "title.txt", title);
        write(d + "text.txt", text);
        write(d + "words.txt", "New words and expressions\nhello  int. 你好\n");
        write(d + "translation.txt", "参考译文\n你好！\n");
        write(d + "lyrics.lrc", "[ti:x]\n[ar:y]\n[al:z]\n[by:w]\n" + lyrics);
    }
    QString dir(const QString& folder) { return src.path() + "/" + folder + "/"; }

    void expectError(const QString& file, int line, const char* words)
    {
        const QString out = dest.filePath("varendo.mdb");
        try {
            buildDatabase(readCourseSource(src.path()), out, dest.path() + "/", false);
            FAIL() << "built despite a bad source";
        } catch (const SourceError& e) {
            EXPECT_EQ(e.file, file);
            EXPECT_EQ(e.line, line);
            EXPECT_TRUE(e.message.contains(QString::fromUtf8(words))) << e.text().toStdString();
        }
        EXPECT_FALSE(QFile::exists(out));
        EXPECT_TRUE(QDir(dest.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    }

    QTemporaryDir src;
    QTemporaryDir dest;
};

} // namespace

TEST_F(CourseSource, BuildsRowsAsTheProgramReadsThem)
{
    const QString out = dest.filePath("varendo.mdb");
    buildDatabase(readCourseSource(src.path()), out, "/opt/varendo/", false);
    auto con = openBuilt(out);
    db::Query q(con);
    q.SetSQL("select * from book1");
    q.Open();
    ASSERT_EQ(q.RecordCount(), 4);
    QStringList order;
    for (; !q.Eof(); q.Next())
        order << q.FieldByName("课本号").AsString() + "/" + q.FieldByName("课程编号").AsString();
    EXPECT_EQ(order, QStringList({"1/1", "1/3", "2/2", "2/10"})); // lessons by number, not by name

    q.First();
    EXPECT_EQ(q.FieldByName("课程名").AsString(), "Lesson 1  Hello\r\n你好\r\n");
    EXPECT_EQ(decodeColumn(q.FieldByName("课程内容").AsString()),
              "Listen to the tape then answer this question. Who is Tom?\r\nTOM: Hello! I＇m Tom.\r\nANNA: Hi, Tom.\r\n");
    EXPECT_EQ(decodeColumn(q.FieldByName("生词短语").AsString()), "New words and expressions\r\nhello  int. 你好\r\n");
    EXPECT_EQ(q.FieldByName("参考译文").AsString(), "参考译文\r\n你好！\r\n");
    // The four header lines are dropped, apostrophes are full-width.
    EXPECT_EQ(decodeColumn(q.FieldByName("时间刻度").AsString()),
              "[00:00.00]Listen to the tape then answer this question. Who is Tom?\r\n[00:04.20]Hello! I＇m Tom.\r\n"
              "[00:06.10]Hi, Tom.\r\n");
    EXPECT_EQ(q.FieldByName("课程状态").AsString(), "未学习");
    EXPECT_EQ(q.FieldByName("笔记").AsString(), "无");
    EXPECT_EQ(q.FieldByName("备注").AsString(), "");
    EXPECT_EQ(q.FieldByName("视频文件名").AsString(), "Book-1.avi");
    EXPECT_EQ(q.FieldByName("音频文件名").AsString(), "1.mp3");

    q.SetSQL("select * from bookset");
    q.Open();
    ASSERT_EQ(q.RecordCount(), 1);
    EXPECT_EQ(q.FieldByName("视频文件目录").AsString(), "/opt/varendo/video");

    // An existing database is not replaced without asking.
    EXPECT_THROW(buildDatabase(readCourseSource(src.path()), out, "/opt/varendo/", false), VarendoError);
    EXPECT_NO_THROW(buildDatabase(readCourseSource(src.path()), out, "/opt/varendo/", true));
}

TEST_F(CourseSource, MissingFileIsNamed)
{
    QFile::remove(dir("2/002-rain") + "words.txt");
    expectError("2/002-rain/words.txt", 0, "不存在");
}

TEST_F(CourseSource, LessonNumbersMustBeOneToThreeDigits)
{
    write(dir("1/003-bye") + "manifest.txt", "video=a.avi\nlesson=12a\naudio=a.mp3\n");
    expectError("1/003-bye/manifest.txt", 2, "1 到 3 位数字");
    write(dir("1/003-bye") + "manifest.txt", "video=a.avi\nlesson=1234\naudio=a.mp3\n");
    expectError("1/003-bye/manifest.txt", 2, "1 到 3 位数字");
}

TEST_F(CourseSource, DuplicateLessonIsRefused)
{
    write(dir("2/010-sun") + "manifest.txt", "lesson=002\nvideo=a.avi\naudio=a.mp3\n");
    expectError("2/010-sun/manifest.txt", 0, "重复");
}

TEST_F(CourseSource, LyricLineWithoutTimeTag)
{
    write(dir("1/003-bye") + "lyrics.lrc", "[ti:x]\n[ar:y]\n[al:z]\n[by:w]\n[00:01.00]Bye, Tom!\nBye, Tom!\n");
    expectError("1/003-bye/lyrics.lrc", 6, "时间标签");
}

// The tool takes the lyric files the program itself plays: any number of header tags,
// [mm:ss:xx] and [m:ss] tags, an offset, word times, GBK or UTF-16; it stores the
// lessons' own form, [mm:ss.xx] followed by the sentence.
TEST_F(CourseSource, LyricFilesThatThePlayerTakesAreBuiltThroughTheTool)
{
    write(dir("1/001-hello") + "lyrics.lrc",
          toGbk("[ti:你好]\r\n[ar:y]\r\n[by:w]\r\n[00:00:00]Listen to the tape then answer this question. Who is Tom?\r\n"
                "[00:04:20]Hello! I'm Tom.\r\n\r\n[0:06.10]Hi, Tom.\r\n"));
    write(dir("1/003-bye") + "lyrics.lrc",
          "[ti:x]\n[ar:y]\n[al:z]\n[by:w]\n[offset:+500]\n[00:01.50]<00:01.50>bye, <00:02.00>tom!\n");
    const QString rain = "[00:00.50][00:02.005]It rained.\n";
    write(dir("2/002-rain") + "lyrics.lrc",
          QByteArray("\xFF\xFE") + QByteArray(reinterpret_cast<const char*>(rain.utf16()), rain.size() * 2));

    const QString out = dest.filePath("varendo.mdb");
    QProcess tool;
    tool.start(VARENDO_COURSE_TOOL, {"build", src.path(), "-o", out});
    ASSERT_TRUE(tool.waitForFinished(30000));
    ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();

    auto con = openBuilt(out);
    db::Query q(con);
    q.SetSQL("select 课本号, 课程编号, 时间刻度 from book1");
    q.Open();
    QMap<QString, QString> timing;
    for (; !q.Eof(); q.Next())
        timing[q.FieldByName("课本号").AsString() + "/" + q.FieldByName("课程编号").AsString()] =
            decodeColumn(q.FieldByName("时间刻度").AsString());
    EXPECT_EQ(timing["1/1"], "[00:00.00]Listen to the tape then answer this question. Who is Tom?\r\n"
                             "[00:04.20]Hello! I＇m Tom.\r\n[00:06.10]Hi, Tom.\r\n");
    EXPECT_EQ(timing["1/3"], "[00:01.00]bye, tom!\r\n") << "the offset applied, the word times gone";
    EXPECT_EQ(timing["2/2"], "[00:00.50][00:02.005]It rained.\r\n");

    // The check finds every stored sentence in its lesson text.
    tool.start(VARENDO_COURSE_TOOL, {"check", out, "--media", dest.path()});
    ASSERT_TRUE(tool.waitForFinished(30000));
    const QString report = QString::fromUtf8(tool.readAllStandardOutput());
    EXPECT_TRUE(report.contains("4 lesson rows checked")) << report.toStdString();
    EXPECT_FALSE(report.contains("没有出现在课文中")) << report.toStdString();
}

TEST_F(CourseSource, TextThatIsNotUtf8)
{
    write(dir("2/002-rain") + "translation.txt", "参考译文\n" + toGbk("下雨了。") + "\n");
    expectError("2/002-rain/translation.txt", 2, "UTF-8");
}

TEST_F(CourseSource, TimedSentenceMissingFromTheText)
{
    write(dir("2/002-rain") + "lyrics.lrc", "[ti:x]\n[ar:y]\n[al:z]\n[by:w]\n[00:00.50]It rained.\n[00:03.00]It snowed.\n");
    expectError("2/002-rain/lyrics.lrc", 6, "It snowed.");
}

TEST_F(CourseSource, ABookThatIsAFileAndALongMissingSentenceAreReportedReadably)
{
    write(src.path() + "/3", "not a folder");
    expectError("3", 0, "文件");
    QFile::remove(src.path() + "/3");

    const QByteArray sentence(100000, 'x');
    write(dir("2/002-rain") + "lyrics.lrc", "[ti:x]\n[ar:y]\n[al:z]\n[by:w]\n[00:00.50]" + sentence + "\n");
    try {
        readCourseSource(src.path());
        FAIL() << "a sentence missing from the text was accepted";
    } catch (const SourceError& e) {
        EXPECT_LT(e.message.size(), 200) << "the quote is cut";
        EXPECT_TRUE(e.message.contains("100000")) << e.message.toStdString();
    }
}

TEST_F(CourseSource, CharactersGbkCannotHold)
{
    write(dir("1/001-hello") + "words.txt", "New words and expressions\nsmile \xF0\x9F\x98\x80\n");
    expectError("1/001-hello/words.txt", 2, "GBK");
}

TEST_F(CourseSource, ListAndCheck)
{
    const QString out = dest.filePath("varendo.mdb");
    buildDatabase(readCourseSource(src.path()), out, dest.path() + "/", false);
    const QStringList listed = listDatabase(out);
    ASSERT_EQ(listed.size(), 6);
    EXPECT_EQ(listed[0], "第1册");
    EXPECT_TRUE(listed[1].contains("Lesson 1  Hello"));
    EXPECT_TRUE(listed[1].contains("未学习"));
    EXPECT_TRUE(listed[1].contains("Book-1.avi"));
    EXPECT_EQ(listed[3], "第2册");

    // No media yet: every file is reported. Book 2 numbers its rows 2 and 10, so the
    // program would look for them at the wrong places in the lesson list.
    QTemporaryDir media;
    int rows = 0;
    QStringList problems = checkDatabase(out, media.path(), &rows);
    EXPECT_EQ(rows, 4);
    EXPECT_EQ(problems.size(), 10) << problems.join("\n").toStdString();
    for (const char* name : {"video/Book-1.avi", "mp3/1/1.mp3", "video/Book-3.avi", "mp3/1/3.mp3", "video/Book-2.avi",
                             "mp3/2/2.mp3", "video/Book-10.avi", "mp3/2/10.mp3"})
        write(media.path() + "/" + name, "x");
    problems = checkDatabase(out, media.path());
    ASSERT_EQ(problems.size(), 2) << problems.join("\n").toStdString();
    EXPECT_TRUE(problems[0].startsWith("第2册 第2课") && problems[0].contains("应编号为 1"));
    EXPECT_TRUE(problems[1].startsWith("第2册 第10课") && problems[1].contains("应编号为 2"));

    // Numbered as the program expects, all is well.
    {
        auto con = openBuilt(out);
        con->exec("update book1 set 课程编号=?, 音频文件名=?, 视频文件名=? where 课本号='2' and 课程编号='2'",
                  {"1", "2.mp3", "Book-2.avi"});
        con->exec("update book1 set 课程编号=?, 音频文件名=?, 视频文件名=? where 课本号='2' and 课程编号='10'",
                  {"2", "10.mp3", "Book-10.avi"});
    }
    EXPECT_TRUE(checkDatabase(out, media.path()).isEmpty());

    // A scrambled column that no longer decodes is reported, not fatal.
    {
        auto con = openBuilt(out);
        con->exec("update book1 set 生词短语=? where 课程编号=?", {"00", "3"});
    }
    problems = checkDatabase(out, media.path());
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems[0].contains("第1册 第3课"));

    // A database without lessons is a problem, not a clean bill.
    QTemporaryDir emptyDir;
    db::openLessonDatabase(emptyDir.filePath("varendo.mdb"), emptyDir.path() + "/");
    problems = checkDatabase(emptyDir.filePath("varendo.mdb"), media.path(), &rows);
    EXPECT_EQ(rows, 0);
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems[0].contains("没有任何课程"));
}

TEST(CourseTool, EncodeAndDecodeOverStandardStreams)
{
    auto run = [](const QStringList& args, const QByteArray& input, int* code) {
        QProcess p;
        p.start(VARENDO_COURSE_TOOL, args);
        p.write(input);
        p.closeWriteChannel();
        EXPECT_TRUE(p.waitForFinished(30000));
        *code = p.exitCode();
        return std::pair{p.readAllStandardOutput(), p.readAllStandardError()};
    };
    int code = 0;
    const QByteArray text = "参考译文\r\nIt＇s fine.\r\n";
    auto [cipher, err1] = run({"encode", "--key", "Rom_Ka572"}, text, &code);
    ASSERT_EQ(code, 0) << err1.toStdString();
    EXPECT_EQ(DecodeText(cipher.trimmed(), kColumnKey), toGbk(QString::fromUtf8(text)));
    auto [plain, err2] = run({"decode", "--key", "Rom_Ka572"}, cipher, &code);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(plain, text);

    // No key: the inner key.
    auto [inner, err3] = run({"encode"}, "abc", &code);
    EXPECT_EQ(DecodeText(inner.trimmed(), ""), QByteArray("abc"));

    // A character cut off at the end is refused like any other bad UTF-8.
    auto [cut, err5] = run({"encode"}, "ab\xe4\xb8", &code);
    EXPECT_NE(code, 0);
    EXPECT_TRUE(cut.isEmpty());
    EXPECT_TRUE(QString::fromUtf8(err5).contains("UTF-8")) << err5.toStdString();

    auto [none, err4] = run({"decode"}, "00G0", &code);
    EXPECT_NE(code, 0);
    EXPECT_TRUE(none.isEmpty());
    EXPECT_TRUE(QString::fromUtf8(err4).contains("十六进制")) << err4.toStdString();
}

TEST(DemoCourse, BuildsAndChecksClean)
{
    const QString source = QStringLiteral(VARENDO_SOURCE_DIR "/course/demo/source");
    if (!QDir(source).exists())
        GTEST_SKIP() << "no demo course in this tree";
    QTemporaryDir dest;
    const QString out = dest.filePath("varendo.mdb");
    const auto lessons = readCourseSource(source);
    buildDatabase(lessons, out, dest.path() + "/", false);
    int books[5] = {};
    for (const auto& l : lessons)
        ++books[l.book.toInt()];
    EXPECT_GE(books[1], 3);
    EXPECT_GE(books[2], 2);
    EXPECT_GE(books[3], 2);
    EXPECT_GE(books[4], 2);
    int rows = 0;
    const QStringList problems = checkDatabase(out, VARENDO_SOURCE_DIR "/course/demo/media", &rows);
    EXPECT_TRUE(problems.isEmpty()) << problems.join("\n").toStdString();
    EXPECT_EQ(rows, lessons.size());
    EXPECT_TRUE(QFile::exists(VARENDO_SOURCE_DIR "/course/demo/media/mp3/1/001&002－Excuse Me.mp3"));
}
