#include "actions/ChooseActionButtons.h"

#include "actions/LinkPopUpMenu.h"
#include "actions/LinkPopUpState.h"
#include "actions/LinkRefresh.h"
#include "actions/RecordsetSpot.h"
#include "data/LinkKinds.h"
#include "data/SharedState.h"
#include "data/StoredValues.h"
#include "pane/PaneOperations.h"
#include "runtime/ErrorHandling.h"
#include "runtime/SlotGuard.h"

#include <QAbstractButton>
#include <QAction>
#include <QCursor>
#include <array>

namespace {

const QString kCallHandlerObjectID = QStringLiteral("CallHandlerObjectID");

// Where a button's link is stored.
enum class Source { Greeting, CallHandler, Interviewer, Subscriber, DirectoryHandler };

} // namespace

struct ChooseActionButtons::Member {
    Button button;
    const char* handler; // the Click handler's name, for the error texts
    const char* selector;
    Source source;
    EditorPage page;    // greetings and the after-message link of a call handler
    const char* prefix; // the link's column prefix; none for a greeting
    bool takeMessage;   // "Take Message" shown (a greeting) or recognised (action 4)
    bool takeMessageShown;
    bool typeOneLookedUp;  // a stored type 1 names a call handler as 3 does
    bool unsetOpensAtOnce; // a Null action opens the popup with nothing marked
    bool procedureErrors;  // errors in the "(error):" form of a procedure of frmMain
    const char* errorPrefix;
};

struct ChooseActionButtons::Stored {
    Variant action;
    Variant conversation;
    Variant objectType;
    Variant objectId;
};

namespace {

using B = ChooseActionButtons::Button;

// What the ten buttons differ in.
const std::array<ChooseActionButtons::Member, 10> kMembers = {{
    {B::HandlerGreeting, "cmdHandlerGreetingChangeAfterGreetingAction", "AG", Source::Greeting, EditorPage::CallHandler, "", true,
     true, true, false, false, "Error in cmdHandlerGreetingChangeAfterGreetingAction:"},
    {B::SubscriberGreeting, "cmdSubscriberGreetingChangeAfterGreetingAction", "AG", Source::Greeting, EditorPage::Subscriber, "",
     true, true, false, false, false, "Error in cmbSubscriberChangeAfterGreetingAction:"},
    {B::HandlerAfterMessage, "cmdHandlerSetAfterMessageAction", "AM", Source::CallHandler, EditorPage::CallHandler, "AfterMessage",
     false, false, false, false, false, "Error in cmdHandlerSetAfterMessageAction:"},
    {B::SubscriberAfterMessage, "cmdSubscriberMessagesChangeAfterMessageAction", "AM", Source::CallHandler, EditorPage::Subscriber,
     "AfterMessage", false, false, false, false, false, "Error in cmdSubscriberMessagesChangeAfterMessageAction:"},
    {B::InterviewerAfterMessage, "cmdInterviewerProfileChangeAfterMessageAction", "IntAM", Source::Interviewer,
     EditorPage::CallHandler, "AfterMessage", false, false, false, false, false,
     "Error in cmdInterviewerProfileChangeAfterMessageAction:"},
    {B::DirectoryExit, "cmdDirectoryHandlerSetExit", "DirExit", Source::DirectoryHandler, EditorPage::CallHandler, "Exit", true,
     false, true, false, true, ""},
    {B::DirectoryNoInputExit, "cmdDirectoryHandlerSetNoInputExit", "DirNoInputExit", Source::DirectoryHandler,
     EditorPage::CallHandler, "NoInput", true, false, true, false, true, ""},
    {B::DirectoryNoSelectionExit, "cmdDirectoryHandlerSetNoSelectionExit", "DirNoSelectionExit", Source::DirectoryHandler,
     EditorPage::CallHandler, "NoSelection", true, false, true, false, true, ""},
    {B::DirectoryZeroExit, "cmdDirectoryHandlerSetZeroExit", "DirZeroExit", Source::DirectoryHandler, EditorPage::CallHandler,
     "Zero", true, false, true, false, true, ""},
    {B::SubscriberExit, "cmdSubscriberConversationExitAction", "SubExit", Source::Subscriber, EditorPage::Subscriber, "Exit", false,
     false, false, true, false, "Error in cmdSubscriberConversationExitAction:"},
}};

const ChooseActionButtons::Member& memberOf(ChooseActionButtons::Button which)
{
    for (const ChooseActionButtons::Member& m : kMembers)
        if (m.button == which)
            return m;
    return kMembers.front();
}

StepErrors errorsOf(const ChooseActionButtons::Member& m)
{
    if (m.procedureErrors)
        return StepErrors::shownAs(
            inProcedure(QLatin1String(m.handler) + QStringLiteral("_Click"), QStringLiteral("Form"), QStringLiteral("frmMain")));
    return StepErrors(QString::fromLatin1(m.errorPrefix));
}

QString invalidTypeMessage(const ChooseActionButtons::Member& m)
{
    return QStringLiteral("error in ") + QLatin1String(m.handler) + QStringLiteral(" routine - invalid object type");
}

} // namespace

