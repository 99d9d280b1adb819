#include "db/Recordset.h"

#include "db/Connection.h"
#include "db/Sqlite.h"
#include "runtime/ErrorHandling.h"
#include "runtime/RuntimeError.h"

#include <QRegularExpression>
#include <QSet>
#include <QUuid>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <sqlite3.h>

namespace {

constexpr int kNotUpdatable = 3251;
constexpr int kClosed = 3704;
constexpr int kIndexThreshold = 32;
// A column is indexed from its third lookup on (at once for a key cursor): one scan costs less
// than building an index, and a requery's re-finding of a row, or the one filter a start-up
// needs, should not pay for one.
constexpr int kLookupsBeforeIndex = 2;
constexpr int kFewRows = 64;

// Loads are numbered across all recordsets, so that a bookmark of one load never passes for
// a bookmark of another.
std::atomic<quint64> g_loads{0};

[[noreturn]] void noCurrentRecord()
{
    throwError(ErrorNumber::NoCurrentRecord, QStringLiteral("Either BOF or EOF is True, or the current record has been deleted. "
                                                            "Requested operation requires a current record."));
}

bool isAscii(const char* data, qsizetype length)
{
    for (qsizetype i = 0; i < length; ++i)
        if (static_cast<unsigned char>(data[i]) >= 0x80)
            return false;
    return true;
}

// The comparison key of a text, appended: ASCII folded in place, anything else through Unicode
// case folding.
template <typename Out>
void appendFolded(Out& out, const char* data, qsizetype length)
{
    // Copied, then folded and checked in one pass: an index folds millions of bytes.
    const auto start = out.size();
    out.append(data, static_cast<size_t>(length));
    bool ascii = true;
    for (auto i = start; i < out.size(); ++i) {
        const char ch = out[i];
        ascii = ascii && static_cast<unsigned char>(ch) < 0x80;
        if (ch >= 'A' && ch <= 'Z')
            out[i] = static_cast<char>(ch + ('a' - 'A'));
    }
    if (ascii)
        return;
    out.resize(start);
    const QByteArray folded = QString::fromUtf8(data, length).toCaseFolded().toUtf8();
    out.append(folded.constData(), static_cast<size_t>(folded.size()));
}

QByteArray foldText(const char* data, qsizetype length)
{
    QByteArray out;
    out.reserve(length);
    appendFolded(out, data, length);
    return out;
}

// The key of a criterion's value, comparable with cellKey(); empty optional for Null.
std::optional<QByteArray> valueKey(const Variant& value)
{
    switch (value.type()) {
    case Variant::Type::Null:
    case Variant::Type::Empty:
        return std::nullopt;
    case Variant::Type::Integer:
        return QByteArray::number(value.toInt64());
    case Variant::Type::Date:
        return storedDateText(value.toDate()).toUtf8();
    default: {
        const QByteArray utf8 = value.toText().toUtf8();
        return foldText(utf8.constData(), utf8.size());
    }
    }
}

std::string_view view(const QByteArray& bytes)
{
    return {bytes.constData(), static_cast<size_t>(bytes.size())};
}

struct SortKey {
    int column;
    bool descending;
};

QString newObjectId()
{
    return QUuid::createUuid().toString(QUuid::WithBraces).toUpper();
}

} // namespace

void rowCannotBeLocated()
{
    throwError(ErrorNumber::RowCannotBeLocated,
               QStringLiteral("Row cannot be located for updating. Some values may have been changed since it was last read."));
}

Recordset::Recordset() = default;
Recordset::~Recordset() = default;

void Recordset::open(const QString& source, std::shared_ptr<Connection> connection, const Options& options)
{
    if (m_open)
        throwError(ErrorNumber::ProviderFailure, QStringLiteral("Operation is not allowed when the object is open."));
    if (!connection)
        throwError(ErrorNumber::ProviderFailure, QStringLiteral("The connection cannot be used to perform this operation."));
    m_source = source;
    m_connection = std::move(connection);
    m_options = options;
    m_filter.clear();
    m_sort.clear();
    try {
        load();
    } catch (...) {
        m_connection.reset();
        throw;
    }
    m_open = true;
    rebuildView();
    m_position = 0;
    m_currentDeleted = false;
}

void Recordset::close()
{
    requireOpen();
    m_open = false;
    m_edit.reset();
    m_currentDeleted = false;
    m_rows = RowStore();
    m_deleted.clear();
    m_deleted.shrink_to_fit();
    m_deletedCount = 0;
    m_indexes.clear();
    m_view.reset();
    m_positionOfRow.reset();
    m_connection.reset();
}

