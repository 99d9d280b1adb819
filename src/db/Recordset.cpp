#include "db/Recordset.h"

#include "db/Connection.h"
#include "db/Sqlite.h"
#include "runtime/ErrorHandling.h"
#include "runtime/RuntimeError.h"

#include <QRegularExpression>
#include <QSet>
#include <QUuid>
#include <algorithm>
#include <sqlite3.h>

namespace {

constexpr int kNotUpdatable = 3251;
constexpr int kClosed = 3704;
constexpr int kIndexThreshold = 32;
// A column is indexed from its third lookup on: one scan costs less than building an index, and
// a requery's re-finding of a row should not pay for one.
constexpr int kLookupsBeforeIndex = 2;
constexpr int kFewRows = 64;

[[noreturn]] void noCurrentRecord()
{
    throwError(ErrorNumber::NoCurrentRecord, QStringLiteral("Either BOF or EOF is True, or the current record has been deleted. "
                                                            "Requested operation requires a current record."));
}

[[noreturn]] void rowCannotBeLocated()
{
    throwError(ErrorNumber::RowCannotBeLocated,
               QStringLiteral("Row cannot be located for updating. Some values may have been changed since it was last read."));
}

bool isAscii(const char* data, qsizetype length)
{
    for (qsizetype i = 0; i < length; ++i)
        if (static_cast<unsigned char>(data[i]) >= 0x80)
            return false;
    return true;
}

// The comparison key of a text: ASCII folded in place, anything else through Unicode case folding.
QByteArray foldText(const char* data, qsizetype length)
{
    if (isAscii(data, length)) {
        QByteArray out(data, length);
        for (char& c : out)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c + ('a' - 'A'));
        return out;
    }
    return QString::fromUtf8(data, length).toCaseFolded().toUtf8();
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

struct SortKey {
    int column;
    bool descending;
};

QString newObjectId()
{
    return QUuid::createUuid().toString(QUuid::WithBraces).toUpper();
}

} // namespace

Recordset::Recordset() = default;
Recordset::~Recordset() = default;

void Recordset::open(const QString& source, std::shared_ptr<Connection> connection, const Options& options)
{
    if (m_open)
        throwError(ErrorNumber::ProviderFailure, QStringLiteral("Operation is not allowed when the object is open."));
    if (!connection)
        throwError(ErrorNumber::ProviderFailure, QStringLiteral("The connection cannot be used to perform this operation."));
    m_source = source;
    m_optimized.clear();
    m_connection = std::move(connection);
    m_options = options;
    m_filter.clear();
    m_sort.clear();
    load();
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
    m_cells.clear();
    m_cells.shrink_to_fit();
    m_arena.clear();
    m_arena.shrink_to_fit();
    m_deleted.clear();
    m_indexes.clear();
    m_view.reset();
    m_positionOfRow.reset();
    m_rowCount = 0;
    m_connection.reset();
}

