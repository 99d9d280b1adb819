#include "server/StoredProcedures.h"

#include "db/Sqlite.h"
#include "runtime/RuntimeError.h"

#include <QStringList>
#include <QUuid>
#include <array>
#include <utility>
#include <vector>

namespace {

using Values = std::vector<std::pair<QString, Variant>>;

const std::array<const char*, 12> kKeyAliases = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "*", "#"};
const std::array<const char*, 6> kGreetingAliases = {"Standard", "Off Hours", "Busy", "Alternate", "Internal", "Error"};
const std::array<const char*, 3> kTransferAliases = {"Standard", "Off Hours", "Alternate"};
// TimeExpires of a rule that is switched off.
const QString kSwitchedOff = QStringLiteral("1993-01-02 00:00:00");

// Actions of the new rows: keys are ignored, greetings take a message, transfer rules go
// straight to the greeting.
constexpr int kIgnore = 0;
constexpr int kTakeMessage = 4;

QString newObjectId()
{
    return QUuid::createUuid().toString(QUuid::WithBraces).toUpper();
}

template <typename T>
Variant valueOr(const std::optional<T>& value, const Variant& fallback)
{
    return value ? Variant(*value) : fallback;
}

Variant flagOr(const std::optional<bool>& value, int fallback)
{
    return Variant(value ? (*value ? 1 : 0) : fallback);
}

void insert(SqliteDb& db, const QString& table, const Values& values)
{
    QStringList columns, places;
    std::vector<Variant> params;
    for (const auto& [column, value] : values) {
        columns << column;
        places << QStringLiteral("?%1").arg(params.size() + 1);
        params.push_back(value);
    }
    db.execute(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                   .arg(table, columns.join(QStringLiteral(", ")), places.join(QStringLiteral(", "))),
               params);
}

void requireAlias(const QString& procedure, const QString& alias)
{
    if (alias.trimmed().isEmpty())
        throwError(ErrorNumber::ProviderFailure, procedure + QStringLiteral(": @Alias must not be empty"));
}

// The digits of a primary extension; unset or empty means the object has none.
std::optional<QString> extensionDigits(const QString& procedure, const QString& parameter, const std::optional<QString>& value)
{
    if (!value || value->isEmpty())
        return std::nullopt;
    for (const QChar c : *value)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            throwError(ErrorNumber::ProviderFailure,
                       QStringLiteral("%1: %2 must hold digits only, not '%3'").arg(procedure, parameter, *value));
    return value;
}

void addExtension(SqliteDb& db, const QString& digits, const QString& parentId, int parentType)
{
    insert(db, QStringLiteral("DTMFAccessID"),
           {{QStringLiteral("DTMFAccessID"), digits},
            {QStringLiteral("ParentObjectID"), parentId},
            {QStringLiteral("ParentObjectIDType"), parentType},
            {QStringLiteral("IsPrimaryID"), 1}});
}

Variant localLocation(SqliteDb& db)
{
    return db.scalar(QStringLiteral("SELECT LocationObjectID FROM Location WHERE UnDeletable = 1"));
}

// The rows a new call handler owns, as the server makes them: the standard greeting and the
// standard transfer rule on, the others off until the administrator turns them on.
struct RuleSets {
    bool contactRules = true;
    bool menuEntries = true;
    bool messagingRules = true;
};

