#include "data/ObjectReferences.h"

#include "data/RecordsetCache.h"
#include "runtime/RuntimeError.h"

#include <algorithm>
#include <numeric>
#include <string_view>

namespace {

std::string_view view(const QByteArray& bytes)
{
    return {bytes.constData(), size_t(bytes.size())};
}

// A whole number equal to one of the wanted ones; Null and texts never are.
bool isOneOf(const RowStore::Cell& cell, std::initializer_list<qint64> wanted)
{
    if (cell.kind == RowStore::Cell::Integer)
        return std::find(wanted.begin(), wanted.end(), cell.integer) != wanted.end();
    if (cell.kind == RowStore::Cell::Double)
        return std::any_of(wanted.begin(), wanted.end(), [&](qint64 w) { return cell.real == double(w); });
    return false;
}

// A cell of the cache's rows as the grid shows it.
void appendCell(TextTable& table, const Recordset& rs, int row, int column)
{
    const RowStore::Cell c = rs.cellAt(row, column);
    switch (c.kind) {
    case RowStore::Cell::Null:
        table.appendNull();
        break;
    case RowStore::Cell::Text:
    case RowStore::Cell::Blob:
        table.appendText(QByteArrayView(c.data, qsizetype(c.length)));
        break;
    default:
        table.append(rs.valueAt(row, column));
        break;
    }
}

// The rows in the order of the database's ORDER BY on their first column without regard to case:
// bytes compared with ASCII letters folded, a shorter text before a longer one it begins, Null first.
void sortByFirstColumn(TextTable& table)
{
    const int n = table.rowCount();
    std::vector<QByteArray> keys(static_cast<size_t>(n));
    for (int r = 0; r < n; ++r) {
        if (table.isNull(r, 0))
            continue;
        QByteArray& key = keys[size_t(r)];
        key = QByteArray(1, '\1') + table.utf8(r, 0).toByteArray();
        for (char& ch : key)
            if (ch >= 'A' && ch <= 'Z')
                ch = static_cast<char>(ch + ('a' - 'A'));
    }
    std::vector<int> order(static_cast<size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return keys[size_t(a)] < keys[size_t(b)]; });
    table.reorder(order);
}

} // namespace

ReferenceFinder::ReferenceFinder(RecordsetCache& cache, const QString& objectId)
    : m_cache(cache),
      m_target(Recordset::keyOf(Variant(objectId)))
{
}

int ReferenceFinder::column(Recordset& rs, const char* name)
{
    if (!rs.isOpen())
        throwError(ErrorNumber::ObjectClosed, QStringLiteral("Operation is not allowed when the object is closed."));
    const int c = rs.columnNumber(QString::fromLatin1(name));
    if (c < 0)
        throwError(ErrorNumber::ItemNotFound,
                   QStringLiteral("Item cannot be found in the collection corresponding to the requested name or ordinal."));
    return c;
}

// The payload of each candidate is carried along; keys with no handler row drop out.
std::vector<ReferenceFinder::Handler> ReferenceFinder::withKeysAndGreetings(std::vector<Handler> candidates)
{
    Recordset& handlers = m_cache.rsCallHandler;
    Recordset::KeyCursor handler = handlers.keyCursor(column(handlers, "CallHandlerObjectID"));
    Recordset::KeyCursor key = m_cache.rsMenuentry.keyCursor(column(m_cache.rsMenuentry, "ParentObjectID"));
    Recordset::KeyCursor greeting = m_cache.rsMessagingRule.keyCursor(column(m_cache.rsMessagingRule, "ParentObjectID"));
    std::vector<Handler> kept;
    kept.reserve(candidates.size());
    for (Handler& c : candidates) {
        const int row = handler.firstRow(c.key);
        if (row >= 0 && key.firstRow(c.key) >= 0 && greeting.firstRow(c.key) >= 0)
            kept.push_back({std::move(c.key), c.row >= 0 ? c.row : row});
    }
    return kept;
}

