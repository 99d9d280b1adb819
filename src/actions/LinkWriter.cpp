#include "actions/LinkWriter.h"

#include "actions/LinkRefresh.h"
#include "actions/RecordsetSpot.h"
#include "data/ChangeLog.h"
#include "data/LinkKinds.h"
#include "data/SharedState.h"
#include "data/StoredValues.h"
#include "db/RowUpdate.h"
#include "runtime/ErrorHandling.h"
#include "runtime/RuntimeError.h"

namespace {

const QString kAlias = QStringLiteral("Alias");
const QString kCallHandlerObjectID = QStringLiteral("CallHandlerObjectID");
const QString kParentObjectID = QStringLiteral("ParentObjectID");

StepErrors::Text writerErrorText()
{
    return inProcedure(QStringLiteral("linkProcessLinkInfo"), QStringLiteral("Form"), QStringLiteral("frmMain"));
}

StepErrors writerErrors()
{
    return StepErrors::shownAs(writerErrorText()).except(ErrorNumber::InvalidUseOfNull);
}

// The store's failures; with a line that tells what stands although the link failed.
StepErrors storeErrors(const QString& notStored)
{
    if (notStored.isEmpty())
        return writerErrors();
    return StepErrors::shownAs(
        [text = writerErrorText(), notStored](const RuntimeError& e) { return text(e) + QStringLiteral("\r\n") + notStored; });
}

// Stands the recordset on the row whose key column holds the id; raises "no current record" when
// there is none.
void findById(Recordset& rs, const QString& keyColumn, const QString& id)
{
    rs.moveFirst();
    rs.find(keyColumn, id);
    rs.field(keyColumn);
}

// The greeting code of a greeting's alias, as its tree rows carry it.
QString greetingCodeOfAlias(const QString& alias)
{
    for (const char* code : {"STD", "OFF", "BSY", "ALT", "INT", "ERR"}) {
        const QString c = QString::fromLatin1(code);
        if (greetingAliasOfCode(c)->compare(alias, Qt::CaseInsensitive) == 0)
            return c;
    }
    return QString();
}

} // namespace

// A place's four link columns and its change-log keys.
struct LinkColumns {
    QString table;
    QString action;
    QString conversation;
    QString objectId;
    QString objectType;
    bool hasParent; // logged under its call handler

    // A key's or a greeting's columns.
    static LinkColumns destination(const QString& table)
    {
        return {table,
                QStringLiteral("Action"),
                QStringLiteral("ConversationName"),
                QStringLiteral("DestinationObjectID"),
                QStringLiteral("DestinationObjectIDType"),
                true};
    }
    // An object's own link: after-message action or exit.
    static LinkColumns prefixed(const QString& table, const QString& prefix)
    {
        return {table,
                prefix + QStringLiteral("Action"),
                prefix + QStringLiteral("Conversation"),
                prefix + QStringLiteral("ObjectID"),
                prefix + QStringLiteral("ObjectIDType"),
                false};
    }
};

LinkWriter::LinkWriter(SharedState& state, LinkRefresh& refresh)
    : m_state(state),
      m_refresh(refresh)
{
}

