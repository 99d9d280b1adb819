#include "data/ExtensionSearch.h"

#include "data/SharedState.h"
#include "db/Query.h"
#include "db/RecordsetPosition.h"
#include "runtime/ErrorHandling.h"

#include <functional>
#include <iterator>

namespace {

struct CachedKind {
    Recordset RecordsetCache::*recordset;
    bool keepsPosition;
    bool nonPrimaryOnly;
    const char* nameColumn;
    const char* idColumn;
    const char* typeName;
    qint16 typeCode;
};

// In the order they are searched; each is found by its primary extension, which the cached
// recordsets carry joined in.
const CachedKind kCachedKinds[] = {
    {&RecordsetCache::rsCallHandler, true, true, "TextName", "CallHandlerObjectID", "Call Handler", 29},
    {&RecordsetCache::rsInterviewHandler, true, false, "TextName", "InterviewHandlerObjectID", "Interview Handler", 35},
    {&RecordsetCache::rsDistributionList, false, false, "DisplayName", "SystemDListObjectID", "Public Distribution List", 18},
    {&RecordsetCache::rsLocation, false, false, "TextName", "LocationObjectID", "Location Object", 38},
    {&RecordsetCache::rsNameLookupHandler, true, false, "TextName", "NameLookupHandlerObjectID", "Name Lookup Handler", 32},
};

constexpr qint16 kSubscriberTypeCode = 9;

// Every extension row of a subscriber counts, primary or not. Both run on the indexed digits.
const QString kDomainSubscribers = QStringLiteral(
    "Select GlobalSubscriber.Alias, GlobalSubscriber.DisplayName, GlobalSubscriber.SubscriberObjectID, GlobalLocation.TextName, "
    "GlobalLocation.DialingDomainName, DTMFAccessID.DTMFAccessID From GlobalLocation, DTMFAccessID inner join GlobalSubscriber "
    "on GlobalSubscriber.SubscriberObjectID=DTMFAccessID.ParentOBjectID WHERE GlobalLocation.DialingDomainName=?1 AND "
    "GlobalLocation.LocationObjectID=GlobalSubscriber.LocationObjectID AND DTMFAccessID.DTMFAccessID=?2");
const QString kLocalSubscribers =
    QStringLiteral("Select Subscriber.Alias, Subscriber.DisplayName, Subscriber.SubscriberObjectID, DTMFAccessID.DTMFAccessID "
                   "From DTMFAccessID inner join Subscriber on Subscriber.SubscriberObjectID=DTMFAccessID.ParentOBjectID "
                   "WHERE DTMFAccessID.DTMFAccessID=?1");

class Search {
public:
    Search(SharedState& state, const QString& id)
        : m_state(state),
          m_id(id)
    {
    }

    ExtensionMatches run()
    {
        for (const CachedKind& kind : kCachedKinds)
            if (!searchCached(kind))
                return std::move(m_result);
        searchSubscribers();
        return std::move(m_result);
    }

private:
    void log(const RuntimeError& e)
    {
        m_state.changeLog.LogChange(QStringLiteral("(error) in findAllDTMFIDMatches routine looking for ID=") + m_id
                                    + QStringLiteral(" error description=") + e.description());
    }

    // A failed step is logged and ends the search.
    bool step(const std::function<void()>& body)
    {
        try {
            body();
            return true;
        } catch (const RuntimeError& e) {
            log(e);
            if (!m_result.failure)
                m_result.failure = e;
            return false;
        }
    }

    // A Null field is logged and left empty; the object is still found.
    QString text(const std::function<Variant()>& read)
    {
        try {
            return read().toText();
        } catch (const RuntimeError& e) {
            if (e.number() != ErrorNumber::InvalidUseOfNull)
                throw;
            log(e);
            return QString();
        }
    }

    void add(qint16 typeCode, const std::function<Variant()>& alias, const std::function<Variant()>& name, const QString& typeName,
             const std::function<Variant()>& objectId)
    {
        ExtensionMatch m;
        m.TypeCode = typeCode;
        m.Alias = text(alias);
        m.DisplayName = text(name);
        m.TypeName = typeName;
        m.ObjectID = text(objectId);
        m_result.matches.push_back(std::move(m));
    }

    bool searchCached(const CachedKind& kind)
    {
        Recordset& rs = m_state.cache.*kind.recordset;
        std::optional<Recordset::Bookmark> position;
        const bool found = step([&] {
            // A current row that was deleted has no position to go back to.
            if (kind.keepsPosition && !rs.isEOF() && !rs.isBOF())
                runStepSilently([&] { position = rs.bookmark(); });
            std::vector<Criterion> criteria{{QStringLiteral("DTMFAccessID"), m_id}};
            if (kind.nonPrimaryOnly)
                criteria.push_back({QStringLiteral("IsPrimary"), QStringLiteral("0")});
            rs.setFilter(criteria);
            for (rs.moveFirst(); !rs.isEOF(); rs.moveNext()) {
                const QString nameColumn = QString::fromLatin1(kind.nameColumn);
                const QString idColumn = QString::fromLatin1(kind.idColumn);
                add(
                    kind.typeCode, [&] { return rs.field(QStringLiteral("Alias")); }, [&] { return rs.field(nameColumn); },
                    QString::fromLatin1(kind.typeName), [&] { return rs.field(idColumn); });
            }
        });
        // Put back what the search changed, also after a failure (already logged then).
        auto restore = [&] {
            rs.clearFilter();
            if (position)
                rs.setBookmark(*position);
        };
        if (found)
            step(restore);
        else
            runStepSilently(restore);
        return !m_result.failure;
    }

    void searchSubscribers()
    {
        step([&] {
            // The cache's own connection when it is open: a search costs no connection of its own,
            // and it sees what a transaction on that connection has written so far.
            std::shared_ptr<Connection> connection = m_state.cache.rsDTMFAccessID.activeConnection();
            if (!connection)
                connection = m_state.connections.open(m_state.ConnectionString);
            const QString domain = m_state.cache.LocalDialingDomainName;
            const QueryResult rows = domain.isEmpty() ? runQuery(connection->db(), kLocalSubscribers, {m_id})
                                                      : runQuery(connection->db(), kDomainSubscribers, {domain, m_id});
            const QString typeName =
                domain.isEmpty() ? QStringLiteral("Subscriber") : QStringLiteral("Subscriber in the dialing domain");
            for (const std::vector<Variant>& row : rows.rows)
                add(
                    kSubscriberTypeCode, [&] { return row[0]; }, [&] { return row[1]; }, typeName, [&] { return row[2]; });
        });
    }

    SharedState& m_state;
    QString m_id;
    ExtensionMatches m_result;
};

} // namespace

ExtensionMatches findAllDTMFIDMatches(SharedState& state, const QString& id)
{
    return Search(state, id.trimmed()).run();
}

void refreshSearchedObjects(RecordsetCache& cache)
{
    std::optional<RuntimeError> failure;
    auto requery = [&](Recordset& rs) {
        try {
            rs.requery();
        } catch (const RuntimeError& e) {
            if (!failure)
                failure = e;
        }
    };
    for (const CachedKind& kind : kCachedKinds) {
        Recordset& rs = cache.*kind.recordset;
        if (!kind.keepsPosition) {
            requery(rs);
            continue;
        }
        RecordsetPosition position(rs, QString::fromLatin1(kind.idColumn));
        requery(rs);
        position.restoreQuietly();
    }
    if (failure)
        throw *failure;
}
