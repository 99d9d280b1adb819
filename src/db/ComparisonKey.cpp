#include "db/ComparisonKey.h"

#include "db/Sqlite.h"

#include <QString>
#include <cstdio>

namespace {

using Cell = RowStore::Cell;

bool isAscii(const char* data, qsizetype length)
{
    for (qsizetype i = 0; i < length; ++i)
        if (static_cast<unsigned char>(data[i]) >= 0x80)
            return false;
    return true;
}

// The key of a text, appended: ASCII folded in place, anything else through Unicode case folding.
template <typename Out>
void appendFolded(Out& out, const char* data, qsizetype length)
{
    // Copied, then folded and checked in one pass: an index folds millions of bytes.
    const auto start = out.size();
    out.append(data, static_cast<size_t>(length));
    bool ascii = true;
    for (auto i = start; i < out.size(); ++i) {
        const char ch = out[i];
        ascii = ascii && static_cast<unsigned char>(ch) < 0x80;
        if (ch >= 'A' && ch <= 'Z')
            out[i] = static_cast<char>(ch + ('a' - 'A'));
    }
    if (ascii)
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
        // Byte by byte with ASCII folding, leaving at the first difference; only text outside
        // ASCII needs the full folding.
        const char* data = c.data;
        if (qsizetype(c.length) == key.size()) {
            quint32 i = 0;
            for (; i < c.length; ++i) {
                char a = data[i];
                if (static_cast<unsigned char>(a) >= 0x80 || static_cast<unsigned char>(key[i]) >= 0x80)
                    break;
                if (a >= 'A' && a <= 'Z')
                    a = static_cast<char>(a + ('a' - 'A'));
                if (a != key[i])
                    return false;
            }
            if (i == c.length)
                return true;
        } else if (isAscii(data, c.length) && isAscii(key.constData(), key.size())) {
            return false;
        }
    }
    return ofCell(c) == key;
}

} // namespace ComparisonKey