void Recordset::load()
{
    SqliteDb& db = m_connection->db();
    const BulkRead bulk(*m_connection);
    // Taken before the read: a change that lands meanwhile makes the next requery read again,
    // never the other way round.
    const qint64 dataVersion = db.dataVersion();
    const qint64 totalChanges = db.totalChanges();
    QStringList sourceTables = ChangeTracking::tablesReadBy(db, m_source);
    const std::optional<ChangeTracking::Stamp> stamp = ChangeTracking::stamp(db, sourceTables);
    const std::optional<qint64> rowChange = ChangeTracking::lastRowChange(db);

    Statement st(db, m_source);
    const int columnCount = st.columnCount();
    std::vector<Column> columns;
    QHash<QString, int> columnByName;
    columns.reserve(size_t(columnCount));
    for (int c = 0; c < columnCount; ++c) {
        Column column;
        column.name = st.columnName(c);
        const char* declared = sqlite3_column_decltype(st.handle(), c);
        const QByteArray type = QByteArray(declared ? declared : "").toUpper();
        column.isDate = type.contains("DATE") || type.contains("TIME");
        // The first of two equal names wins, as a lookup by name did.
        const QString key = column.name.toLower();
        if (!columnByName.contains(key))
            columnByName.insert(key, c);
        columns.push_back(std::move(column));
    }

    // Read into a store of its own: the rows held so far stay as they are until this read is whole.
    RowStore rows(columnCount, m_rows.bytesTaken());
    sqlite3_stmt* h = st.handle();
    while (st.step()) {
        RowStore::Word* out = rows.appendRow();
        for (int c = 0; c < columnCount; ++c) {
            switch (sqlite3_column_type(h, c)) {
            case SQLITE_INTEGER:
                out[c] = rows.integer(sqlite3_column_int64(h, c));
                break;
            case SQLITE_FLOAT:
                out[c] = rows.real(sqlite3_column_double(h, c));
                break;
            case SQLITE_TEXT: {
                const char* data = reinterpret_cast<const char*>(sqlite3_column_text(h, c));
                out[c] = rows.text(data, size_t(sqlite3_column_bytes(h, c)));
                break;
            }
            case SQLITE_BLOB: {
                const char* data = static_cast<const char*>(sqlite3_column_blob(h, c));
                out[c] = rows.blob(data, size_t(sqlite3_column_bytes(h, c)));
                break;
            }
            default:
                out[c] = RowStore::kNull;
                break;
            }
        }
    }

    m_columns = std::move(columns);
    m_columnByName = std::move(columnByName);
    m_columnBySpelling.clear();
    m_rows = std::move(rows);
    m_deleted.assign(size_t(m_rows.rowCount()), false);
    m_deletedCount = 0;
    m_indexes.clear();
    m_indexes.resize(m_columns.size());
    m_lookupCounts.assign(m_columns.size(), 0);
    m_rowBeforeRequery = -1;
    m_edit.reset();
    m_stale = false;
    m_loadId = ++g_loads;
    m_loadedDataVersion = dataVersion;
    m_loadedTotalChanges = totalChanges;
    m_sourceTables = std::move(sourceTables);
    m_loadedStamp = stamp;
    m_loadedRowChange = rowChange;
}

// After a few rows of the source's one table changed elsewhere: reads just those rows again, in
// place. Anything the rows' places could depend on (a row come or gone, an ordering column
// changed) reads everything instead. False when nothing was refreshed.
bool Recordset::refreshChangedRows()
{
    constexpr int kMostRowsRefreshed = 64;
    if (m_stale || m_deletedCount != 0 || !m_loadedRowChange || !m_loadedStamp || m_sourceTables.size() != 1
        || m_options.keyColumn.isEmpty())
        return false;
    const int keyColumn = columnIndex(m_options.keyColumn);
    if (keyColumn < 0)
        return false;
    SqliteDb& db = m_connection->db();
    const qint64 dataVersion = db.dataVersion();
    const qint64 totalChanges = db.totalChanges();
    // Taken before the journal: a change landing in between is read now and again next time.
    const std::optional<ChangeTracking::Stamp> stamp = ChangeTracking::stamp(db, m_sourceTables);
    if (!stamp || stamp->schemaVersion != m_loadedStamp->schemaVersion)
        return false;
    const std::optional<ChangeTracking::ChangedRows> changed =
        ChangeTracking::rowsChangedSince(db, m_sourceTables.first(), m_options.keyColumn, *m_loadedRowChange, kMostRowsRefreshed);
    if (!changed)
        return false;

    QList<int> ordering;
    for (const QString& name : orderingColumns())
        ordering << columnIndex(name);
    std::vector<std::pair<int, std::vector<Variant>>> rows;
    for (const QString& key : changed->keys) {
        const std::optional<QByteArray> wanted = valueKey(Variant(key));
        const std::vector<int> candidates = wanted ? lookup(keyColumn, view(*wanted)) : std::vector<int>();
        if (candidates.size() != 1)
            return false;
        std::vector<Variant> values = readRowFromSource(Variant(key));
        if (values.size() != m_columns.size())
            return false;
        for (const int c : std::as_const(ordering))
            if (c < 0 || presented(c, values[size_t(c)]) != cellValue(candidates.front(), c))
                return false;
        rows.emplace_back(candidates.front(), std::move(values));
    }
    for (const auto& [row, values] : rows)
        storeRow(row, values);
    m_loadedStamp = stamp;
    m_loadedRowChange = changed->last;
    m_loadedDataVersion = dataVersion;
    m_loadedTotalChanges = totalChanges;
    return true;
}

// The columns named after the source's last ORDER BY (the whole text when it names an
// expression: nothing will match it then, and the rows are read again).
QStringList Recordset::orderingColumns() const
{
    const qsizetype orderBy = m_source.lastIndexOf(QLatin1String("order by"), -1, Qt::CaseInsensitive);
    if (orderBy < 0)
        return {};
    QStringList names;
    for (QString part : m_source.mid(orderBy + 8).split(QLatin1Char(','))) {
        part = part.trimmed();
        part.remove(QRegularExpression(QStringLiteral("\\s+(asc|desc)$"), QRegularExpression::CaseInsensitiveOption));
        names << part;
    }
    return names;
}

bool Recordset::changedSinceRead()
{
    requireOpen();
    if (m_stale || m_deletedCount != 0)
        return true;
    SqliteDb& db = m_connection->db();
    const qint64 dataVersion = db.dataVersion();
    const qint64 totalChanges = db.totalChanges();
    // Rows read while nothing has been written anywhere are still the database's rows.
    if (dataVersion == m_loadedDataVersion && totalChanges == m_loadedTotalChanges)
        return false;
    // Something was written somewhere; the counters tell whether it touched this source.
    if (!m_loadedStamp || ChangeTracking::stamp(db, m_sourceTables) != m_loadedStamp)
        return true;
    // Unchanged as of the versions taken before the counters were read: a later change moves them.
    m_loadedDataVersion = dataVersion;
    m_loadedTotalChanges = totalChanges;
    return false;
}

