#pragma once

#include <QtGlobal>
#include <cstddef>
#include <memory>
#include <vector>

// The rows of one load of a recordset: cells in chunks of a fixed number of rows, texts and blobs
// in blocks. Nothing moves once written, so a large load grows without copying what it holds,
// and a cell can point straight at its bytes.
class RowStore {
public:
    struct Cell {
        enum Kind : quint8 { Null, Integer, Double, Text, Blob };
        Kind kind;
        quint32 length; // bytes of a text or blob
        union {
            qint64 integer;
            double real;
            const char* data;
        };
    };

    RowStore() = default;
    explicit RowStore(int columns);
    RowStore(RowStore&&) noexcept = default;
    RowStore& operator=(RowStore&&) noexcept = default;

    int columnCount() const { return m_columns; }
    int rowCount() const { return m_rows; }

    // A new row at the end; its cells are unset until written.
    Cell* appendRow();
    Cell* row(int row) { return &m_chunks[size_t(row) >> kChunkShift][(size_t(row) & kChunkMask) * size_t(m_columns)]; }
    const Cell& cell(int row, int column) const
    {
        return m_chunks[size_t(row) >> kChunkShift][(size_t(row) & kChunkMask) * size_t(m_columns) + size_t(column)];
    }

    // A copy of the bytes that lives as long as the store.
    const char* storeBytes(const char* data, size_t length);

private:
    static constexpr int kChunkShift = 12; // 4,096 rows a chunk
    static constexpr size_t kChunkRows = size_t(1) << kChunkShift;
    static constexpr size_t kChunkMask = kChunkRows - 1;
    static constexpr size_t kBlockBytes = size_t(4) << 20;

    int m_columns = 0;
    int m_rows = 0;
    std::vector<std::unique_ptr<Cell[]>> m_chunks;
    std::vector<std::unique_ptr<char[]>> m_blocks;
    char* m_free = nullptr;
    size_t m_freeBytes = 0;
};