void Recordset::load()
{
    SqliteDb& db = m_connection->db();
    m_loadedDataVersion = db.dataVersion();
    m_loadedTotalChanges = db.totalChanges();

    Statement st(db, m_source);
    const int columns = st.columnCount();
    m_columns.clear();
    m_columnByName.clear();
    for (int c = 0; c < columns; ++c) {
        Column column;
        column.name = st.columnName(c);
        const char* declared = sqlite3_column_decltype(st.handle(), c);
        const QByteArray type = QByteArray(declared ? declared : "").toUpper();
        column.isDate = type.contains("DATE") || type.contains("TIME");
        m_columns.push_back(column);
        // The first of two equal names wins, as a lookup by name did.
        const QString key = column.name.toLower();
        if (!m_columnByName.contains(key))
            m_columnByName.insert(key, c);
    }

    m_cells.clear();
    m_arena.clear();
    m_rowCount = 0;
    sqlite3_stmt* h = st.handle();
    while (st.step()) {
        for (int c = 0; c < columns; ++c) {
            Cell cell;
            switch (sqlite3_column_type(h, c)) {
            case SQLITE_INTEGER:
                cell.kind = Cell::Integer;
                cell.integer = sqlite3_column_int64(h, c);
                break;
            case SQLITE_FLOAT:
                cell.kind = Cell::Double;
                cell.real = sqlite3_column_double(h, c);
                break;
            case SQLITE_TEXT:
            case SQLITE_BLOB: {
                const bool text = sqlite3_column_type(h, c) == SQLITE_TEXT;
                const char* data = text ? reinterpret_cast<const char*>(sqlite3_column_text(h, c))
                                        : static_cast<const char*>(sqlite3_column_blob(h, c));
                const int length = sqlite3_column_bytes(h, c);
                cell.kind = text ? Cell::Text : Cell::Blob;
                cell.offset = m_arena.size();
                cell.length = static_cast<quint32>(length);
                if (length > 0)
                    m_arena.append(data, static_cast<size_t>(length));
                break;
            }
            default:
                break;
            }
            m_cells.push_back(cell);
        }
        ++m_rowCount;
    }
    m_deleted.assign(static_cast<size_t>(m_rowCount), false);
    m_deletedCount = 0;
    m_indexes.assign(m_columns.size(), std::nullopt);
    m_rowBeforeRequery = -1;
    m_lookupCounts.assign(m_columns.size(), 0);
    for (const int c : std::as_const(m_optimized))
        if (c < int(m_columns.size()))
            m_lookupCounts[size_t(c)] = kLookupsBeforeIndex;
    m_edit.reset();
}

void Recordset::requery()
{
    requireOpen();
    m_edit.reset();
    const int previousRow = currentRow();
    leaveDeletedRow();
    SqliteDb& db = m_connection->db();
    // Rows read while nothing has been written anywhere are still the database's rows.
    const bool unchanged = db.dataVersion() == m_loadedDataVersion && db.totalChanges() == m_loadedTotalChanges;
    m_rowBeforeRequery = -1;
    if (!unchanged || m_deletedCount > 0)
        load();
    else
        m_rowBeforeRequery = previousRow;
    rebuildView();
    m_position = 0;
}

