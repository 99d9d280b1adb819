#pragma once

#include "db/RowStore.h"
#include "runtime/Variant.h"

#include <QByteArray>
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
int compare(std::string_view a, bool aRaw, std::string_view b, bool bRaw);

inline std::string_view view(const QByteArray& bytes)
{
    return {bytes.constData(), static_cast<size_t>(bytes.size())};
}

} // namespace ComparisonKey
