#include "db/Recordset.h"
#include "db/ScratchDatabase.h"
#include "runtime/RuntimeError.h"

#include <random>

namespace {

// Find and Filter take shortcuts (a scan for a few rows, an index once a column is looked up
// again and again, an index kept in step with writes); a plain walk over the rows with a plain
// comparison must always give the same answer. Each seed makes its own table of a few hundred
// rows, many equal values in different letter case, Nulls and numbers among texts, then mixes
// filters, sorts, finds from random places and writes.
class FindFilterDifferential {
public:
    explicit FindFilterDifferential(unsigned seed)
        : m_random(seed)
    {
        // Code has no declared type, so numbers and texts stay as inserted.
        m_database.create("CREATE TABLE Item(ItemObjectID TEXT PRIMARY KEY, Name TEXT, Code, Tag TEXT, Parent TEXT)",
                          [this](SqliteDb& db) {
                              db.exec("BEGIN");
                              for (int i = 0; i < 300 + int(m_random() % 200); ++i)
                                  db.execute("INSERT INTO Item VALUES (?, ?, ?, ?, ?)",
                                             {QStringLiteral("{ITEM-%1}").arg(i), randomValue(Name), randomValue(Code),
                                              randomValue(Tag), randomValue(Parent)});
                              db.exec("COMMIT");
                          });
        m_rs.open("SELECT * FROM Item ORDER BY Parent", m_database.conn, {LockType::Optimistic, "ItemObjectID", {}, {"Parent"}});
    }

    void run(int steps)
    {
        readModel();
        for (int step = 0; step < steps; ++step) {
            const unsigned op = m_random() % 100;
            if (op < 20)
                checkFilter();
            else if (op < 60)
                checkFind();
            else if (op < 70)
                checkKeyLookups();
            else if (op < 80)
                changeRow();
            else if (op < 86)
                deleteRow();
            else if (op < 92)
                addRow();
            else
                requery();
            if (::testing::Test::HasFailure())
                return;
        }
    }

private:
    enum Column { Id, Name, Code, Tag, Parent, ColumnCount };
    static inline const char* kColumns[] = {"ItemObjectID", "Name", "Code", "Tag", "Parent"};
    using Row = std::array<Variant, ColumnCount>;

    Variant randomValue(int column)
    {
        if (m_random() % 10 == 0)
            return Variant::null();
        const unsigned pick = m_random();
        switch (column) {
        case Name: {
            static const char* names[] = {"alpha", "Alpha", "ALPHA", "béta",    "BÉTA",    "Ωmega",  "ωMEGA",
                                          "",      "10",    "2",     "o'brien", "O'BRIEN", "zeta z", "Zeta Z"};
            return QString::fromUtf8(names[pick % std::size(names)]);
        }
        case Code:
            return pick % 3 == 0 ? Variant(QString::number(pick % 8)) : Variant(qint64(pick % 8));
        case Tag:
            return QStringLiteral("{TAG-%1-abc}").arg(pick % 30).replace("abc", pick % 2 ? "ABC" : "abc");
        default:
            return QStringLiteral("{Parent-%1}").arg(pick % 12).replace("Parent", pick % 2 ? "PARENT" : "parent");
        }
    }

    // What a criterion is looked for with: the values themselves, other letter cases, near misses.
    Variant randomProbe(int column)
    {
        const unsigned pick = m_random() % 10;
        if (pick == 0)
            return Variant::null();
        if (pick == 1)
            return column == Code ? Variant(QStringLiteral(" 3")) : Variant(QStringLiteral("alpha "));
        if (pick == 2 && column == Code)
            return Variant(qint64(m_random() % 8));
        const Variant v = randomValue(column);
        if (v.isNull() || v.type() != Variant::Type::Text)
            return v;
        return m_random() % 2 ? Variant(v.toText().toUpper()) : Variant(v.toText().toLower());
    }

    // The plain comparison: text against text, without regard to letter case; Null never matches.
    static bool plainMatch(const Variant& cell, const Variant& value)
    {
        if (cell.isNull() || cell.isEmpty() || value.isNull() || value.isEmpty())
            return false;
        return cell.toText().compare(value.toText(), Qt::CaseInsensitive) == 0;
    }

