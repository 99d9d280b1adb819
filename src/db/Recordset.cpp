#include "db/Recordset.h"

#include "db/ComparisonKey.h"
#include "db/Connection.h"
#include "db/Sqlite.h"
#include "runtime/RuntimeError.h"

Recordset::Recordset() = default;
Recordset::~Recordset() = default;

void Recordset::open(const QString& source, std::shared_ptr<Connection> connection, const Options& options)
{
    if (m_open)
        throwError(ErrorNumber::ProviderFailure, QStringLiteral("Operation is not allowed when the object is open."));
    if (!connection)
        throwError(ErrorNumber::ProviderFailure, QStringLiteral("The connection cannot be used to perform this operation."));
    m_source.open(source, std::move(connection), options);
    m_view.reset();
    try {
        load();
    } catch (...) {
        m_source.close();
        throw;
    }
    m_open = true;
    m_view.restart();
}

void Recordset::close()
{
    requireOpen();
    m_open = false;
    m_writer.cancel();
    m_view.clear();
    m_shown.clear();
    m_rows.releaseCells();
    m_indexes.clear();
    m_source.close();
}

void Recordset::load()
{
    const BulkRead bulk(*m_source.connection());
    RecordsetFreshness::Counters counters = m_freshness.countersBeforeRead();
    Statement st(m_source.db(), m_source.text());
    // Read into rows of their own: the rows held so far stay as they are until this read is whole.
    m_rows = RecordsetRows::read(st, m_rows.bytesTaken());
    m_indexes.reset();
    m_writer.cancel();
    m_freshness.rowsRead(std::move(counters));
}

bool Recordset::changedSinceRead()
{
    requireOpen();
    return m_freshness.changedSinceRead();
}

void Recordset::requery()
{
    requireOpen();
    m_writer.cancel();
    const int previousRow = m_view.currentRow();
    const bool unchanged = !changedSinceRead();
    if (!unchanged && !m_freshness.refreshChangedRows())
        load(); // a failure leaves rows, view and position as they were
    m_view.restart(unchanged ? previousRow : -1);
}

void Recordset::requireOpen() const
{
    if (!m_open)
        throwError(ErrorNumber::ObjectClosed, QStringLiteral("Operation is not allowed when the object is closed."));
}

void Recordset::move(RecordsetView::Move to)
{
    requireOpen();
    m_view.move(to);
}

bool Recordset::isEOF() const
{
    requireOpen();
    return m_view.isEOF();
}

bool Recordset::isBOF() const
{
    requireOpen();
    return m_view.isBOF();
}

int Recordset::recordCount() const
{
    requireOpen();
    return m_view.count();
}

bool Recordset::find(const QString& column, const Variant& value)
{
    requireOpen();
    return m_view.find(column, value);
}

void Recordset::setFilter(const std::vector<Criterion>& criteria)
{
    requireOpen();
    m_view.setFilter(criteria);
}

void Recordset::setSort(const QString& sort)
{
    requireOpen();
    m_view.setSort(sort);
}

Recordset::Bookmark Recordset::bookmark() const
{
    requireOpen();
    return m_view.bookmark();
}

void Recordset::setBookmark(const Bookmark& bookmark)
{
    requireOpen();
    m_view.setBookmark(bookmark);
}

std::optional<QByteArray> Recordset::keyOf(const Variant& value)
{
    return ComparisonKey::ofValue(value);
}

bool Recordset::keyAt(int row, int column, std::string& key) const
{
    const RowStore::Cell c = m_rows.cell(row, column);
    key.clear();
    if (c.kind == RowStore::Cell::Null)
        return false;
    ComparisonKey::append(key, c);
    return true;
}

std::vector<int> Recordset::rowsWithKey(int column, std::string_view key)
{
    requireOpen();
    return m_indexes.rowsWithKey(column, key);
}

Recordset::KeyCursor Recordset::keyCursor(int column)
{
    requireOpen();
    return m_indexes.keyCursor(column);
}

QString Recordset::fieldName(int index) const
{
    m_rows.requireColumn(index);
    return m_rows.column(index).name;
}

Variant Recordset::field(const QString& name) const
{
    requireOpen();
    return field(m_rows.requireColumn(name));
}

Variant Recordset::field(int index) const
{
    requireOpen();
    m_rows.requireColumn(index);
    if (std::optional<Variant> edited = m_writer.editedValue(index))
        return *std::move(edited);
    return m_rows.value(m_view.requireCurrentRow(), index);
}

void Recordset::setField(const QString& name, const Variant& value)
{
    requireOpen();
    m_writer.setField(name, value);
}

void Recordset::addNew()
{
    requireOpen();
    m_writer.addNew();
}

void Recordset::update(Unmarked unmarked)
{
    requireOpen();
    m_writer.update(unmarked);
}

void Recordset::deleteCurrent()
{
    requireOpen();
    m_writer.deleteCurrent();
}

void Recordset::setJoinedColumnWriter(const QString& column, JoinedColumnWriter writer)
{
    m_writer.setJoinedColumnWriter(column, std::move(writer));
}

QByteArray Recordset::rowKey(int row) const
{
    const int keyColumn = m_rows.columnIndex(m_source.keyColumn());
    if (keyColumn < 0)
        return QByteArray();
    return ComparisonKey::ofValue(m_rows.value(row, keyColumn)).value_or(QByteArray());
}

void Recordset::markRowShown(int row, const QStringList& columns)
{
    const QByteArray key = rowKey(row);
    if (key.isEmpty() || m_rows.isDeleted(row))
        return;
    if (columns.isEmpty()) {
        for (int c = 0; c < m_rows.columnCount(); ++c)
            m_shown.mark(key, c, m_rows.value(row, c));
        return;
    }
    for (const QString& name : columns) {
        const int c = m_rows.requireColumn(name);
        m_shown.mark(key, c, m_rows.value(row, c));
    }
}

void Recordset::markShown(const QStringList& columns)
{
    requireOpen();
    markRowShown(m_view.requireCurrentRow(), columns);
}

void Recordset::markShown(const Variant& key, const QStringList& columns)
{
    requireOpen();
    const int keyColumn = m_rows.columnIndex(m_source.keyColumn());
    const std::optional<QByteArray> wanted = ComparisonKey::ofValue(key);
    if (keyColumn < 0 || !wanted)
        return;
    for (const int row : m_indexes.lookup(keyColumn, ComparisonKey::view(*wanted)))
        markRowShown(row, columns);
}

void Recordset::markFilteredRowsShown(const QStringList& columns)
{
    requireOpen();
    for (const int row : m_view.rows())
        markRowShown(row, columns);
}

Variant Recordset::shownField(const QString& name) const
{
    requireOpen();
    const int c = m_rows.requireColumn(name);
    const int row = m_view.requireCurrentRow();
    if (std::optional<Variant> shown = m_shown.value(rowKey(row), c))
        return *std::move(shown);
    return m_rows.value(row, c);
}
