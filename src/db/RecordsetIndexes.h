#pragma once

#include "runtime/Variant.h"

#include <QtGlobal>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

class RecordsetRows;

// Lookups of the rows of one read by a column's value: a scan for the first few, then the
// column's index, built on demand and kept in step as rows are written. Deleted rows are never
// found.
class RecordsetIndexes {
    struct Index;

public:
    explicit RecordsetIndexes(RecordsetRows& rows);
    ~RecordsetIndexes();
    RecordsetIndexes(const RecordsetIndexes&) = delete;
    RecordsetIndexes& operator=(const RecordsetIndexes&) = delete;

    // After the rows were read anew: no index built, no lookup counted.
    void reset();
    void clear(); // lets every index go

    // The rows whose cell equals the key, in row order.
    std::vector<int> lookup(int column, std::string_view key);
    // The same for callers that ask many times: the index pays from the first lookup.
    std::vector<int> rowsWithKey(int column, std::string_view key);
    // Whether a lookup on the column goes through its index; counts the lookups that do not.
    bool useIndex(int column);
    // The rows holding the key through the column's index, in row order, while `visit` asks for more.
    void visitIndexed(int column, std::string_view key, const std::function<bool(int row)>& visit);

    // Writes a row's values (a row past the end is added), the built indexes kept in step.
    void writeRow(int row, const std::vector<Variant>& values);

    // Many keys looked up one after another, in ascending order of their bytes: each search goes
    // on from where the last one ended, so the index is walked once instead of searched from the
    // top each time. A key lower than the last one searches from the top again. Valid while the
    // rows stay as they are.
    class KeyCursor {
    public:
        int firstRow(std::string_view key); // the first live row holding the key, or -1

    private:
        friend class RecordsetIndexes;
        KeyCursor(const RecordsetRows& rows, const Index& index);
        const RecordsetRows& m_rows;
        const Index* m_index;
        size_t m_at = 0;
    };
    KeyCursor keyCursor(int column);

private:
    const Index& index(int column);
    void add(int column, int row);
    void remove(int column, int row);

    RecordsetRows& m_rows;
    std::vector<std::unique_ptr<Index>> m_indexes; // per column, built on demand
    std::vector<int> m_lookupCounts;               // per column: lookups since the rows were read
};