    Row readRow()
    {
        Row row;
        for (int c = 0; c < ColumnCount; ++c)
            row[size_t(c)] = m_rs.field(kColumns[c]);
        return row;
    }

    // The rows the recordset presents now, walked one by one.
    std::vector<Row> walk()
    {
        std::vector<Row> rows;
        for (m_rs.moveFirst(); !m_rs.isEOF(); m_rs.moveNext())
            rows.push_back(readRow());
        return rows;
    }

    // Every row, as an unfiltered, unsorted walk shows them.
    void readModel()
    {
        m_rs.clearFilter();
        m_rs.setSort("");
        m_model = walk();
    }

    std::vector<Criterion> randomFilter()
    {
        std::vector<Criterion> criteria;
        const unsigned count = m_random() % 3;
        for (unsigned i = 0; i < count; ++i) {
            const int column = 1 + int(m_random() % (ColumnCount - 1));
            Variant value = randomProbe(column);
            if (value.isNull() && m_random() % 4)
                value = randomValue(column);
            criteria.push_back({kColumns[column], value});
        }
        return criteria;
    }

    std::vector<QString> expectedIds(const std::vector<Criterion>& criteria)
    {
        std::vector<QString> ids;
        for (const Row& row : m_model) {
            bool all = true;
            for (const Criterion& c : criteria) {
                const int column = int(std::find_if(std::begin(kColumns), std::end(kColumns),
                                                    [&](const char* n) { return c.column == QLatin1String(n); })
                                       - std::begin(kColumns));
                all = all && plainMatch(row[size_t(column)], c.value);
            }
            if (all)
                ids.push_back(row[Id].toText());
        }
        return ids;
    }

    static std::vector<QString> idsOf(const std::vector<Row>& rows)
    {
        std::vector<QString> ids;
        for (const Row& row : rows)
            ids.push_back(row[Id].toText());
        return ids;
    }

    static std::string describe(const std::vector<Criterion>& criteria)
    {
        std::string text;
        for (const Criterion& c : criteria)
            text += c.column.toStdString() + "=" + (c.value.isNull() ? "Null" : "'" + c.value.toText().toStdString() + "'") + " ";
        return text;
    }

    void checkFilter()
    {
        const auto criteria = randomFilter();
        m_rs.setSort("");
        m_rs.setFilter(criteria);
        const std::vector<QString> expected = expectedIds(criteria);
        EXPECT_EQ(idsOf(walk()), expected) << describe(criteria);
        EXPECT_EQ(m_rs.recordCount(), int(expected.size())) << describe(criteria);
    }

    void checkFind()
    {
        static const char* sorts[] = {"", "", "Name", "Code DESC", "Tag, Name DESC"};
        const auto criteria = m_random() % 3 ? std::vector<Criterion>{} : randomFilter();
        m_rs.setFilter(criteria);
        m_rs.setSort(sorts[m_random() % std::size(sorts)]);
        const std::vector<Row> rows = walk();
        std::vector<QString> expected = expectedIds(criteria), shown = idsOf(rows);
        std::sort(expected.begin(), expected.end());
        std::sort(shown.begin(), shown.end());
        ASSERT_EQ(shown, expected) << describe(criteria) << "sorted by " << m_rs.sort().toStdString();

        // Several finds on one column, so that it gets its index.
        const int column = int(m_random() % ColumnCount);
        for (int probe = 0; probe < 4; ++probe) {
            const Variant value = column == Id ? (rows.empty() || m_random() % 4 == 0
                                                      ? Variant("{item-9999}")
                                                      : Variant(rows[m_random() % rows.size()][Id].toText().toLower()))
                                               : randomProbe(column);
            const int start = rows.empty() ? 0 : int(m_random() % (rows.size() + 1));
            int want = -1;
            for (int i = start; i < int(rows.size()) && want < 0; ++i)
                if (plainMatch(rows[size_t(i)][size_t(column)], value))
                    want = i;
            m_rs.moveFirst();
            for (int i = 0; i < start; ++i)
                m_rs.moveNext();
            const bool found = m_rs.find(kColumns[column], value);
            const std::string what = std::string(kColumns[column]) + "=" + value.textOrEmpty().toStdString() + " from "
                                     + std::to_string(start) + " in " + describe(criteria) + "sorted by "
                                     + m_rs.sort().toStdString();
            EXPECT_EQ(found, want >= 0) << what;
            if (want >= 0 && found) {
                EXPECT_EQ(m_rs.field("ItemObjectID").toText(), rows[size_t(want)][Id].toText()) << what;
            }
            if (!found) {
                EXPECT_TRUE(m_rs.isEOF()) << what;
            }
        }
    }

