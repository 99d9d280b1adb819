#include "db/RowStore.h"

#include <gtest/gtest.h>
#include <string>

namespace {

std::string textOf(int row)
{
    return std::string(size_t(row % 97), char('a' + row % 26)) + std::to_string(row);
}

// Enough rows that the store leaves the heap for regions of its own and grows through several,
// with and without knowing its size beforehand; every value reads back as written, also after
// the store was moved.
TEST(RowStore, ALargeStoreReadsBackEveryValue)
{
    for (size_t expected : {size_t(0), size_t(48) << 20}) {
        SCOPED_TRACE(expected);
        RowStore store(4, expected);
        const int rows = 150000;
        for (int r = 0; r < rows; ++r) {
            RowStore::Word* out = store.appendRow();
            const std::string text = textOf(r);
            out[0] = store.integer(r % 3 == 0 ? (qint64(1) << 62) + r : r);
            out[1] = store.text(text.data(), text.size());
            out[2] = r % 5 == 0 ? RowStore::kNull : store.real(r / 4.0);
            out[3] = store.blob(text.data(), r % 7 == 0 ? 0 : 3);
        }
        EXPECT_GT(store.bytesTaken(), size_t(8) << 20);
        const RowStore moved = std::move(store);
        for (int r = 0; r < rows; r += 7) {
            const std::string text = textOf(r);
            const RowStore::Cell id = moved.cell(r, 0);
            ASSERT_EQ(id.kind, RowStore::Cell::Integer);
            EXPECT_EQ(id.integer, r % 3 == 0 ? (qint64(1) << 62) + r : r);
            const RowStore::Cell t = moved.cell(r, 1);
            ASSERT_EQ(t.kind, RowStore::Cell::Text);
            EXPECT_EQ(std::string(t.data, t.length), text);
            const RowStore::Cell d = moved.cell(r, 2);
            if (r % 5 == 0)
                EXPECT_EQ(d.kind, RowStore::Cell::Null);
            else
                EXPECT_EQ(d.real, r / 4.0);
            const RowStore::Cell b = moved.cell(r, 3);
            ASSERT_EQ(b.kind, RowStore::Cell::Blob);
            EXPECT_EQ(std::string(b.data, b.length), text.substr(0, r % 7 == 0 ? 0 : 3));
        }
    }
}

} // namespace
