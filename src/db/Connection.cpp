#include "db/Connection.h"

#include "runtime/RuntimeError.h"

#include <QDir>
#include <QFileInfo>

Connection::Connection(const QString& databasePath, const std::function<void(sqlite3*)>& setup)
    : m_db(databasePath, SqliteDb::Mode::ReadWrite)
{
    m_db.exec(QStringLiteral("PRAGMA foreign_keys = ON"));
    if (setup)
        setup(m_db.handle());
}

void Connection::beginTrans()
{
    if (m_inTransaction)
        throwError(ErrorNumber::ProviderFailure, QStringLiteral("A transaction is already open on this connection."));
    m_db.exec(QStringLiteral("BEGIN IMMEDIATE"));
    m_inTransaction = true;
}

void Connection::commitTrans()
{
    if (!m_inTransaction)
        throwError(ErrorNumber::ProviderFailure, QStringLiteral("No transaction is open on this connection."));
    m_db.exec(QStringLiteral("COMMIT"));
    m_inTransaction = false;
}

void Connection::rollbackTrans()
{
    if (!m_inTransaction)
        throwError(ErrorNumber::ProviderFailure, QStringLiteral("No transaction is open on this connection."));
    m_inTransaction = false;
    m_db.exec(QStringLiteral("ROLLBACK"));
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

std::shared_ptr<Connection> ConnectionFactory::open(const QString& connectionString) const
{
    const QString path = databasePath(connectionString);
    if (!QFileInfo(path).isFile())
        throwError(ErrorNumber::ProviderFailure,
                   QStringLiteral("Cannot open database \"%1\" requested by the login. The login failed.")
                       .arg(QFileInfo(path).completeBaseName()));
    return std::make_shared<Connection>(path, m_setup);
}
