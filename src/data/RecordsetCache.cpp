#include "data/RecordsetCache.h"

#include "db/Connection.h"
#include "db/Sqlite.h"
#include "runtime/ErrorHandling.h"

#include <optional>

namespace {

struct CachedSource {
    Recordset RecordsetCache::*recordset;
    const char* source;
    LockType lock;
    const char* rowKey; // row identity for writes
};

// The sources, in the order they are opened.
const CachedSource kSources[] = {
    {&RecordsetCache::rsCallHandler,
     "SELECT d.DtmfAccessId, c.* FROM Callhandler c LEFT JOIN (SELECT ParentObjectIDType, ParentObjectId, DtmfAccessId "
     "FROM DtmfAccessId WHERE IsPrimaryId = 1) d ON (c.CallhandlerObjectId = d.ParentObjectId AND c.IsPrimary=0) OR "
     "(c.RecipientObjectId = d.ParentObjectId AND d.ParentObjectIDType=1 AND c.IsPrimary=1)",
     LockType::Optimistic, "CallHandlerObjectID"},
    {&RecordsetCache::rsMenuentry, "Select * from vw_MenuEntry order by ParentObjectID", LockType::Optimistic, "MenuEntryObjectID"},
    {&RecordsetCache::rsMessagingRule, "Select * from vw_MessagingRule order by ParentObjectID", LockType::Optimistic,
     "MessagingRuleObjectID"},
    {&RecordsetCache::rsContactRule, "Select * from vw_ContactRule order by ParentObjectID", LockType::Optimistic,
     "ContactRuleObjectID"},
    {&RecordsetCache::rsInterviewHandler, "Select * from vw_InterviewHandler order by InterviewHandlerObjectID",
     LockType::Optimistic, "InterviewHandlerObjectID"},
    {&RecordsetCache::rsInterviewQuestion, "Select * from vw_InterviewQuestion order by Alias", LockType::Optimistic,
     "InterviewQuestionObjectID"},
    {&RecordsetCache::rsSubscriber, "Select * from vw_Subscriber order by SubscriberObjectID", LockType::Optimistic,
     "SubscriberObjectID"},
    {&RecordsetCache::rsDistributionList, "Select * from vw_DistributionList order by SystemDListObjectID", LockType::ReadOnly,
     nullptr},
    {&RecordsetCache::rsDTMFAccessID, "SELECT * FROM DTMFAccessID", LockType::Optimistic, "DTMFAccessObjectID"},
    {&RecordsetCache::rsCOS, "Select * from vw_COS order by COSObjectID", LockType::ReadOnly, nullptr},
    {&RecordsetCache::rsLocation, "Select * from vw_Location order by LocationObjectID", LockType::ReadOnly, nullptr},
    {&RecordsetCache::rsNameLookupHandler, "Select * from vw_NameLookupHandler", LockType::Optimistic, "NameLookupHandlerObjectID"},
    {&RecordsetCache::rsSchedule, "Select * from vw_Schedule", LockType::Optimistic, "ScheduleObjectID"},
};

// The seven recordsets put back on their rows after a requery, with the criteria columns.
struct KeptPosition {
    Recordset RecordsetCache::*recordset;
    const char* keyColumn;
};
const KeptPosition kKeptPositions[] = {
    {&RecordsetCache::rsCallHandler, "CallHandlerObjectID"},
    {&RecordsetCache::rsSubscriber, "SubscriberObjectID"},
    {&RecordsetCache::rsMessagingRule, "MessagingRuleObjectID"},
    {&RecordsetCache::rsNameLookupHandler, "NameLookupHandlerObjectID"},
    {&RecordsetCache::rsContactRule, "ContactRuleOBjectID"},
    {&RecordsetCache::rsInterviewHandler, "InterviewHandlerObjectID"},
    {&RecordsetCache::rsMenuentry, "MenuEntryObjectID"},
};

} // namespace

RecordsetCache::RecordsetCache(const ConnectionFactory& connections)
    : m_connections(connections)
{
}

std::array<Recordset*, 13> RecordsetCache::requeryOrder()
{
    return {&rsCallHandler,      &rsInterviewHandler, &rsInterviewQuestion, &rsContactRule,
            &rsMenuentry,        &rsMessagingRule,    &rsSubscriber,        &rsCOS,
            &rsDistributionList, &rsLocation,         &rsNameLookupHandler, &rsSchedule,
            &rsDTMFAccessID};
}

