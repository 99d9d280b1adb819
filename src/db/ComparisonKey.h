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

inline std::string_view view(const QByteArray& bytes)
{
    return {bytes.constData(), static_cast<size_t>(bytes.size())};
}

} // namespace ComparisonKey
