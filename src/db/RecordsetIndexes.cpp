#include "db/RecordsetIndexes.h"

#include "db/ComparisonKey.h"
#include "db/RecordsetRows.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kIndexThreshold = 32;
// A column is indexed from its fourth lookup on (at once for a key cursor): one scan costs less
// than building an index, and a requery's re-finding of a row, or the one filter a start-up
// needs, should not pay for one. That filter is looked up three times before the window first
// shows: by the tree, again by the requery of the row change, and by the pane.
constexpr int kLookupsBeforeIndex = 3;

using Cell = RowStore::Cell;

} // namespace

// A column's rows in the order of their comparison keys, equal keys in row order. An ASCII text
// (nearly every key: ids, aliases, names) is its own key, compared where the rows hold it as if
// folded: an index of a large column is then a small entry for each row, not a folded copy of
// every text. Any other value's key is made once and kept. The rows' bytes stay where they are
// until the rows are read again or let go, and the indexes go with them.
struct RecordsetIndexes::Index {
    struct Entry {
        quint64 prefix; // the key's first eight bytes, big-endian: most comparisons end here
        const char* bytes;
        quint32 length; // with kRaw: the row's own ASCII text
        int row;

        static constexpr quint32 kRaw = 0x80000000u;
        std::string_view key() const { return {bytes, length & ~kRaw}; }
        bool raw() const { return length & kRaw; }
    };
    using Iterator = std::vector<Entry>::const_iterator;

    std::vector<Entry> entries;
    std::vector<std::unique_ptr<char[]>> kept; // the keys made, each where it was put

    // Orders an entry against a key (folded) and its prefix.
    static int compare(const Entry& e, quint64 prefix, std::string_view key)
    {
        if (e.prefix != prefix)
            return e.prefix < prefix ? -1 : 1;
        return ComparisonKey::compare(e.key(), e.raw(), key, false);
    }
    // Entries in key order, equal keys in row order.
    static bool less(const Entry& a, const Entry& b)
    {
        if (a.prefix != b.prefix)
            return a.prefix < b.prefix;
        const int order = ComparisonKey::compare(a.key(), a.raw(), b.key(), b.raw());
        return order < 0 || (order == 0 && a.row < b.row);
    }
    // An entry for a cell that is not Null.
    Entry entry(const Cell& c, int row)
    {
        if (c.kind == Cell::Text && c.length < Entry::kRaw && ComparisonKey::isAscii(c.data, c.length))
            return {ComparisonKey::prefix({c.data, c.length}, true), c.data, c.length | Entry::kRaw, row};
        std::string key;
        ComparisonKey::append(key, c);
        kept.push_back(std::make_unique_for_overwrite<char[]>(key.size()));
        std::memcpy(kept.back().get(), key.data(), key.size());
        return {ComparisonKey::prefix(key, false), kept.back().get(), quint32(key.size()), row};
    }
    // The first entry not lower than the key, from `from` on.
    template <typename It>
    static It lowerBound(It from, It to, quint64 prefix, std::string_view k)
    {
        return std::lower_bound(from, to, k, [&](const Entry& e, std::string_view v) { return compare(e, prefix, v) < 0; });
    }
    std::pair<Iterator, Iterator> range(std::string_view k) const
    {
        const quint64 prefix = ComparisonKey::prefix(k, false);
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
        for (int r = 0; r < rowCount; ++r) {
            const Cell c = m_rows.cell(r, column);
            if (c.kind != Cell::Null)
                entries.push_back(built->entry(c, r));
        }
        // In order of the prefixes first, which compare as numbers; the query often delivers its
        // rows in that order already (it sorts by the column).
        auto byPrefix = [](const Index::Entry& a, const Index::Entry& b) {
            return a.prefix < b.prefix || (a.prefix == b.prefix && a.row < b.row);
        };
        if (!std::is_sorted(entries.begin(), entries.end(), byPrefix))
            std::sort(entries.begin(), entries.end(), byPrefix);
        // Then each run of equal prefixes in the order of the whole keys; mostly they are equal.
        for (auto run = entries.begin(); run != entries.end();) {
            auto end = std::next(run);
            while (end != entries.end() && end->prefix == run->prefix)
                ++end;
            if (std::distance(run, end) > 1 && !std::is_sorted(run, end, Index::less))
                std::sort(run, end, Index::less);
            run = end;
        }
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
    const Index::Entry entry = idx.entry(c, row);
    const auto at = std::lower_bound(idx.entries.begin(), idx.entries.end(), entry, Index::less);
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
    const quint64 prefix = ComparisonKey::prefix(k, false);
    auto it = Index::lowerBound(idx.entries.begin(), idx.entries.end(), prefix, k);
    for (; it != idx.entries.end() && Index::compare(*it, prefix, k) == 0; ++it)
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
        const ComparisonKey::Scan scan(QByteArray(key.data(), qsizetype(key.size())));
        for (int r = 0; r < m_rows.rowCount(); ++r)
            if (scan.matches(m_rows.cell(r, column)) && !m_rows.isDeleted(r))
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
    const quint64 prefix = ComparisonKey::prefix(key, false);
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
