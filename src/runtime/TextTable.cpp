#include "runtime/TextTable.h"

#include "runtime/RuntimeError.h"

TextTable::TextTable(const QStringList& columns)
    : m_columns(columns)
{
}

void TextTable::reserve(int rows, int bytesPerRow)
{
    m_ends.reserve(size_t(rows) * size_t(m_columns.size()));
    m_bytes.reserve(qsizetype(rows) * bytesPerRow);
}

void TextTable::appendText(QByteArrayView utf8)
{
    if (quint64(m_bytes.size()) + quint64(utf8.size()) >= kNullBit)
        throwError(ErrorNumber::Overflow, QStringLiteral("Overflow"));
    m_bytes.append(utf8);
    m_ends.push_back(quint32(m_bytes.size()));
}

void TextTable::appendNull()
{
    m_ends.push_back(quint32(m_bytes.size()) | kNullBit);
}

void TextTable::append(const Variant& value)
{
    if (value.isNull() || value.isEmpty())
        appendNull();
    else
        appendText(value.toText().toUtf8());
}

TextTable TextTable::fromRows(const QStringList& columns, const std::vector<std::vector<Variant>>& rows)
{
    TextTable table(columns);
    table.reserve(int(rows.size()), 16 * int(columns.size()));
    for (const auto& row : rows)
        for (int c = 0; c < columns.size(); ++c)
            table.append(size_t(c) < row.size() ? row[size_t(c)] : Variant::null());
    return table;
}

QByteArrayView TextTable::utf8(int row, int column) const
{
    const size_t cell = cellIndex(row, column);
    const quint32 from = start(cell);
    return QByteArrayView(m_bytes.constData() + from, qsizetype((m_ends[cell] & ~kNullBit) - from));
}

Variant TextTable::value(int row, int column) const
{
    return isNull(row, column) ? Variant::null() : Variant(text(row, column));
}

void TextTable::reorder(const std::vector<int>& order)
{
    const size_t columns = size_t(m_columns.size());
    QByteArray bytes;
    bytes.reserve(m_bytes.size());
    std::vector<quint32> ends;
    ends.reserve(m_ends.size());
    // A row's cells lie side by side: each row is copied at once, its ends moved with it.
    for (int row : order) {
        const size_t first = size_t(row) * columns;
        const quint32 from = start(first);
        const quint32 to = columns ? m_ends[first + columns - 1] & ~kNullBit : from;
        const quint32 at = quint32(bytes.size());
        bytes.append(m_bytes.constData() + from, qsizetype(to - from));
        for (size_t c = 0; c < columns; ++c)
            ends.push_back(((m_ends[first + c] & ~kNullBit) - from + at) | (m_ends[first + c] & kNullBit));
    }
    m_bytes = std::move(bytes);
    m_ends = std::move(ends);
}