void Recordset::requery()
{
    requireOpen();
    m_edit.reset();
    const int previousRow = currentRow();
    const bool unchanged = !changedSinceRead();
    if (!unchanged && !refreshChangedRows())
        load(); // a failure leaves rows, view and position as they were
    leaveDeletedRow();
    m_rowBeforeRequery = unchanged ? previousRow : -1;
    try {
        rebuildView();
    } catch (...) {
        // The filter names a column the new rows lack: show none rather than rows of the old view.
        m_view = std::vector<int>();
        m_positionOfRow.reset();
        m_position = 0;
        throw;
    }
    m_position = 0;
}

Variant Recordset::cellValue(int row, int column) const
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

// A value as the database gave it, the way the recordset shows it: dates stored as text are dates.
Variant Recordset::presented(int column, const Variant& stored) const
{
    if (m_columns[size_t(column)].isDate && stored.type() == Variant::Type::Text) {
        const QDateTime date = parseDateText(stored.toText());
        if (date.isValid())
            return Variant(date);
    }
    return stored;
}

RowStore::Word Recordset::storedWord(const Variant& value)
{
    switch (value.type()) {
    case Variant::Type::Empty:
    case Variant::Type::Null:
        break;
    case Variant::Type::Boolean:
        return RowStore::smallInteger(value.toBool() ? 1 : 0);
    case Variant::Type::Integer:
        return m_rows.integer(value.toInt64());
    case Variant::Type::Double:
        return m_rows.real(value.toDouble());
    case Variant::Type::Text:
    case Variant::Type::Date: {
        const QByteArray bytes =
            value.type() == Variant::Type::Date ? storedDateText(value.toDate()).toUtf8() : value.toText().toUtf8();
        return m_rows.text(bytes.constData(), size_t(bytes.size()));
    }
    case Variant::Type::Bytes: {
        const QByteArray bytes = value.toBytes();
        return m_rows.blob(bytes.constData(), size_t(bytes.size()));
    }
    }
    return RowStore::kNull;
}

// Writes a row's values (a row past the end is added) and keeps the built indexes in step.
void Recordset::storeRow(int row, const std::vector<Variant>& values)
{
    const bool added = row == rowCount();
    for (size_t c = 0; c < m_indexes.size(); ++c)
        if (m_indexes[c] && !added)
            unindexRow(int(c), row);
    if (added) {
        m_rows.appendRow();
        m_deleted.push_back(false);
    }
    for (size_t c = 0; c < m_columns.size(); ++c)
        m_rows.row(row)[c] = storedWord(c < values.size() ? values[c] : Variant::null());
    for (size_t c = 0; c < m_indexes.size(); ++c)
        if (m_indexes[c])
            indexRow(int(c), row);
}

QByteArray Recordset::cellKey(const Cell& c) const
{
    switch (c.kind) {
    case Cell::Integer:
        return QByteArray::number(c.integer);
    case Cell::Double:
        return numberText(c.real).toUtf8();
    case Cell::Text:
        return foldText(c.data, c.length);
    case Cell::Blob:
        return QByteArray(c.data, c.length);
    case Cell::Null:
        break;
    }
    return QByteArray();
}

bool Recordset::matches(int row, int column, const QByteArray& key) const
{
    const Cell c = cell(row, column);
    if (c.kind == Cell::Null)
        return false;
    if (c.kind == Cell::Text) {
        // Byte by byte with ASCII folding, leaving at the first difference; only text outside
        // ASCII needs the full folding.
        const char* data = c.data;
        if (qsizetype(c.length) == key.size()) {
            quint32 i = 0;
            for (; i < c.length; ++i) {
                char a = data[i];
                if (static_cast<unsigned char>(a) >= 0x80 || static_cast<unsigned char>(key[i]) >= 0x80)
                    break;
                if (a >= 'A' && a <= 'Z')
                    a = static_cast<char>(a + ('a' - 'A'));
                if (a != key[i])
                    return false;
            }
            if (i == c.length)
                return true;
        } else if (isAscii(data, c.length) && isAscii(key.constData(), key.size())) {
            return false;
        }
    }
    return cellKey(c) == key;
}

namespace {

// Appends the comparison key of a cell, the same bytes cellKey() gives, without a copy for text.
void appendKey(std::string& out, const RowStore::Cell& c)
{
    switch (c.kind) {
    case RowStore::Cell::Integer: {
        char digits[24];
        const int n = std::snprintf(digits, sizeof digits, "%lld", static_cast<long long>(c.integer));
        out.append(digits, size_t(n));
        break;
    }
    case RowStore::Cell::Double: {
        const QByteArray text = numberText(c.real).toUtf8();
        out.append(text.constData(), size_t(text.size()));
        break;
    }
    case RowStore::Cell::Text:
        appendFolded(out, c.data, c.length);
        break;
    case RowStore::Cell::Blob:
        out.append(c.data, c.length);
        break;
    case RowStore::Cell::Null:
        break;
    }
}

} // namespace

