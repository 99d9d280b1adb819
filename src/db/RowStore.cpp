#include "db/RowStore.h"

#include "db/Sqlite.h"
#include "runtime/Variant.h"

#include <algorithm>
#include <cstring>
#include <sys/mman.h>
#include <utility>

namespace {

// Lengths are stored in front of the bytes, seven bits a byte, the high bit saying more follow.
size_t lengthBytes(size_t length)
{
    size_t n = 1;
    while (length >= 0x80) {
        length >>= 7;
        ++n;
    }
    return n;
}

char* writeLength(char* out, size_t length)
{
    while (length >= 0x80) {
        *out++ = static_cast<char>((length & 0x7F) | 0x80);
        length >>= 7;
    }
    *out++ = static_cast<char>(length);
    return out;
}

// A large value's own allocation, as a boxed record names it.
struct LargeRecord {
    const char* data;
    quint32 length;
};

} // namespace

namespace {

constexpr size_t kRegionUnit = size_t(2) << 20;
constexpr size_t kHeapBytes = size_t(1) << 20; // small stores stay on the heap
constexpr size_t kLargestRegion = size_t(256) << 20;
constexpr int kPopulateWrite = 23; // MADV_POPULATE_WRITE, Linux 5.14

size_t roundUp(size_t bytes, size_t unit)
{
    return (bytes + unit - 1) / unit * unit;
}

} // namespace

RowStore::Region RowStore::Region::map(size_t bytes)
{
    Region region;
    const size_t size = roundUp(bytes, kRegionUnit);
    // Huge pages are not asked for: on the virtual machines measured, a fresh huge page cost more
    // than the small pages it stands for, and sometimes several times more.
    void* mapped = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        return region;
    region.m_base = static_cast<char*>(mapped);
    region.m_size = size;
    return region;
}

RowStore::Region::Region(Region&& other) noexcept
    : m_base(std::exchange(other.m_base, nullptr)),
      m_size(std::exchange(other.m_size, 0)),
      m_used(std::exchange(other.m_used, 0))
{
}

RowStore::Region& RowStore::Region::operator=(Region&& other) noexcept
{
    if (this != &other) {
        this->~Region();
        m_base = std::exchange(other.m_base, nullptr);
        m_size = std::exchange(other.m_size, 0);
        m_used = std::exchange(other.m_used, 0);
    }
    return *this;
}

RowStore::Region::~Region()
{
    if (m_base)
        munmap(m_base, m_size);
}

char* RowStore::Region::take(size_t bytes)
{
    bytes = roundUp(bytes, 4096); // whole pages, so that each piece starts on a page
    if (!m_base || bytes > m_size - m_used)
        return nullptr;
    char* out = m_base + m_used;
    m_used += bytes;
    // The pages are made present in one call rather than one fault at a time as rows arrive;
    // a system without the call faults them in as usual.
    madvise(out, bytes, kPopulateWrite);
    return out;
}

RowStore::RowStore(int columns, size_t expectedBytes)
    : m_columns(columns),
      m_expected(expectedBytes)
{
}

char* RowStore::allocate(size_t bytes)
{
    m_taken += bytes;
    if (m_taken > kHeapBytes) {
        char* out = m_regions.empty() ? nullptr : m_regions.back().take(bytes);
        if (!out) {
            // The rows expected, else as much again as taken so far: a store grows in few steps.
            const size_t wanted = std::max({bytes, m_taken, m_expected > m_taken ? m_expected - m_taken + bytes : 0});
            Region region = Region::map(std::min(wanted, std::max(kLargestRegion, bytes)));
            out = region.take(bytes);
            if (out)
                m_regions.push_back(std::move(region));
        }
        if (out)
            return out;
    }
    m_heap.push_back(std::make_unique_for_overwrite<char[]>(bytes));
    return m_heap.back().get();
}

