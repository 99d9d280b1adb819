#pragma once

#include "db/Recordset.h"

#include <QString>
#include <array>

class ConnectionFactory;

// The thirteen long-lived recordsets every window reads and edits in place. Their current rows
// are the program's selection.
class RecordsetCache {
public:
    explicit RecordsetCache(const ConnectionFactory& connections);

    // Opens the thirteen in order and finds the local dialing domain. The first runtime error
    // closes whatever was opened and gives False; its cause goes to the database log (lcDatabase).
    bool OpenDatabaseRecordsets(const QString& connectionString);
    // Re-reads all thirteen and puts seven back on the rows they stood on; never fails.
    void RequeryAllRecordsets();
    // Closes all thirteen, which ends the shared connection; never fails.
    void CloseDatabaseRecordsets();

    // The pane has just shown this object (for a subscriber, its own call handler) from the rows
    // it stands on: what it showed is what the edits that follow are checked against
    // (Recordset::markShown). Its after-message link too: the page shows it, and only the page's
    // button changes it. Never fails.
    enum class ShownPage { CallHandler, Subscriber, InterviewHandler, DirectoryHandler };
    void markPageShown(ShownPage page, const QString& objectId);

    QString LocalDialingDomainName;

    Recordset rsCallHandler;
    Recordset rsMenuentry;
    Recordset rsMessagingRule;
    Recordset rsContactRule;
    Recordset rsInterviewHandler;
    Recordset rsInterviewQuestion;
    Recordset rsSubscriber;
    Recordset rsDistributionList;
    Recordset rsDTMFAccessID;
    Recordset rsCOS;
    Recordset rsLocation;
    Recordset rsNameLookupHandler;
    Recordset rsSchedule;

private:
    void openAll(const QString& connectionString, QString& step); // step: what it was doing, for the log
    std::array<Recordset*, 13> requeryOrder();

    const ConnectionFactory& m_connections;
};

// Writes a call handler's primary extension: for a subscriber's own handler the subscriber's
// primary row (parent the subscriber, type 1), otherwise the handler's (type 3). Null or the
// empty text removes the row. Used for the joined extension column of the call handlers.
void writePrimaryExtension(Connection& connection, const QString& parentObjectID, int parentObjectType, const Variant& digits);