const Recordset::Index& Recordset::index(int column)
{
    auto& slot = m_indexes[size_t(column)];
    if (!slot) {
        auto built = std::make_unique<Index>();
        auto& entries = built->entries;
        entries.reserve(size_t(rowCount()));
        // The keys' room taken at once: a text folds to as many bytes, a number to a few.
        size_t bytes = 0;
        for (int r = 0; r < rowCount(); ++r) {
            const Cell c = cell(r, column);
            bytes += c.kind == Cell::Text || c.kind == Cell::Blob ? c.length : 24;
        }
        built->keys.reserve(bytes + bytes / 16);
        for (int r = 0; r < rowCount(); ++r) {
            const Cell c = cell(r, column);
            if (c.kind == Cell::Null)
                continue;
            const size_t offset = built->keys.size();
            appendKey(built->keys, c);
            const std::string_view key(built->keys.data() + offset, built->keys.size() - offset);
            entries.push_back({Index::prefixOf(key), quint32(offset), quint32(key.size()), r});
        }
        const Index& idx = *built;
        auto less = [&](const Index::Entry& a, const Index::Entry& b) { return idx.less(a, b); };
        // The query often delivers its rows in this order already (it sorts by the column).
        if (!std::is_sorted(entries.begin(), entries.end(), less))
            std::sort(entries.begin(), entries.end(), less);
        slot = std::move(built);
    }
    return *slot;
}

// Adds a row's current key to a built index, after its equal keys of lower rows.
void Recordset::indexRow(int column, int row)
{
    Index& idx = *m_indexes[size_t(column)];
    const Cell c = cell(row, column);
    if (c.kind == Cell::Null)
        return;
    const size_t offset = idx.keys.size();
    appendKey(idx.keys, c);
    const std::string_view key(idx.keys.data() + offset, idx.keys.size() - offset);
    const Index::Entry entry{Index::prefixOf(key), quint32(offset), quint32(key.size()), row};
    const auto at = std::lower_bound(idx.entries.begin(), idx.entries.end(), entry,
                                     [&](const Index::Entry& a, const Index::Entry& b) { return idx.less(a, b); });
    idx.entries.insert(at, entry);
}

// Takes a row out of a built index, under the key it holds now.
void Recordset::unindexRow(int column, int row)
{
    Index& idx = *m_indexes[size_t(column)];
    const Cell c = cell(row, column);
    if (c.kind == Cell::Null)
        return;
    const QByteArray key = cellKey(c);
    const quint64 prefix = Index::prefixOf(view(key));
    auto it = std::lower_bound(idx.entries.begin(), idx.entries.end(), view(key),
                               [&](const Index::Entry& e, std::string_view k) { return idx.compare(e, prefix, k) < 0; });
    for (; it != idx.entries.end() && idx.key(*it) == view(key); ++it)
        if (it->row == row) {
            idx.entries.erase(it);
            return;
        }
}

std::pair<std::vector<Recordset::Index::Entry>::const_iterator, std::vector<Recordset::Index::Entry>::const_iterator>
Recordset::indexRange(int column, std::string_view k)
{
    const Index& idx = index(column);
    const quint64 prefix = Index::prefixOf(k);
    const auto first = std::lower_bound(idx.entries.begin(), idx.entries.end(), k,
                                        [&](const Index::Entry& e, std::string_view v) { return idx.compare(e, prefix, v) < 0; });
    const auto last = std::upper_bound(first, idx.entries.end(), k,
                                       [&](std::string_view v, const Index::Entry& e) { return idx.compare(e, prefix, v) > 0; });
    return {first, last};
}

quint64 Recordset::Index::prefixOf(std::string_view key)
{
    quint64 prefix = 0;
    for (size_t i = 0; i < 8; ++i)
        prefix = (prefix << 8) | (i < key.size() ? static_cast<unsigned char>(key[i]) : 0u);
    return prefix;
}

// Whether a lookup on the column goes through its index; counts the lookups that do not.
bool Recordset::useIndex(int column)
{
    if (rowCount() < kIndexThreshold)
        return false;
    if (m_indexes[size_t(column)])
        return true;
    return ++m_lookupCounts[size_t(column)] > kLookupsBeforeIndex;
}

// Rows whose cell equals the key, in row order (deleted rows left out).
std::vector<int> Recordset::lookup(int column, std::string_view key)
{
    std::vector<int> found;
    if (!useIndex(column)) {
        const QByteArray bytes(key.data(), qsizetype(key.size()));
        for (int r = 0; r < rowCount(); ++r)
            if (!m_deleted[size_t(r)] && matches(r, column, bytes))
                found.push_back(r);
        return found;
    }
    const auto [first, last] = indexRange(column, key);
    for (auto it = first; it != last; ++it)
        if (!m_deleted[size_t(it->row)])
            found.push_back(it->row);
    return found; // the index keeps equal keys in row order
}

std::optional<QByteArray> Recordset::keyOf(const Variant& value)
{
    return valueKey(value);
}

bool Recordset::keyAt(int row, int column, std::string& key) const
{
    const Cell c = cell(row, column);
    key.clear();
    if (c.kind == Cell::Null)
        return false;
    appendKey(key, c);
    return true;
}

std::vector<int> Recordset::rowsWithKey(int column, std::string_view key)
{
    requireOpen();
    // Whoever asks by row number asks many times: the index pays from the first lookup.
    if (rowCount() >= kIndexThreshold)
        index(column);
    return lookup(column, key);
}

Recordset::KeyCursor Recordset::keyCursor(int column)
{
    requireOpen();
    return KeyCursor(*this, column);
}

Recordset::KeyCursor::KeyCursor(Recordset& rs, int column)
    : m_rs(rs),
      m_index(&rs.index(column))
{
}