Variant Recordset::cellValue(int row, int column) const
{
    const Cell& c = cell(row, column);
    switch (c.kind) {
    case Cell::Integer:
        return Variant(c.integer);
    case Cell::Double:
        return Variant(c.real);
    case Cell::Text:
        return presented(column, Variant(QString::fromUtf8(m_arena.data() + c.offset, c.length)));
    case Cell::Blob:
        return Variant(QByteArray(m_arena.data() + c.offset, c.length));
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

Recordset::Cell Recordset::makeCell(const Variant& value)
{
    Cell cell;
    switch (value.type()) {
    case Variant::Type::Empty:
    case Variant::Type::Null:
        break;
    case Variant::Type::Boolean:
        cell.kind = Cell::Integer;
        cell.integer = value.toBool() ? 1 : 0;
        break;
    case Variant::Type::Integer:
        cell.kind = Cell::Integer;
        cell.integer = value.toInt64();
        break;
    case Variant::Type::Double:
        cell.kind = Cell::Double;
        cell.real = value.toDouble();
        break;
    case Variant::Type::Text:
    case Variant::Type::Date:
    case Variant::Type::Bytes: {
        const QByteArray bytes = value.type() == Variant::Type::Bytes  ? value.toBytes()
                                 : value.type() == Variant::Type::Date ? storedDateText(value.toDate()).toUtf8()
                                                                       : value.toText().toUtf8();
        cell.kind = value.type() == Variant::Type::Bytes ? Cell::Blob : Cell::Text;
        cell.offset = m_arena.size();
        cell.length = static_cast<quint32>(bytes.size());
        m_arena.append(bytes.constData(), static_cast<size_t>(bytes.size()));
        break;
    }
    }
    return cell;
}

void Recordset::storeRow(int row, const std::vector<Variant>& values)
{
    if (row == m_rowCount) {
        m_cells.resize(m_cells.size() + m_columns.size());
        m_deleted.push_back(false);
        ++m_rowCount;
    }
    for (size_t c = 0; c < m_columns.size(); ++c)
        m_cells[size_t(row) * m_columns.size() + c] = makeCell(c < values.size() ? values[c] : Variant::null());
}

QByteArray Recordset::cellKey(const Cell& c) const
{
    switch (c.kind) {
    case Cell::Integer:
        return QByteArray::number(c.integer);
    case Cell::Double:
        return numberText(c.real).toUtf8();
    case Cell::Text:
        return foldText(m_arena.data() + c.offset, c.length);
    case Cell::Blob:
        return QByteArray(m_arena.data() + c.offset, c.length);
    case Cell::Null:
        break;
    }
    return QByteArray();
}

bool Recordset::matches(int row, int column, const QByteArray& key) const
{
    const Cell& c = cell(row, column);
    if (c.kind == Cell::Null)
        return false;
    if (c.kind == Cell::Text) {
        // Byte by byte with ASCII folding, leaving at the first difference; only text outside
        // ASCII needs the full folding.
        const char* data = m_arena.data() + c.offset;
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

const std::vector<int>& Recordset::index(int column)
{
    auto& slot = m_indexes[size_t(column)];
    if (!slot) {
        std::vector<std::pair<QByteArray, int>> keyed;
        keyed.reserve(size_t(m_rowCount));
        for (int r = 0; r < m_rowCount; ++r)
            if (cell(r, column).kind != Cell::Null)
                keyed.emplace_back(cellKey(cell(r, column)), r);
        std::sort(keyed.begin(), keyed.end());
        std::vector<int> rows;
        rows.reserve(keyed.size());
        for (const auto& k : keyed)
            rows.push_back(k.second);
        slot = std::move(rows);
    }
    return *slot;
}

// Rows whose cell equals the key, in row order (deleted rows left out).
std::vector<int> Recordset::lookup(int column, const QByteArray& key)
{
    std::vector<int> found;
    int& uses = m_lookupCounts[size_t(column)];
    if (m_rowCount < kIndexThreshold || (!m_indexes[size_t(column)] && ++uses <= kLookupsBeforeIndex)) {
        for (int r = 0; r < m_rowCount; ++r)
            if (!m_deleted[size_t(r)] && matches(r, column, key))
                found.push_back(r);
        return found;
    }
    const std::vector<int>& rows = index(column);
    auto less = [&](int row, const QByteArray& k) { return cellKey(cell(row, column)) < k; };
    auto it = std::lower_bound(rows.begin(), rows.end(), key, less);
    for (; it != rows.end() && cellKey(cell(*it, column)) == key; ++it)
        if (!m_deleted[size_t(*it)])
            found.push_back(*it);
    return found; // the index keeps equal keys in row order
}

void Recordset::optimize(const QString& column)
{
    requireOpen();
    // Built on the first Find or Filter that needs it, so an open stays a plain read.
    const int c = requireColumn(column);
    m_optimized.insert(c);
    m_lookupCounts[size_t(c)] = kLookupsBeforeIndex;
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
        if (key)
            rows = lookup(first, *key);
        std::vector<std::pair<int, QByteArray>> rest;
        bool impossible = !key;
        for (size_t i = 1; i < m_filter.size(); ++i) {
            const auto k = valueKey(m_filter[i].value);
            impossible = impossible || !k;
            rest.emplace_back(requireColumn(m_filter[i].column), k.value_or(QByteArray()));
        }
        if (impossible)
            rows.clear();
        std::erase_if(rows, [&](int r) {
            return std::any_of(rest.begin(), rest.end(), [&](const auto& c) { return !matches(r, c.first, c.second); });
        });
    } else {
        rows.reserve(size_t(m_rowCount - m_deletedCount));
        for (int r = 0; r < m_rowCount; ++r)
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
                const Cell& x = cell(a, k.column);
                const Cell& y = cell(b, k.column);
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
    return m_view ? static_cast<int>(m_view->size()) : m_rowCount;
}

int Recordset::viewRow(int position) const
{
    return m_view ? (*m_view)[size_t(position)] : position;
}

int Recordset::viewPositionOf(int row) const
{
    if (!m_view)
        return row < m_rowCount ? row : -1;
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
    return m_columnByName.value(name.toLower(), -1);
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
    const bool scan = fewRows || (!m_indexes[size_t(c)] && m_lookupCounts[size_t(c)] < kLookupsBeforeIndex);
    if (key && start < viewSize() && scan) {
        if (!fewRows)
            ++m_lookupCounts[size_t(c)];
        // Without an index, walk the rows in order and stop at the first match.
        for (int pos = start; pos < viewSize(); ++pos) {
            const int row = viewRow(pos);
            if (!m_deleted[size_t(row)] && matches(row, c, *key)) {
                best = pos;
                break;
            }
        }
    } else if (key && start < viewSize()) {
        for (const int row : lookup(c, *key)) {
            const int pos = viewPositionOf(row);
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
    return requireCurrentRow();
}

void Recordset::setBookmark(Bookmark bookmark)
{
    requireOpen();
    finishPendingEdit();
    leaveDeletedRow();
    const int pos = bookmark >= 0 && bookmark < m_rowCount && !m_deleted[size_t(bookmark)] ? viewPositionOf(bookmark) : -1;
    if (pos < 0)
        noCurrentRecord();
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
    Statement st(m_connection->db(), QStringLiteral("SELECT * FROM (%1) WHERE \"%2\" = ?").arg(m_source, m_options.keyColumn));
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
    for (auto& idx : m_indexes)
        idx.reset();
}

void Recordset::update()
{
    requireOpen();
    if (!m_edit)
        return;
    requireWritable();
    if (m_options.keyColumn.isEmpty())
        throwError(kNotUpdatable, QStringLiteral("Insufficient key column information for updating or refreshing."));
    try {
        if (m_edit->row < 0)
            insertRow();
        else
            updateRow();
    } catch (...) {
        // A write that failed changes nothing here either: the row shows what the database holds.
        const int row = m_edit->row;
        m_edit.reset();
        if (row >= 0)
            runStepSilently([&] { resyncRow(row, cellValue(row, requireColumn(m_options.keyColumn))); });
        throw;
    }
    m_edit.reset();
}

namespace {

QSet<QString> targetColumns(SqliteDb& db, const QString& target)
{
    QSet<QString> names;
    Statement st(db, QStringLiteral("PRAGMA table_info(\"%1\")").arg(target));
    while (st.step())
        names.insert(st.column(1).toText().toLower());
    return names;
}

} // namespace

void Recordset::updateRow()
{
    const Edit& edit = *m_edit;
    const int row = edit.row;
    const int keyColumn = requireColumn(m_options.keyColumn);
    const Variant key = cellValue(row, keyColumn);
    const QString target = targetName();
    SqliteDb& db = m_connection->db();
    const QSet<QString> writable = targetColumns(db, target);

    Savepoint savepoint(db);
    const std::vector<Variant> current = readRowFromSourceOrThrow(key);
    QStringList assignments;
    std::vector<Variant> params;
    std::vector<std::pair<int, Variant>> joined;
    for (size_t c = 0; c < m_columns.size(); ++c) {
        if (!edit.values[c])
            continue;
        if (presented(int(c), current[c]) != cellValue(row, int(c)))
            rowCannotBeLocated();
        const QString lower = m_columns[c].name.toLower();
        if (m_joinedWriters.contains(lower)) {
            joined.emplace_back(int(c), *edit.values[c]);
        } else if (writable.contains(lower)) {
            assignments << QStringLiteral("\"%1\" = ?").arg(m_columns[c].name);
            params.push_back(*edit.values[c]);
        } else {
            throwError(kNotUpdatable, QStringLiteral("Cannot update '%1'; field not updateable.").arg(m_columns[c].name));
        }
    }
    if (!assignments.isEmpty()) {
        params.push_back(key);
        db.execute(QStringLiteral("UPDATE \"%1\" SET %2 WHERE \"%3\" = ?")
                       .arg(target, assignments.join(QStringLiteral(", ")), m_options.keyColumn),
                   params);
    }
    auto rowValue = [&](const QString& name) {
        const int c = requireColumn(name);
        return edit.values[size_t(c)] ? *edit.values[size_t(c)] : cellValue(row, c);
    };
    for (const auto& [column, value] : joined)
        m_joinedWriters.value(m_columns[size_t(column)].name.toLower())(*m_connection, rowValue, value);
    savepoint.release();
    resyncRow(row, key);
}

void Recordset::insertRow()
{
    Edit& edit = *m_edit;
    const int keyColumn = requireColumn(m_options.keyColumn);
    if (!edit.values[size_t(keyColumn)] || edit.values[size_t(keyColumn)]->isNull())
        edit.values[size_t(keyColumn)] = Variant(newObjectId());
    const Variant key = *edit.values[size_t(keyColumn)];
    const QString target = targetName();
    SqliteDb& db = m_connection->db();
    const QSet<QString> writable = targetColumns(db, target);

    Savepoint savepoint(db);
    QStringList names, marks;
    std::vector<Variant> params;
    std::vector<std::pair<int, Variant>> joined;
    for (size_t c = 0; c < m_columns.size(); ++c) {
        if (!edit.values[c])
            continue;
        const QString lower = m_columns[c].name.toLower();
        if (m_joinedWriters.contains(lower) && !writable.contains(lower)) {
            joined.emplace_back(int(c), *edit.values[c]);
        } else if (writable.contains(lower)) {
            names << QStringLiteral("\"%1\"").arg(m_columns[c].name);
            marks << QStringLiteral("?");
            params.push_back(*edit.values[c]);
        } else {
            throwError(kNotUpdatable, QStringLiteral("Cannot update '%1'; field not updateable.").arg(m_columns[c].name));
        }
    }
    db.execute(QStringLiteral("INSERT INTO \"%1\" (%2) VALUES (%3)")
                   .arg(target, names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))),
               params);
    auto rowValue = [&](const QString& name) {
        const int c = requireColumn(name);
        return edit.values[size_t(c)] ? *edit.values[size_t(c)] : Variant::null();
    };
    for (const auto& [column, value] : joined)
        m_joinedWriters.value(m_columns[size_t(column)].name.toLower())(*m_connection, rowValue, value);
    savepoint.release();

    // The new row joins the end of the rows, visible whatever the filter, until the next requery.
    std::vector<Variant> values = readRowFromSource(key);
    if (values.size() != m_columns.size()) {
        values.assign(m_columns.size(), Variant::null());
        for (size_t c = 0; c < m_columns.size(); ++c)
            if (edit.values[c])
                values[c] = *edit.values[c];
    }
    const int row = m_rowCount;
    storeRow(row, values);
    for (auto& idx : m_indexes)
        idx.reset();
    if (!m_view) {
        m_position = row;
    } else {
        m_view->push_back(row);
        m_positionOfRow.reset();
        if (m_sort.isEmpty()) {
            // keep the unsorted view in row order, which the lookups rely on
            std::sort(m_view->begin(), m_view->end());
        }
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
    db.execute(QStringLiteral("DELETE FROM \"%1\" WHERE \"%2\" = ?").arg(target, m_options.keyColumn), {key});
    savepoint.release();
    m_deleted[size_t(row)] = true;
    ++m_deletedCount;
    for (auto& idx : m_indexes)
        idx.reset();
    // The deleted row stays current (reads fail) until the next move, as the runtime had it.
    const int position = m_position;
    rebuildView();
    m_position = position;
    m_currentDeleted = true;
}