void LinkWriter::linkProcessLinkInfo(const ChosenLink& link, const QString& strObjectID, const QString& strConversation,
                                     qint16 iAction, qint16 iKeyType, bool bIsPrimary, const QString& notStored)
{
    const LinkPlace place = linkPlaceOf(link.selector);
    RecordsetCache& cache = m_state.cache;
    const StepErrors errors = writerErrors();
    QString rowCode;
    std::optional<LinkAsStored> refused;

    // The pane's editors write through rsCallHandler and rsMessagingRule: both stand where they
    // stood once the link is stored.
    bool stored = false;
    {
        const RecordsetSpot handlerSpot(cache.rsCallHandler, kCallHandlerObjectID);
        const RecordsetSpot greetingSpot(cache.rsMessagingRule, QStringLiteral("MessagingRuleObjectID"));
        stored = runStep(m_state.prompts, storeErrors(notStored), [&] {
            QString parentAlias;
            if (place == LinkPlace::Key || place == LinkPlace::Greeting) {
                findById(cache.rsCallHandler, kCallHandlerObjectID, link.ownerId);
                parentAlias = cache.rsCallHandler.field(kAlias).textOrEmpty();
            }
            switch (place) {
            case LinkPlace::Key: {
                Recordset& rs = cache.rsMenuentry;
                rs.setFilter(kParentObjectID, link.ownerId);
                rs.moveFirst();
                if (link.recordId.isEmpty())
                    rs.find(kAlias, link.selector);
                else
                    rs.find(QStringLiteral("MenuEntryObjectID"), link.recordId);
                rowCode = link.selector;
                write(place, LinkColumns::destination(QStringLiteral("MenuEntry")), rs, parentAlias, strObjectID, strConversation,
                      iAction, iKeyType, refused);
                break;
            }
            case LinkPlace::Greeting: {
                Recordset& rs = cache.rsMessagingRule;
                rs.setFilter(kParentObjectID, link.ownerId);
                rs.moveFirst();
                if (const std::optional<QString> alias = greetingAliasOfCode(link.selector))
                    rs.find(kAlias, *alias);
                else
                    rs.find(QStringLiteral("MessagingRuleObjectID"), link.recordId);
                rowCode = greetingCodeOfAlias(rs.field(kAlias).textOrEmpty());
                write(place, LinkColumns::destination(QStringLiteral("MessagingRule")), rs, parentAlias, strObjectID,
                      strConversation, iAction, iKeyType, refused);
                break;
            }
            case LinkPlace::AfterMessage:
                findById(cache.rsCallHandler, kCallHandlerObjectID, link.ownerId);
                rowCode = link.selector;
                write(place, LinkColumns::prefixed(QStringLiteral("CallHandler"), QStringLiteral("AfterMessage")),
                      cache.rsCallHandler, QString(), strObjectID, strConversation, iAction, iKeyType, refused);
                break;
            case LinkPlace::InterviewerAfterMessage:
                findById(cache.rsInterviewHandler, QStringLiteral("InterviewHandlerObjectID"), link.recordId);
                write(place, LinkColumns::prefixed(QStringLiteral("Interviewer"), QStringLiteral("AfterMessage")),
                      cache.rsInterviewHandler, QString(), strObjectID, strConversation, iAction, iKeyType, refused);
                break;
            case LinkPlace::SubscriberExit:
                findById(cache.rsSubscriber, QStringLiteral("SubscriberObjectID"), link.recordId);
                write(place, LinkColumns::prefixed(QStringLiteral("Subscriber"), QStringLiteral("Exit")), cache.rsSubscriber,
                      QString(), strObjectID, strConversation, iAction, iKeyType, refused);
                break;
            case LinkPlace::DirectoryExit: {
                findById(cache.rsNameLookupHandler, QStringLiteral("NameLookupHandlerObjectID"), link.recordId);
                write(place, LinkColumns::prefixed(QStringLiteral("DirectoryHandler"), directoryExitPrefix(link.selector)),
                      cache.rsNameLookupHandler, QString(), strObjectID, strConversation, iAction, iKeyType, refused);
                break;
            }
            }
        });
    }
    if (!stored) {
        // Another program changed the link: the tree and the pane show what it stored, as a
        // stored link of ours would be shown.
        if (refused)
            runStepSilently([&] { m_refresh.showStored(link, place, rowCode, *refused); });
        return;
    }
    runStep(m_state.prompts, errors,
            [&] { m_refresh.refresh(link, place, rowCode, strObjectID, strConversation, iAction, iKeyType, bIsPrimary); });
}

void LinkWriter::write(LinkPlace place, const LinkColumns& c, Recordset& rs, const QString& parentAlias, const QString& strObjectID,
                       const QString& strConversation, qint16 iAction, qint16 iKeyType, std::optional<LinkAsStored>& refused)
{
    const QString rowAlias = rs.field(kAlias).textOrEmpty(); // no current record: the link's row is missing
    try {
        updateRow(rs, [&] {
            if (iAction >= 0)
                rs.setField(c.action, Variant(int(iAction)));
            rs.setField(c.conversation, strConversation.isEmpty() ? Variant::null() : Variant(strConversation));
            if (strObjectID.isEmpty())
                rs.setField(c.objectId, Variant::null());
            else if (strObjectID.compare(QLatin1String("skip"), Qt::CaseInsensitive) != 0)
                rs.setField(c.objectId, Variant(strObjectID));
            if (iKeyType >= 0)
                rs.setField(c.objectType, Variant(int(iKeyType)));
            if (place == LinkPlace::DirectoryExit) {
                // A sign-in, the greetings administrator and a hang-up lead to no object.
                const Variant conversation = rs.field(c.conversation);
                const Variant action = rs.field(c.action);
                const bool noObject = (!conversation.isNull()
                                       && (conversation.textOrEmpty() == QLatin1String("SubSignIn")
                                           || conversation.textOrEmpty() == QLatin1String("GreetingsAdministrator")))
                                      || holdsCode(action, LinkAction::HangUp);
                if (noObject) {
                    rs.setField(c.objectId, Variant::null());
                    rs.setField(c.objectType, Variant::null());
                }
            }
        });
    } catch (const RuntimeError&) {
        // The refused update has read the row again.
        runStepSilently([&] { refused = LinkAsStored::read(rs, c.action, c.conversation, c.objectId, c.objectType); });
        throw;
    }

    const QString update = QStringLiteral("UPDATE");
    const LogArg parentTable = c.hasParent ? LogArg(Variant(QStringLiteral("CallHandler"))) : std::nullopt;
    const LogArg parent = c.hasParent ? LogArg(Variant(parentAlias)) : std::nullopt;
    ChangeLog& log = m_state.changeLog;
    log.LogChange(update, c.table, Variant(rowAlias), parentTable, parent, c.action, logNumber(rs.field(c.action)));
    log.LogChange(update, c.table, Variant(rowAlias), parentTable, parent, c.conversation, rs.field(c.conversation));
    log.LogChange(update, c.table, Variant(rowAlias), parentTable, parent, c.objectType, logNumber(rs.field(c.objectType)));
    log.LogChange(update, c.table, Variant(rowAlias), parentTable, parent, c.objectId, rs.field(c.objectId));
}
