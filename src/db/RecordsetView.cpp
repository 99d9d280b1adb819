#include "db/RecordsetView.h"

#include "db/ComparisonKey.h"
#include "db/RecordsetIndexes.h"
#include "db/RecordsetRows.h"
#include "db/RecordsetSource.h"
#include "runtime/RuntimeError.h"

#include <QStringList>
#include <algorithm>

namespace {

// A few filtered rows are walked by Find; an index would hand back the matches of the whole table.
constexpr int kFewRows = 64;

using Cell = RowStore::Cell;

struct SortKey {
    int column;
    bool descending;
};

[[noreturn]] void noCurrentRecord()
{
    throwError(ErrorNumber::NoCurrentRecord, QStringLiteral("Either BOF or EOF is True, or the current record has been deleted. "
                                                            "Requested operation requires a current record."));
}

} // namespace

RecordsetView::RecordsetView(const RecordsetRows& rows, RecordsetIndexes& indexes, const RecordsetSource& source,
                             std::function<void()> leavingRow)
    : m_rows(rows),
      m_indexes(indexes),
      m_source(source),
      m_leavingRow(std::move(leavingRow))
{
}

void RecordsetView::restart(int unchangedRow)
{
    leaveDeletedRow();
    m_unchangedRow = unchangedRow;
    try {
        rebuild();
    } catch (...) {
        // Rather none than rows of the old view.
        m_view = std::vector<int>();
        m_positionOfRow.reset();
        m_position = 0;
        throw;
    }
    m_position = 0;
}

void RecordsetView::reset()
{
    m_filter.clear();
    m_sort.clear();
}

void RecordsetView::clear()
{
    m_currentDeleted = false;
    m_view.reset();
    m_positionOfRow.reset();
}

