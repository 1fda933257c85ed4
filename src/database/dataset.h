#pragma once
// A small dataset over SQLite with the operations the windows use on lesson
// tables: open a select, walk it, read and change fields of the current row,
// locate a row. Values are always bound as parameters, never spliced into SQL.
#include "common/varendo_error.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <memory>

struct sqlite3;

namespace varendo::db {

class DatabaseError : public VarendoError {
public:
    using VarendoError::VarendoError;
};

// The file is locked by another program; trying again later may succeed.
class DatabaseBusy : public DatabaseError {
public:
    using DatabaseError::DatabaseError;
};

// One open database file. Queries share it.
class Connection {
public:
    enum class Mode { OpenExisting, CreateIfMissing };

    Connection() = default;
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens the file and checks that it is a sound database; throws DatabaseError
    // with a message for the learner otherwise. Never alters an unusable file.
    void open(const QString& path, Mode mode);
    void close();
    bool isOpen() const { return db_ != nullptr; }
    // The file was opened read-only (it, or its folder, cannot be written).
    bool isReadOnly() const;
    const QString& path() const { return path_; }
    sqlite3* handle() const { return db_; }

    // Runs a statement that returns no rows.
    void exec(const QString& sql, const QVariantList& params = {});
    // All table names, system tables included.
    QStringList tableNames() const;
    // The first bytes (at most maxBytes) of a text or blob value, read without the
    // rest of it, and the value's whole size in bytes. A null value gives nothing
    // and a size of 0; a value of another type, or a row that is not there, throws.
    QByteArray readValueStart(const QString& table, const QString& column, qint64 rowId, qint64 maxBytes,
                              qint64& totalBytes) const;

    // Turns the last SQLite failure into an error with a message for the learner.
    [[noreturn]] void fail(int code, const QString& doing) const;

private:
    sqlite3* db_ = nullptr;
    QString path_;
};

using ConnectionPtr = std::shared_ptr<Connection>;

class Query;

// A field of the current row, by name.
class Field {
public:
    QString AsString() const;
    qint64 AsInteger() const;
    double AsFloat() const;
    bool IsNull() const;
    void SetAsString(const QString& value);
    void SetAsInteger(qint64 value);

private:
    friend class Query;
    Field(Query* q, int column) : query_(q), column_(column) {}
    const QVariant& value() const;
    Query* query_;
    int column_;
};

class Query {
public:
    explicit Query(ConnectionPtr connection);

    const ConnectionPtr& connection() const { return connection_; }

    // SQL with '?' placeholders and the values bound to them, in order.
    void SetSQL(const QString& sql, const QVariantList& params = {});
    const QString& SQL() const { return sql_; }

    void Open();     // runs the select; positioned on the first row
    void ExecSQL();  // runs a statement without rows
    void Close();
    bool Active() const { return active_; }

    void First();
    void Next();
    bool Eof() const;
    int RecordCount() const;
    int RecNo() const;            // 1-based; 0 when there are no rows
    void SetRecNo(int recNo);     // 1-based

    Field FieldByName(const QString& name);
    QStringList FieldNames() const { return columns_; }

    // Change the current row: Edit, set fields, Post. The select must be of one table
    // and hold its ID column. Moving to another row posts a pending edit first.
    void Edit();
    void Post();
    void Cancel();
    bool Editing() const { return editing_; }

    // Moves to the first row whose column equals the value exactly; false (and no
    // move) when there is none.
    bool Locate(const QString& column, const QString& value);

private:
    friend class Field;
    int columnIndex(const QString& name) const;
    void requireActive(const char* what) const;
    void requireRow(const char* what) const;
    QString tableOfSelect() const;

    ConnectionPtr connection_;
    QString sql_;
    QVariantList params_;
    bool active_ = false;
    QStringList columns_;
    QVector<QVector<QVariant>> rows_;
    int cursor_ = 0;
    bool editing_ = false;
    QVector<QVariant> editBuffer_;
    QVector<bool> changed_;
};

// True when the connection lists a table of that name, compared in upper case
// on both sides (a to z only), system tables included.
bool TableExists(const Connection& connection, const QString& name);

} // namespace varendo::db
