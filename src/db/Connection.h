#pragma once

#include "db/Sqlite.h"

#include <QString>
#include <functional>
#include <memory>

struct sqlite3;

// One open connection to the server's configuration database.
class Connection {
public:
    Connection(const QString& databasePath, const std::function<void(sqlite3*)>& setup);

    SqliteDb& db() { return m_db; }

    void beginTrans();
    void commitTrans();
    void rollbackTrans();
    bool inTransaction() const { return m_inTransaction; }

private:
    SqliteDb m_db;
    bool m_inTransaction = false;
};

// Maps the documented connection string onto the server root: the Initial Catalog names the
// database file "<catalog>.sqlite3" in the root. Every connection gets the server's functions.
class ConnectionFactory {
public:
    ConnectionFactory(const QString& serverRoot, std::function<void(sqlite3*)> setup);

    // Throws RuntimeError when the string names no catalog or the database cannot be opened.
    std::shared_ptr<Connection> open(const QString& connectionString) const;
    QString databasePath(const QString& connectionString) const;
    const QString& serverRoot() const { return m_serverRoot; }

    static QString connectionStringFor(const QString& serverName);

private:
    QString m_serverRoot;
    std::function<void(sqlite3*)> m_setup;
};