void RecordsetCache::openAll(const QString& connectionString, QString& step)
{
    std::shared_ptr<Connection> connection;
    // One memory map of the file for all thirteen reads, not one for each.
    std::optional<BulkRead> bulk;
    for (const CachedSource& s : kSources) {
        Recordset& rs = this->*s.recordset;
        step = QString::fromLatin1(s.source);
        if (!connection) {
            connection = m_connections.open(connectionString);
            bulk.emplace(*connection);
        }
        Recordset::Options options{s.lock, s.rowKey ? QString::fromLatin1(s.rowKey) : QString(), {}};
        if (&rs == &rsCallHandler)
            options.writeTarget = QStringLiteral("CallHandler");
        rs.open(QString::fromLatin1(s.source), connection, options);

        if (&rs == &rsLocation) {
            step = QStringLiteral("the local location (UnDeletable = 1) of ") + step;
            // The local server's own location gives the dialing domain; without it nothing opens.
            rsLocation.moveFirst();
            rsLocation.find(QStringLiteral("UnDeletable"), QStringLiteral("1"));
            const Variant domain = rsLocation.field(QStringLiteral("DialingDomainName"));
            if (!domain.isNull())
                LocalDialingDomainName = domain.toText();
        }
    }
    rsCallHandler.setJoinedColumnWriter(QStringLiteral("DtmfAccessId"), [](Connection& c, const auto& row, const Variant& digits) {
        const bool primary = !row(QStringLiteral("IsPrimary")).isNull() && row(QStringLiteral("IsPrimary")).toBool();
        if (primary)
            writePrimaryExtension(c, row(QStringLiteral("RecipientObjectID")).toText(), 1, digits);
        else
            writePrimaryExtension(c, row(QStringLiteral("CallHandlerObjectID")).toText(), 3, digits);
    });
}

bool RecordsetCache::OpenDatabaseRecordsets(const QString& connectionString)
{
    QString step;
    try {
        openAll(connectionString, step);
        return true;
    } catch (const std::exception& e) {
        // The program goes on without a word here; the log says why.
        const auto* error = dynamic_cast<const RuntimeError*>(&e);
        QString cause = error ? databaseCause(*error) : QString::fromUtf8(e.what());
        if (!dynamic_cast<const DatabaseError*>(&e))
            runStepSilently([&] { cause += QStringLiteral(" in ") + m_connections.databasePath(connectionString); });
        qCWarning(lcDatabase).noquote() << "The recordsets could not be opened, at" << step << "-" << cause;
        CloseDatabaseRecordsets();
        return false;
    }
}

void RecordsetCache::RequeryAllRecordsets()
{
    QString saved[std::size(kKeptPositions)];
    for (size_t i = 0; i < std::size(kKeptPositions); ++i) {
        const Recordset& rs = this->*kKeptPositions[i].recordset;
        runStepSilently([&] { saved[i] = rs.field(QString::fromLatin1(kKeptPositions[i].keyColumn)).toText(); });
    }
    std::optional<BulkRead> bulk;
    if (const auto connection = rsCallHandler.activeConnection())
        runStepSilently([&] { bulk.emplace(*connection); });
    for (Recordset* rs : requeryOrder()) {
        try {
            rs->requery();
        } catch (const DatabaseError& e) {
            // Passed over, as every failure of a requery is; the recordset keeps its rows.
            qCWarning(lcDatabase).noquote() << "A requery failed and kept the rows read before:" << rs->source() << "-"
                                            << e.cause();
        } catch (const RuntimeError&) {
            // a closed recordset: nothing to tell
        }
    }
    bulk.reset();
    for (size_t i = 0; i < std::size(kKeptPositions); ++i) {
        Recordset& rs = this->*kKeptPositions[i].recordset;
        runStepSilently([&] {
            rs.moveFirst();
            rs.find(QString::fromLatin1(kKeptPositions[i].keyColumn), saved[i]);
        });
    }
}

void RecordsetCache::CloseDatabaseRecordsets()
{
    for (Recordset* rs : requeryOrder())
        runStepSilently([&] { rs->close(); });
}

void writePrimaryExtension(Connection& connection, const QString& parentObjectID, int parentObjectType, const Variant& digits)
{
    SqliteDb& db = connection.db();
    const bool clear = digits.isNull() || digits.isEmpty() || digits.toText().isEmpty();
    if (clear) {
        db.execute(QStringLiteral("DELETE FROM DTMFAccessID WHERE ParentObjectID = ? AND IsPrimaryID = 1"), {parentObjectID});
        return;
    }
    const int changed =
        db.execute(QStringLiteral("UPDATE DTMFAccessID SET DTMFAccessID = ? WHERE ParentObjectID = ? AND IsPrimaryID = 1"),
                   {digits.toText(), parentObjectID});
    if (changed == 0)
        db.execute(
            QStringLiteral(
                "INSERT INTO DTMFAccessID (DTMFAccessID, ParentObjectID, ParentObjectIDType, IsPrimaryID) VALUES (?, ?, ?, 1)"),
            {digits.toText(), parentObjectID, parentObjectType});
}