int Recordset::KeyCursor::firstRow(std::string_view key)
{
    const Index& idx = *m_index;
    const std::vector<Index::Entry>& entries = idx.entries;
    const size_t n = entries.size();
    const quint64 prefix = Index::prefixOf(key);
    auto before = [&](size_t i) { return idx.compare(entries[i], prefix, key) < 0; };
    if (m_at > n || (m_at > 0 && !before(m_at - 1)))
        m_at = 0;
    // Every entry before `low` is lower than the key; strides double until one is not.
    size_t low = m_at, high = m_at, stride = 1;
    while (high < n && before(high)) {
        low = high + 1;
        high = low + stride;
        stride *= 2;
    }
    high = std::min(high, n);
    const auto first = std::lower_bound(entries.begin() + std::ptrdiff_t(low), entries.begin() + std::ptrdiff_t(high), key,
                                        [&](const Index::Entry& e, std::string_view v) { return idx.compare(e, prefix, v) < 0; });
    m_at = size_t(first - entries.begin());
    for (size_t i = m_at; i < n && idx.compare(entries[i], prefix, key) == 0; ++i)
        if (!m_rs.m_deleted[size_t(entries[i].row)])
            return entries[i].row;
    return -1;
}

void Recordset::rebuildView()
{
    m_positionOfRow.reset();
    if (m_filter.empty() && m_sort.isEmpty() && m_deletedCount == 0) {
        m_view.reset();
        return;
    }
    std::vector<int> rows;
    if (!m_filter.empty()) {
        const int first = requireColumn(m_filter.front().column);
        const auto key = valueKey(m_filter.front().value);
        std::vector<std::pair<int, QByteArray>> rest;
        bool impossible = !key;
        for (size_t i = 1; i < m_filter.size(); ++i) {
            const auto k = valueKey(m_filter[i].value);
            impossible = impossible || !k;
            rest.emplace_back(requireColumn(m_filter[i].column), k.value_or(QByteArray()));
        }
        if (!impossible)
            rows = lookup(first, view(*key));
        std::erase_if(rows, [&](int r) {
            return std::any_of(rest.begin(), rest.end(), [&](const auto& c) { return !matches(r, c.first, c.second); });
        });
    } else {
        rows.reserve(size_t(rowCount() - m_deletedCount));
        for (int r = 0; r < rowCount(); ++r)
            if (!m_deleted[size_t(r)])
                rows.push_back(r);
    }
    if (!m_sort.isEmpty()) {
        std::vector<SortKey> keys;
        for (const QString& part : m_sort.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            const QStringList words = part.simplified().split(QLatin1Char(' '));
            keys.push_back(
                {requireColumn(words.value(0)), words.value(1).compare(QLatin1String("DESC"), Qt::CaseInsensitive) == 0});
        }
        auto rank = [](const Cell& c) {
            return c.kind == Cell::Null ? 0 : (c.kind == Cell::Integer || c.kind == Cell::Double) ? 1 : 2;
        };
        auto compare = [&](int a, int b) {
            for (const SortKey& k : keys) {
                const Cell x = cell(a, k.column);
                const Cell y = cell(b, k.column);
                int result = rank(x) - rank(y);
                if (result == 0 && rank(x) == 1) {
                    const double dx = x.kind == Cell::Integer ? double(x.integer) : x.real;
                    const double dy = y.kind == Cell::Integer ? double(y.integer) : y.real;
                    result = dx < dy ? -1 : dx > dy ? 1 : 0;
                } else if (result == 0 && rank(x) == 2) {
                    const QByteArray kx = cellKey(x), ky = cellKey(y);
                    result = kx < ky ? -1 : ky < kx ? 1 : 0;
                }
                if (result != 0)
                    return k.descending ? result > 0 : result < 0;
            }
            return false;
        };
        std::stable_sort(rows.begin(), rows.end(), compare);
    }
    m_view = std::move(rows);
}

int Recordset::viewSize() const
{
    return m_view ? static_cast<int>(m_view->size()) : rowCount();
}

int Recordset::viewRow(int position) const
{
    return m_view ? (*m_view)[size_t(position)] : position;
}

int Recordset::viewPositionOf(int row) const
{
    if (!m_view)
        return row < rowCount() ? row : -1;
    if (m_sort.isEmpty()) {
        const auto it = std::lower_bound(m_view->begin(), m_view->end(), row);
        return it != m_view->end() && *it == row ? static_cast<int>(it - m_view->begin()) : -1;
    }
    if (!m_positionOfRow) {
        m_positionOfRow.emplace();
        for (size_t i = 0; i < m_view->size(); ++i)
            m_positionOfRow->insert((*m_view)[i], static_cast<int>(i));
    }
    return m_positionOfRow->value(row, -1);
}

int Recordset::columnIndex(const QString& name) const
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

int Recordset::requireColumn(const QString& name) const
{
    const int c = columnIndex(name);
    if (c < 0)
        throwError(ErrorNumber::ItemNotFound,
                   QStringLiteral("Item cannot be found in the collection corresponding to the requested name or ordinal."));
    return c;
}

QString Recordset::fieldName(int index) const
{
    if (index < 0 || index >= fieldCount())
        throwError(ErrorNumber::ItemNotFound,
                   QStringLiteral("Item cannot be found in the collection corresponding to the requested name or ordinal."));
    return m_columns[size_t(index)].name;
}

int Recordset::currentRow() const
{
    if (!m_open || m_currentDeleted || m_position < 0 || m_position >= viewSize())
        return -1;
    const int row = viewRow(m_position);
    return m_deleted[size_t(row)] ? -1 : row;
}

int Recordset::requireCurrentRow() const
{
    const int row = currentRow();
    if (row < 0)
        noCurrentRecord();
    return row;
}

void Recordset::finishPendingEdit()
{
    if (m_edit)
        update();
}

void Recordset::leaveDeletedRow()
{
    m_currentDeleted = false;
}

void Recordset::moveFirst()
{
    requireOpen();
    finishPendingEdit();
    leaveDeletedRow();
    m_position = 0;
}

