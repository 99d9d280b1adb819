#include "db/ComparisonKey.h"

#include "db/Sqlite.h"

#include <QString>
#include <QtEndian>
#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

using Cell = RowStore::Cell;

using ComparisonKey::foldedWord;
using ComparisonKey::kHighBits;
using ComparisonKey::loadWord;

unsigned char foldedByte(char ch, bool fold)
{
    return static_cast<unsigned char>(fold && ch >= 'A' && ch <= 'Z' ? ch + ('a' - 'A') : ch);
}

// Folds ASCII upper-case letters in place, eight bytes at a time: an index folds millions of
// bytes. False when a byte lies outside ASCII; the bytes are then in no useful state.
bool foldAsciiInPlace(char* data, size_t length)
{
    if (length < 8) {
        unsigned char seen = 0;
        for (size_t i = 0; i < length; ++i) {
            const char ch = data[i];
            seen |= static_cast<unsigned char>(ch);
            if (ch >= 'A' && ch <= 'Z')
                data[i] = static_cast<char>(ch + ('a' - 'A'));
        }
        return seen < 0x80;
    }
    quint64 seen = 0;
    // The last word may overlap the one before: folding a folded byte leaves it as it is.
    for (size_t i = 0;; i = std::min(i + 8, length - 8)) {
        const quint64 word = loadWord(data + i);
        seen |= word;
        const quint64 folded = foldedWord(word);
        std::memcpy(data + i, &folded, sizeof folded);
        if (i == length - 8)
            break;
    }
    return (seen & kHighBits) == 0;
}

// Whether an ASCII text equals a key when folded; nothing when either holds a byte outside ASCII.
std::optional<bool> asciiFoldedEqual(const char* text, const char* key, size_t length)
{
    if (length < 8) {
        unsigned char seen = 0;
        bool equal = true;
        for (size_t i = 0; i < length; ++i) {
            char a = text[i];
            seen |= static_cast<unsigned char>(a) | static_cast<unsigned char>(key[i]);
            if (a >= 'A' && a <= 'Z')
                a = static_cast<char>(a + ('a' - 'A'));
            equal = equal && a == key[i];
        }
        return seen < 0x80 ? std::optional<bool>(equal) : std::nullopt;
    }
    for (size_t i = 0;; i = std::min(i + 8, length - 8)) {
        const quint64 a = loadWord(text + i), k = loadWord(key + i);
        if ((a | k) & kHighBits)
            return std::nullopt;
        if (foldedWord(a) != k)
            return false;
        if (i == length - 8)
            return true;
    }
}

// The key of a text, appended: ASCII folded in place, anything else through Unicode case folding.
template <typename Out>
void appendFolded(Out& out, const char* data, qsizetype length)
{
    const auto start = out.size();
    out.append(data, static_cast<size_t>(length));
    if (foldAsciiInPlace(out.data() + start, static_cast<size_t>(length)))
        return;
    out.resize(start);
    const QByteArray folded = QString::fromUtf8(data, length).toCaseFolded().toUtf8();
    out.append(folded.constData(), static_cast<size_t>(folded.size()));
}

QByteArray foldText(const char* data, qsizetype length)
{
    QByteArray out;
    out.reserve(length);
    appendFolded(out, data, length);
    return out;
}

} // namespace

namespace ComparisonKey {

std::optional<QByteArray> ofValue(const Variant& value)
{
    switch (value.type()) {
    case Variant::Type::Null:
    case Variant::Type::Empty:
        return std::nullopt;
    case Variant::Type::Integer:
        return QByteArray::number(value.toInt64());
    case Variant::Type::Date:
        return storedDateText(value.toDate()).toUtf8();
    default: {
        const QByteArray utf8 = value.toText().toUtf8();
        return foldText(utf8.constData(), utf8.size());
    }
    }
}

QByteArray ofCell(const Cell& c)
{
    switch (c.kind) {
    case Cell::Integer:
        return QByteArray::number(c.integer);
    case Cell::Double:
        return numberText(c.real).toUtf8();
    case Cell::Text:
        return foldText(c.data, c.length);
    case Cell::Blob:
        return QByteArray(c.data, c.length);
    case Cell::Null:
        break;
    }
    return QByteArray();
}

void append(std::string& out, const Cell& c)
{
    switch (c.kind) {
    case Cell::Integer: {
        char digits[24];
        const int n = std::snprintf(digits, sizeof digits, "%lld", static_cast<long long>(c.integer));
        out.append(digits, size_t(n));
        break;
    }
    case Cell::Double: {
        const QByteArray text = numberText(c.real).toUtf8();
        out.append(text.constData(), size_t(text.size()));
        break;
    }
    case Cell::Text:
        appendFolded(out, c.data, c.length);
        break;
    case Cell::Blob:
        out.append(c.data, c.length);
        break;
    case Cell::Null:
        break;
    }
}

bool matches(const Cell& c, const QByteArray& key)
{
    if (c.kind == Cell::Null)
        return false;
    if (c.kind == Cell::Text) {
        // Word by word with ASCII folding, leaving at the first difference; only text outside
        // ASCII needs the full folding.
        const char* data = c.data;
        if (qsizetype(c.length) == key.size()) {
            if (const std::optional<bool> equal = asciiFoldedEqual(data, key.constData(), c.length))
                return *equal;
        } else if (isAscii(data, c.length) && isAscii(key.constData(), size_t(key.size()))) {
            return false;
        }
    }
    return ofCell(c) == key;
}

bool isAscii(const char* data, size_t length)
{
    quint64 seen = 0;
    if (length >= 8) {
        for (size_t i = 0; i + 8 < length; i += 8)
            seen |= loadWord(data + i);
        seen |= loadWord(data + length - 8); // the last word may overlap the one before
    } else {
        for (size_t i = 0; i < length; ++i)
            seen |= static_cast<unsigned char>(data[i]);
    }
    return (seen & kHighBits) == 0;
}

quint64 prefix(std::string_view key, bool raw)
{
    if (key.size() >= 8) {
        const quint64 word = loadWord(key.data());
        return qFromBigEndian(raw ? foldedWord(word) : word);
    }
    quint64 prefix = 0;
    for (size_t i = 0; i < 8; ++i)
        prefix = (prefix << 8) | (i < key.size() ? foldedByte(key[i], raw) : 0u);
    return prefix;
}

int compare(std::string_view a, bool aRaw, std::string_view b, bool bRaw)
{
    // Equal keys are what an index meets most among equal prefixes.
    if (aRaw == bRaw && a == b)
        return 0;
    const size_t n = std::min(a.size(), b.size());
    const auto differ = [&](size_t at, int& order) {
        quint64 x = loadWord(a.data() + at), y = loadWord(b.data() + at);
        if (aRaw)
            x = foldedWord(x);
        if (bRaw)
            y = foldedWord(y);
        if (x == y)
            return false;
        order = qFromBigEndian(x) < qFromBigEndian(y) ? -1 : 1;
        return true;
    };
    int order = 0;
    size_t i = 0;
    for (; i + 8 <= n; i += 8)
        if (differ(i, order))
            return order;
    // The last word may overlap the one before, whose bytes were equal.
    if (i < n && n >= 8) {
        if (differ(n - 8, order))
            return order;
        i = n;
    }
    for (; i < n; ++i) {
        const unsigned char x = foldedByte(a[i], aRaw), y = foldedByte(b[i], bRaw);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

} // namespace ComparisonKey
