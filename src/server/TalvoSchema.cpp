#include "server/TalvoSchema.h"

#include "db/ChangeTracking.h"
#include "db/Sqlite.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

// A braced upper-case GUID text made by the database itself, so that a row inserted without its
// id still gets one. hex() already writes upper case.
const QString kNewId = QStringLiteral("('{' || hex(randomblob(4)) || '-' || hex(randomblob(2)) || '-' || hex(randomblob(2)) || '-' "
                                      "|| hex(randomblob(2)) || '-' || hex(randomblob(6)) || '}')");

// Key columns: an id the database makes when none is given.
QString idKey(const QString& column)
{
    return column + QStringLiteral(" TEXT COLLATE NOCASE NOT NULL PRIMARY KEY DEFAULT ") + kNewId;
}

const char* const kTables = R"SQL(
CREATE TABLE Location (
    $KEY(LocationObjectID),
    Alias TEXT COLLATE NOCASE,
    TextName TEXT COLLATE NOCASE,
    UnDeletable INTEGER NOT NULL DEFAULT 0,
    DialingDomainName TEXT COLLATE NOCASE
);
-- The server's own location; there is only one.
CREATE UNIQUE INDEX Location_Local ON Location(UnDeletable) WHERE UnDeletable = 1;

CREATE TABLE GlobalLocation (
    $KEY(LocationObjectID),
    TextName TEXT COLLATE NOCASE,
    DialingDomainName TEXT COLLATE NOCASE
);
CREATE INDEX GlobalLocation_Domain ON GlobalLocation(DialingDomainName);

CREATE TABLE COS (
    $KEY(COSObjectID),
    TextName TEXT COLLATE NOCASE
);

CREATE TABLE Schedule (
    $KEY(ScheduleObjectID),
    DisplayName TEXT COLLATE NOCASE NOT NULL UNIQUE,
    IgnoreHolidays INTEGER,
    Monday BLOB,
    Tuesday BLOB,
    Wednesday BLOB,
    Thursday BLOB,
    Friday BLOB,
    Saturday BLOB,
    Sunday BLOB
);

CREATE TABLE Subscriber (
    $KEY(SubscriberObjectID),
    Alias TEXT COLLATE NOCASE NOT NULL UNIQUE,
    DisplayName TEXT COLLATE NOCASE,
    FirstName TEXT COLLATE NOCASE,
    LastName TEXT COLLATE NOCASE,
    SubscriberType INTEGER,
    DirectoryID TEXT,
    COSObjectID TEXT COLLATE NOCASE,
    HomeServer TEXT,
    switchid INTEGER,
    ExitAction INTEGER,
    ExitConversation TEXT,
    ExitObjectID TEXT COLLATE NOCASE,
    ExitObjectIDType INTEGER,
    LocationObjectID TEXT COLLATE NOCASE
);
CREATE INDEX Subscriber_Exit ON Subscriber(ExitObjectID);

-- Every subscriber of the dialing domain, the local ones included.
CREATE TABLE GlobalSubscriber (
    $KEY(SubscriberObjectID),
    Alias TEXT COLLATE NOCASE,
    DisplayName TEXT COLLATE NOCASE,
    LocationObjectID TEXT COLLATE NOCASE
);
CREATE INDEX GlobalSubscriber_Location ON GlobalSubscriber(LocationObjectID);

-- The public distribution lists.
CREATE TABLE DistributionList (
    $KEY(SystemDListObjectID),
    Alias TEXT COLLATE NOCASE UNIQUE,
    DisplayName TEXT COLLATE NOCASE
);

-- No column of its own holds the extension: it is joined in from DTMFAccessID.
CREATE TABLE CallHandler (
    $KEY(CallHandlerObjectID),
    Alias TEXT COLLATE NOCASE NOT NULL UNIQUE,
    TextName TEXT COLLATE NOCASE,
    IsPrimary INTEGER NOT NULL DEFAULT 0,
    AdministratorObjectID TEXT COLLATE NOCASE,
    AdministratorObjectIDType INTEGER,
    RecipientObjectID TEXT COLLATE NOCASE,
    RecipientObjectIDType INTEGER,
    AfterMessageAction INTEGER,
    AfterMessageConversation TEXT,
    AfterMessageObjectID TEXT COLLATE NOCASE,
    AfterMessageObjectIDType INTEGER,
    MaxMsgLen INTEGER,
    EditMsg INTEGER,
    SendUrgentMsg INTEGER,
    ScheduleObjectName TEXT COLLATE NOCASE,
    Language INTEGER,
    OneKeyDelay INTEGER,
    Undeletable INTEGER NOT NULL DEFAULT 0,
    LocationObjectID TEXT COLLATE NOCASE,
    ContactRuleAlternate TEXT COLLATE NOCASE
);
-- A subscriber owns exactly one call handler of its own.
CREATE UNIQUE INDEX CallHandler_OwnHandler ON CallHandler(RecipientObjectID) WHERE IsPrimary = 1;
CREATE INDEX CallHandler_AfterMessage ON CallHandler(AfterMessageObjectID);