ChooseActionButtons::ChooseActionButtons(SharedState& state, LinkPopUpState& popUpState, LinkPopUpMenu& menu, LinkRefresh& refresh)
    : m_state(state),
      m_popUpState(popUpState),
      m_menu(menu),
      m_refresh(refresh)
{
}

void ChooseActionButtons::connectButtons(const std::vector<ChooseActionButton>& buttons)
{
    for (const ChooseActionButton& b : buttons)
        if (b.button)
            connectGuarded(m_state.prompts, b.button, &QAbstractButton::clicked, this,
                           [this, which = b.link, index = b.index] { click(which, index); });
}

// Reads the link the button stands for from its own row, found by the shown object's id, and
// names that link by ids for the popup's commands.
bool ChooseActionButtons::readLink(const Member& m, int index, ChosenLink& link, Stored& stored)
{
    RecordsetCache& cache = m_state.cache;
    PaneOperations* pane = m_refresh.parts().pane;
    const QString prefix = QString::fromLatin1(m.prefix);
    auto readPrefixed = [&](const Recordset& rs) {
        stored = {rs.field(prefix + QStringLiteral("Action")), rs.field(prefix + QStringLiteral("Conversation")),
                  rs.field(prefix + QStringLiteral("ObjectIDType")), rs.field(prefix + QStringLiteral("ObjectID"))};
    };
    link.selector = QString::fromLatin1(m.selector);
    return runStep(m_state.prompts, errorsOf(m), [&] {
        switch (m.source) {
        case Source::Greeting: {
            const QString handler = pane ? pane->ShownCallHandlerID(m.page) : QString();
            Recordset& rules = cache.rsMessagingRule;
            // Left on the greeting: the shown handler's greetings, as the pane's load filtered them.
            rules.setFilter(QStringLiteral("ParentObjectID"), handler);
            rules.moveFirst();
            rules.find(QStringLiteral("Alias"), QString::fromLatin1(GreetingAlias[size_t(index)]));
            link.ownerId = handler;
            link.recordId = rules.field(QStringLiteral("MessagingRuleObjectID")).toText();
            stored = {rules.field(QStringLiteral("Action")), rules.field(QStringLiteral("ConversationName")),
                      rules.field(QStringLiteral("DestinationObjectIDType")), rules.field(QStringLiteral("DestinationObjectID"))};
            break;
        }
        case Source::CallHandler: {
            const QString handler = pane ? pane->ShownCallHandlerID(m.page) : QString();
            const RecordsetSpot spot(cache.rsCallHandler, kCallHandlerObjectID);
            cache.rsCallHandler.moveFirst();
            cache.rsCallHandler.find(kCallHandlerObjectID, handler);
            link.ownerId = link.recordId = cache.rsCallHandler.field(kCallHandlerObjectID).toText();
            readPrefixed(cache.rsCallHandler);
            break;
        }
        case Source::Interviewer:
            link.ownerId = link.recordId = cache.rsInterviewHandler.field(QStringLiteral("InterviewHandlerObjectID")).toText();
            readPrefixed(cache.rsInterviewHandler);
            break;
        case Source::Subscriber:
            link.ownerId = pane ? pane->ShownCallHandlerID(m.page) : QString();
            link.recordId = cache.rsSubscriber.field(QStringLiteral("SubscriberObjectID")).toText();
            readPrefixed(cache.rsSubscriber);
            break;
        case Source::DirectoryHandler:
            link.ownerId = link.recordId = cache.rsNameLookupHandler.field(QStringLiteral("NameLookupHandlerObjectID")).toText();
            readPrefixed(cache.rsNameLookupHandler);
            break;
        }
    });
}

