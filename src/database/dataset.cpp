#include "database/dataset.h"

#include <QDebug>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <sqlite3.h>

namespace varendo::db {
namespace {

// Statement handle that is finalised on every path.
struct Statement {
    sqlite3_stmt* stmt = nullptr;
    ~Statement() { sqlite3_finalize(stmt); }
};

void bindAll(const Connection& c, sqlite3_stmt* stmt, const QVariantList& params)
{
    const int expected = sqlite3_bind_parameter_count(stmt);
    if (expected != params.size())
        throw DatabaseError(QStringLiteral("数据库语句需要 %1 个参数，实际给出 %2 个。")
                                .arg(expected)
                                .arg(params.size()));
    for (int i = 0; i < params.size(); ++i) {
        const QVariant& v = params[i];
        int rc;
        switch (v.typeId()) {
        case QMetaType::UnknownType:
            rc = sqlite3_bind_null(stmt, i + 1);
            break;
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::ULongLong:
        case QMetaType::Bool:
            rc = sqlite3_bind_int64(stmt, i + 1, v.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            rc = sqlite3_bind_double(stmt, i + 1, v.toDouble());
            break;
        default: {
            if (v.isNull()) {
                rc = sqlite3_bind_null(stmt, i + 1);
                break;
            }
            const QByteArray utf8 = v.toString().toUtf8();
            rc = sqlite3_bind_text(stmt, i + 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        }
        }
        if (rc != SQLITE_OK)
            c.fail(rc, QStringLiteral("绑定参数"));
    }
}

void prepare(const Connection& c, const QString& sql, Statement& s)
{
    if (!c.isOpen())
        throw DatabaseError(QStringLiteral("课程数据库没有打开。"));
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(c.handle(), utf8.constData(), int(utf8.size()), &s.stmt, nullptr);
    if (rc != SQLITE_OK)
        c.fail(rc, QStringLiteral("执行“%1”").arg(sql));
}

QVariant columnValue(sqlite3_stmt* stmt, int col)
{
    switch (sqlite3_column_type(stmt, col)) {
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(stmt, col)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(stmt, col));
    case SQLITE_NULL:
        return QVariant();
    default: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, col));
        return QVariant(QString::fromUtf8(text, sqlite3_column_bytes(stmt, col)));
    }
    }
}

} // namespace

// ---------------------------------------------------------------- Connection

Connection::~Connection()
{
    close();
}

bool Connection::isReadOnly() const
{
    return db_ && sqlite3_db_readonly(db_, "main") == 1;
}

void Connection::close()
{
    if (db_) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
}

void Connection::fail(int code, const QString& doing) const
{
    const QString detail = db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QString::fromUtf8(sqlite3_errstr(code));
    // The statement and SQLite's own words go to the log; the learner reads what
    // could not be done, in Chinese.
    qWarning().noquote() << QStringLiteral("varendo: database %1: %2: %3").arg(path_, doing, detail);
    const QString file = QFileInfo(path_).fileName();
    switch (code & 0xff) {
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        throw DatabaseError(QStringLiteral("课程数据库“%1”已损坏或不是有效的数据库文件，无法使用。\n文件未作任何改动。").arg(file));
    case SQLITE_READONLY:
        throw DatabaseError(QStringLiteral("课程数据库“%1”是只读的，无法保存更改。\n请检查文件及其所在目录的写入权限。").arg(file));
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        throw DatabaseError(QStringLiteral("无法打开课程数据库“%1”。\n请检查文件是否存在、能否读写。").arg(file));
    case SQLITE_CONSTRAINT: {
        // Width checks are named "width_<column>" in the schema.
        static const QRegularExpression width(QStringLiteral("width_(\\S+)"));
        const auto m = width.match(detail);
        if (m.hasMatch())
            throw DatabaseError(QStringLiteral("字段“%1”的内容太长，超过了该字段允许的长度，未能保存。").arg(m.captured(1)));
        // Other checks (a trigger's, say) give their own reason: it is the one worth reading.
        throw DatabaseError(QStringLiteral("数据不符合课程数据库的约束，未能保存。\n（%1）").arg(detail));
    }
    case SQLITE_FULL:
        throw DatabaseError(QStringLiteral("磁盘已满，课程数据库“%1”未能保存。").arg(file));
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        throw DatabaseBusy(QStringLiteral("课程数据库“%1”正被其他程序使用，请稍后再试。").arg(file));
    default:
        throw DatabaseError(QStringLiteral("课程数据库“%1”读写失败，操作未能完成。").arg(file));
    }
}