CREATE TABLE MenuEntry (
    $KEY(MenuEntryObjectID),
    ParentObjectID TEXT COLLATE NOCASE NOT NULL,
    Alias TEXT COLLATE NOCASE NOT NULL,
    Action INTEGER,
    ConversationName TEXT,
    DestinationObjectID TEXT COLLATE NOCASE,
    DestinationObjectIDType INTEGER,
    Locked INTEGER DEFAULT 0
);
CREATE INDEX MenuEntry_Parent ON MenuEntry(ParentObjectID, Alias);
CREATE INDEX MenuEntry_Destination ON MenuEntry(DestinationObjectID);

CREATE TABLE MessagingRule (
    $KEY(MessagingRuleObjectID),
    ParentObjectID TEXT COLLATE NOCASE NOT NULL,
    Alias TEXT COLLATE NOCASE NOT NULL,
    Action INTEGER,
    ConversationName TEXT,
    DestinationObjectID TEXT COLLATE NOCASE,
    DestinationObjectIDType INTEGER,
    IgnoreDigits INTEGER,
    PlayWhat INTEGER,
    Reprompts INTEGER,
    RepromptDelay INTEGER,
    TimeExpires DATETIME,
    StreamPath TEXT
);
CREATE INDEX MessagingRule_Parent ON MessagingRule(ParentObjectID, Alias);
CREATE INDEX MessagingRule_Destination ON MessagingRule(DestinationObjectID);

CREATE TABLE ContactRule (
    $KEY(ContactRuleObjectID),
    ParentObjectID TEXT COLLATE NOCASE NOT NULL,
    Alias TEXT COLLATE NOCASE NOT NULL,
    Action INTEGER,
    TransferType INTEGER,
    TransferRings INTEGER,
    Extension TEXT,
    TimeExpires DATETIME,
    SwitchID INTEGER,
    PlayWhat INTEGER,
    RNAAction INTEGER
);
CREATE INDEX ContactRule_Parent ON ContactRule(ParentObjectID, Alias);
CREATE INDEX ContactRule_Extension ON ContactRule(Extension);

CREATE TABLE InterviewHandler (
    $KEY(InterviewHandlerObjectID),
    Alias TEXT COLLATE NOCASE NOT NULL UNIQUE,
    TextName TEXT COLLATE NOCASE,
    Language INTEGER,
    AdministratorObjectID TEXT COLLATE NOCASE,
    AdministratorObjectIDType INTEGER,
    RecipientObjectID TEXT COLLATE NOCASE,
    RecipientObjectIDType INTEGER,
    AfterMessageAction INTEGER,
    AfterMessageConversation TEXT,
    AfterMessageObjectID TEXT COLLATE NOCASE,
    AfterMessageObjectIDType INTEGER,
    LocationObjectID TEXT COLLATE NOCASE,
    Undeletable INTEGER NOT NULL DEFAULT 0
);

-- Alias is the question's place and sorts as a number, so that question 10 follows question 9.
CREATE TABLE InterviewQuestion (
    $KEY(InterviewQuestionObjectID),
    ParentObjectID TEXT COLLATE NOCASE NOT NULL,
    ParentObjectIDType INTEGER NOT NULL DEFAULT 5,
    ParentAlias TEXT COLLATE NOCASE,
    Alias INTEGER NOT NULL,
    StreamText TEXT,
    StreamPath TEXT,
    MaxMsgLength INTEGER,
    UID INTEGER
);
CREATE INDEX InterviewQuestion_Parent ON InterviewQuestion(ParentObjectID);

