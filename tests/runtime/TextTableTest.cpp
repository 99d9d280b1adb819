#include "runtime/TextTable.h"

#include <gtest/gtest.h>

namespace {

QStringList shown(const TextTable& table)
{
    QStringList rows;
    for (int r = 0; r < table.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < table.columnCount(); ++c)
            cells << (table.isNull(r, c) ? QStringLiteral("<null>") : table.text(r, c));
        rows << cells.join('|');
    }
    return rows;
}

// Null stays apart from the empty text, numbers show as their text, texts outside ASCII keep
// their letters, and a new order moves whole rows.
TEST(TextTable, KeepsEveryCellAsShownThroughANewOrder)
{
    const TextTable table = TextTable::fromRows(
        {"Alias", "Extension"},
        {{Variant("zoë"), Variant::null()}, {Variant(""), Variant(qint64(120))}, {Variant("Ångström"), Variant(2.5)}});
    EXPECT_EQ(shown(table), QStringList({"zoë|<null>", "|120", "Ångström|2.5"}));
    EXPECT_TRUE(table.value(0, 1).isNull());
    EXPECT_EQ(table.value(1, 0).type(), Variant::Type::Text);

    TextTable reordered = table;
    reordered.reorder({2, 0, 1});
    EXPECT_EQ(shown(reordered), QStringList({"Ångström|2.5", "zoë|<null>", "|120"}));
    EXPECT_EQ(reordered.columns(), QStringList({"Alias", "Extension"}));
}

} // namespace
