#include "db/RecordsetRows.h"

#include "db/Sqlite.h"
#include "runtime/RuntimeError.h"

#include <atomic>
#include <sqlite3.h>

namespace {

std::atomic<quint64> g_loads{0};

} // namespace

RecordsetRows RecordsetRows::read(Statement& st, size_t expectedBytes)
{
    RecordsetRows rows;
    const int columnCount = st.columnCount();
    rows.m_columns.reserve(size_t(columnCount));
    for (int c = 0; c < columnCount; ++c) {
        Column column;
        column.name = st.columnName(c);
        const char* declared = sqlite3_column_decltype(st.handle(), c);
        const QByteArray type = QByteArray(declared ? declared : "").toUpper();
        column.isDate = type.contains("DATE") || type.contains("TIME");
        // A lookup by name finds the first of two equal names.
        const QString key = column.name.toLower();
        if (!rows.m_columnByName.contains(key))
            rows.m_columnByName.insert(key, c);
        rows.m_columns.push_back(std::move(column));
    }

    RowStore& store = rows.m_store;
    store = RowStore(columnCount, expectedBytes);
    sqlite3_stmt* h = st.handle();
    while (st.step()) {
        RowStore::Word* out = store.appendRow();
        for (int c = 0; c < columnCount; ++c) {
            switch (sqlite3_column_type(h, c)) {
            case SQLITE_INTEGER:
                out[c] = store.integer(sqlite3_column_int64(h, c));
                break;
            case SQLITE_FLOAT:
                out[c] = store.real(sqlite3_column_double(h, c));
                break;
            case SQLITE_TEXT: {
                const char* data = reinterpret_cast<const char*>(sqlite3_column_text(h, c));
                out[c] = store.text(data, size_t(sqlite3_column_bytes(h, c)));
                break;
            }
            case SQLITE_BLOB: {
                const char* data = static_cast<const char*>(sqlite3_column_blob(h, c));
                out[c] = store.blob(data, size_t(sqlite3_column_bytes(h, c)));
                break;
            }
            default:
                out[c] = RowStore::kNull;
                break;
            }
        }
    }
    rows.m_deleted.assign(size_t(store.rowCount()), false);
    rows.m_loadNumber = ++g_loads;
    return rows;
}

void RecordsetRows::releaseCells()
{
    m_store = RowStore();
    m_deleted.clear();
    m_deleted.shrink_to_fit();
    m_deletedCount = 0;
}

int RecordsetRows::columnIndex(const QString& name) const
{
    // Callers name the same few columns again and again, each time spelt the same way.
    const auto known = m_columnBySpelling.constFind(name);
    if (known != m_columnBySpelling.cend())
        return *known;
    const int c = m_columnByName.value(name.toLower(), -1);
    if (c >= 0)
        m_columnBySpelling.insert(name, c);
    return c;
}

int RecordsetRows::requireColumn(const QString& name) const
{
    const int c = columnIndex(name);
    requireColumn(c);
    return c;
}

void RecordsetRows::requireColumn(int c) const
{
    if (c < 0 || c >= columnCount())
        throwError(ErrorNumber::ItemNotFound,
                   QStringLiteral("Item cannot be found in the collection corresponding to the requested name or ordinal."));
}

Variant RecordsetRows::value(int row, int column) const
{
    const Cell c = cell(row, column);
    switch (c.kind) {
    case Cell::Integer:
        return Variant(c.integer);
    case Cell::Double:
        return Variant(c.real);
    case Cell::Text:
        return presented(column, Variant(QString::fromUtf8(c.data, c.length)));
    case Cell::Blob:
        return Variant(QByteArray(c.data, c.length));
    case Cell::Null:
        break;
    }
    return Variant::null();
}

Variant RecordsetRows::presented(int column, const Variant& stored) const
{
    if (m_columns[size_t(column)].isDate && stored.type() == Variant::Type::Text) {
        const QDateTime date = parseDateText(stored.toText());
        if (date.isValid())
            return Variant(date);
    }
    return stored;
}

Variant RecordsetRows::normalized(int column, const Variant& value) const
{
    if (value.isEmpty())
        return Variant::null();
    if (m_columns[size_t(column)].isDate && value.type() == Variant::Type::Text) {
        const QDateTime date = parseDateText(value.toText());
        if (!date.isValid())
            throwError(ErrorNumber::TypeMismatch, QStringLiteral("Type mismatch"));
        return Variant(date);
    }
    return value;
}

void RecordsetRows::write(int row, const std::vector<Variant>& values)
{
    if (row == rowCount()) {
        m_store.appendRow();
        m_deleted.push_back(false);
    }
    for (size_t c = 0; c < m_columns.size(); ++c)
        m_store.row(row)[c] = m_store.value(c < values.size() ? values[c] : Variant::null());
}

void RecordsetRows::markDeleted(int row)
{
    m_deleted[size_t(row)] = true;
    ++m_deletedCount;
}