void Recordset::moveLast()
{
    requireOpen();
    finishPendingEdit();
    leaveDeletedRow();
    m_position = std::max(0, viewSize() - 1);
}

void Recordset::moveNext()
{
    requireOpen();
    if (m_currentDeleted) {
        // the rows have closed up over the deleted one: its successor already stands here
        leaveDeletedRow();
        return;
    }
    if (isEOF())
        noCurrentRecord();
    finishPendingEdit();
    ++m_position;
}

void Recordset::movePrevious()
{
    requireOpen();
    if (m_currentDeleted) {
        leaveDeletedRow();
        --m_position;
        return;
    }
    if (isBOF())
        noCurrentRecord();
    finishPendingEdit();
    --m_position;
}

bool Recordset::isEOF() const
{
    requireOpen();
    if (m_currentDeleted)
        return false;
    return viewSize() == 0 || m_position >= viewSize();
}

bool Recordset::isBOF() const
{
    requireOpen();
    if (m_currentDeleted)
        return false;
    return viewSize() == 0 || m_position < 0;
}

int Recordset::recordCount() const
{
    requireOpen();
    return viewSize();
}

bool Recordset::find(const QString& column, const Variant& value)
{
    requireOpen();
    finishPendingEdit();
    leaveDeletedRow();
    const int c = requireColumn(column);
    const int start = std::max(m_position, 0);
    const auto key = valueKey(value);
    int best = -1;
    // Keys are unique: when the row that was current before an unchanged requery holds the key,
    // it is the one match, found without a search.
    if (key && c == columnIndex(m_options.keyColumn) && m_rowBeforeRequery >= 0 && !m_deleted[size_t(m_rowBeforeRequery)]
        && matches(m_rowBeforeRequery, c, *key)) {
        const int pos = viewPositionOf(m_rowBeforeRequery);
        if (pos >= start) {
            m_position = pos;
            return true;
        }
    }
    // A few filtered rows are walked; an index would hand back the matches of the whole table.
    const bool fewRows = m_view && viewSize() - start <= kFewRows;
    if (key && start < viewSize() && (fewRows || !useIndex(c))) {
        // Without an index, walk the rows in order and stop at the first match.
        for (int pos = start; pos < viewSize(); ++pos) {
            const int row = viewRow(pos);
            if (!m_deleted[size_t(row)] && matches(row, c, *key)) {
                best = pos;
                break;
            }
        }
    } else if (key && start < viewSize()) {
        const auto [first, last] = indexRange(c, view(*key));
        for (auto it = first; it != last; ++it) {
            if (m_deleted[size_t(it->row)])
                continue;
            const int pos = viewPositionOf(it->row);
            if (pos >= start && (best < 0 || pos < best)) {
                best = pos;
                if (m_sort.isEmpty())
                    break; // rows come in view order when the view is unsorted
            }
        }
    }
    m_position = best >= 0 ? best : viewSize();
    return best >= 0;
}

void Recordset::setFilter(const std::vector<Criterion>& criteria)
{
    requireOpen();
    finishPendingEdit();
    for (const Criterion& c : criteria)
        requireColumn(c.column);
    leaveDeletedRow();
    m_filter = criteria;
    rebuildView();
    m_position = 0;
}

void Recordset::setSort(const QString& sort)
{
    requireOpen();
    finishPendingEdit();
    const QString previous = m_sort;
    m_sort = sort.trimmed();
    try {
        rebuildView();
    } catch (...) {
        m_sort = previous;
        rebuildView();
        throw;
    }
    m_position = 0;
}

Recordset::Bookmark Recordset::bookmark() const
{
    requireOpen();
    Bookmark mark;
    mark.m_load = m_loadId;
    mark.m_row = requireCurrentRow();
    const int keyColumn = m_options.keyColumn.isEmpty() ? -1 : columnIndex(m_options.keyColumn);
    if (keyColumn >= 0)
        mark.m_key = cellKey(cell(mark.m_row, keyColumn));
    return mark;
}

void Recordset::setBookmark(const Bookmark& bookmark)
{
    requireOpen();
    finishPendingEdit();
    int row = -1;
    if (bookmark.m_load == m_loadId) {
        if (bookmark.m_row >= 0 && bookmark.m_row < rowCount() && !m_deleted[size_t(bookmark.m_row)])
            row = bookmark.m_row;
    } else if (!bookmark.m_key.isEmpty()) {
        // The rows were read anew since: the bookmark's record is the one with its key, if any.
        const int keyColumn = m_options.keyColumn.isEmpty() ? -1 : columnIndex(m_options.keyColumn);
        if (keyColumn >= 0)
            for (const int candidate : lookup(keyColumn, view(bookmark.m_key)))
                if (viewPositionOf(candidate) >= 0) {
                    row = candidate;
                    break;
                }
    }
    const int pos = row >= 0 ? viewPositionOf(row) : -1;
    if (pos < 0)
        noCurrentRecord();
    leaveDeletedRow();
    m_position = pos;
}

Variant Recordset::field(const QString& name) const
{
    requireOpen();
    return field(requireColumn(name));
}

Variant Recordset::field(int index) const
{
    requireOpen();
    if (index < 0 || index >= fieldCount())
        throwError(ErrorNumber::ItemNotFound,
                   QStringLiteral("Item cannot be found in the collection corresponding to the requested name or ordinal."));
    if (m_edit && m_edit->values[size_t(index)])
        return *m_edit->values[size_t(index)];
    if (m_edit && m_edit->row < 0)
        return Variant::null();
    return cellValue(requireCurrentRow(), index);
}

void Recordset::requireOpen() const
{
    if (!m_open)
        throwError(kClosed, QStringLiteral("Operation is not allowed when the object is closed."));
}

