#include "db/RecordsetShown.h"

void RecordsetShown::follow(const QByteArray& rowKey, int column, const Variant& value)
{
    const auto row = m_values.find(rowKey);
    if (row != m_values.end() && row->contains(column))
        row->insert(column, value);
}

std::optional<Variant> RecordsetShown::value(const QByteArray& rowKey, int column) const
{
    const auto row = m_values.constFind(rowKey);
    if (row == m_values.cend())
        return std::nullopt;
    const auto cell = row->constFind(column);
    if (cell == row->cend())
        return std::nullopt;
    return *cell;
}