CREATE TABLE NameLookupHandler (
    $KEY(NameLookupHandlerObjectID),
    Alias TEXT COLLATE NOCASE NOT NULL UNIQUE,
    TextName TEXT COLLATE NOCASE,
    Language INTEGER,
    ApplicationObjectID TEXT COLLATE NOCASE,
    SearchScope INTEGER,
    SearchScopeObjectID TEXT COLLATE NOCASE,
    StartDialDelay INTEGER,
    EndDialDelay INTEGER,
    MaxMatches INTEGER,
    Tries INTEGER,
    MenuStyle INTEGER,
    SayExtension INTEGER,
    SearchByFirstName INTEGER,
    UseStarToExit INTEGER,
    LocationObjectID TEXT COLLATE NOCASE,
    AdministratorObjectID TEXT COLLATE NOCASE,
    AdministratorObjectIDType INTEGER,
    UID TEXT COLLATE NOCASE,
    Undeletable INTEGER NOT NULL DEFAULT 0,
    ExitAction INTEGER,
    ExitConversation TEXT,
    ExitObjectID TEXT COLLATE NOCASE,
    ExitObjectIDType INTEGER,
    NoInputAction INTEGER,
    NoInputConversation TEXT,
    NoInputObjectID TEXT COLLATE NOCASE,
    NoInputObjectIDType INTEGER,
    NoSelectionAction INTEGER,
    NoSelectionConversation TEXT,
    NoSelectionObjectID TEXT COLLATE NOCASE,
    NoSelectionObjectIDType INTEGER,
    ZeroAction INTEGER,
    ZeroConversation TEXT,
    ZeroObjectID TEXT COLLATE NOCASE,
    ZeroObjectIDType INTEGER
);

-- Extensions. One object may have several, one of them primary; two objects may share digits.
-- An empty extension is no extension: such a row is never stored.
CREATE TABLE DTMFAccessID (
    $KEY(DTMFAccessObjectID),
    DTMFAccessID TEXT NOT NULL CHECK (DTMFAccessID <> ''),
    ParentObjectID TEXT COLLATE NOCASE NOT NULL,
    ParentObjectIDType INTEGER NOT NULL,
    IsPrimaryID INTEGER NOT NULL DEFAULT 0
);
CREATE UNIQUE INDEX DTMFAccessID_Primary ON DTMFAccessID(ParentObjectID) WHERE IsPrimaryID = 1;
CREATE INDEX DTMFAccessID_Parent ON DTMFAccessID(ParentObjectID);
CREATE INDEX DTMFAccessID_Digits ON DTMFAccessID(DTMFAccessID);
)SQL";

// The primary extension of the object whose id is the expression given.
QString primaryExtension(const QString& idExpression)
{
    return QStringLiteral("(SELECT x.DTMFAccessID FROM DTMFAccessID x WHERE x.ParentObjectID = %1 AND x.IsPrimaryID = 1)")
        .arg(idExpression);
}

