#include "database/lesson_schema.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace varendo::db;

namespace {

struct ColumnInfo {
    QString name, type, defaultValue;
};

QList<ColumnInfo> columnsOf(const Connection& c, const QString& table)
{
    Query q(std::shared_ptr<Connection>(const_cast<Connection*>(&c), [](Connection*) {}));
    q.SetSQL(QStringLiteral("SELECT name, type, dflt_value FROM pragma_table_info(?)"), {table});
    q.Open();
    QList<ColumnInfo> out;
    for (; !q.Eof(); q.Next())
        out.append({q.FieldByName("name").AsString(), q.FieldByName("type").AsString(),
                    q.FieldByName("dflt_value").AsString()});
    return out;
}

QByteArray digest(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

TEST(LessonSchema, FirstStartInAnEmptyFolderCreatesBothTablesAndTheSettingsRow)
{
    QTemporaryDir dir;
    const QString app = dir.path() + "/";
    auto con = openLessonDatabase(app + kDatabaseFileName, app);
    ASSERT_TRUE(QFile::exists(app + kDatabaseFileName));
    EXPECT_TRUE(TableExists(*con, "book1"));
    EXPECT_TRUE(TableExists(*con, "bookset"));

    Query q(con);
    q.SetSQL("select * from book1");
    q.Open();
    EXPECT_EQ(q.RecordCount(), 0);

    q.SetSQL("select * from bookset");
    q.Open();
    ASSERT_EQ(q.RecordCount(), 1);
    EXPECT_EQ(q.FieldByName("视频文件目录").AsString(), app + "video");
    EXPECT_EQ(q.FieldByName("音频文件目录").AsString(), app + "mp3");
    EXPECT_EQ(q.FieldByName("课程名显示").AsString(), "1");
    EXPECT_EQ(q.FieldByName("课程状态显示").AsString(), "1");
    EXPECT_EQ(q.FieldByName("字体").AsString(), "微软雅黑");
    EXPECT_EQ(q.FieldByName("字号").AsString(), "12");
    EXPECT_EQ(q.FieldByName("颜色").AsString(), "0");
    EXPECT_EQ(q.FieldByName("背景色").AsString(), "-16777192");
    EXPECT_EQ(q.FieldByName("状态").AsString(), "");

    // Opening again adds no second settings row.
    con.reset();
    con = openLessonDatabase(app + kDatabaseFileName, app);
    Query again(con);
    again.SetSQL("select * from bookset");
    again.Open();
    EXPECT_EQ(again.RecordCount(), 1);
}

TEST(LessonSchema, ColumnsKeepTheirNamesOrderTypesAndDefaults)
{
    QTemporaryDir dir;
    auto con = openLessonDatabase(dir.filePath(kDatabaseFileName), dir.path() + "/");
    const auto book = columnsOf(*con, "book1");
    const QStringList bookNames{"ID", "课本号", "课程编号", "课程名", "课程内容", "生词短语", "参考译文", "备注", "笔记",
                                "视频文件名", "音频文件名", "课程状态", "时间刻度", "自定义一", "自定义二", "自定义三",
                                "自定义四", "自定义五"};
    ASSERT_EQ(book.size(), bookNames.size());
    for (int i = 0; i < book.size(); ++i)
        EXPECT_EQ(book[i].name, bookNames[i]);
    EXPECT_EQ(book[1].type, "varchar(1)");
    EXPECT_EQ(book[2].type, "varchar(3)");
    EXPECT_EQ(book[3].type, "TEXT");
    EXPECT_EQ(book[8].defaultValue, "'无'");
    EXPECT_EQ(book[9].type, "varchar(120)");
    EXPECT_EQ(book[11].defaultValue, "'未学习'");

    const auto set = columnsOf(*con, "bookset");
    const QStringList setNames{"ID", "视频文件目录", "音频文件目录", "课程名显示", "课程状态显示", "字体", "字号", "颜色",
                               "背景色", "状态", "自定义一", "自定义二", "自定义三", "自定义四", "自定义五"};
    ASSERT_EQ(set.size(), setNames.size());
    for (int i = 0; i < set.size(); ++i)
        EXPECT_EQ(set[i].name, setNames[i]);
    EXPECT_EQ(set[1].type, "char(200)");
    EXPECT_EQ(set[1].defaultValue, "'video\\'");
    EXPECT_EQ(set[5].type, "varchar(12)");
    EXPECT_EQ(set[9].type, "varchar(40)");

    // A new lesson row takes the defaults.
    con->exec("insert into book1 (课本号, 课程编号) values (?, ?)", {"2", "15"});
    Query q(con);
    q.SetSQL(lessonSelection(), {"2", "15"});
    q.Open();
    ASSERT_EQ(q.RecordCount(), 1);
    EXPECT_EQ(q.FieldByName("笔记").AsString(), "无");
    EXPECT_EQ(q.FieldByName("课程状态").AsString(), "未学习");
    EXPECT_TRUE(q.FieldByName("备注").IsNull());
}

TEST(LessonSchema, AMissingTableIsCreatedAndAnExistingOneLeftAlone)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(kDatabaseFileName);
    {
        Connection c;
        c.open(path, Connection::Mode::CreateIfMissing);
        // A lesson table written in capitals, with one lesson, and no settings table.
        c.exec(book1CreateStatement().replace("CREATE TABLE book1", "CREATE TABLE BOOK1"));
        c.exec("insert into BOOK1 (课本号, 课程编号, 课程名) values ('1', '1', 'Lesson 1')");
    }
    auto con = openLessonDatabase(path, dir.path() + "/");
    EXPECT_TRUE(TableExists(*con, "bookset"));
    EXPECT_TRUE(TableExists(*con, "book1"));
    Query q(con);
    q.SetSQL("select * from book1");
    q.Open();
    ASSERT_EQ(q.RecordCount(), 1);
    EXPECT_EQ(q.FieldNames().size(), 18); // not altered
    EXPECT_EQ(q.FieldByName("课程名").AsString(), "Lesson 1");
    q.SetSQL("select * from bookset");
    q.Open();
    EXPECT_EQ(q.RecordCount(), 1);
}

TEST(LessonSchema, ValuesAreBoundNeverSpliced)
{
    // A program folder with an apostrophe and a double quote in its name.
    QTemporaryDir base;
    const QString app = base.path() + "/it's \"my\" folder/";
    ASSERT_TRUE(QDir().mkpath(app));
    auto con = openLessonDatabase(app + kDatabaseFileName, app);
    Query q(con);
    q.SetSQL("select * from bookset");
    q.Open();
    EXPECT_EQ(q.FieldByName("视频文件目录").AsString(), app + "video");

    // A lesson number holding a double quote, and notes full of quotes and SQL.
    const QString notes = "He said \"don't\"; '); DROP TABLE book1; --\r\n第二行";
    con->exec("insert into book1 (课本号, 课程编号) values (?, ?)", {"1", "1\""});
    q.SetSQL(lessonSelection(), {"1", "1\""});
    q.Open();
    ASSERT_EQ(q.RecordCount(), 1);
    q.Edit();
    q.FieldByName("备注").SetAsString(notes);
    q.FieldByName("笔记").SetAsString("有");
    q.Post();
    EXPECT_EQ(q.FieldByName("备注").AsString(), notes);

    Query check(con);
    check.SetSQL("select * from book1 where 笔记=?", {"有"});
    check.Open();
    ASSERT_EQ(check.RecordCount(), 1);
    EXPECT_EQ(check.FieldByName("课程编号").AsString(), "1\"");
    EXPECT_EQ(check.FieldByName("备注").AsString(), notes);
}

TEST(LessonSchema, WidthsAreEnforced)
{
    QTemporaryDir dir;
    auto con = openLessonDatabase(dir.filePath(kDatabaseFileName), dir.path() + "/");
    try {
        con->exec("insert into book1 (课本号, 课程编号) values (?, ?)", {"1", "1234"});
        FAIL() << "a four-character lesson number was stored";
    } catch (const DatabaseError& e) {
        EXPECT_TRUE(e.message().contains("课程编号")) << e.message().toStdString();
    }
    // An integer is stored as its decimal text and measured as such.
    EXPECT_THROW(con->exec("insert into book1 (课本号, 课程编号) values (?, ?)", {"1", 1234}), DatabaseError);
    EXPECT_THROW(con->exec("insert into book1 (课本号) values (?)", {"12"}), DatabaseError);
    // Widths count characters, not bytes: three Chinese characters fit varchar(3).
    EXPECT_NO_THROW(con->exec("insert into book1 (课本号, 课程编号) values (?, ?)", {"1", "一二三"}));

    Query q(con);
    q.SetSQL("select * from bookset");
    q.Open();
    q.Edit();
    q.FieldByName("字体").SetAsString("Noto Sans CJK"); // 13 characters
    try {
        q.Post();
        FAIL() << "a 13-character font name was stored";
    } catch (const DatabaseError& e) {
        EXPECT_TRUE(e.message().contains("字体"));
    }
    EXPECT_FALSE(q.Editing());
    EXPECT_EQ(q.FieldByName("字体").AsString(), "微软雅黑");
    Query fresh(con);
    fresh.SetSQL("select * from bookset");
    fresh.Open();
    EXPECT_EQ(fresh.FieldByName("字体").AsString(), "微软雅黑");

    // Exactly at the limit is fine: all four styles fill the 40 characters.
    q.Edit();
    q.FieldByName("状态").SetAsString("fsbold,fsItalic,fsUnderline,fsStrikeOut,");
    q.FieldByName("字号").SetAsInteger(14);
    EXPECT_NO_THROW(q.Post());
    EXPECT_EQ(q.FieldByName("字号").AsString(), "14");
}

TEST(LessonSchema, UnusableFilesAreReportedAndLeftUntouched)
{
    QTemporaryDir dir;
    const QString app = dir.path() + "/";
    const QString path = app + kDatabaseFileName;

    // Garbage.
    writeFile(path, QByteArray("This is not a database at all.\n").repeated(100));
    const QByteArray before = digest(path);
    try {
        openLessonDatabase(path, app);
        FAIL() << "garbage accepted";
    } catch (const DatabaseError& e) {
        EXPECT_TRUE(e.message().contains("varendo.mdb"));
        EXPECT_TRUE(e.message().contains("不是有效的数据库"));
    }
    EXPECT_EQ(digest(path), before);
    EXPECT_FALSE(QFile::exists(path + "-journal"));

    // A real database cut short.
    QFile::remove(path);
    {
        auto con = openLessonDatabase(path, app);
        for (int i = 0; i < 200; ++i)
            con->exec("insert into book1 (课本号, 课程编号, 课程内容) values ('1', ?, ?)",
                      {QString::number(i % 999), QString(2000, QChar('x'))});
    }
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.resize(f.size() / 2));
    f.close();
    const QByteArray truncated = digest(path);
    EXPECT_THROW(openLessonDatabase(path, app), DatabaseError);
    EXPECT_EQ(digest(path), truncated);