void Connection::open(const QString& path, Mode mode)
{
    close();
    path_ = path;
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        throw DatabaseError(QStringLiteral("无法打开课程数据库“%1”：同名的不是一个文件。").arg(info.fileName()));
    if (mode == Mode::OpenExisting && !info.exists())
        throw DatabaseError(QStringLiteral("找不到课程数据库“%1”。").arg(info.fileName()));

    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX;
    if (mode == Mode::CreateIfMissing)
        flags |= SQLITE_OPEN_CREATE;
    const QByteArray file = path.toUtf8();
    const int rc = sqlite3_open_v2(file.constData(), &db_, flags, nullptr);
    if (rc != SQLITE_OK && !info.exists()) {
        const QString detail = QString::fromUtf8(db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc));
        close();
        throw DatabaseError(QStringLiteral("无法在“%1”中创建课程数据库“%2”。\n请检查该目录是否存在、是否允许写入。\n（%3）")
                                .arg(info.absolutePath(), info.fileName(), detail));
    }
    if (rc != SQLITE_OK) {
        try {
            fail(rc, QStringLiteral("打开"));
        } catch (...) {
            close();
            throw;
        }
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, 2000);

    // A file that is not a database, or a damaged one, is refused before anything
    // is written to it.
    try {
        Statement s;
        prepare(*this, QStringLiteral("PRAGMA quick_check"), s);
        int step = sqlite3_step(s.stmt);
        if (step != SQLITE_ROW)
            fail(step, QStringLiteral("检查"));
        const QString verdict = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s.stmt, 0)));
        if (verdict != QLatin1String("ok")) {
            // SQLite's own findings are for the log; the learner is told what it means.
            qWarning().noquote() << QStringLiteral("varendo: database %1: check: %2").arg(path_, verdict);
            throw DatabaseError(QStringLiteral("课程数据库“%1”已损坏（数据库完整性检查未通过），无法使用。\n"
                                               "文件未作任何改动。请用备份或课程安装包中的数据库替换它。")
                                    .arg(QFileInfo(path_).fileName()));
        }
    } catch (...) {
        close();
        throw;
    }
}

void Connection::exec(const QString& sql, const QVariantList& params)
{
    Statement s;
    prepare(*this, sql, s);
    bindAll(*this, s.stmt, params);
    int rc;
    while ((rc = sqlite3_step(s.stmt)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE)
        fail(rc, QStringLiteral("执行“%1”").arg(sql));
}

QStringList Connection::tableNames() const
{
    QStringList names;
    Statement s;
    prepare(*this, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"), s);
    int rc;
    while ((rc = sqlite3_step(s.stmt)) == SQLITE_ROW)
        names << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s.stmt, 0)));
    if (rc != SQLITE_DONE)
        fail(rc, QStringLiteral("列出数据表"));
    // The catalogue itself is a table too.
    names << QStringLiteral("sqlite_master");
    return names;
}

QByteArray Connection::readValueStart(const QString& table, const QString& column, qint64 rowId, qint64 maxBytes,
                                      qint64& totalBytes) const
{
    totalBytes = 0;
    if (!db_)
        throw DatabaseError(QStringLiteral("课程数据库没有打开。"));
    {
        // A null value cannot be opened as a blob; it reads as empty.
        Statement s;
        prepare(*this, QStringLiteral("SELECT \"%1\" IS NULL FROM \"%2\" WHERE rowid = ?").arg(column, table), s);
        bindAll(*this, s.stmt, {rowId});
        const int rc = sqlite3_step(s.stmt);
        if (rc == SQLITE_DONE)
            throw DatabaseError(QStringLiteral("数据表 %1 中已没有第 %2 行。").arg(table).arg(rowId));
        if (rc != SQLITE_ROW)
            fail(rc, QStringLiteral("读取 %1.%2").arg(table, column));
        if (sqlite3_column_int(s.stmt, 0) != 0)
            return {};
    }
    sqlite3_blob* blob = nullptr;
    const QByteArray t = table.toUtf8(), c = column.toUtf8();
    int rc = sqlite3_blob_open(db_, "main", t.constData(), c.constData(), rowId, 0, &blob);
    if (rc != SQLITE_OK) {
        sqlite3_blob_close(blob);
        fail(rc, QStringLiteral("读取 %1.%2").arg(table, column));
    }
    totalBytes = sqlite3_blob_bytes(blob);
    QByteArray bytes(qsizetype(std::min(totalBytes, maxBytes)), Qt::Uninitialized);
    rc = sqlite3_blob_read(blob, bytes.data(), int(bytes.size()), 0);
    sqlite3_blob_close(blob);
    if (rc != SQLITE_OK)
        fail(rc, QStringLiteral("读取 %1.%2").arg(table, column));
    return bytes;
}

