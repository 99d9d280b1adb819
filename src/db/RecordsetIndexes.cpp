#include "db/RecordsetIndexes.h"

#include "db/ComparisonKey.h"
#include "db/RecordsetRows.h"

#include <QtEndian>
#include <algorithm>

namespace {

constexpr int kIndexThreshold = 32;
// A column is indexed from its third lookup on (at once for a key cursor): one scan costs less
// than building an index, and a requery's re-finding of a row, or the one filter a start-up
// needs, should not pay for one.
constexpr int kLookupsBeforeIndex = 2;

using Cell = RowStore::Cell;

} // namespace

// A column's rows in the order of their comparison keys, equal keys in row order; the keys are
// folded once, when the index is built, so a probe compares bytes.
struct RecordsetIndexes::Index {
    struct Entry {
        quint64 prefix; // the key's first eight bytes, big-endian: most comparisons end here
        quint32 offset;
        quint32 length;
        int row;
    };
    using Iterator = std::vector<Entry>::const_iterator;

    std::vector<Entry> entries;
    std::string keys;

    std::string_view key(const Entry& e) const { return {keys.data() + e.offset, e.length}; }
    static quint64 prefixOf(std::string_view key)
    {
        if (key.size() >= 8)
            return qFromBigEndian<quint64>(key.data());
        quint64 prefix = 0;
        for (size_t i = 0; i < 8; ++i)
            prefix = (prefix << 8) | (i < key.size() ? static_cast<unsigned char>(key[i]) : 0u);
        return prefix;
    }
    // Orders an entry against a key and its prefix.
    int compare(const Entry& e, quint64 prefix, std::string_view key) const
    {
        if (e.prefix != prefix)
            return e.prefix < prefix ? -1 : 1;
        return this->key(e).compare(key);
    }
    // Entries in key order, equal keys in row order.
    bool less(const Entry& a, const Entry& b) const
    {
        const int order = compare(a, b.prefix, key(b));
        return order < 0 || (order == 0 && a.row < b.row);
    }
    // An entry for the cell's key, the key appended to the keys.
    Entry append(const Cell& c, int row)
    {
        const size_t offset = keys.size();
        ComparisonKey::append(keys, c);
        const std::string_view k(keys.data() + offset, keys.size() - offset);
        return {prefixOf(k), quint32(offset), quint32(k.size()), row};
    }
    // The first entry not lower than the key, from `from` on.
    template <typename It>
    It lowerBound(It from, It to, quint64 prefix, std::string_view k) const
    {
        return std::lower_bound(from, to, k, [&](const Entry& e, std::string_view v) { return compare(e, prefix, v) < 0; });
    }
    std::pair<Iterator, Iterator> range(std::string_view k) const
    {
        const quint64 prefix = prefixOf(k);
        const auto first = lowerBound(entries.cbegin(), entries.cend(), prefix, k);
        const auto last = std::upper_bound(first, entries.end(), k,
                                           [&](std::string_view v, const Entry& e) { return compare(e, prefix, v) > 0; });
        return {first, last};
    }
};

RecordsetIndexes::RecordsetIndexes(RecordsetRows& rows)
    : m_rows(rows)
{
}

RecordsetIndexes::~RecordsetIndexes() = default;

void RecordsetIndexes::reset()
{
    m_indexes.clear();
    m_indexes.resize(size_t(m_rows.columnCount()));
    m_lookupCounts.assign(size_t(m_rows.columnCount()), 0);
}

void RecordsetIndexes::clear()
{
    m_indexes.clear();
}