RowStore::Word* RowStore::appendRow()
{
    if ((size_t(m_rows) & kChunkMask) == 0)
        m_chunks.push_back(reinterpret_cast<Word*>(allocate(kChunkRows * size_t(std::max(m_columns, 1)) * sizeof(Word))));
    return row(m_rows++);
}

RowStore::Word RowStore::reserve(size_t bytes, char*& out)
{
    if (bytes > kBlockBytes - m_used) {
        m_blocks.push_back(allocate(kBlockBytes));
        m_used = 0;
    }
    const Word offset = (Word(m_blocks.size() - 1) << kBlockShift) | m_used;
    out = m_blocks.back() + m_used;
    m_used += bytes;
    return offset;
}

RowStore::Word RowStore::boxed(Cell::Kind kind, const void* payload, size_t bytes)
{
    char* out = nullptr;
    const Word offset = reserve(1 + bytes, out);
    *out = static_cast<char>(kind);
    std::memcpy(out + 1, payload, bytes);
    return (offset << 2) | kTagBoxed;
}

RowStore::Word RowStore::bytesWord(Cell::Kind kind, const char* data, size_t length)
{
    if (length >= kLargeBytes) {
        m_large.push_back(std::make_unique_for_overwrite<char[]>(length));
        std::memcpy(m_large.back().get(), data, length);
        const LargeRecord record{m_large.back().get(), quint32(length)};
        return boxed(kind, &record, sizeof record);
    }
    char* out = nullptr;
    // SQLite hands an empty text or blob as a null pointer, which memcpy may not be given.
    if (length == 0)
        data = "";
    if (kind == Cell::Text) {
        const Word offset = reserve(lengthBytes(length) + length, out);
        std::memcpy(writeLength(out, length), data, length);
        return (offset << 2) | kTagText;
    }
    // A blob of ordinary size: a boxed record holding its length and bytes, marked as inline.
    const Word offset = reserve(1 + lengthBytes(length) + length, out);
    *out = static_cast<char>(Cell::Blob | 0x80);
    std::memcpy(writeLength(out + 1, length), data, length);
    return (offset << 2) | kTagBoxed;
}

RowStore::Word RowStore::text(const char* data, size_t length)
{
    return bytesWord(Cell::Text, data, length);
}

RowStore::Word RowStore::blob(const char* data, size_t length)
{
    return bytesWord(Cell::Blob, data, length);
}

RowStore::Word RowStore::value(const Variant& value)
{
    switch (value.type()) {
    case Variant::Type::Empty:
    case Variant::Type::Null:
        break;
    case Variant::Type::Boolean:
        return smallInteger(value.toBool() ? 1 : 0);
    case Variant::Type::Integer:
        return integer(value.toInt64());
    case Variant::Type::Double:
        return real(value.toDouble());
    case Variant::Type::Text:
    case Variant::Type::Date: {
        const QByteArray bytes =
            value.type() == Variant::Type::Date ? storedDateText(value.toDate()).toUtf8() : value.toText().toUtf8();
        return text(bytes.constData(), size_t(bytes.size()));
    }
    case Variant::Type::Bytes: {
        const QByteArray bytes = value.toBytes();
        return blob(bytes.constData(), size_t(bytes.size()));
    }
    }
    return kNull;
}

RowStore::Cell RowStore::decodeBoxed(Word word) const
{
    Cell cell;
    const char* record = at(word >> 2);
    const auto kind = static_cast<unsigned char>(*record);
    if (kind & 0x80) { // a blob stored inline
        cell.kind = Cell::Blob;
        cell.data = readLength(record + 1, cell.length);
        return cell;
    }
    cell.kind = static_cast<Cell::Kind>(kind);
    if (cell.kind == Cell::Integer) {
        std::memcpy(&cell.integer, record + 1, sizeof cell.integer);
    } else if (cell.kind == Cell::Double) {
        std::memcpy(&cell.real, record + 1, sizeof cell.real);
    } else {
        LargeRecord large;
        std::memcpy(&large, record + 1, sizeof large);
        cell.data = large.data;
        cell.length = large.length;
    }
    return cell;
}