void Recordset::requireWritable() const
{
    if (!m_open || m_options.lock == LockType::ReadOnly)
        throwError(kNotUpdatable, QStringLiteral("Current Recordset does not support updating. This may be a limitation of the "
                                                 "provider, or of the selected locktype."));
}

Variant Recordset::normalizedForColumn(int column, const Variant& value) const
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

void Recordset::setField(const QString& name, const Variant& value)
{
    requireOpen();
    requireWritable();
    const int c = requireColumn(name);
    const Variant normalized = normalizedForColumn(c, value);
    if (!m_edit) {
        Edit edit;
        edit.row = requireCurrentRow();
        edit.values.resize(m_columns.size());
        m_edit = std::move(edit);
    }
    m_edit->values[size_t(c)] = normalized;
}

void Recordset::addNew()
{
    requireOpen();
    requireWritable();
    finishPendingEdit();
    Edit edit;
    edit.row = -1;
    edit.values.resize(m_columns.size());
    m_edit = std::move(edit);
}

void Recordset::cancelUpdate()
{
    m_edit.reset();
}

void Recordset::setJoinedColumnWriter(const QString& column, JoinedColumnWriter writer)
{
    m_joinedWriters.insert(column.toLower(), std::move(writer));
}

QString Recordset::targetName() const
{
    if (!m_options.writeTarget.isEmpty())
        return m_options.writeTarget;
    static const QRegularExpression single(
        QStringLiteral("^\\s*select\\s+.+?\\s+from\\s+([A-Za-z_][A-Za-z0-9_]*)\\s*(?:where\\b.*|order\\s+by\\b.*)?$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const auto m = single.match(m_source);
    if (!m.hasMatch() || m_source.contains(QLatin1String(" join "), Qt::CaseInsensitive))
        throwError(kNotUpdatable, QStringLiteral("Insufficient base table information for updating or refreshing."));
    return m.captured(1);
}

std::vector<Variant> Recordset::readRowFromSource(const Variant& key)
{
    Statement st(m_connection->db(),
                 QStringLiteral("SELECT * FROM (%1) WHERE %2 = ?").arg(m_source, quoteIdentifier(m_options.keyColumn)));
    st.bind(1, key);
    std::vector<Variant> values;
    if (st.step())
        for (int c = 0; c < st.columnCount(); ++c)
            values.push_back(st.column(c));
    return values;
}

std::vector<Variant> Recordset::readRowFromSourceOrThrow(const Variant& key)
{
    std::vector<Variant> values = readRowFromSource(key);
    if (values.size() != m_columns.size())
        rowCannotBeLocated();
    return values;
}

void Recordset::resyncRow(int row, const Variant& key)
{
    const std::vector<Variant> values = readRowFromSource(key);
    if (values.size() == m_columns.size())
        storeRow(row, values);
}

// After a write the database took: the row as the database now shows it. A row that cannot be
// read back shows the values written, and the next requery reads everything again; the write
// stands either way.
void Recordset::refreshWrittenRow(int row, const Variant& key, const Edit& edit)
{
    try {
        std::vector<Variant> values = readRowFromSource(key);
        if (values.size() == m_columns.size()) {
            storeRow(row, values);
            return;
        }
    } catch (const RuntimeError& e) {
        qCWarning(lcDatabase).noquote()
            << "A row written to the database could not be read back; it is read again at the next requery:" << databaseCause(e);
    }
    std::vector<Variant> values(m_columns.size(), Variant::null());
    for (size_t c = 0; c < m_columns.size(); ++c) {
        if (edit.values[c])
            values[c] = *edit.values[c];
        else if (row < rowCount())
            values[c] = cellValue(row, int(c));
    }
    storeRow(row, values);
    m_stale = true;
}

void Recordset::update()
{
    requireOpen();
    if (!m_edit)
        return;
    requireWritable();
    if (m_options.keyColumn.isEmpty())
        throwError(kNotUpdatable, QStringLiteral("Insufficient key column information for updating or refreshing."));
    Edit edit = std::move(*m_edit);
    m_edit.reset();
    if (edit.row < 0)
        insertRow(edit);
    else
        updateRow(edit);
}

// One rule for update and insert: a column with a joined writer goes through the writer, any
// other column must be one of the write target's own.
Recordset::WritePlan Recordset::planWrite(const Edit& edit, const QString& target)
{
    QSet<QString> writable;
    Statement st(m_connection->db(), QStringLiteral("SELECT name FROM pragma_table_info(?)"));
    st.bind(1, target);
    while (st.step())
        writable.insert(st.column(0).toText().toLower());

    WritePlan plan;
    for (size_t c = 0; c < m_columns.size(); ++c) {
        if (!edit.values[c])
            continue;
        const QString lower = m_columns[c].name.toLower();
        if (m_joinedWriters.contains(lower)) {
            plan.joined.emplace_back(int(c), *edit.values[c]);
        } else if (writable.contains(lower)) {
            plan.columns << quoteIdentifier(m_columns[c].name);
            plan.values.push_back(*edit.values[c]);
        } else {
            throwError(kNotUpdatable, QStringLiteral("Cannot update '%1'; field not updateable.").arg(m_columns[c].name));
        }
    }
    return plan;
}

void Recordset::updateRow(const Edit& edit)
{
    const int row = edit.row;
    const Variant key = cellValue(row, requireColumn(m_options.keyColumn));
    SqliteDb& db = m_connection->db();
    std::optional<ChangeTracking::Stamp> stampAfterWrite;
    std::optional<qint64> rowChangeAfterWrite;
    // A caller's transaction may yet be rolled back, and the next write anywhere can then bring
    // back the very counts taken after this one: the rows are read again at the next requery.
    const bool callersTransaction = db.inTransaction();
    try {
        const QString target = targetName();
        WritePlan plan = planWrite(edit, target);
        Savepoint savepoint(db);
        // Inside the write's transaction nobody else writes: when the counters still stand where
        // the rows were read, the only change after this is our own, and the row read back
        // below shows it, so the next requery need not read everything again.
        const bool nothingElseChanged =
            m_loadedStamp && !changesRowOrder(edit) && ChangeTracking::stamp(db, m_sourceTables) == m_loadedStamp;
        const std::vector<Variant> current = readRowFromSourceOrThrow(key);
        for (size_t c = 0; c < m_columns.size(); ++c)
            if (edit.values[c] && presented(int(c), current[c]) != cellValue(row, int(c)))
                rowCannotBeLocated();
        if (!plan.columns.isEmpty()) {
            QStringList assignments;
            for (const QString& column : std::as_const(plan.columns))
                assignments << column + QStringLiteral(" = ?");
            plan.values.push_back(key);
            db.execute(
                QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?")
                    .arg(quoteIdentifier(target), assignments.join(QStringLiteral(", ")), quoteIdentifier(m_options.keyColumn)),
                plan.values);
        }
        auto rowValue = [&](const QString& name) {
            const int c = requireColumn(name);
            return edit.values[size_t(c)] ? *edit.values[size_t(c)] : cellValue(row, c);
        };
        for (const auto& [column, value] : plan.joined)
            m_joinedWriters.value(m_columns[size_t(column)].name.toLower())(*m_connection, rowValue, value);
        if (nothingElseChanged) {
            stampAfterWrite = ChangeTracking::stamp(db, m_sourceTables);
            rowChangeAfterWrite = ChangeTracking::lastRowChange(db);
        }
        savepoint.release();
    } catch (const RuntimeError&) {
        // A write that failed changes nothing here either: the row shows what the database holds.
        runStepSilently([&] { resyncRow(row, key); });
        throw;
    }
    refreshWrittenRow(row, key, edit);
    if (callersTransaction)
        m_stale = true;
    if (stampAfterWrite && !m_stale) {
        m_loadedStamp = stampAfterWrite;
        m_loadedRowChange = rowChangeAfterWrite;
    }
}

// Whether an edit touches a column the source orders its rows by: the row read back would then
// stand in the wrong place until the rows are read again.
bool Recordset::changesRowOrder(const Edit& edit) const
{
    const qsizetype orderBy = m_source.lastIndexOf(QLatin1String("order by"), -1, Qt::CaseInsensitive);
    if (orderBy < 0)
        return false;
    const QString ordering = m_source.mid(orderBy);
    for (size_t c = 0; c < m_columns.size(); ++c) {
        if (!edit.values[c])
            continue;
        const QRegularExpression word(QStringLiteral("\\b%1\\b").arg(QRegularExpression::escape(m_columns[c].name)),
                                      QRegularExpression::CaseInsensitiveOption);
        if (ordering.contains(word))
            return true;
    }
    return false;
}

void Recordset::insertRow(Edit& edit)
{
    const int keyColumn = requireColumn(m_options.keyColumn);
    if (!edit.values[size_t(keyColumn)] || edit.values[size_t(keyColumn)]->isNull())
        edit.values[size_t(keyColumn)] = Variant(newObjectId());
    const Variant key = *edit.values[size_t(keyColumn)];
    const QString target = targetName();
    SqliteDb& db = m_connection->db();
    WritePlan plan = planWrite(edit, target);

    Savepoint savepoint(db);
    db.execute(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                   .arg(quoteIdentifier(target), plan.columns.join(QStringLiteral(", ")),
                        QStringList(plan.columns.size(), QStringLiteral("?")).join(QStringLiteral(", "))),
               plan.values);
    auto rowValue = [&](const QString& name) {
        const int c = requireColumn(name);
        return edit.values[size_t(c)] ? *edit.values[size_t(c)] : Variant::null();
    };
    for (const auto& [column, value] : plan.joined)
        m_joinedWriters.value(m_columns[size_t(column)].name.toLower())(*m_connection, rowValue, value);
    savepoint.release();

    // The new row joins the end of the rows, visible whatever the filter, until the next requery.
    const int row = rowCount();
    refreshWrittenRow(row, key, edit);
    if (!m_view) {
        m_position = row;
    } else {
        m_view->push_back(row); // the highest row: an unsorted view stays in row order
        m_positionOfRow.reset();
        m_position = viewPositionOf(row);
    }
}

void Recordset::deleteCurrent()
{
    requireOpen();
    requireWritable();
    m_edit.reset();
    const int row = requireCurrentRow();
    if (m_options.keyColumn.isEmpty())
        throwError(kNotUpdatable, QStringLiteral("Insufficient key column information for updating or refreshing."));
    const Variant key = cellValue(row, requireColumn(m_options.keyColumn));
    const QString target = targetName();
    SqliteDb& db = m_connection->db();
    Savepoint savepoint(db);
    if (readRowFromSource(key).size() != m_columns.size())
        throwError(ErrorNumber::RowCannotBeLocated,
                   QStringLiteral("Row cannot be located for deletion. Some values may have been changed since it was last read."));
    db.execute(QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(quoteIdentifier(target), quoteIdentifier(m_options.keyColumn)),
               {key});
    savepoint.release();
    m_deleted[size_t(row)] = true;
    ++m_deletedCount;
    // The deleted row stays current (reads fail) until the next move, as the runtime had it.
    const int position = m_position;
    rebuildView();
    m_position = position;
    m_currentDeleted = true;
}