const RecordsetIndexes::Index& RecordsetIndexes::index(int column)
{
    auto& slot = m_indexes[size_t(column)];
    if (!slot) {
        auto built = std::make_unique<Index>();
        auto& entries = built->entries;
        const int rowCount = m_rows.rowCount();
        entries.reserve(size_t(rowCount));
        // The keys' room taken at once: a text folds to as many bytes, a number to a few.
        size_t bytes = 0;
        for (int r = 0; r < rowCount; ++r) {
            const Cell c = m_rows.cell(r, column);
            bytes += c.kind == Cell::Text || c.kind == Cell::Blob ? c.length : 24;
        }
        built->keys.reserve(bytes + bytes / 16);
        for (int r = 0; r < rowCount; ++r) {
            const Cell c = m_rows.cell(r, column);
            if (c.kind != Cell::Null)
                entries.push_back(built->append(c, r));
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
void RecordsetIndexes::add(int column, int row)
{
    Index& idx = *m_indexes[size_t(column)];
    const Cell c = m_rows.cell(row, column);
    if (c.kind == Cell::Null)
        return;
    const Index::Entry entry = idx.append(c, row);
    const auto at = std::lower_bound(idx.entries.begin(), idx.entries.end(), entry,
                                     [&](const Index::Entry& a, const Index::Entry& b) { return idx.less(a, b); });
    idx.entries.insert(at, entry);
}

// Takes a row out of a built index, under the key it holds now.
void RecordsetIndexes::remove(int column, int row)
{
    Index& idx = *m_indexes[size_t(column)];
    const Cell c = m_rows.cell(row, column);
    if (c.kind == Cell::Null)
        return;
    const QByteArray key = ComparisonKey::ofCell(c);
    const std::string_view k = ComparisonKey::view(key);
    auto it = idx.lowerBound(idx.entries.begin(), idx.entries.end(), Index::prefixOf(k), k);
    for (; it != idx.entries.end() && idx.key(*it) == k; ++it)
        if (it->row == row) {
            idx.entries.erase(it);
            return;
        }
}

void RecordsetIndexes::writeRow(int row, const std::vector<Variant>& values)
{
    const bool added = row == m_rows.rowCount();
    for (size_t c = 0; c < m_indexes.size(); ++c)
        if (m_indexes[c] && !added)
            remove(int(c), row);
    m_rows.write(row, values);
    for (size_t c = 0; c < m_indexes.size(); ++c)
        if (m_indexes[c])
            add(int(c), row);
}

bool RecordsetIndexes::useIndex(int column)
{
    if (m_rows.rowCount() < kIndexThreshold)
        return false;
    if (m_indexes[size_t(column)])
        return true;
    return ++m_lookupCounts[size_t(column)] > kLookupsBeforeIndex;
}

std::vector<int> RecordsetIndexes::lookup(int column, std::string_view key)
{
    std::vector<int> found;
    if (!useIndex(column)) {
        const QByteArray bytes(key.data(), qsizetype(key.size()));
        for (int r = 0; r < m_rows.rowCount(); ++r)
            if (!m_rows.isDeleted(r) && ComparisonKey::matches(m_rows.cell(r, column), bytes))
                found.push_back(r);
        return found;
    }
    const auto [first, last] = index(column).range(key);
    for (auto it = first; it != last; ++it)
        if (!m_rows.isDeleted(it->row))
            found.push_back(it->row);
    return found; // the index keeps equal keys in row order
}

std::vector<int> RecordsetIndexes::rowsWithKey(int column, std::string_view key)
{
    if (m_rows.rowCount() >= kIndexThreshold)
        index(column);
    return lookup(column, key);
}

void RecordsetIndexes::visitIndexed(int column, std::string_view key, const std::function<bool(int row)>& visit)
{
    const auto [first, last] = index(column).range(key);
    for (auto it = first; it != last; ++it)
        if (!m_rows.isDeleted(it->row) && !visit(it->row))
            return;
}

RecordsetIndexes::KeyCursor RecordsetIndexes::keyCursor(int column)
{
    return KeyCursor(m_rows, index(column));
}

RecordsetIndexes::KeyCursor::KeyCursor(const RecordsetRows& rows, const Index& index)
    : m_rows(rows),
      m_index(&index)
{
}

int RecordsetIndexes::KeyCursor::firstRow(std::string_view key)
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
    const auto first = idx.lowerBound(entries.begin() + std::ptrdiff_t(low), entries.begin() + std::ptrdiff_t(high), prefix, key);
    m_at = size_t(first - entries.begin());
    for (size_t i = m_at; i < n && idx.compare(entries[i], prefix, key) == 0; ++i)
        if (!m_rows.isDeleted(entries[i].row))
            return entries[i].row;
    return -1;
}