void ChooseActionButtons::click(Button which, int index)
{
    const Member& m = memberOf(which);
    ChosenLink link;
    Stored stored;
    const bool read = readLink(m, index, link, stored);

    m_popUpState.setLinkFromTab(link.selector);
    m_popUpState.setPaneLink(link);

    m_menu.PopUpSetAsTreeRoot->setEnabled(false);
    m_menu.LinkAttemptTransfer->setEnabled(false);
    m_menu.LinkSendToGreeting->setEnabled(false);
    for (QAction* item : m_menu.commandItems())
        item->setChecked(false);
    for (QAction* item : m_menu.items())
        item->setVisible(true);
    for (QAction* item : {m_menu.LinkSkipGreeting, m_menu.LinkIgnoreKey, m_menu.LinkLockKey, m_menu.linkLockAllKeys,
                          m_menu.linkUnlockAllKeys, m_menu.PopUpSpacer2})
        item->setVisible(false);
    m_menu.LinkTakeMessage->setVisible(m.takeMessageShown);

    if (read)
        runStep(m_state.prompts, errorsOf(m), [&] { markStoredLink(m, stored); });
    m_menu.popup(QCursor::pos());
}

void ChooseActionButtons::markStoredLink(const Member& m, const Stored& stored)
{
    if (m.unsetOpensAtOnce && stored.action.isNull())
        return;
    if (holdsCode(stored.action, LinkAction::HangUp)) {
        m_menu.LinkHangUp->setChecked(true);
        return;
    }
    if (m.takeMessage && holdsCode(stored.action, LinkAction::TakeMessage)) {
        m_menu.LinkTakeMessage->setChecked(true);
        return;
    }
    if (holdsName(stored.conversation, "SubSignIn")) {
        m_menu.LinkSignIn->setChecked(true);
        return;
    }
    if (holdsName(stored.conversation, "GreetingsAdministrator")) {
        m_menu.LinkGreetingsAdministrator->setChecked(true);
        return;
    }

    if (holdsCode(stored.objectType, LinkObjectType::CallHandler)
        || (m.typeOneLookedUp && holdsCode(stored.objectType, LinkObjectType::Subscriber))) {
        RecordsetCache& cache = m_state.cache;
        QString id;
        // A Null destination is reported and then looked up as no handler.
        runStep(m_state.prompts, errorsOf(m), [&] { id = stored.objectId.toText(); });
        Recordset& ch = cache.rsCallHandler;
        if (ch.isEOF())
            ch.moveFirst();
        bool found = false;
        {
            const RecordsetSpot spot(ch, kCallHandlerObjectID);
            ch.clearFilter();
            ch.moveFirst();
            if (ch.find(kCallHandlerObjectID, id)) {
                found = true;
                const Variant primary = ch.field(QStringLiteral("IsPrimary"));
                (isFlagSet(primary) ? m_menu.LinkSubscriber : m_menu.LinkCallHandler)->setChecked(true);
            }
        }
        if (!found)
            return;
    } else if (holdsCode(stored.objectType, LinkObjectType::Interviewer)) {
        m_menu.LinkInterviewer->setChecked(true);
    } else if (holdsCode(stored.objectType, LinkObjectType::DirectoryHandler)) {
        m_menu.LinkDirectoryHandler->setChecked(true);
    } else {
        m_state.prompts.msgBox(invalidTypeMessage(m));
    }

    if (holdsCode(stored.objectType, LinkObjectType::CallHandler) || holdsCode(stored.objectType, LinkObjectType::Subscriber)) {
        m_menu.LinkAttemptTransfer->setEnabled(true);
        m_menu.LinkSendToGreeting->setEnabled(true);
        (holdsName(stored.conversation, "PHTransfer") ? m_menu.LinkAttemptTransfer : m_menu.LinkSendToGreeting)->setChecked(true);
    }
}
