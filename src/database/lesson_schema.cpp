#include "database/lesson_schema.h"

#include <QFileInfo>

namespace varendo::db {
namespace {

// "name varchar(n)" with its width check.
QString textColumn(const char* name, const char* type, int width, const char* defaultValue = nullptr)
{
    QString column = QStringLiteral("%1 %2(%3)").arg(QString::fromUtf8(name), QLatin1String(type)).arg(width);
    if (defaultValue)
        column += QStringLiteral(" DEFAULT '%1'").arg(QString::fromUtf8(defaultValue));
    column += QStringLiteral(" CONSTRAINT width_%1 CHECK (length(%1) <= %2)").arg(QString::fromUtf8(name)).arg(width);
    return column;
}

// Long text (the lesson tables' memo columns).
QString memoColumn(const char* name)
{
    return QStringLiteral("%1 TEXT").arg(QString::fromUtf8(name));
}

} // namespace

QString book1CreateStatement()
{
    const QStringList columns{
        QStringLiteral("ID INTEGER PRIMARY KEY AUTOINCREMENT"),
        textColumn("课本号", "varchar", 1),
        textColumn("课程编号", "varchar", 3),
        memoColumn("课程名"),
        memoColumn("课程内容"),
        memoColumn("生词短语"),
        memoColumn("参考译文"),
        memoColumn("备注"),
        textColumn("笔记", "varchar", 2, "无"),
        textColumn("视频文件名", "varchar", 120),
        textColumn("音频文件名", "varchar", 120),
        textColumn("课程状态", "varchar", 8, "未学习"),
        memoColumn("时间刻度"),
        memoColumn("自定义一"),
        memoColumn("自定义二"),
        memoColumn("自定义三"),
        memoColumn("自定义四"),
        memoColumn("自定义五"),
    };
    return QStringLiteral("CREATE TABLE book1 (%1)").arg(columns.join(QStringLiteral(", ")));
}

QString booksetCreateStatement()
{
    const QStringList columns{
        QStringLiteral("ID INTEGER PRIMARY KEY AUTOINCREMENT"),
        textColumn("视频文件目录", "char", 200, "video\\"),
        textColumn("音频文件目录", "char", 200, "mp3\\"),
        textColumn("课程名显示", "varchar", 1, "1"),
        textColumn("课程状态显示", "varchar", 1, "1"),
        textColumn("字体", "varchar", 12, "微软雅黑"),
        textColumn("字号", "varchar", 12, "12"),
        textColumn("颜色", "varchar", 12, "0"),
        textColumn("背景色", "varchar", 12, "-16777192"),
        textColumn("状态", "varchar", 40, ""),
        textColumn("自定义一", "varchar", 40, ""),
        textColumn("自定义二", "varchar", 40, ""),
        textColumn("自定义三", "varchar", 40, ""),
        memoColumn("自定义四"),
        memoColumn("自定义五"),
    };
    return QStringLiteral("CREATE TABLE bookset (%1)").arg(columns.join(QStringLiteral(", ")));
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
    ensureLessonTables(*connection);
    ensureSettingsRow(*connection, appDir);
    return connection;
}

QString bookSelection()
{
    return QStringLiteral("select * from book1 where 课本号=? order by ID");
}

QString lessonSelection()
{
    return QStringLiteral("select * from book1 where 课本号=? and 课程编号=? order by ID");
}

} // namespace varendo::db
