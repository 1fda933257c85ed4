#include "database/lesson_schema.h"

#include <QFileInfo>
#include <QHash>
#include <QStringList>

namespace varendo::db {
namespace {

enum class Kind { Id, Text, Memo };

struct ColumnSpec {
    const char* name;
    Kind kind;
    const char* type = nullptr; // "varchar" or "char" for Text
    int width = 0;
    const char* defaultValue = nullptr;
};

// The lesson table and the settings table, column by column, in order.
const ColumnSpec kBook1[] = {
    {"ID", Kind::Id},
    {"课本号", Kind::Text, "varchar", 1},
    {"课程编号", Kind::Text, "varchar", 3},
    {"课程名", Kind::Memo},
    {"课程内容", Kind::Memo},
    {"生词短语", Kind::Memo},
    {"参考译文", Kind::Memo},
    {"备注", Kind::Memo},
    {"笔记", Kind::Text, "varchar", 2, "无"},
    {"视频文件名", Kind::Text, "varchar", 120},
    {"音频文件名", Kind::Text, "varchar", 120},
    {"课程状态", Kind::Text, "varchar", 8, "未学习"},
    {"时间刻度", Kind::Memo},
    {"自定义一", Kind::Memo},
    {"自定义二", Kind::Memo},
    {"自定义三", Kind::Memo},
    {"自定义四", Kind::Memo},
    {"自定义五", Kind::Memo},
};

const ColumnSpec kBookset[] = {
    {"ID", Kind::Id},
    {"视频文件目录", Kind::Text, "char", 200, "video\\"},
    {"音频文件目录", Kind::Text, "char", 200, "mp3\\"},
    {"课程名显示", Kind::Text, "varchar", 1, "1"},
    {"课程状态显示", Kind::Text, "varchar", 1, "1"},
    {"字体", Kind::Text, "varchar", 12, "微软雅黑"},
    {"字号", Kind::Text, "varchar", 12, "12"},
    {"颜色", Kind::Text, "varchar", 12, "0"},
    {"背景色", Kind::Text, "varchar", 12, "-16777192"},
    {"状态", Kind::Text, "varchar", 40, ""},
    {"自定义一", Kind::Text, "varchar", 40, ""},
    {"自定义二", Kind::Text, "varchar", 40, ""},
    {"自定义三", Kind::Text, "varchar", 40, ""},
    {"自定义四", Kind::Memo},
    {"自定义五", Kind::Memo},
};

QString columnDefinition(const ColumnSpec& c)
{
    const QString name = QString::fromUtf8(c.name);
    switch (c.kind) {
    case Kind::Id:
        return QStringLiteral("ID INTEGER PRIMARY KEY AUTOINCREMENT");
    case Kind::Memo:
        return name + QStringLiteral(" TEXT");
    case Kind::Text:
        break;
    }
    // "name varchar(n)" with its width check.
    QString column = QStringLiteral("%1 %2(%3)").arg(name, QLatin1String(c.type)).arg(c.width);
    if (c.defaultValue)
        column += QStringLiteral(" DEFAULT '%1'").arg(QString::fromUtf8(c.defaultValue));
    column += QStringLiteral(" CONSTRAINT width_%1 CHECK (length(%1) <= %2)").arg(name).arg(c.width);
    return column;
}

template <std::size_t N>
QString createStatement(const char* table, const ColumnSpec (&columns)[N])
{
    QStringList definitions;
    for (const ColumnSpec& c : columns)
        definitions << columnDefinition(c);
    return QStringLiteral("CREATE TABLE %1 (%2)").arg(QLatin1String(table), definitions.join(QStringLiteral(", ")));
}

// How SQLite stores a column of the declared type: what matters is whether text
// stays text ("001" must not become 1) and whether the ID counts rows.
bool keepsText(const QString& declared)
{
    const QString t = declared.toUpper();
    if (t.contains(QLatin1String("INT")))
        return false;
    return t.isEmpty() || t.contains(QLatin1String("CHAR")) || t.contains(QLatin1String("CLOB"))
           || t.contains(QLatin1String("TEXT"));
}

// What is wrong with an existing table, column by column; empty when it is usable.
template <std::size_t N>
QStringList tableProblems(Connection& connection, const char* table, const ColumnSpec (&columns)[N])
{
    QHash<QString, QString> declared; // column name -> declared type
    Query q(std::shared_ptr<Connection>(&connection, [](Connection*) {}));
    q.SetSQL(QStringLiteral("select name, type from pragma_table_info(?)"), {QString::fromLatin1(table)});
    q.Open();
    for (q.First(); !q.Eof(); q.Next())
        declared.insert(q.FieldByName(QStringLiteral("name")).AsString(), q.FieldByName(QStringLiteral("type")).AsString());
    QStringList missing, mistyped;
    for (const ColumnSpec& c : columns) {
        const QString name = QString::fromUtf8(c.name);
        const auto found = declared.constFind(name);
        if (found == declared.cend())
            missing << name;
        else if (c.kind == Kind::Id ? !found->toUpper().contains(QLatin1String("INT")) : !keepsText(*found))
            mistyped << QStringLiteral("%1（%2）").arg(name, *found);
    }
    QStringList problems;
    if (!missing.isEmpty())
        problems << QStringLiteral("表 %1 缺少字段：%2").arg(QLatin1String(table), missing.join(QStringLiteral("、")));
    if (!mistyped.isEmpty())
        problems << QStringLiteral("表 %1 的字段类型不对：%2").arg(QLatin1String(table), mistyped.join(QStringLiteral("、")));
    return problems;
}

} // namespace

QString book1CreateStatement()
{
    return createStatement("book1", kBook1);
}

QString booksetCreateStatement()
{
    return createStatement("bookset", kBookset);
}

void checkLessonTables(Connection& connection)
{
    const bool book1 = TableExists(connection, QStringLiteral("book1"));
    const bool bookset = TableExists(connection, QStringLiteral("bookset"));
    QStringList problems;
    if (book1)
        problems << tableProblems(connection, "book1", kBook1);
    if (bookset)
        problems << tableProblems(connection, "bookset", kBookset);
    if (!book1 && !bookset) {
        QStringList others;
        for (const QString& name : connection.tableNames())
            if (!name.startsWith(QLatin1String("sqlite_")))
                others << name;
        if (!others.isEmpty())
            problems << QStringLiteral("文件中只有其他数据表（%1），没有课程表 book1 和设置表 bookset")
                            .arg(others.join(QStringLiteral("、")));
    }
    if (problems.isEmpty())
        return;
    throw DatabaseError(QStringLiteral("“%1”不是本程序可以使用的课程数据库，文件未作任何改动。\n%2")
                            .arg(QFileInfo(connection.path()).fileName(), problems.join(QLatin1Char('\n'))));
}

void ensureLessonTables(Connection& connection)
{
    if (!TableExists(connection, QStringLiteral("book1")))
        connection.exec(book1CreateStatement());
    if (!TableExists(connection, QStringLiteral("bookset")))
        connection.exec(booksetCreateStatement());
}

void ensureSettingsRow(Connection& connection, const QString& appDir)
{
    Query q(std::shared_ptr<Connection>(&connection, [](Connection*) {}));
    q.SetSQL(QStringLiteral("select * from bookset"));
    q.Open();
    if (q.RecordCount() > 0)
        return;
    q.Close();
    connection.exec(QStringLiteral("insert into bookset (视频文件目录,音频文件目录,课程名显示,课程状态显示) values (?, ?, ?, ?)"),
                    {appDir + QStringLiteral("video"), appDir + QStringLiteral("mp3"), QStringLiteral("1"),
                     QStringLiteral("1")});
}

ConnectionPtr openLessonDatabase(const QString& path, const QString& appDir)
{
    auto connection = std::make_shared<Connection>();
    connection->open(path, Connection::Mode::CreateIfMissing);
    // Only a new or empty file is set up from nothing; a file that holds tables is
    // judged first and left as it is when they are not ours.
    checkLessonTables(*connection);
    ensureLessonTables(*connection);
    ensureSettingsRow(*connection, appDir);
    return connection;
}

// Only the short columns: a book's texts can be hundreds of megabytes, and a
// lesson's row is read when the lesson is chosen.
QString bookSelection()
{
    return QStringLiteral("select ID, 课本号, 课程编号, 课程名, 课程状态 from book1 where 课本号=? order by ID");
}

QString lessonListSelection()
{
    return QStringLiteral("select ID, 课程编号 from book1 where 课本号=? order by ID");
}

QString lessonSelection()
{
    return QStringLiteral("select * from book1 where 课本号=? and 课程编号=? order by ID");
}

} // namespace varendo::db
