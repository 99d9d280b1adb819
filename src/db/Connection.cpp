#include "db/Connection.h"

#include "runtime/RuntimeError.h"

#include <QDir>
#include <QFileInfo>
#include <sqlite3.h>

Connection::Connection(const QString& databasePath, const std::function<void(sqlite3*)>& setup, SqliteDb::Mode mode)
    : m_db(databasePath, mode)
{
    m_db.exec(QStringLiteral("PRAGMA foreign_keys = ON"));
    if (setup)
        setup(m_db.handle());
}

void Connection::beginTrans()
{
    if (inTransaction())
        throwError(ErrorNumber::ProviderFailure, QStringLiteral("A transaction is already open on this connection."));
    m_db.exec(QStringLiteral("BEGIN IMMEDIATE"));
}

void Connection::commitTrans()
{
    if (!inTransaction())
        throwError(ErrorNumber::ProviderFailure, QStringLiteral("No transaction is open on this connection."));
    m_db.exec(QStringLiteral("COMMIT"));
}

void Connection::rollbackTrans()
{
    // SQLite may have rolled back already after a failed write; there is nothing left to undo then.
    if (inTransaction())
        m_db.exec(QStringLiteral("ROLLBACK"));
}

ScopedTransaction::ScopedTransaction(Connection& connection)
    : m_connection(connection)
{
    m_connection.beginTrans();
}

ScopedTransaction::~ScopedTransaction()
{
    if (!m_open)
        return;
    try {
        m_connection.rollbackTrans();
    } catch (const RuntimeError& e) {
        qCWarning(lcDatabase).noquote() << "A transaction could not be rolled back:" << databaseCause(e);
    }
}

void ScopedTransaction::commit()
{
    if (!m_open)
        throwError(ErrorNumber::ProviderFailure, QStringLiteral("No transaction is open on this connection."));
    m_connection.commitTrans();
    m_open = false;
}

void ScopedTransaction::rollback()
{
    if (!m_open)
        return;
    m_open = false;
    m_connection.rollbackTrans();
}

namespace {
// SQLite keeps the map within its own compiled limit.
constexpr qint64 kMemoryMapLimit = qint64(1) << 40;
} // namespace

BulkRead::BulkRead(Connection& connection)
    : m_connection(connection)
{
    if (m_connection.m_bulkReads++ == 0) {
        try {
            m_connection.m_db.setMemoryMapLimit(kMemoryMapLimit);
        } catch (const RuntimeError& e) {
            // Reads still work through the page cache, only slower.
            qCWarning(lcDatabase).noquote() << "Reads go without a memory map:" << databaseCause(e);
        }
    }
}

BulkRead::~BulkRead()
{
    if (--m_connection.m_bulkReads == 0) {
        try {
            m_connection.m_db.setMemoryMapLimit(0);
        } catch (const RuntimeError& e) {
            qCWarning(lcDatabase).noquote() << "The memory map could not be given up:" << databaseCause(e);
        }
    }
}

ConnectionFactory::ConnectionFactory(const QString& serverRoot, std::function<void(sqlite3*)> setup)
    : m_serverRoot(serverRoot),
      m_setup(std::move(setup))
{
}

QString ConnectionFactory::connectionStringFor(const QString& serverName)
{
    return QStringLiteral("Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;"
                          "Initial Catalog=TalvoDb;Data Source=")
           + serverName;
}

QString ConnectionFactory::databasePath(const QString& connectionString) const
{
    QString catalog;
    for (const QString& part : connectionString.split(QLatin1Char(';'))) {
        const qsizetype eq = part.indexOf(QLatin1Char('='));
        if (eq > 0 && part.left(eq).trimmed().compare(QLatin1String("Initial Catalog"), Qt::CaseInsensitive) == 0)
            catalog = part.mid(eq + 1).trimmed();
    }
    // A catalog name is a plain name; anything that could leave the server root is refused.
    if (catalog.isEmpty() || catalog.contains(QLatin1Char('/')) || catalog.contains(QLatin1Char('\\'))
        || catalog.contains(QLatin1String("..")))
        throwError(ErrorNumber::ProviderFailure, QStringLiteral("Invalid connection string attribute: Initial Catalog"));
    return QDir(m_serverRoot).filePath(catalog + QStringLiteral(".sqlite3"));
}

std::shared_ptr<Connection> ConnectionFactory::open(const QString& connectionString, SqliteDb::Mode mode) const
{
    const QString path = databasePath(connectionString);
    if (!QFileInfo(path).isFile())
        throw DatabaseError(QStringLiteral("Cannot open database \"%1\" requested by the login. The login failed.")
                                .arg(QFileInfo(path).completeBaseName()),
                            SQLITE_CANTOPEN, path);
    return std::make_shared<Connection>(path, m_setup, mode);
}
