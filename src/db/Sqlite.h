#pragma once

#include "runtime/Variant.h"

#include <QString>
#include <memory>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// Thin RAII over the SQLite C API. Every failure throws RuntimeError with the provider's
// catch-all number and SQLite's own message, which is what the program shows as description.
class SqliteDb {
public:
    enum class Mode { ReadWrite, Create };
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
    // Changes by other connections since this one last looked (SQLite's data version).
    qint64 dataVersion();
    QString lastError() const;

private:
    sqlite3* m_db = nullptr;
    QString m_path;
};

class Statement {
public:
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
