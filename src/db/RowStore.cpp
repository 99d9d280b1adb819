#include "db/RowStore.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

static_assert(std::is_trivially_default_constructible_v<RowStore::Cell>, "chunks are allocated without writing them");

RowStore::RowStore(int columns)
    : m_columns(columns)
{
}

RowStore::Cell* RowStore::appendRow()
{
    if ((size_t(m_rows) & kChunkMask) == 0)
        // Not written here: the pages of a chunk are touched only as rows arrive.
        m_chunks.push_back(std::make_unique_for_overwrite<Cell[]>(kChunkRows * size_t(std::max(m_columns, 1))));
    return row(m_rows++);
}

const char* RowStore::storeBytes(const char* data, size_t length)
{
    if (length == 0)
        return nullptr;
    if (length > m_freeBytes) {
        if (length > kBlockBytes / 4) {
            // A large value gets a block of its own; the current block stays open for small ones.
            m_blocks.push_back(std::make_unique_for_overwrite<char[]>(length));
            std::memcpy(m_blocks.back().get(), data, length);
            return m_blocks.back().get();
        }
        m_blocks.push_back(std::make_unique_for_overwrite<char[]>(kBlockBytes));
        m_free = m_blocks.back().get();
        m_freeBytes = kBlockBytes;
    }
    char* stored = m_free;
    std::memcpy(stored, data, length);
    m_free += length;
    m_freeBytes -= length;
    return stored;
}
