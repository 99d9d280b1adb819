#include "data/ObjectReferences.h"

#include "data/RecordsetCache.h"
#include "db/ComparisonKey.h"
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
    struct Row {
        quint64 prefix; // the first eight bytes folded, big-endian: most comparisons end here
        std::string_view text;
        int row;
        bool null;
    };
    std::vector<Row> rows;
    rows.reserve(static_cast<size_t>(table.rowCount()));
    for (int r = 0; r < table.rowCount(); ++r) {
        const QByteArrayView text = table.utf8(r, 0);
        const std::string_view bytes(text.data(), size_t(text.size()));
        rows.push_back({ComparisonKey::prefix(bytes, true), bytes, r, table.isNull(r, 0)});
    }
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
        if (a.null || b.null)
            return a.null && !b.null;
        if (a.prefix != b.prefix)
            return a.prefix < b.prefix;
        return ComparisonKey::compare(a.text, true, b.text, true) < 0;
    });
    std::vector<int> order;
    order.reserve(rows.size());
    for (const Row& r : rows)
        order.push_back(r.row);
    table.reorder(order);
}

} // namespace

ReferenceFinder::ReferenceFinder(RecordsetCache& cache, const QString& objectId)
    : m_cache(cache),
      m_target(Recordset::keyOf(Variant(objectId)))
{
}

void ReferenceFinder::sortByKey(std::vector<Handler>& handlers)
{
    const auto less = [](const Handler& a, const Handler& b) { return a.key < b.key; };
    if (!std::is_sorted(handlers.begin(), handlers.end(), less))
        std::sort(handlers.begin(), handlers.end(), less);
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

// The payload of each candidate is carried along; keys with no handler row drop out. A candidate
// found through one of its keys or greetings is not looked up there again; an index is built
// only when some candidate needs it.
std::vector<ReferenceFinder::Handler> ReferenceFinder::withKeysAndGreetings(std::vector<Handler> candidates)
{
    Recordset& handlers = m_cache.rsCallHandler;
    Recordset& keys = m_cache.rsMenuentry;
    Recordset& greetings = m_cache.rsMessagingRule;
    const int handlerId = column(handlers, "CallHandlerObjectID");
    const int keyParent = column(keys, "ParentObjectID");
    const int greetingParent = column(greetings, "ParentObjectID");
    std::vector<Handler> kept;
    if (candidates.empty())
        return kept;
    Recordset::KeyCursor handler = handlers.keyCursor(handlerId);
    std::optional<Recordset::KeyCursor> key, greeting;
    const auto holds = [](std::optional<Recordset::KeyCursor>& cursor, Recordset& rs, int column, const std::string& k) {
        if (!cursor)
            cursor.emplace(rs.keyCursor(column));
        return cursor->firstRow(k) >= 0;
    };
    kept.reserve(candidates.size());
    for (Handler& c : candidates) {
        const int row = handler.firstRow(c.key);
        if (row >= 0 && (c.found == Found::ThroughKey || holds(key, keys, keyParent, c.key))
            && (c.found == Found::ThroughGreeting || holds(greeting, greetings, greetingParent, c.key)))
            kept.push_back({std::move(c.key), c.row >= 0 ? c.row : row, c.found});
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
        for (const auto& [links, found] :
             {std::pair{&m_cache.rsMenuentry, Found::ThroughKey}, std::pair{&m_cache.rsMessagingRule, Found::ThroughGreeting}}) {
            const int parent = column(*links, "ParentObjectID");
            for (int r : links->rowsWithKey(column(*links, "DestinationObjectID"), view(*m_target)))
                if (links->keyAt(r, parent, key))
                    candidates.push_back({key, -1, found});
        }
        for (int h : handlers.rowsWithKey(afterMessage, view(*m_target)))
            if (handlers.keyAt(h, handlerId, key))
                candidates.push_back({key, -1, Found::Elsewhere});
    }
    // In key order, each once: the lookups that follow then walk each index once. A handler found
    // twice keeps what both finds tell only when they agree.
    sortByKey(candidates);
    std::vector<Handler> unique;
    unique.reserve(candidates.size());
    for (Handler& c : candidates) {
        if (!unique.empty() && unique.back().key == c.key) {
            if (unique.back().found != c.found)
                unique.back().found = Found::Elsewhere;
            continue;
        }
        unique.push_back(std::move(c));
    }
    candidates = std::move(unique);
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
                exits.push_back({key, s, Found::Elsewhere});
    sortByKey(exits);
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