QString createCallHandler(SqliteDb& db, Values handler, const std::optional<QString>& extension, const RuleSets& rules)
{
    const QString id = newObjectId();
    const QString alternateRuleId = newObjectId();
    handler.insert(handler.begin(), {QStringLiteral("CallHandlerObjectID"), id});
    handler.push_back({QStringLiteral("LocationObjectID"), localLocation(db)});
    if (rules.contactRules)
        handler.push_back({QStringLiteral("ContactRuleAlternate"), alternateRuleId});
    insert(db, QStringLiteral("CallHandler"), handler);

    if (rules.contactRules)
        for (size_t t = 0; t < kTransferAliases.size(); ++t)
            insert(db, QStringLiteral("ContactRule"),
                   {{QStringLiteral("ContactRuleObjectID"), t == 2 ? alternateRuleId : newObjectId()},
                    {QStringLiteral("ParentObjectID"), id},
                    {QStringLiteral("Alias"), QString::fromLatin1(kTransferAliases[t])},
                    {QStringLiteral("Action"), 0},
                    {QStringLiteral("TransferType"), 0},
                    {QStringLiteral("TransferRings"), 4},
                    {QStringLiteral("Extension"), Variant::null()},
                    {QStringLiteral("TimeExpires"), t == 0 ? Variant::null() : Variant(kSwitchedOff)},
                    {QStringLiteral("SwitchID"), 0},
                    {QStringLiteral("PlayWhat"), 0},
                    {QStringLiteral("RNAAction"), 0}});
    if (rules.menuEntries)
        for (const char* key : kKeyAliases)
            insert(db, QStringLiteral("MenuEntry"),
                   {{QStringLiteral("ParentObjectID"), id},
                    {QStringLiteral("Alias"), QString::fromLatin1(key)},
                    {QStringLiteral("Action"), kIgnore},
                    {QStringLiteral("Locked"), 0}});
    if (rules.messagingRules)
        for (size_t g = 0; g < kGreetingAliases.size(); ++g)
            insert(db, QStringLiteral("MessagingRule"),
                   {{QStringLiteral("ParentObjectID"), id},
                    {QStringLiteral("Alias"), QString::fromLatin1(kGreetingAliases[g])},
                    {QStringLiteral("Action"), kTakeMessage},
                    {QStringLiteral("IgnoreDigits"), 0},
                    {QStringLiteral("PlayWhat"), 0},
                    {QStringLiteral("Reprompts"), 0},
                    {QStringLiteral("RepromptDelay"), 2},
                    {QStringLiteral("TimeExpires"), g == 0 || g == 1 || g == 5 ? Variant::null() : Variant(kSwitchedOff)}});
    if (extension)
        addExtension(db, *extension, id, 3);
    return id;
}

} // namespace

QString csp_CallHandlerCreate(SqliteDb& db, const CallHandlerCreateParameters& p)
{
    const QString procedure = QStringLiteral("csp_CallHandlerCreate");
    requireAlias(procedure, p.Alias);
    const std::optional<QString> extension = extensionDigits(procedure, QStringLiteral("@DtmfAccessId"), p.DtmfAccessId);
    Savepoint savepoint(db);
    const QString id =
        createCallHandler(db,
                          {{QStringLiteral("Alias"), p.Alias},
                           {QStringLiteral("TextName"), p.TextName},
                           {QStringLiteral("IsPrimary"), p.IsPrimary},
                           {QStringLiteral("AdministratorObjectID"), valueOr(p.AdministratorObjectID, Variant::null())},
                           {QStringLiteral("AdministratorObjectIDType"), valueOr(p.AdministratorObjectIDType, Variant::null())},
                           {QStringLiteral("AfterMessageAction"), valueOr(p.AfterMessageAction, Variant(1))},
                           {QStringLiteral("AfterMessageConversation"), valueOr(p.AfterMessageConversation, Variant::null())},
                           {QStringLiteral("EditMsg"), valueOr(p.EditMsg, Variant(1))},
                           {QStringLiteral("Language"), valueOr(p.Language, Variant::null())},
                           {QStringLiteral("MaxMsgLen"), valueOr(p.MaxMsgLen, Variant(300))},
                           {QStringLiteral("OneKeyDelay"), valueOr(p.OneKeyDelay, Variant(1500))},
                           {QStringLiteral("ScheduleObjectName"), valueOr(p.ScheduleObjectName, Variant::null())},
                           {QStringLiteral("SendUrgentMsg"), valueOr(p.SendUrgentMsg, Variant(0))},
                           {QStringLiteral("Undeletable"), p.Undeletable}},
                          extension, RuleSets{});
    savepoint.release();
    return id;
}

