#pragma once

#include "platform/Variant.h"
#include "server/SiteWriter.h"

#include <QTemporaryDir>
#include <vector>

// A server root in a temporary folder, removed with the object: the demo site, or a generated
// site of chosen sizes. Tests change its database before they use it.
class FixtureSite {
public:
    FixtureSite();
    explicit FixtureSite(const LargeSiteSizes& sizes);

    QString rootPath() const { return m_dir.path(); }
    QString databasePath() const;
    QString streamFilesPath() const; // ends with "/"

    // Statements run on a connection of their own, with the server's functions registered.
    void exec(const QString& sql) const;
    int execute(const QString& sql, const std::vector<Variant>& params = {}) const;
    Variant scalar(const QString& sql, const std::vector<Variant>& params = {}) const;

private:
    QTemporaryDir m_dir;
};
