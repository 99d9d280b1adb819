#pragma once

#include "db/Sqlite.h"

#include <QString>
#include <functional>
#include <memory>

struct sqlite3;

// One open connection to the server's configuration database.
class Connection {
public:
    Connection(const QString& databasePath, const std::function<void(sqlite3*)>& setup,
               SqliteDb::Mode mode = SqliteDb::Mode::ReadWrite);

    SqliteDb& db() { return m_db; }

    // Asks SQLite, so that a transaction it ended on its own (after a failed write) counts as ended.
    bool inTransaction() const { return m_db.inTransaction(); }

private:
    friend class ScopedTransaction;
    friend class BulkRead;

    void beginTrans();
    void commitTrans();
    void rollbackTrans();

    SqliteDb m_db;
    int m_bulkReads = 0;
};

// Several writes that land together or not at all. Whatever leaves the scope before commit() (an
// exception, an early return) rolls the connection back, so that it never stays inside a
// transaction that nobody will end and that would lose every later write at exit.
class ScopedTransaction {
public:
    explicit ScopedTransaction(Connection& connection); // raises when a transaction is already open
    ~ScopedTransaction();
    ScopedTransaction(const ScopedTransaction&) = delete;
    ScopedTransaction& operator=(const ScopedTransaction&) = delete;

    void commit(); // raises when the commit fails; the destructor then rolls back
    void rollback();

private:
    Connection& m_connection;
    bool m_open = true;
};

// While one lives, the connection reads the file through a memory map instead of copying every
// page through its small page cache: loading whole tables in index order would read most pages
// many times over. The map goes with the last one, so that the file's pages do not stay in the
// process's memory beside the rows read from them. Nests.
class BulkRead {
public:
    explicit BulkRead(Connection& connection);
    ~BulkRead();
    BulkRead(const BulkRead&) = delete;
    BulkRead& operator=(const BulkRead&) = delete;

private:
    Connection& m_connection;
};

// Maps the server's connection string onto the server root: the Initial Catalog names the
// database file "<catalog>.sqlite3" in the root. Every connection gets the server's functions.
class ConnectionFactory {
public:
    ConnectionFactory(const QString& serverRoot, std::function<void(sqlite3*)> setup);

    // Throws RuntimeError when the string names no catalog or the database cannot be opened.
    // A reader that must never write opens it ReadOnly.
    std::shared_ptr<Connection> open(const QString& connectionString, SqliteDb::Mode mode = SqliteDb::Mode::ReadWrite) const;
    QString databasePath(const QString& connectionString) const;
    const QString& serverRoot() const { return m_serverRoot; }

    static QString connectionStringFor(const QString& serverName);

private:
    QString m_serverRoot;
    std::function<void(sqlite3*)> m_setup;
};
