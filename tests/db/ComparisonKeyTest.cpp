#include "db/ComparisonKey.h"

#include <QString>
#include <gtest/gtest.h>
#include <random>
#include <string>

namespace {

// The plain meaning of a key: the text case-folded as a whole.
QByteArray plainKey(const std::string& text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size())).toCaseFolded().toUtf8();
}

RowStore::Cell textCell(const std::string& text)
{
    RowStore::Cell c;
    c.kind = RowStore::Cell::Text;
    c.data = text.data();
    c.length = quint32(text.size());
    return c;
}

// Texts of every length up to a few words, from the letters' neighbours in ASCII ('@', '[',
// '`', '{') and letters outside ASCII at any place: the keys fold a word at a time, so each
// byte's place in its word and the last, partly filled word must not matter.
TEST(ComparisonKey, KeysAndMatchesFoldAsTheWholeTextDoes)
{
    const std::string pieces[] = {"@", "A", "M", "Z", "[", "`", "a", "m", "z", "{", "0", "9", "-", "\x7f", "é", "Ω", "É"};
    std::mt19937 random(7);
    for (int n = 0; n < 4000; ++n) {
        std::string text;
        const size_t length = size_t(n % 41);
        const bool ascii = n % 3 != 0;
        while (text.size() < length) {
            const std::string& piece = pieces[random() % (ascii ? 14 : std::size(pieces))];
            text += piece;
        }
        SCOPED_TRACE(text);
        const QByteArray expected = plainKey(text);

        std::string appended = "prefix";
        ComparisonKey::append(appended, textCell(text));
        EXPECT_EQ(appended, "prefix" + expected.toStdString());
        EXPECT_EQ(ComparisonKey::ofCell(textCell(text)), expected);

        EXPECT_TRUE(ComparisonKey::matches(textCell(text), expected));
        EXPECT_TRUE(ComparisonKey::Scan(expected).matches(textCell(text)));
        // One byte of the key changed, anywhere: no match.
        if (!expected.isEmpty()) {
            QByteArray other = expected;
            const qsizetype at = qsizetype(random() % size_t(other.size()));
            other[at] = other[at] == 'q' ? 'r' : 'q';
            EXPECT_EQ(ComparisonKey::matches(textCell(text), other), plainKey(text) == other);
            EXPECT_EQ(ComparisonKey::Scan(other).matches(textCell(text)), plainKey(text) == other);
        }
    }
}

// Keys compared in place order as their bytes do with the letters A to Z folded, other bytes
// (those of letters outside ASCII too) as they are, a shorter key first when it begins a longer.
TEST(ComparisonKey, RawTextsOrderAsTheirAsciiFoldedBytes)
{
    const std::string pieces[] = {"@", "A", "Z", "[", "`", "a", "z", "{", "0", "\x7f", "é", "É", "\xff"};
    std::mt19937 random(11);
    const auto text = [&] {
        std::string t;
        for (size_t n = random() % 20; t.size() < n;)
            t += pieces[random() % std::size(pieces)];
        return t;
    };
    const auto folded = [](std::string t) {
        for (char& ch : t)
            if (ch >= 'A' && ch <= 'Z')
                ch = char(ch + ('a' - 'A'));
        return t;
    };
    const auto sign = [](int n) { return (n > 0) - (n < 0); };
    for (int n = 0; n < 4000; ++n) {
        std::string a = text(), b = n % 4 == 0 ? folded(a) + text() : text();
        if (n % 5 == 0)
            b = a.substr(0, a.size() / 2);
        SCOPED_TRACE(a + " | " + b);
        const int expected = sign(folded(a).compare(folded(b)));
        EXPECT_EQ(sign(ComparisonKey::compare(a, true, b, true)), expected);
        EXPECT_EQ(sign(ComparisonKey::compare(a, true, folded(b), false)), expected);
        EXPECT_EQ(sign(ComparisonKey::compare(folded(a), false, b, true)), expected);
        if (folded(a).size() >= 8 && folded(b).size() >= 8 && ComparisonKey::prefix(a, true) != ComparisonKey::prefix(b, true)) {
            EXPECT_EQ(ComparisonKey::prefix(a, true) < ComparisonKey::prefix(b, true), expected < 0);
        }
    }
}

} // namespace