const std::vector<ReferenceFinder::Handler>& ReferenceFinder::leadingHandlers()
{
    if (m_leading)
        return *m_leading;
    Recordset& handlers = m_cache.rsCallHandler;
    const int handlerId = column(handlers, "CallHandlerObjectID");
    const int afterMessage = column(handlers, "AfterMessageObjectID");
    std::vector<Handler> candidates;
    std::string key;
    if (m_target) {
        for (Recordset* links : {&m_cache.rsMenuentry, &m_cache.rsMessagingRule}) {
            const int parent = column(*links, "ParentObjectID");
            for (int r : links->rowsWithKey(column(*links, "DestinationObjectID"), view(*m_target)))
                if (links->keyAt(r, parent, key))
                    candidates.push_back({key, -1});
        }
        for (int h : handlers.rowsWithKey(afterMessage, view(*m_target)))
            if (handlers.keyAt(h, handlerId, key))
                candidates.push_back({key, -1});
    }
    // In key order, each once: the lookups that follow then walk each index once.
    std::sort(candidates.begin(), candidates.end(), [](const Handler& a, const Handler& b) { return a.key < b.key; });
    candidates.erase(
        std::unique(candidates.begin(), candidates.end(), [](const Handler& a, const Handler& b) { return a.key == b.key; }),
        candidates.end());
    m_leading = withKeysAndGreetings(std::move(candidates));
    return *m_leading;
}

TextTable ReferenceFinder::callHandlers()
{
    Recordset& handlers = m_cache.rsCallHandler;
    const int primary = column(handlers, "IsPrimary");
    const int shown[] = {column(handlers, "Alias"), column(handlers, "TextName"), column(handlers, "DtmfAccessId"),
                         column(handlers, "CallHandlerObjectID")};
    TextTable result({QStringLiteral("Alias"), QStringLiteral("TextName"), QStringLiteral("DtmfAccessId"),
                      QStringLiteral("CallHandlerObjectId")});
    const std::vector<Handler>& leading = leadingHandlers();
    result.reserve(int(leading.size()), 80);
    for (const Handler& h : leading) {
        const RowStore::Cell isPrimary = handlers.cellAt(h.row, primary);
        if (isPrimary.kind == RowStore::Cell::Null || isOneOf(isPrimary, {1}))
            continue;
        for (int c : shown)
            appendCell(result, handlers, h.row, c);
    }
    sortByFirstColumn(result);
    return result;
}

TextTable ReferenceFinder::subscribers()
{
    Recordset& handlers = m_cache.rsCallHandler;
    Recordset& subscribers = m_cache.rsSubscriber;
    const int handlerId = column(handlers, "CallHandlerObjectID");
    const int primary = column(handlers, "IsPrimary");
    const int extension = column(handlers, "DtmfAccessId");
    const int ownHandler = column(subscribers, "CallHandlerObjectID");
    const int exit = column(subscribers, "ExitObjectID");
    const int type = column(subscribers, "SubscriberType");
    const int alias = column(subscribers, "Alias");
    const int displayName = column(subscribers, "DisplayName");
    const int firstName = column(subscribers, "FirstName");
    const int lastName = column(subscribers, "LastName");

    // Each subscriber with the own handler that stands for it: reached through a leading own
    // handler, else through its exit.
    std::vector<std::pair<int, int>> found;
    Recordset::KeyCursor own = subscribers.keyCursor(ownHandler);
    for (const Handler& h : leadingHandlers())
        if (isOneOf(handlers.cellAt(h.row, primary), {1})) {
            const int s = own.firstRow(h.key);
            if (s >= 0)
                found.emplace_back(s, h.row);
        }
    std::sort(found.begin(), found.end());
    std::vector<Handler> exits; // the subscriber's row rides along as the payload
    std::string key;
    if (m_target)
        for (int s : subscribers.rowsWithKey(exit, view(*m_target)))
            if (!std::binary_search(found.begin(), found.end(), std::pair{s, 0},
                                    [](const auto& a, const auto& b) { return a.first < b.first; })
                && subscribers.keyAt(s, ownHandler, key))
                exits.push_back({key, s});
    std::sort(exits.begin(), exits.end(), [](const Handler& a, const Handler& b) { return a.key < b.key; });
    {
        Recordset::KeyCursor handler = handlers.keyCursor(handlerId);
        for (const Handler& e : withKeysAndGreetings(std::move(exits)))
            found.emplace_back(e.row, handler.firstRow(e.key));
    }
    std::sort(found.begin(), found.end());

    TextTable result({QStringLiteral("Alias"), QStringLiteral("DisplayName"), QStringLiteral("DtmfAccessId"),
                      QStringLiteral("FirstName"), QStringLiteral("LastName"), QStringLiteral("CallHandlerObjectId")});
    result.reserve(int(found.size()), 100);
    for (const auto& [s, h] : found) {
        if (!isOneOf(subscribers.cellAt(s, type), {1, 3}))
            continue;
        appendCell(result, subscribers, s, alias);
        appendCell(result, subscribers, s, displayName);
        appendCell(result, handlers, h, extension);
        appendCell(result, subscribers, s, firstName);
        appendCell(result, subscribers, s, lastName);
        appendCell(result, handlers, h, handlerId);
    }
    sortByFirstColumn(result);
    return result;
}
