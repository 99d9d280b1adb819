#include "support/FixtureSite.h"

#include "platform/RuntimeError.h"
#include "platform/Sqlite.h"
#include "server/ServerFunctions.h"

#include <memory>

namespace {

std::unique_ptr<SqliteDb> openSite(const QString& path)
{
    auto db = std::make_unique<SqliteDb>(path, SqliteDb::Mode::ReadWrite);
    registerServerFunctions(db->handle());
    return db;
}

void requireValid(const QTemporaryDir& dir)
{
    if (!dir.isValid())
        throwError(ErrorNumber::ProviderFailure, QStringLiteral("Cannot create a temporary folder: ") + dir.errorString());
}

} // namespace

FixtureSite::FixtureSite()
{
    requireValid(m_dir);
    writeDemoSite(m_dir.path());
}

FixtureSite::FixtureSite(const LargeSiteSizes& sizes)
{
    requireValid(m_dir);
    writeLargeSite(m_dir.path(), sizes);
}

QString FixtureSite::databasePath() const
{
    return m_dir.filePath(QStringLiteral("TalvoDb.sqlite3"));
}

QString FixtureSite::streamFilesPath() const
{
    return m_dir.filePath(QStringLiteral("Stream Files")) + QLatin1Char('/');
}

void FixtureSite::exec(const QString& sql) const
{
    openSite(databasePath())->exec(sql);
}

int FixtureSite::execute(const QString& sql, const std::vector<Variant>& params) const
{
    return openSite(databasePath())->execute(sql, params);
}

Variant FixtureSite::scalar(const QString& sql, const std::vector<Variant>& params) const
{
    return openSite(databasePath())->scalar(sql, params);
}