bool TableExists(const Connection& connection, const QString& name)
{
    // Upper-case a to z only, as the catalogue compares.
    auto upper = [](QString s) {
        for (QChar& c : s)
            if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
                c = QChar(c.unicode() - 32);
        return s;
    };
    const QString wanted = upper(name);
    for (const QString& table : connection.tableNames())
        if (upper(table) == wanted)
            return true;
    return false;
}

// ---------------------------------------------------------------- Field

const QVariant& Field::value() const
{
    query_->requireRow("读取字段");
    if (query_->editing_)
        return query_->editBuffer_[column_];
    return query_->rows_[query_->cursor_][column_];
}

bool Field::IsNull() const
{
    return value().isNull();
}

QString Field::AsString() const
{
    const QVariant& v = value();
    if (v.isNull())
        return QString();
    if (v.typeId() == QMetaType::Double)
        return QString::number(v.toDouble(), 'g', 15);
    return v.toString();
}

qint64 Field::AsInteger() const
{
    const QVariant& v = value();
    if (v.isNull())
        return 0;
    if (v.typeId() == QMetaType::LongLong)
        return v.toLongLong();
    if (v.typeId() == QMetaType::Double)
        return qint64(v.toDouble());
    bool ok = false;
    const qint64 n = v.toString().trimmed().toLongLong(&ok);
    if (!ok)
        throw DatabaseError(QStringLiteral("字段“%1”的值“%2”不是有效的整数。")
                                .arg(query_->columns_[column_], v.toString()));
    return n;
}

double Field::AsFloat() const
{
    const QVariant& v = value();
    if (v.isNull())
        return 0.0;
    bool ok = false;
    const double d = v.toString().trimmed().toDouble(&ok);
    if (!ok && v.typeId() != QMetaType::LongLong && v.typeId() != QMetaType::Double)
        throw DatabaseError(QStringLiteral("字段“%1”的值“%2”不是有效的数字。")
                                .arg(query_->columns_[column_], v.toString()));
    return ok ? d : v.toDouble();
}

void Field::SetAsString(const QString& value)
{
    if (!query_->editing_)
        throw DatabaseError(QStringLiteral("数据集不在编辑状态，不能修改字段“%1”。").arg(query_->columns_[column_]));
    query_->editBuffer_[column_] = value;
    query_->changed_[column_] = true;
}

void Field::SetAsInteger(qint64 value)
{
    if (!query_->editing_)
        throw DatabaseError(QStringLiteral("数据集不在编辑状态，不能修改字段“%1”。").arg(query_->columns_[column_]));
    query_->editBuffer_[column_] = QVariant(value);
    query_->changed_[column_] = true;
}

// ---------------------------------------------------------------- Query

Query::Query(ConnectionPtr connection) : connection_(std::move(connection)) {}

void Query::SetSQL(const QString& sql, const QVariantList& params)
{
    Close();
    sql_ = sql;
    params_ = params;
}

void Query::Open()
{
    Close();
    if (!connection_)
        throw DatabaseError(QStringLiteral("课程数据库没有打开。"));
    Statement s;
    prepare(*connection_, sql_, s);
    bindAll(*connection_, s.stmt, params_);
    const int n = sqlite3_column_count(s.stmt);
    QStringList columns;
    for (int i = 0; i < n; ++i)
        columns << QString::fromUtf8(sqlite3_column_name(s.stmt, i));
    QVector<QVector<QVariant>> rows;
    int rc;
    while ((rc = sqlite3_step(s.stmt)) == SQLITE_ROW) {
        QVector<QVariant> row(n);
        for (int i = 0; i < n; ++i)
            row[i] = columnValue(s.stmt, i);
        rows.append(std::move(row));
    }
    if (rc != SQLITE_DONE)
        connection_->fail(rc, QStringLiteral("执行“%1”").arg(sql_));
    columns_ = std::move(columns);
    rows_ = std::move(rows);
    cursor_ = 0;
    active_ = true;
}

void Query::ExecSQL()
{
    if (!connection_)
        throw DatabaseError(QStringLiteral("课程数据库没有打开。"));
    connection_->exec(sql_, params_);
}

void Query::Close()
{
    active_ = false;
    editing_ = false;
    columns_.clear();
    rows_.clear();
    cursor_ = 0;
}

void Query::requireActive(const char* what) const
{
    if (!active_)
        throw DatabaseError(QStringLiteral("数据集没有打开，无法%1。").arg(QString::fromUtf8(what)));
}