QStringList views()
{
    return {
        // A subscriber's own handler shows the subscriber's extension, as the cache's join does.
        QStringLiteral("CREATE VIEW vw_CallHandler AS SELECT c.*, CASE c.IsPrimary "
                       "WHEN 0 THEN %1 "
                       "WHEN 1 THEN (SELECT x.DTMFAccessID FROM DTMFAccessID x WHERE x.ParentObjectID = c.RecipientObjectID "
                       "AND x.ParentObjectIDType = 1 AND x.IsPrimaryID = 1) "
                       "END AS DTMFAccessID FROM CallHandler c")
            .arg(primaryExtension(QStringLiteral("c.CallHandlerObjectID"))),
        QStringLiteral("CREATE VIEW vw_Callhandler_NonPrimary AS SELECT * FROM vw_CallHandler WHERE IsPrimary = 0"),
        QStringLiteral("CREATE VIEW vw_MenuEntry AS SELECT * FROM MenuEntry"),
        QStringLiteral("CREATE VIEW vw_MessagingRule AS SELECT * FROM MessagingRule"),
        QStringLiteral("CREATE VIEW vw_ContactRule AS SELECT * FROM ContactRule"),
        QStringLiteral("CREATE VIEW vw_InterviewHandler AS SELECT i.*, %1 AS DTMFAccessID FROM InterviewHandler i")
            .arg(primaryExtension(QStringLiteral("i.InterviewHandlerObjectID"))),
        QStringLiteral("CREATE VIEW vw_InterviewQuestion AS SELECT * FROM InterviewQuestion"),
        // The subscriber's own call handler is found, not stored, so it always agrees with the
        // handler's recipient.
        QStringLiteral("CREATE VIEW vw_Subscriber AS SELECT s.*, c.CallHandlerObjectID AS CallHandlerObjectID "
                       "FROM Subscriber s LEFT JOIN CallHandler c "
                       "ON c.IsPrimary = 1 AND c.RecipientObjectID = s.SubscriberObjectID"),
        QStringLiteral("CREATE VIEW vw_Subscriber_Global AS SELECT g.*, %1 AS DTMFAccessID FROM GlobalSubscriber g")
            .arg(primaryExtension(QStringLiteral("g.SubscriberObjectID"))),
        QStringLiteral("CREATE VIEW vw_DTMFAccessID AS SELECT * FROM DTMFAccessID"),
        QStringLiteral("CREATE VIEW vw_DistributionList AS SELECT l.*, %1 AS DTMFAccessID FROM DistributionList l")
            .arg(primaryExtension(QStringLiteral("l.SystemDListObjectID"))),
        QStringLiteral("CREATE VIEW vw_COS AS SELECT * FROM COS"),
        QStringLiteral("CREATE VIEW vw_Location AS SELECT l.*, %1 AS DTMFAccessID FROM Location l")
            .arg(primaryExtension(QStringLiteral("l.LocationObjectID"))),
        // Read without an ORDER BY: the stored order is the order of creation, so the first
        // directory handler stays the template.
        QStringLiteral(
            "CREATE VIEW vw_NameLookupHandler AS SELECT n.*, %1 AS DTMFAccessID FROM NameLookupHandler n ORDER BY n.rowid")
            .arg(primaryExtension(QStringLiteral("n.NameLookupHandlerObjectID"))),
        QStringLiteral("CREATE VIEW vw_Schedule AS SELECT * FROM Schedule ORDER BY rowid"),
    };
}

struct Column {
    QString name;
    QString defaultValue; // empty when none
};

std::vector<Column> tableColumns(SqliteDb& db, const QString& table)
{
    std::vector<Column> columns;
    Statement st(db, QStringLiteral("SELECT name, dflt_value FROM pragma_table_info(?1) ORDER BY cid"));
    st.bind(1, table);
    while (st.step())
        columns.push_back({st.column(0).toText(), st.column(1).textOrEmpty()});
    return columns;
}

// The statements that give a view's extension column to the object's primary extension row:
// digits create or change it, Null or "" remove it.
QString extensionWrite(const QString& newDigits, const QString& oldDigits, const QString& parentId, int parentType)
{
    const QString isPrimaryOf = QStringLiteral("ParentObjectID = %1 AND IsPrimaryID = 1").arg(parentId);
    const QString changed = oldDigits.isEmpty() ? QStringLiteral("1") : QStringLiteral("%1 IS NOT %2").arg(newDigits, oldDigits);
    return QStringLiteral("DELETE FROM DTMFAccessID WHERE %1 AND coalesce(%2, '') = '' AND %3;\n"
                          "UPDATE DTMFAccessID SET DTMFAccessID = %2 WHERE %1 AND coalesce(%2, '') <> '' AND %3;\n"
                          "INSERT INTO DTMFAccessID (DTMFAccessID, ParentObjectID, ParentObjectIDType, IsPrimaryID) "
                          "SELECT %2, %4, %5, 1 WHERE coalesce(%2, '') <> '' "
                          "AND NOT EXISTS (SELECT 1 FROM DTMFAccessID WHERE %3);\n")
        .arg(changed, newDigits, isPrimaryOf, parentId)
        .arg(parentType);
}

void createUpdateTrigger(SqliteDb& db, const QString& view, const QString& table, const QString& key,
                         const QString& extra = QString())
{
    QStringList assignments;
    for (const Column& c : tableColumns(db, table))
        if (c.name.compare(key, Qt::CaseInsensitive) != 0)
            assignments << QStringLiteral("%1 = NEW.%1").arg(c.name);
    db.exec(QStringLiteral("CREATE TRIGGER %1_Update INSTEAD OF UPDATE ON %1 BEGIN\n"
                           "UPDATE %2 SET %3 WHERE %4 = OLD.%4;\n%5END")
                .arg(view, table, assignments.join(QStringLiteral(", ")), key, extra));
}

