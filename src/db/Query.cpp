#include "db/Query.h"

#include "db/Sqlite.h"

QueryResult runQuery(SqliteDb& db, const QString& sql, const std::vector<Variant>& params)
{
    Statement st(db, sql);
    st.bindAll(params);
    QueryResult result;
    const int columns = st.columnCount();
    for (int c = 0; c < columns; ++c)
        result.columns << st.columnName(c);
    while (st.step()) {
        std::vector<Variant> row;
        row.reserve(size_t(columns));
        for (int c = 0; c < columns; ++c)
            row.push_back(st.column(c));
        result.rows.push_back(std::move(row));
    }
    return result;
}
