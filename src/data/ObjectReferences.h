#pragma once

#include "runtime/TextTable.h"

#include <QString>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class Recordset;
class RecordsetCache;

// Who sends callers to an object, as the references panel lists them: the subscribers whose own
// call handler leads to the object through a key, a greeting or the after-message action, or
// whose conversation exit leads there; and the application call handlers (no subscriber's own)
// that lead there through a key, a greeting or the after-message action. A handler counts only
// when it has keys and greetings at all. One row per subscriber or handler, ordered by alias as
// the database orders it (letter case aside).
//
// Worked out from the rows the cache holds, through their indexes: the cost follows the number of
// references, not the size of the site or the spread of its values. The rows are those of the
// cache's last read, which every row change of the tree renews first.
class ReferenceFinder {
public:
    ReferenceFinder(RecordsetCache& cache, const QString& objectId);

    // Each raises the errors of the recordsets it reads (a closed one, a column the source
    // lacks); the other still answers.
    // Alias, DisplayName, DtmfAccessId, FirstName, LastName, CallHandlerObjectId
    TextTable subscribers();
    // Alias, TextName, DtmfAccessId, CallHandlerObjectId
    TextTable callHandlers();

private:
    // Where a handler was found to lead to the object: a key or a greeting of its own shows that
    // it has keys or greetings at all.
    enum class Found { ThroughKey, ThroughGreeting, Elsewhere };
    struct Handler {
        std::string key; // its id as the recordsets compare it
        int row;
        Found found;
    };
    // The call handlers that lead to the object and have keys and greetings, in key order.
    const std::vector<Handler>& leadingHandlers();
    // Of handler keys in ascending order, those whose handler has keys and greetings at all, as
    // the database's joins ask; with the handler's row.
    std::vector<Handler> withKeysAndGreetings(std::vector<Handler> candidates);
    static int column(Recordset& rs, const char* name);
    // In key order; they mostly come in that order already, as the recordsets are read.
    static void sortByKey(std::vector<Handler>& handlers);

    RecordsetCache& m_cache;
    std::optional<QByteArray> m_target;
    std::optional<std::vector<Handler>> m_leading;
};
