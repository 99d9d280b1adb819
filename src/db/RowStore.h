#pragma once

#include <QtGlobal>
#include <cstddef>
#include <memory>
#include <vector>

class Variant;

// The rows of one load of a recordset, kept small because a large site holds millions of
// values: each cell is one 64-bit word, a whole number in it directly, anything else a handle
// into blocks of bytes that hold texts with their lengths (and the rare double, blob or very
// large number). Cells come in chunks of a fixed number of rows and bytes in fixed blocks;
// nothing moves once written, so a large load grows without copying what it holds.
class RowStore {
public:
    // A cell as read: its kind and value; text and blob bytes stay in the store.
    struct Cell {
        enum Kind : quint8 { Null, Integer, Double, Text, Blob };
        Kind kind = Null;
        quint32 length = 0; // bytes of a text or blob
        union {
            qint64 integer = 0;
            double real;
            const char* data;
        };
    };
    using Word = quint64;
    static constexpr Word kNull = 0;

    RowStore() = default;
    // `expectedBytes`: about what the rows will take (what the last read of the same rows took),
    // so that a large store takes its memory in one step.
    explicit RowStore(int columns, size_t expectedBytes = 0);
    RowStore(RowStore&&) noexcept = default;
    RowStore& operator=(RowStore&&) noexcept = default;

    // Bytes of memory taken for the rows so far.
    size_t bytesTaken() const { return m_taken; }

    int columnCount() const { return m_columns; }
    int rowCount() const { return m_rows; }

    // A new row at the end; its words are unset until written.
    Word* appendRow();
    Word* row(int row) { return &m_chunks[size_t(row) >> kChunkShift][(size_t(row) & kChunkMask) * size_t(m_columns)]; }
    Word word(int row, int column) const
    {
        return m_chunks[size_t(row) >> kChunkShift][(size_t(row) & kChunkMask) * size_t(m_columns) + size_t(column)];
    }
    Cell cell(int row, int column) const { return decode(word(row, column)); }

    // The words of values; all but small whole numbers keep their bytes in the store.
    static bool fitsInWord(qint64 value) { return value >= kSmallest && value <= kLargest; }
    static Word smallInteger(qint64 value) { return (Word(value) << 2) | kTagInteger; }
    Word integer(qint64 value) { return fitsInWord(value) ? smallInteger(value) : boxed(Cell::Integer, &value, sizeof value); }
    Word real(double value) { return boxed(Cell::Double, &value, sizeof value); }
    Word text(const char* data, size_t length);
    Word blob(const char* data, size_t length);
    // A value as a recordset holds it: True as 1, a date as the text the database stores.
    Word value(const Variant& value);

    // Null, small whole numbers and texts, which nearly every cell is, without a call.
    Cell decode(Word word) const
    {
        Cell cell;
        switch (word & 3) {
        case 0:
            break; // Null
        case kTagInteger:
            cell.kind = Cell::Integer;
            cell.integer = static_cast<qint64>(word) >> 2;
            break;
        case kTagText:
            cell.kind = Cell::Text;
            cell.data = readLength(at(word >> 2), cell.length);
            break;
        default:
            return decodeBoxed(word);
        }
        return cell;
    }

private:
    static constexpr Word kTagInteger = 1, kTagText = 2, kTagBoxed = 3;
    static constexpr qint64 kSmallest = -(qint64(1) << 61), kLargest = (qint64(1) << 61) - 1;
    static constexpr int kChunkShift = 12; // 4,096 rows a chunk
    static constexpr size_t kChunkRows = size_t(1) << kChunkShift;
    static constexpr size_t kChunkMask = kChunkRows - 1;
    static constexpr int kBlockShift = 20; // 1 MiB blocks of bytes
    static constexpr size_t kBlockBytes = size_t(1) << kBlockShift;
    static constexpr size_t kBlockMask = kBlockBytes - 1;
    // Larger values get an allocation of their own, named by a boxed record.
    static constexpr size_t kLargeBytes = kBlockBytes / 8;

    // A large piece of memory straight from the system, its pages made present a piece at a time
    // as chunks and blocks are taken from it: a large store takes its memory in a few calls
    // rather than in one fault for every 4 KiB page it fills.
    class Region {
    public:
        static Region map(size_t bytes); // empty when the system refuses
        Region() = default;
        Region(Region&& other) noexcept;
        Region& operator=(Region&& other) noexcept;
        ~Region();
        char* take(size_t bytes); // nullptr when too little is left

    private:
        char* m_base = nullptr;
        size_t m_size = 0;
        size_t m_used = 0;
    };
    // Memory for a chunk or a block, not written here: its pages are touched only as rows arrive.
    char* allocate(size_t bytes);
    // Room for `bytes` in the current block; the offset of the room in the store.
    Word reserve(size_t bytes, char*& at);
    Word boxed(Cell::Kind kind, const void* payload, size_t bytes);
    Word bytesWord(Cell::Kind kind, const char* data, size_t length);
    const char* at(Word offset) const { return m_blocks[offset >> kBlockShift] + (offset & kBlockMask); }
    Cell decodeBoxed(Word word) const;
    // Lengths are stored in front of the bytes, seven bits a byte, the high bit saying more follow.
    static const char* readLength(const char* in, quint32& length)
    {
        quint32 value = 0;
        int shift = 0;
        unsigned char byte;
        do {
            byte = static_cast<unsigned char>(*in++);
            value |= quint32(byte & 0x7F) << shift;
            shift += 7;
        } while (byte & 0x80);
        length = value;
        return in;
    }

    int m_columns = 0;
    int m_rows = 0;
    std::vector<Word*> m_chunks;
    std::vector<char*> m_blocks;
    std::vector<std::unique_ptr<char[]>> m_large;
    size_t m_used = kBlockBytes; // bytes used in the last block; full before the first
    // Where chunks and blocks live: the first megabyte on the heap, like any small allocation;
    // beyond that in regions, each at least as large as everything taken before it.
    std::vector<std::unique_ptr<char[]>> m_heap;
    std::vector<Region> m_regions;
    size_t m_taken = 0;
    size_t m_expected = 0;
};