void RecordsetView::rebuild()
{
    m_positionOfRow.reset();
    if (m_filter.empty() && m_sort.isEmpty() && m_rows.deletedCount() == 0) {
        m_view.reset();
        return;
    }
    std::vector<int> rows;
    if (!m_filter.empty()) {
        const int first = m_rows.requireColumn(m_filter.front().column);
        const auto key = ComparisonKey::ofValue(m_filter.front().value);
        std::vector<std::pair<int, QByteArray>> rest;
        bool impossible = !key;
        for (size_t i = 1; i < m_filter.size(); ++i) {
            const auto k = ComparisonKey::ofValue(m_filter[i].value);
            impossible = impossible || !k;
            rest.emplace_back(m_rows.requireColumn(m_filter[i].column), k.value_or(QByteArray()));
        }
        if (!impossible)
            rows = m_indexes.lookup(first, ComparisonKey::view(*key));
        std::erase_if(rows, [&](int r) {
            return std::any_of(rest.begin(), rest.end(),
                               [&](const auto& c) { return !ComparisonKey::matches(m_rows.cell(r, c.first), c.second); });
        });
    } else {
        rows.reserve(size_t(m_rows.rowCount() - m_rows.deletedCount()));
        for (int r = 0; r < m_rows.rowCount(); ++r)
            if (!m_rows.isDeleted(r))
                rows.push_back(r);
    }
    if (!m_sort.isEmpty()) {
        std::vector<SortKey> keys;
        for (const QString& part : m_sort.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            const QStringList words = part.simplified().split(QLatin1Char(' '));
            keys.push_back(
                {m_rows.requireColumn(words.value(0)), words.value(1).compare(QLatin1String("DESC"), Qt::CaseInsensitive) == 0});
        }
        auto rank = [](const Cell& c) {
            return c.kind == Cell::Null ? 0 : (c.kind == Cell::Integer || c.kind == Cell::Double) ? 1 : 2;
        };
        auto compare = [&](int a, int b) {
            for (const SortKey& k : keys) {
                const Cell x = m_rows.cell(a, k.column);
                const Cell y = m_rows.cell(b, k.column);
                int result = rank(x) - rank(y);
                if (result == 0 && rank(x) == 1) {
                    const double dx = x.kind == Cell::Integer ? double(x.integer) : x.real;
                    const double dy = y.kind == Cell::Integer ? double(y.integer) : y.real;
                    result = dx < dy ? -1 : dx > dy ? 1 : 0;
                } else if (result == 0 && rank(x) == 2) {
                    const QByteArray kx = ComparisonKey::ofCell(x), ky = ComparisonKey::ofCell(y);
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

int RecordsetView::size() const
{
    return m_view ? static_cast<int>(m_view->size()) : m_rows.rowCount();
}

std::vector<int> RecordsetView::rows() const
{
    std::vector<int> rows;
    rows.reserve(size_t(size()));
    for (int position = 0; position < size(); ++position)
        if (!m_rows.isDeleted(rowAt(position)))
            rows.push_back(rowAt(position));
    return rows;
}

int RecordsetView::rowAt(int position) const
{
    return m_view ? (*m_view)[size_t(position)] : position;
}

int RecordsetView::positionOf(int row) const
{
    if (!m_view)
        return row < m_rows.rowCount() ? row : -1;
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

int RecordsetView::keyColumn() const
{
    const QString& name = m_source.keyColumn();
    return name.isEmpty() ? -1 : m_rows.columnIndex(name);
}

int RecordsetView::currentRow() const
{
    if (m_currentDeleted || m_position < 0 || m_position >= size())
        return -1;
    const int row = rowAt(m_position);
    return m_rows.isDeleted(row) ? -1 : row;
}

int RecordsetView::requireCurrentRow() const
{
    const int row = currentRow();
    if (row < 0)
        noCurrentRecord();
    return row;
}

void RecordsetView::move(Move to)
{
    if (m_currentDeleted && (to == Move::Next || to == Move::Previous)) {
        // the rows have closed up over the deleted one: its successor already stands here
        leaveDeletedRow();
        if (to == Move::Previous)
            --m_position;
        return;
    }
    if ((to == Move::Next && isEOF()) || (to == Move::Previous && isBOF()))
        noCurrentRecord();
    m_leavingRow();
    leaveDeletedRow();
    switch (to) {
    case Move::First:
        m_position = 0;
        break;
    case Move::Last:
        m_position = std::max(0, size() - 1);
        break;
    case Move::Next:
        ++m_position;
        break;
    case Move::Previous:
        --m_position;
        break;
    }
}

bool RecordsetView::isEOF() const
{
    if (m_currentDeleted)
        return false;
    return size() == 0 || m_position >= size();
}

bool RecordsetView::isBOF() const
{
    if (m_currentDeleted)
        return false;
    return size() == 0 || m_position < 0;
}

bool RecordsetView::find(const QString& column, const Variant& value)
{
    m_leavingRow();
    leaveDeletedRow();
    const int c = m_rows.requireColumn(column);
    const int start = std::max(m_position, 0);
    const auto key = ComparisonKey::ofValue(value);
    int best = -1;
    // Keys are unique: when the row that was current before an unchanged requery holds the key,
    // it is the one match, found without a search.
    if (key && c == keyColumn() && m_unchangedRow >= 0 && !m_rows.isDeleted(m_unchangedRow)
        && ComparisonKey::matches(m_rows.cell(m_unchangedRow, c), *key)) {
        const int pos = positionOf(m_unchangedRow);
        if (pos >= start) {
            m_position = pos;
            return true;
        }
    }
    const bool fewRows = m_view && size() - start <= kFewRows;
    if (key && start < size() && (fewRows || !m_indexes.useIndex(c))) {
        // Without an index, walk the rows in order and stop at the first match.
        const ComparisonKey::Scan scan(*key);
        for (int pos = start; pos < size(); ++pos) {
            const int row = rowAt(pos);
            if (scan.matches(m_rows.cell(row, c)) && !m_rows.isDeleted(row)) {
                best = pos;
                break;
            }
        }
    } else if (key && start < size()) {
        m_indexes.visitIndexed(c, ComparisonKey::view(*key), [&](int row) {
            const int pos = positionOf(row);
            if (pos >= start && (best < 0 || pos < best)) {
                best = pos;
                return !m_sort.isEmpty(); // rows come in view order when the view is unsorted
            }
            return true;
        });
    }
    m_position = best >= 0 ? best : size();
    return best >= 0;
}

void RecordsetView::setFilter(const std::vector<Criterion>& criteria)
{
    m_leavingRow();
    for (const Criterion& c : criteria)
        m_rows.requireColumn(c.column);
    leaveDeletedRow();
    m_filter = criteria;
    rebuild();
    m_position = 0;
}

void RecordsetView::setSort(const QString& sort)
{
    m_leavingRow();
    const QString previous = m_sort;
    m_sort = sort.trimmed();
    try {
        rebuild();
    } catch (...) {
        m_sort = previous;
        rebuild();
        throw;
    }
    m_position = 0;
}

RecordsetBookmark RecordsetView::bookmark() const
{
    RecordsetBookmark mark;
    mark.m_load = m_rows.loadNumber();
    mark.m_row = requireCurrentRow();
    const int key = keyColumn();
    if (key >= 0)
        mark.m_key = ComparisonKey::ofCell(m_rows.cell(mark.m_row, key));
    return mark;
}

void RecordsetView::setBookmark(const RecordsetBookmark& bookmark)
{
    m_leavingRow();
    int row = -1;
    if (bookmark.m_load == m_rows.loadNumber()) {
        if (bookmark.m_row >= 0 && bookmark.m_row < m_rows.rowCount() && !m_rows.isDeleted(bookmark.m_row))
            row = bookmark.m_row;
    } else if (!bookmark.m_key.isEmpty()) {
        // The rows were read anew since: the bookmark's record is the one with its key, if any.
        const int key = keyColumn();
        if (key >= 0)
            for (const int candidate : m_indexes.lookup(key, ComparisonKey::view(bookmark.m_key)))
                if (positionOf(candidate) >= 0) {
                    row = candidate;
                    break;
                }
    }
    const int pos = row >= 0 ? positionOf(row) : -1;
    if (pos < 0)
        noCurrentRecord();
    leaveDeletedRow();
    m_position = pos;
}

void RecordsetView::showAddedRow(int row)
{
    if (!m_view) {
        m_position = row;
    } else {
        m_view->push_back(row); // the highest row: an unsorted view stays in row order
        m_positionOfRow.reset();
        m_position = positionOf(row);
    }
}

void RecordsetView::showDeletedCurrentRow()
{
    const int position = m_position;
    rebuild();
    m_position = position;
    m_currentDeleted = true;
}
