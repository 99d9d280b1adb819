#pragma once

#include <QString>
#include <optional>

class SqliteDb;

// The server's stored procedures that create handlers. Every parameter left unset takes the
// procedure's default; a value is never guessed from an empty text. Each runs inside a savepoint
// of its own, so that it makes its rows whole or not at all, and it nests inside the caller's
// transaction. Failures raise the database's error (a taken alias, a bad extension, ...).

// A link: an action and where it goes.
struct LinkParameters {
    std::optional<int> Action;
    std::optional<QString> Conversation;
    std::optional<QString> ObjectID;
    std::optional<int> ObjectIDType;
};

// csp_CallHandlerCreate (servers from 4.0(2.99) on).
struct CallHandlerCreateParameters {
    QString Alias;
    QString TextName;
    std::optional<QString> AdministratorObjectID;
    std::optional<int> AdministratorObjectIDType;
    std::optional<int> AfterMessageAction;
    std::optional<QString> AfterMessageConversation;
    std::optional<int> EditMsg;
    int IsPrimary = 0;
    std::optional<int> Language;
    std::optional<QString> DtmfAccessId; // the handler's primary extension; unset: none
    std::optional<int> MaxMsgLen;
    std::optional<int> OneKeyDelay;
    std::optional<QString> ScheduleObjectName;
    std::optional<int> SendUrgentMsg;
    // Accepted and kept for the server's records; the handler's rules are made with the
    // defaults, the caller copies the template's onto them.
    std::optional<QString> CallHandlerTemplateObjectID;
    int Undeletable = 0;
};

// sp_ImportCallHandler (older servers): no owner, no template.
struct ImportCallHandlerParameters {
    QString Alias;
    QString DisplayName;
    std::optional<int> AfterMessageAction;
    std::optional<QString> AfterMessageConversation;
    std::optional<int> EditMsg;
    int IsPrimary = 0;
    std::optional<int> Language;
    std::optional<QString> DtmfId;
    std::optional<int> MaxMsgLen;
    std::optional<int> OneKeyDelay;
    std::optional<QString> ScheduleObjectName;
    std::optional<int> SendUrgentMsg;
    bool CreateContactRules = true;
    bool CreateMenuEntries = true;
    bool CreateMessagingRules = true;
    int Undeletable = 0;
};

// sp_CreateDirectoryHandler.
struct CreateDirectoryHandlerParameters {
    QString Alias;
    QString TextName;
    std::optional<int> Language;
    std::optional<QString> DtmfAccessId;
    std::optional<QString> ApplicationObjectID;
    std::optional<QString> SearchScopeObjectID;
    std::optional<int> SearchScope;
    std::optional<QString> UID; // the alias when unset
    std::optional<int> EndDialDelay;
    std::optional<int> MaxMatches;
    std::optional<bool> MenuStyle;
    std::optional<bool> SayExtension;
    std::optional<bool> SearchByFirstName;
    std::optional<int> StartDialDelay;
    std::optional<int> Tries;
    std::optional<bool> UseStarToExit;
    LinkParameters Exit;
    LinkParameters NoInput;
    LinkParameters NoSelection;
    LinkParameters Zero;
    std::optional<QString> LocationObjectID; // the local location when unset
    int Undeletable = 0;
    std::optional<QString> AdministratorObjectID;
    std::optional<int> AdministratorObjectIDType;
};

// Each returns the new handler's object id. A call handler gets its 3 transfer rules, 12 keys
// and 6 greetings (unless sp_ImportCallHandler is told not to make them), none of them with a
// recording yet; its location is the server's own.
QString csp_CallHandlerCreate(SqliteDb& db, const CallHandlerCreateParameters& p);
QString sp_ImportCallHandler(SqliteDb& db, const ImportCallHandlerParameters& p);
QString sp_CreateDirectoryHandler(SqliteDb& db, const CreateDirectoryHandlerParameters& p);
