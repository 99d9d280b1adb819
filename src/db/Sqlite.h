#pragma once

#include "runtime/RuntimeError.h"
#include "runtime/Variant.h"

#include <QLoggingCategory>
#include <QString>
#include <memory>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// Where the database layer writes what the program's messages do not show: SQLite's own cause
// of a failure, its code and the file, for the administrator who needs to know why.
Q_DECLARE_LOGGING_CATEGORY(lcDatabase)

// A failure reported by SQLite. The program shows number and description as for any runtime
// error; the code and the file are kept for the log.
class DatabaseError : public RuntimeError {
public:
    DatabaseError(const QString& description, int sqliteCode, const QString& file);

    int sqliteCode() const { return m_sqliteCode; } // extended result code
    const QString& file() const { return m_file; }
    // "<description> (SQLite code 11: database disk image is malformed) in <file>"
    QString cause() const;

private:
    int m_sqliteCode;
    QString m_file;
};

// The cause of any runtime error for the log, with SQLite's code and file when it has them.
QString databaseCause(const RuntimeError& error);

// An identifier pasted into SQL text: quoted, inner quotes doubled.
QString quoteIdentifier(const QString& name);

// Thin RAII over the SQLite C API. Every failure throws DatabaseError with the provider's
// catch-all number and SQLite's own message, which is what the program shows as description.
class SqliteDb {
public:
    enum class Mode { ReadOnly, ReadWrite, Create };
    SqliteDb(const QString& path, Mode mode);
    ~SqliteDb();
    SqliteDb(const SqliteDb&) = delete;
    SqliteDb& operator=(const SqliteDb&) = delete;

    sqlite3* handle() const { return m_db; }
    const QString& path() const { return m_path; }

    void exec(const QString& sql);
    // Runs one statement with bound values and returns the number of rows changed.
    int execute(const QString& sql, const std::vector<Variant>& params = {});
    // First column of the first row, Null when there is no row.
    Variant scalar(const QString& sql, const std::vector<Variant>& params = {});

    qint64 totalChanges() const;
    bool inTransaction() const;
    // Reads go through a memory map of up to this many bytes of the file (0: through the page cache).
    void setMemoryMapLimit(qint64 bytes);
    // Changes by other connections since this one last looked (SQLite's data version).
    qint64 dataVersion();
    QString lastError() const;

private:
    sqlite3* m_db = nullptr;
    QString m_path;
};

class Statement {
public:
    // One statement: a text with a second statement after the first is refused, never cut short.
    Statement(SqliteDb& db, const QString& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void bind(int index, const Variant& value); // 1-based, as SQLite counts
    void bindAll(const std::vector<Variant>& values);
    // True while a row is available.
    bool step();
    void reset();

    int columnCount() const;
    QString columnName(int i) const;
    Variant column(int i) const;
    sqlite3_stmt* handle() const { return m_stmt; }

private:
    SqliteDb& m_db;
    sqlite3_stmt* m_stmt = nullptr;
};

// Savepoints nest, so a write inside a caller's transaction needs no special case.
class Savepoint {
public:
    explicit Savepoint(SqliteDb& db);
    ~Savepoint(); // rolls back unless released
    void release();

private:
    SqliteDb& m_db;
    QString m_name;
    bool m_open = true;
};

// Dates are stored as local-time text "yyyy-MM-dd HH:mm:ss".
QString storedDateText(const QDateTime& value);