QString sp_ImportCallHandler(SqliteDb& db, const ImportCallHandlerParameters& p)
{
    const QString procedure = QStringLiteral("sp_ImportCallHandler");
    requireAlias(procedure, p.Alias);
    const std::optional<QString> extension = extensionDigits(procedure, QStringLiteral("@DtmfId"), p.DtmfId);
    Savepoint savepoint(db);
    const QString id =
        createCallHandler(db,
                          {{QStringLiteral("Alias"), p.Alias},
                           {QStringLiteral("TextName"), p.DisplayName},
                           {QStringLiteral("IsPrimary"), p.IsPrimary},
                           {QStringLiteral("AfterMessageAction"), valueOr(p.AfterMessageAction, Variant(1))},
                           {QStringLiteral("AfterMessageConversation"), valueOr(p.AfterMessageConversation, Variant::null())},
                           {QStringLiteral("EditMsg"), valueOr(p.EditMsg, Variant(1))},
                           {QStringLiteral("Language"), valueOr(p.Language, Variant::null())},
                           {QStringLiteral("MaxMsgLen"), valueOr(p.MaxMsgLen, Variant(300))},
                           {QStringLiteral("OneKeyDelay"), valueOr(p.OneKeyDelay, Variant(1500))},
                           {QStringLiteral("ScheduleObjectName"), valueOr(p.ScheduleObjectName, Variant::null())},
                           {QStringLiteral("SendUrgentMsg"), valueOr(p.SendUrgentMsg, Variant(0))},
                           {QStringLiteral("Undeletable"), p.Undeletable}},
                          extension, RuleSets{p.CreateContactRules, p.CreateMenuEntries, p.CreateMessagingRules});
    savepoint.release();
    return id;
}

QString sp_CreateDirectoryHandler(SqliteDb& db, const CreateDirectoryHandlerParameters& p)
{
    const QString procedure = QStringLiteral("sp_CreateDirectoryHandler");
    requireAlias(procedure, p.Alias);
    const std::optional<QString> extension = extensionDigits(procedure, QStringLiteral("@DtmfAccessId"), p.DtmfAccessId);
    Savepoint savepoint(db);
    const QString id = newObjectId();
    Values values = {{QStringLiteral("NameLookupHandlerObjectID"), id},
                     {QStringLiteral("Alias"), p.Alias},
                     {QStringLiteral("TextName"), p.TextName},
                     {QStringLiteral("Language"), valueOr(p.Language, Variant::null())},
                     {QStringLiteral("ApplicationObjectID"), valueOr(p.ApplicationObjectID, Variant::null())},
                     {QStringLiteral("SearchScope"), valueOr(p.SearchScope, Variant(0))},
                     {QStringLiteral("SearchScopeObjectID"), valueOr(p.SearchScopeObjectID, Variant::null())},
                     {QStringLiteral("StartDialDelay"), valueOr(p.StartDialDelay, Variant(1500))},
                     {QStringLiteral("EndDialDelay"), valueOr(p.EndDialDelay, Variant(1500))},
                     {QStringLiteral("MaxMatches"), valueOr(p.MaxMatches, Variant(8))},
                     {QStringLiteral("Tries"), valueOr(p.Tries, Variant(3))},
                     {QStringLiteral("MenuStyle"), flagOr(p.MenuStyle, 0)},
                     {QStringLiteral("SayExtension"), flagOr(p.SayExtension, 1)},
                     {QStringLiteral("SearchByFirstName"), flagOr(p.SearchByFirstName, 0)},
                     {QStringLiteral("UseStarToExit"), flagOr(p.UseStarToExit, 1)},
                     {QStringLiteral("LocationObjectID"), p.LocationObjectID ? Variant(*p.LocationObjectID) : localLocation(db)},
                     {QStringLiteral("AdministratorObjectID"), valueOr(p.AdministratorObjectID, Variant::null())},
                     {QStringLiteral("AdministratorObjectIDType"), valueOr(p.AdministratorObjectIDType, Variant::null())},
                     {QStringLiteral("UID"), p.UID ? *p.UID : p.Alias},
                     {QStringLiteral("Undeletable"), p.Undeletable}};
    // An exit without an action hangs up.
    const std::array<std::pair<const char*, const LinkParameters*>, 4> links = {
        {{"Exit", &p.Exit}, {"NoInput", &p.NoInput}, {"NoSelection", &p.NoSelection}, {"Zero", &p.Zero}}};
    for (const auto& [prefix, link] : links) {
        const QString name = QString::fromLatin1(prefix);
        values.push_back({name + QStringLiteral("Action"), valueOr(link->Action, Variant(1))});
        values.push_back({name + QStringLiteral("Conversation"), valueOr(link->Conversation, Variant::null())});
        values.push_back({name + QStringLiteral("ObjectID"), valueOr(link->ObjectID, Variant::null())});
        values.push_back({name + QStringLiteral("ObjectIDType"), valueOr(link->ObjectIDType, Variant::null())});
    }
    insert(db, QStringLiteral("NameLookupHandler"), values);
    if (extension)
        addExtension(db, *extension, id, 6);
    savepoint.release();
    return id;
}