    // Databases whose tables are not the lesson tables: judged before anything is
    // written, refused with what was found, and left byte-identical.
    const struct {
        const char* tables;
        const char* found;
    } foreign[] = {
        {"CREATE TABLE contacts (name TEXT, phone TEXT)", "contacts"},
        {"CREATE TABLE book1 (ID INTEGER PRIMARY KEY, 课本号 varchar(1), 课程编号 varchar(3))", "缺少字段"},
        {"CREATE TABLE book1 (ID TEXT, 课本号 INTEGER, 课程编号 INTEGER, 课程名 INTEGER, 课程内容 INTEGER, 生词短语 INTEGER,"
         " 参考译文 INTEGER, 备注 INTEGER, 笔记 INTEGER, 视频文件名 INTEGER, 音频文件名 INTEGER, 课程状态 INTEGER,"
         " 时间刻度 INTEGER, 自定义一 INTEGER, 自定义二 INTEGER, 自定义三 INTEGER, 自定义四 INTEGER, 自定义五 INTEGER)",
         "字段类型不对"},
    };
    for (const auto& file : foreign) {
        QFile::remove(path);
        {
            Connection c;
            c.open(path, Connection::Mode::CreateIfMissing);
            c.exec(file.tables);
        }
        const QByteArray untouched = digest(path);
        try {
            openLessonDatabase(path, app);
            ADD_FAILURE() << "accepted: " << file.tables;
        } catch (const DatabaseError& e) {
            EXPECT_TRUE(e.message().contains(file.found)) << e.message().toStdString();
            EXPECT_TRUE(e.message().contains("文件未作任何改动")) << e.message().toStdString();
        }
        EXPECT_EQ(digest(path), untouched) << file.tables;
    }
    // A file of no bytes at all is a new database.
    QFile::remove(path);
    writeFile(path, {});
    EXPECT_TRUE(TableExists(*openLessonDatabase(path, app), "book1"));

    // A folder that cannot hold a new file.
    try {
        openLessonDatabase(dir.path() + "/missing/folder/varendo.mdb", app);
        FAIL() << "created a database in a folder that does not exist";
    } catch (const DatabaseError& e) {
        EXPECT_TRUE(e.message().contains("无法在")) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains("创建课程数据库"));
    }

    // A folder where the file should be.
    QTemporaryDir other;
    ASSERT_TRUE(QDir(other.path()).mkdir(kDatabaseFileName));
    EXPECT_THROW(openLessonDatabase(other.filePath(kDatabaseFileName), other.path() + "/"), DatabaseError);
    EXPECT_TRUE(QFileInfo(other.filePath(kDatabaseFileName)).isDir());
}