// Inserted rows keep the id the writer supplies, else get a new one; columns left out take the
// table's defaults.
void createInsertTrigger(SqliteDb& db, const QString& view, const QString& table, const QString& key,
                         const QString& extra = QString())
{
    QStringList names;
    QStringList values;
    for (const Column& c : tableColumns(db, table)) {
        names << c.name;
        if (c.name.compare(key, Qt::CaseInsensitive) == 0)
            values << QStringLiteral("coalesce(NEW.%1, %2)").arg(c.name, kNewId);
        else if (!c.defaultValue.isEmpty())
            values << QStringLiteral("coalesce(NEW.%1, %2)").arg(c.name, c.defaultValue);
        else
            values << QStringLiteral("NEW.") + c.name;
    }
    db.exec(QStringLiteral("CREATE TRIGGER %1_Insert INSTEAD OF INSERT ON %1 BEGIN\n"
                           "INSERT INTO %2 (%3) VALUES (%4);\n%5END")
                .arg(view, table, names.join(QStringLiteral(", ")), values.join(QStringLiteral(", ")), extra));
}

void createDeleteTrigger(SqliteDb& db, const QString& view, const QString& table, const QString& key)
{
    db.exec(QStringLiteral("CREATE TRIGGER %1_Delete INSTEAD OF DELETE ON %1 BEGIN\n"
                           "DELETE FROM %2 WHERE %3 = OLD.%3;\nEND")
                .arg(view, table, key));
}

void createTriggers(SqliteDb& db)
{
    createUpdateTrigger(db, QStringLiteral("vw_MenuEntry"), QStringLiteral("MenuEntry"), QStringLiteral("MenuEntryObjectID"));
    createUpdateTrigger(db, QStringLiteral("vw_MessagingRule"), QStringLiteral("MessagingRule"),
                        QStringLiteral("MessagingRuleObjectID"));
    createUpdateTrigger(db, QStringLiteral("vw_ContactRule"), QStringLiteral("ContactRule"), QStringLiteral("ContactRuleObjectID"));
    createUpdateTrigger(db, QStringLiteral("vw_Subscriber"), QStringLiteral("Subscriber"), QStringLiteral("SubscriberObjectID"));

    const QString ih = QStringLiteral("InterviewHandlerObjectID");
    createUpdateTrigger(
        db, QStringLiteral("vw_InterviewHandler"), QStringLiteral("InterviewHandler"), ih,
        extensionWrite(QStringLiteral("NEW.DTMFAccessID"), QStringLiteral("OLD.DTMFAccessID"), QStringLiteral("OLD.") + ih, 5));
    // The row just inserted by the trigger names the new handler, whether its id came with NEW
    // or from the column default.
    createInsertTrigger(
        db, QStringLiteral("vw_InterviewHandler"), QStringLiteral("InterviewHandler"), ih,
        extensionWrite(QStringLiteral("NEW.DTMFAccessID"), QString(),
                       QStringLiteral("(SELECT %1 FROM InterviewHandler WHERE rowid = last_insert_rowid())").arg(ih), 5));

    const QString nlh = QStringLiteral("NameLookupHandlerObjectID");
    createUpdateTrigger(
        db, QStringLiteral("vw_NameLookupHandler"), QStringLiteral("NameLookupHandler"), nlh,
        extensionWrite(QStringLiteral("NEW.DTMFAccessID"), QStringLiteral("OLD.DTMFAccessID"), QStringLiteral("OLD.") + nlh, 6));

    const QString iq = QStringLiteral("InterviewQuestionObjectID");
    createUpdateTrigger(db, QStringLiteral("vw_InterviewQuestion"), QStringLiteral("InterviewQuestion"), iq);
    createInsertTrigger(db, QStringLiteral("vw_InterviewQuestion"), QStringLiteral("InterviewQuestion"), iq);
    createDeleteTrigger(db, QStringLiteral("vw_InterviewQuestion"), QStringLiteral("InterviewQuestion"), iq);
}

} // namespace

void createTalvoSchema(SqliteDb& db)
{
    Savepoint transaction(db);
    QString tables = QString::fromUtf8(kTables);
    static const QRegularExpression keyMacro(QStringLiteral("\\$KEY\\((\\w+)\\)"));
    QRegularExpressionMatch m;
    while ((m = keyMacro.match(tables)).hasMatch())
        tables.replace(m.capturedStart(), m.capturedLength(), idKey(m.captured(1)));
    db.exec(tables);
    for (const QString& view : views())
        db.exec(view);
    createTriggers(db);
    ChangeTracking::install(db);
    transaction.release();
}
