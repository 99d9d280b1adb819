#include "data/ObjectReferences.h"

#include "data/RecordsetCache.h"
#include "db/ComparisonKey.h"
#include "runtime/RuntimeError.h"

#include <algorithm>
#include <deque>
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

// The places of the rows in the order of the database's ORDER BY on a column without regard to
// case, as the grid shows the column: bytes compared with ASCII letters folded, a shorter text
// before a longer one it begins, Null first, equal ones in the order given.
std::vector<size_t> shownOrder(const Recordset& rs, int column, const std::vector<int>& rows)
{
    struct Place {
        quint64 prefix; // the first eight bytes folded, big-endian: most comparisons end here
        std::string_view text;
        size_t at;
        bool null;
    };
    std::deque<QByteArray> converted; // values that are not text, as the grid shows them
    std::vector<Place> places;
    places.reserve(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        const RowStore::Cell c = rs.cellAt(rows[i], column);
        std::string_view text;
        if (c.kind == RowStore::Cell::Text || c.kind == RowStore::Cell::Blob) {
            text = {c.data, c.length};
        } else if (c.kind != RowStore::Cell::Null) {
            converted.push_back(rs.valueAt(rows[i], column).toText().toUtf8());
            text = view(converted.back());
        }
        places.push_back({ComparisonKey::prefix(text, true), text, i, c.kind == RowStore::Cell::Null});
    }
    std::stable_sort(places.begin(), places.end(), [](const Place& a, const Place& b) {
        if (a.null || b.null)
            return a.null && !b.null;
        if (a.prefix != b.prefix)
            return a.prefix < b.prefix;
        return ComparisonKey::compare(a.text, true, b.text, true) < 0;
    });
    std::vector<size_t> order;
    order.reserve(places.size());
    for (const Place& p : places)
        order.push_back(p.at);
    return order;
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
    if (m_target) {
        struct Source {
            Recordset& rs;
            int parent;
            std::vector<int> rows;
            Found found;
        };
        std::vector<Source> sources;
        for (const auto& [links, found] :
             {std::pair{&m_cache.rsMenuentry, Found::ThroughKey}, std::pair{&m_cache.rsMessagingRule, Found::ThroughGreeting}}) {
            const int parent = column(*links, "ParentObjectID");
            sources.push_back({*links, parent, links->rowsWithKey(column(*links, "DestinationObjectID"), view(*m_target)), found});
        }
        sources.push_back({handlers, handlerId, handlers.rowsWithKey(afterMessage, view(*m_target)), Found::Elsewhere});
        size_t count = 0;
        for (const Source& source : sources)
            count += source.rows.size();
        candidates.reserve(count);
        std::string key;
        for (const Source& source : sources)
            for (int r : source.rows)
                if (source.rs.keyAt(r, source.parent, key))
                    candidates.push_back({key, -1, source.found});
    }
    // In key order, each once: the lookups that follow then walk each index once. A handler found
    // twice keeps what both finds tell only when they agree.
    sortByKey(candidates);
    size_t unique = 0;
    for (Handler& c : candidates) {
        if (unique > 0 && candidates[unique - 1].key == c.key) {
            if (candidates[unique - 1].found != c.found)
                candidates[unique - 1].found = Found::Elsewhere;
            continue;
        }
        if (&candidates[unique] != &c)
            candidates[unique] = std::move(c);
        ++unique;
    }
    candidates.resize(unique);
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
    std::vector<int> rows;
    for (const Handler& h : leadingHandlers()) {
        const RowStore::Cell isPrimary = handlers.cellAt(h.row, primary);
        if (isPrimary.kind != RowStore::Cell::Null && !isOneOf(isPrimary, {1}))
            rows.push_back(h.row);
    }
    result.reserve(int(rows.size()), 80);
    for (const size_t i : shownOrder(handlers, shown[0], rows))
        for (int c : shown)
            appendCell(result, handlers, rows[i], c);
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
    std::erase_if(found, [&](const auto& f) { return !isOneOf(subscribers.cellAt(f.first, type), {1, 3}); });
    std::vector<int> rows;
    rows.reserve(found.size());
    for (const auto& f : found)
        rows.push_back(f.first);
    result.reserve(int(found.size()), 100);
    for (const size_t i : shownOrder(subscribers, alias, rows)) {
        const auto [s, h] = found[i];
        appendCell(result, subscribers, s, alias);
        appendCell(result, subscribers, s, displayName);
        appendCell(result, handlers, h, extension);
        appendCell(result, subscribers, s, firstName);
        appendCell(result, subscribers, s, lastName);
        appendCell(result, handlers, h, handlerId);
    }
    return result;
}
