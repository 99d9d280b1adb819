#pragma once

#include "db/RowStore.h"
#include "runtime/Variant.h"

#include <QByteArray>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

// How Find, Filter, Sort and the indexes compare values: by their text without regard to letter
// case, so that an integer column matches '1' and ids match in any case. Null has no key and
// never matches.
namespace ComparisonKey {

std::optional<QByteArray> ofValue(const Variant& value);
QByteArray ofCell(const RowStore::Cell& cell); // empty for Null
// Appends the same bytes as ofCell(), without a copy for text.
void append(std::string& out, const RowStore::Cell& cell);
bool matches(const RowStore::Cell& cell, const QByteArray& key);

// Keys compared without being made: ASCII text, whose key is the text with its letters A to Z
// folded, can be compared in place as if folded ("raw"), instead of copied and folded first.
bool isAscii(const char* data, size_t length);
// A key's first eight bytes, big-endian, zeros after a shorter key.
quint64 prefix(std::string_view key, bool raw);
// Orders two keys by their bytes, as unsigned bytes, a shorter key before a longer one it begins.
// A raw text has its ASCII letters folded on the way, whatever else it holds.
int compare(std::string_view a, bool aRaw, std::string_view b, bool bRaw);

// Eight bytes at a time: texts are folded and compared a word at a time.
constexpr quint64 kOnes = 0x0101010101010101ULL;
constexpr quint64 kHighBits = kOnes * 0x80;
inline quint64 loadWord(const char* at)
{
    quint64 word;
    std::memcpy(&word, at, sizeof word);
    return word;
}
// Eight bytes with their letters A to Z folded, any other byte left as it is. Summed over the
// low seven bits of each byte, nothing carries into the next byte; the high bit of each byte of
// the sums tells whether the byte is above 'Z' and whether it is at least 'A'.
inline quint64 foldedWord(quint64 word)
{
    const quint64 low = word & ~kHighBits;
    const quint64 aboveZ = low + kOnes * (0x7F - 'Z');
    const quint64 atLeastA = low + kOnes * (0x80 - 'A');
    return word | ((atLeastA & ~aboveZ & ~word & kHighBits) >> 2);
}

// One key looked for in many cells, as matches() does: a text cell of the key's length whose
// first eight bytes are ASCII and differ from the key's is told apart without a call.
class Scan {
public:
    explicit Scan(const QByteArray& key)
        : m_key(key)
    {
        if (key.size() >= 8 && (loadWord(key.constData()) & kHighBits) == 0)
            m_first = loadWord(key.constData());
    }
    bool matches(const RowStore::Cell& cell) const
    {
        if (m_first && cell.kind == RowStore::Cell::Text && cell.length == quint32(m_key.size())) {
            const quint64 word = loadWord(cell.data);
            if ((word & kHighBits) == 0 && foldedWord(word) != *m_first)
                return false;
        }
        return ComparisonKey::matches(cell, m_key);
    }

private:
    QByteArray m_key;
    std::optional<quint64> m_first;
};

inline std::string_view view(const QByteArray& bytes)
{
    return {bytes.constData(), static_cast<size_t>(bytes.size())};
}

} // namespace ComparisonKey
