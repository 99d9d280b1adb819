#pragma once

#include "db/Sqlite.h"
#include "fakes/QtPrinters.h"
#include "server/ServerFunctions.h"

#include <QStringList>
#include <memory>
#include <ostream>
#include <vector>

using Rows = std::vector<std::vector<Variant>>;

inline std::unique_ptr<SqliteDb> openServerDb(const QString& path)
{
    auto db = std::make_unique<SqliteDb>(path, SqliteDb::Mode::ReadWrite);
    registerServerFunctions(db->handle());
    return db;
}

inline Rows queryRows(SqliteDb& db, const QString& sql, const std::vector<Variant>& params = {})
{
    Statement st(db, sql);
    st.bindAll(params);
    Rows rows;
    while (st.step()) {
        std::vector<Variant> row;
        for (int c = 0; c < st.columnCount(); ++c)
            row.push_back(st.column(c));
        rows.push_back(std::move(row));
    }
    return rows;
}

// One column of every row, as text ("(null)" for Null), in the query's order.
inline QStringList columnTexts(const Rows& rows, size_t column)
{
    QStringList texts;
    for (const auto& row : rows)
        texts << (row.at(column).isNull() ? QStringLiteral("(null)") : row.at(column).toText());
    return texts;
}
