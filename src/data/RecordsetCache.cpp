#include "data/RecordsetCache.h"

#include "data/StoredValues.h"
#include "db/Connection.h"
#include "db/RecordsetPosition.h"
#include "db/Sqlite.h"
#include "runtime/ErrorHandling.h"

#include <optional>

namespace {

struct CachedSource {
    Recordset RecordsetCache::*recordset;
    const char* select;
    const char* orderedBy; // the column the rows come in order of; nullptr: as the table gives them
    LockType lock;
    const char* rowKey;      // row identity for writes
    const char* writeTarget; // where writes go when the source joins tables
};

// The sources, in the order they are opened.
const CachedSource kSources[] = {
    {&RecordsetCache::rsCallHandler,
     "SELECT d.DtmfAccessId, c.* FROM Callhandler c LEFT JOIN (SELECT ParentObjectIDType, ParentObjectId, DtmfAccessId "
     "FROM DtmfAccessId WHERE IsPrimaryId = 1) d ON (c.CallhandlerObjectId = d.ParentObjectId AND c.IsPrimary=0) OR "
     "(c.RecipientObjectId = d.ParentObjectId AND d.ParentObjectIDType=1 AND c.IsPrimary=1)",
     nullptr, LockType::Optimistic, "CallHandlerObjectID", "CallHandler"},
    {&RecordsetCache::rsMenuentry, "Select * from vw_MenuEntry", "ParentObjectID", LockType::Optimistic, "MenuEntryObjectID",
     nullptr},
    {&RecordsetCache::rsMessagingRule, "Select * from vw_MessagingRule", "ParentObjectID", LockType::Optimistic,
     "MessagingRuleObjectID", nullptr},
    {&RecordsetCache::rsContactRule, "Select * from vw_ContactRule", "ParentObjectID", LockType::Optimistic, "ContactRuleObjectID",
     nullptr},
    {&RecordsetCache::rsInterviewHandler, "Select * from vw_InterviewHandler", "InterviewHandlerObjectID", LockType::Optimistic,
     "InterviewHandlerObjectID", nullptr},
    {&RecordsetCache::rsInterviewQuestion, "Select * from vw_InterviewQuestion", "Alias", LockType::Optimistic,
     "InterviewQuestionObjectID", nullptr},
    {&RecordsetCache::rsSubscriber, "Select * from vw_Subscriber", "SubscriberObjectID", LockType::Optimistic, "SubscriberObjectID",
     nullptr},
    {&RecordsetCache::rsDistributionList, "Select * from vw_DistributionList", "SystemDListObjectID", LockType::ReadOnly, nullptr,
     nullptr},
    {&RecordsetCache::rsDTMFAccessID, "SELECT * FROM DTMFAccessID", nullptr, LockType::Optimistic, "DTMFAccessObjectID", nullptr},
    {&RecordsetCache::rsCOS, "Select * from vw_COS", "COSObjectID", LockType::ReadOnly, nullptr, nullptr},
    {&RecordsetCache::rsLocation, "Select * from vw_Location", "LocationObjectID", LockType::ReadOnly, nullptr, nullptr},
    {&RecordsetCache::rsNameLookupHandler, "Select * from vw_NameLookupHandler", nullptr, LockType::Optimistic,
     "NameLookupHandlerObjectID", nullptr},
    {&RecordsetCache::rsSchedule, "Select * from vw_Schedule", nullptr, LockType::Optimistic, "ScheduleObjectID", nullptr},
};

QString sourceText(const CachedSource& s)
{
    QString text = QString::fromLatin1(s.select);
    if (s.orderedBy)
        text += QStringLiteral(" order by ") + QString::fromLatin1(s.orderedBy);
    return text;
}

Recordset::Options optionsOf(const CachedSource& s)
{
    Recordset::Options options;
    options.lock = s.lock;
    options.keyColumn = QString::fromLatin1(s.rowKey);
    options.writeTarget = QString::fromLatin1(s.writeTarget);
    if (s.orderedBy)
        options.orderedBy = QStringList{QString::fromLatin1(s.orderedBy)};
    return options;
}

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
        step = sourceText(s);
        if (!connection) {
            connection = m_connections.open(connectionString);
            bulk.emplace(*connection);
        }
        rs.open(step, connection, optionsOf(s));

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
        if (isFlagSet(row(QStringLiteral("IsPrimary"))))
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
    } catch (const RuntimeError& e) {
        // The program goes on without a word here; the log says why. Any other exception is a
        // fault of the program and goes on up to the slot guard.
        QString cause = databaseCause(e);
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

namespace {

// A link's four columns, named by their prefix (after-message, exit, ...).
QStringList linkColumns(const QString& prefix)
{
    return {prefix + QStringLiteral("Action"), prefix + QStringLiteral("Conversation"), prefix + QStringLiteral("ObjectID"),
            prefix + QStringLiteral("ObjectIDType")};
}

// What each page shows that its editors write: the columns an edit is checked on. A column
// written without a mark is reported on the database log.
QStringList handlerColumns()
{
    return QStringList{QStringLiteral("TextName"),
                       QStringLiteral("DTMFAccessID"),
                       QStringLiteral("MaxMsgLen"),
                       QStringLiteral("EditMsg"),
                       QStringLiteral("SendUrgentMsg"),
                       QStringLiteral("ScheduleObjectName"),
                       QStringLiteral("AdministratorObjectID"),
                       QStringLiteral("AdministratorObjectIDType"),
                       QStringLiteral("RecipientObjectID"),
                       QStringLiteral("RecipientObjectIDType")}
           + linkColumns(QStringLiteral("AfterMessage"));
}

QStringList greetingColumns()
{
    return {QStringLiteral("TimeExpires"),      QStringLiteral("IgnoreDigits"),        QStringLiteral("PlayWhat"),
            QStringLiteral("Reprompts"),        QStringLiteral("StreamPath"),          QStringLiteral("Action"),
            QStringLiteral("ConversationName"), QStringLiteral("DestinationObjectID"), QStringLiteral("DestinationObjectIDType")};
}

QStringList transferRuleColumns()
{
    return {QStringLiteral("TimeExpires"), QStringLiteral("Action"), QStringLiteral("TransferType"),
            QStringLiteral("TransferRings"), QStringLiteral("Extension")};
}

QStringList interviewerColumns()
{
    return QStringList{QStringLiteral("TextName"),
                       QStringLiteral("DTMFAccessID"),
                       QStringLiteral("AdministratorObjectID"),
                       QStringLiteral("AdministratorObjectIDType"),
                       QStringLiteral("RecipientObjectID"),
                       QStringLiteral("RecipientObjectIDType")}
           + linkColumns(QStringLiteral("AfterMessage"));
}

QStringList directoryHandlerColumns()
{
    QStringList columns{QStringLiteral("TextName"), QStringLiteral("DTMFAccessID")};
    for (const char* exit : {"Exit", "Zero", "NoInput", "NoSelection"})
        columns += linkColumns(QString::fromLatin1(exit));
    return columns;
}

} // namespace

void RecordsetCache::markPageShown(ShownPage page, const QString& objectId)
{
    const Variant id(objectId);
    switch (page) {
    case ShownPage::Subscriber:
        // By the handler's subscriber, wherever the subscriber recordset stands.
        runStepSilently([&] {
            RecordsetPosition handler(rsCallHandler, QStringLiteral("CallHandlerObjectID"));
            rsCallHandler.moveFirst();
            if (rsCallHandler.find(QStringLiteral("CallHandlerObjectID"), id))
                rsSubscriber.markShown(rsCallHandler.field(QStringLiteral("RecipientObjectID")),
                                       linkColumns(QStringLiteral("Exit")));
            handler.restore();
        });
        [[fallthrough]];
    case ShownPage::CallHandler:
        runStepSilently([&] { rsCallHandler.markShown(id, handlerColumns()); });
        runStepSilently([&] { rsMessagingRule.markFilteredRowsShown(greetingColumns()); });
        runStepSilently([&] { rsContactRule.markFilteredRowsShown(transferRuleColumns()); });
        break;
    case ShownPage::InterviewHandler:
        runStepSilently([&] { rsInterviewHandler.markShown(id, interviewerColumns()); });
        break;
    case ShownPage::DirectoryHandler:
        runStepSilently([&] { rsNameLookupHandler.markShown(id, directoryHandlerColumns()); });
        break;
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