    // The lookups that go straight to a column's index: every row holding a key, and the first
    // row of each of several keys looked up in ascending order of their bytes.
    void checkKeyLookups()
    {
        const int column = 1 + int(m_random() % (ColumnCount - 1));
        const int c = m_rs.columnNumber(kColumns[column]);
        const int id = m_rs.columnNumber(kColumns[Id]);
        std::vector<std::pair<std::string, Variant>> probes;
        for (int i = 0; i < 6; ++i) {
            const Variant value = randomProbe(column);
            if (const auto key = Recordset::keyOf(value))
                probes.emplace_back(key->toStdString(), value);
        }
        std::sort(probes.begin(), probes.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        Recordset::KeyCursor cursor = m_rs.keyCursor(c);
        for (const auto& [key, value] : probes) {
            std::vector<QString> expected, found;
            for (const Row& row : m_model)
                if (plainMatch(row[size_t(column)], value))
                    expected.push_back(row[Id].toText());
            for (const int r : m_rs.rowsWithKey(c, key))
                found.push_back(m_rs.valueAt(r, id).toText());
            EXPECT_EQ(found, expected) << kColumns[column] << "=" << key;
            const int first = cursor.firstRow(key);
            EXPECT_EQ(first < 0 ? QString() : m_rs.valueAt(first, id).toText(), expected.empty() ? QString() : expected.front())
                << kColumns[column] << "=" << key;
        }
    }

    // Moves to a random row of the whole set and returns its place in the model.
    int moveToRandomRow()
    {
        m_rs.clearFilter();
        m_rs.setSort("");
        if (m_model.empty())
            return -1;
        const int target = int(m_random() % m_model.size());
        m_rs.moveFirst();
        for (int i = 0; i < target; ++i)
            m_rs.moveNext();
        EXPECT_EQ(m_rs.field("ItemObjectID").toText(), m_model[size_t(target)][Id].toText());
        return target;
    }

    void changeRow()
    {
        const int target = moveToRandomRow();
        if (target < 0)
            return;
        const int column = 1 + int(m_random() % (ColumnCount - 1));
        const Variant value = randomValue(column);
        m_rs.setField(kColumns[column], value);
        m_rs.update();
        m_model[size_t(target)] = readRow();
    }

    void deleteRow()
    {
        const int target = moveToRandomRow();
        if (target < 0)
            return;
        m_rs.deleteCurrent();
        m_model.erase(m_model.begin() + target);
    }

    void addRow()
    {
        m_rs.addNew();
        m_rs.setField("ItemObjectID", QStringLiteral("{NEW-%1}").arg(++m_added));
        for (int c = 1; c < ColumnCount; ++c)
            m_rs.setField(kColumns[c], randomValue(c));
        m_rs.update();
        readModel(); // the new row stands at the end until the next requery
    }

    void requery()
    {
        m_rs.requery();
        readModel();
    }

    std::mt19937 m_random;
    ScratchDatabase m_database;
    Recordset m_rs;
    std::vector<Row> m_model;
    int m_added = 0;
};

TEST(FindFilterDifferential, FindAndFilterAgreeWithAPlainWalk)
{
    const unsigned seeds[] = {1, 2, 3, 5, 8, 13, 21, 34, 55, 89, 144, 233};
    for (const unsigned seed : seeds) {
        SCOPED_TRACE(::testing::Message() << "seed " << seed);
        FindFilterDifferential(seed).run(120);
        if (::testing::Test::HasFailure())
            return;
    }
}

} // namespace
