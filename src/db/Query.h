#pragma once

#include "runtime/Variant.h"

#include <QStringList>
#include <vector>

class SqliteDb;

// The rows of a read-only query, read forward once: what lists, searches and reference panels
// show. Every value is bound.
struct QueryResult {
    QStringList columns;
    std::vector<std::vector<Variant>> rows;
};

// Throws RuntimeError when the query cannot be run.
QueryResult runQuery(SqliteDb& db, const QString& sql, const std::vector<Variant>& params = {});