void Query::requireRow(const char* what) const
{
    requireActive(what);
    if (cursor_ < 0 || cursor_ >= rows_.size())
        throw DatabaseError(QStringLiteral("数据集没有当前记录，无法%1。").arg(QString::fromUtf8(what)));
}

void Query::First()
{
    requireActive("定位");
    Post();
    cursor_ = 0;
}

void Query::Next()
{
    requireActive("定位");
    Post();
    if (cursor_ < rows_.size())
        ++cursor_;
}

bool Query::Eof() const
{
    return !active_ || cursor_ >= rows_.size();
}

int Query::RecordCount() const
{
    return active_ ? int(rows_.size()) : 0;
}

int Query::RecNo() const
{
    if (!active_ || rows_.isEmpty())
        return 0;
    return std::min<int>(cursor_, int(rows_.size()) - 1) + 1;
}

void Query::SetRecNo(int recNo)
{
    requireActive("定位");
    if (recNo < 1 || recNo > rows_.size())
        throw DatabaseError(QStringLiteral("记录号 %1 超出范围（共 %2 条记录）。").arg(recNo).arg(rows_.size()));
    Post();
    cursor_ = recNo - 1;
}

int Query::columnIndex(const QString& name) const
{
    for (int i = 0; i < columns_.size(); ++i)
        if (columns_[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

Field Query::FieldByName(const QString& name)
{
    requireActive("读取字段");
    const int i = columnIndex(name);
    if (i < 0)
        throw DatabaseError(QStringLiteral("数据集中没有字段“%1”。").arg(name));
    return Field(this, i);
}

QString Query::tableOfSelect() const
{
    static const QRegularExpression from(QStringLiteral("\\bfrom\\s+([^\\s;]+)"),
                                         QRegularExpression::CaseInsensitiveOption);
    const auto m = from.match(sql_);
    if (!m.hasMatch())
        throw DatabaseError(QStringLiteral("只能修改单个数据表的查询结果。"));
    return m.captured(1);
}

void Query::Edit()
{
    requireRow("编辑");
    if (columnIndex(QStringLiteral("ID")) < 0)
        throw DatabaseError(QStringLiteral("查询结果中没有 ID 字段，无法修改记录。"));
    editBuffer_ = rows_[cursor_];
    changed_ = QVector<bool>(columns_.size(), false);
    editing_ = true;
}

void Query::Cancel()
{
    editing_ = false;
}

void Query::Post()
{
    if (!editing_)
        return;
    QStringList sets, names;
    QVariantList values;
    for (int i = 0; i < columns_.size(); ++i) {
        if (!changed_[i])
            continue;
        names << QStringLiteral("\"%1\"").arg(QString(columns_[i]).replace(QLatin1Char('"'), QLatin1String("\"\"")));
        sets << names.last() + QStringLiteral(" = ?");
        values << editBuffer_[i];
    }
    if (!sets.isEmpty()) {
        const int idColumn = columnIndex(QStringLiteral("ID"));
        values << rows_[cursor_][idColumn];
        const QString table = tableOfSelect();
        try {
            connection_->exec(QStringLiteral("UPDATE %1 SET %2 WHERE ID = ?").arg(table, sets.join(QStringLiteral(", "))),
                              values);
        } catch (...) {
            // The row stays as it was stored; the edit is dropped.
            editing_ = false;
            throw;
        }
        // Read the changed columns back, so that what the dataset shows is what was
        // kept (integers written to text columns come back as their decimal text).
        // Only those: the row's long texts need not be read again.
        Statement s;
        prepare(*connection_,
                QStringLiteral("SELECT %1 FROM %2 WHERE ID = ?").arg(names.join(QStringLiteral(", ")), table), s);
        bindAll(*connection_, s.stmt, {rows_[cursor_][idColumn]});
        if (sqlite3_step(s.stmt) == SQLITE_ROW) {
            const int n = sqlite3_column_count(s.stmt);
            for (int i = 0; i < n; ++i) {
                const int mine = columnIndex(QString::fromUtf8(sqlite3_column_name(s.stmt, i)));
                if (mine >= 0)
                    rows_[cursor_][mine] = columnValue(s.stmt, i);
            }
        }
    }
    editing_ = false;
}

bool Query::Locate(const QString& column, const QString& value)
{
    requireActive("查找");
    const int i = columnIndex(column);
    if (i < 0)
        throw DatabaseError(QStringLiteral("数据集中没有字段“%1”。").arg(column));
    for (int r = 0; r < rows_.size(); ++r) {
        const QVariant& v = rows_[r][i];
        if (!v.isNull() && v.toString() == value) {
            Post();
            cursor_ = r;
            return true;
        }
    }
    return false;
}

} // namespace varendo::db
