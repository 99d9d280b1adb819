#include "actions/LinkPopUpState.h"

#include "actions/LinkPopUpMenu.h"
#include "actions/RecordsetSpot.h"
#include "data/LinkKinds.h"
#include "data/SharedState.h"
#include "data/StoredValues.h"
#include "pane/PaneControls.h"
#include "runtime/ErrorHandling.h"
#include "tree/TreeRowModel.h"
#include "widgets/OutlineGrid.h"

#include <QAction>
#include <array>
#include <functional>

namespace {

const QString kCallHandlerObjectID = QStringLiteral("CallHandlerObjectID");
const QString kParentObjectID = QStringLiteral("ParentObjectID");
const QString kAlias = QStringLiteral("Alias");

enum Column { KeyColumn = 0, GreetingColumn = 1, AfterMessageColumn = 2 };

} // namespace

struct LinkPopUpState::StoredLink {
    Variant action;
    Variant conversation;
    Variant objectType;
};

LinkPopUpState::LinkPopUpState(SharedState& state, OutlineGrid& grid, LinkPopUpMenu& menu)
    : m_state(state),
      m_grid(grid),
      m_menu(menu)
{
}

std::optional<ChosenLink> LinkPopUpState::treeRowLink() const
{
    const int row = m_grid.row();
    if (row < 1 || row >= m_grid.rowCount())
        return std::nullopt;
    const QString selector = m_grid.cellText(row, TreeColumn::ChildAlias);
    const QString ownerId = m_grid.cellText(m_grid.parentRow(row), TreeColumn::ObjectID).trimmed();
    if (m_chosen && m_chosen->selector == selector && m_chosen->ownerId.compare(ownerId, Qt::CaseInsensitive) == 0)
        return m_chosen;
    return ChosenLink{selector, ownerId, QString()};
}

std::optional<ChosenLink> LinkPopUpState::commandLink() const
{
    return m_bLinkFromTab ? std::optional<ChosenLink>(paneLink(m_strTabChildAlias)) : treeRowLink();
}

ChosenLink LinkPopUpState::paneLink(const QString& selector) const
{
    if (m_paneChosen && m_paneChosen->selector == selector)
        return *m_paneChosen;
    RecordsetCache& cache = m_state.cache;
    switch (linkPlaceOf(selector)) {
    case LinkPlace::Key:
    case LinkPlace::AfterMessage: {
        const QString handler = cache.rsCallHandler.field(kCallHandlerObjectID).textOrEmpty();
        return {selector, handler, handler};
    }
    case LinkPlace::Greeting:
        return {selector, cache.rsCallHandler.field(kCallHandlerObjectID).textOrEmpty(),
                cache.rsMessagingRule.field(QStringLiteral("MessagingRuleObjectID")).textOrEmpty()};
    case LinkPlace::InterviewerAfterMessage: {
        const QString id = cache.rsInterviewHandler.field(QStringLiteral("InterviewHandlerObjectID")).textOrEmpty();
        return {selector, id, id};
    }
    case LinkPlace::SubscriberExit:
        return {selector, cache.rsCallHandler.field(kCallHandlerObjectID).textOrEmpty(),
                cache.rsSubscriber.field(QStringLiteral("SubscriberObjectID")).textOrEmpty()};
    case LinkPlace::DirectoryExit: {
        const QString id = cache.rsNameLookupHandler.field(QStringLiteral("NameLookupHandlerObjectID")).textOrEmpty();
        return {selector, id, id};
    }
    }
    return {selector, QString(), QString()};
}

void LinkPopUpState::AdjustMenuSettings()
{
    UserPrompts& prompts = m_state.prompts;
    const StepErrors errors(QStringLiteral("Error in AdjustMenuSettings routine:"));
    m_chosen.reset();

    for (QAction* item : m_menu.items())
        item->setVisible(true);
    const int row = m_grid.row();
    if (row == 0)
        return;
    const bool onRow = row > 0 && row < m_grid.rowCount();
    const QString childAlias = onRow ? m_grid.cellText(row, TreeColumn::ChildAlias) : QString();
    const bool greeting = greetingAliasOfCode(childAlias).has_value();
    if (greeting || childAlias == QLatin1String("AM")) {
        for (QAction* item : m_menu.items())
            item->setVisible(item == m_menu.PopUpSetAsTreeRoot);
    }
    m_menu.PopUpSetAsTreeRoot->setEnabled(false);
    for (QAction* item : m_menu.commandItems())
        item->setChecked(false);
    m_menu.LinkAttemptTransfer->setEnabled(false);
    m_menu.LinkSendToGreeting->setEnabled(false);
    if (!onRow)
        return;

    const QString ownerId = m_grid.cellText(m_grid.parentRow(row), TreeColumn::ObjectID).trimmed();
    m_chosen = ChosenLink{childAlias, ownerId, QString()};
    const qint16 nodeType = m_grid.cellData(row, TreeColumn::NodeType).toInt16();

    // The owner's rows are looked up here and every recordset is put back afterwards: the pane's
    // editors and the tree find them where they left them, and the commands find the link by
    // the ids remembered here.
    RecordsetCache& cache = m_state.cache;
    RecordsetSpot handlerSpot(cache.rsCallHandler, kCallHandlerObjectID);
    RecordsetSpot greetingSpot(cache.rsMessagingRule, QStringLiteral("MessagingRuleObjectID"));
    RecordsetSpot keySpot(cache.rsMenuentry, QStringLiteral("MenuEntryObjectID"));

    bool ownerFound = false;
    if (!runStep(prompts, errors, [&] {
            Recordset& ch = cache.rsCallHandler;
            ch.moveFirst();
            ownerFound = ch.find(kCallHandlerObjectID, ownerId);
        }))
        return;
    if (!ownerFound) {
        prompts.msgBox(QStringLiteral("error in AdjustMenuSettings routine - no handler found for parent of node."));
        return;
    }
    // Counted under this routine's own filter: a filter left by another routine proves nothing.
    int entries = 0;
    if (!runStep(prompts, errors, [&] {
            cache.rsMenuentry.setFilter(kParentObjectID, ownerId);
            entries = cache.rsMenuentry.recordCount();
        }))
        return;
    if (entries < 2) {
        prompts.msgBox(QStringLiteral("error in AdjustMenuSettings routine - no menu entries found for parent of selected node."));
        return;
    }
    if (nodeType == TreeNodeType::CallHandler || nodeType == TreeNodeType::Subscriber || nodeType == TreeNodeType::DuplicateHandler
        || nodeType == TreeNodeType::DuplicateSubscriber)
        m_menu.PopUpSetAsTreeRoot->setEnabled(true);

    StoredLink stored;
    int column = KeyColumn;
    if (childAlias == QLatin1String("AM")) {
        column = AfterMessageColumn;
        if (!runStep(prompts, errors, [&] {
                const Recordset& ch = cache.rsCallHandler;
                stored = {ch.field(QStringLiteral("AfterMessageAction")), ch.field(QStringLiteral("AfterMessageConversation")),
                          ch.field(QStringLiteral("AfterMessageObjectIDType"))};
                m_chosen->recordId = ownerId;
            }))
            return;
    } else if (greeting) {
        column = GreetingColumn;
        Recordset& rules = cache.rsMessagingRule;
        int count = 0;
        if (!runStep(prompts, errors, [&] {
                rules.setFilter(kParentObjectID, ownerId);
                count = rules.recordCount();
            }))
            return;
        // Every call handler has one row for each of its greetings.
        if (count != GreetingCount) {
            prompts.msgBox(
                QStringLiteral("Error in AdjustMenuSettings routine - filter for messaging rules has not been applied properly"));
            return;
        }
        if (!runStep(prompts, errors, [&] {
                rules.moveFirst();
                rules.find(kAlias, *greetingAliasOfCode(childAlias));
                m_chosen->recordId = rules.field(QStringLiteral("MessagingRuleObjectID")).textOrEmpty();
                stored = {rules.field(QStringLiteral("Action")), rules.field(QStringLiteral("ConversationName")),
                          rules.field(QStringLiteral("DestinationObjectIDType"))};
            }))
            return;
    } else {
        Recordset& keys = cache.rsMenuentry;
        bool found = false;
        if (!runStep(prompts, errors, [&] {
                keys.moveFirst();
                found = keys.find(kAlias, childAlias);
            }))
            return;
        if (!found) {
            prompts.msgBox(QStringLiteral("Error in AdjustMenuSettings routine - could not find child alias:") + childAlias);
            return;
        }
        if (!runStep(prompts, errors, [&] {
                m_chosen->recordId = keys.field(QStringLiteral("MenuEntryObjectID")).textOrEmpty();
                const Variant locked = keys.field(QStringLiteral("Locked"));
                m_menu.LinkLockKey->setChecked(isFlagSet(locked));
                // The item's mark is what a lock or unlock of this key is checked against.
                keys.markShown({QStringLiteral("Locked")});
                stored = {keys.field(QStringLiteral("Action")), keys.field(QStringLiteral("ConversationName")),
                          keys.field(QStringLiteral("DestinationObjectIDType"))};
            }))
            return;
    }
    runStep(prompts, errors, [&] { markStoredLink(stored, column, nodeType); });
}

void LinkPopUpState::markStoredLink(const StoredLink& link, int column, qint16 rowNodeType)
{
    struct Test {
        std::function<bool(const StoredLink&)> holds;
        QAction* item;
        std::array<bool, 3> appliesTo; // key, greeting, after-message
    };
    const std::array<Test, 6> fixed = {{
        {[](const StoredLink& l) { return holdsCode(l.action, LinkAction::IgnoreKey); },
         m_menu.LinkIgnoreKey,
         {true, false, false}},
        {[](const StoredLink& l) { return holdsCode(l.action, LinkAction::HangUp); }, m_menu.LinkHangUp, {true, true, true}},
        {[](const StoredLink& l) { return holdsCode(l.action, LinkAction::TakeMessage); },
         m_menu.LinkTakeMessage,
         {true, true, false}},
        {[](const StoredLink& l) { return holdsCode(l.action, LinkAction::SkipGreeting); },
         m_menu.LinkSkipGreeting,
         {true, false, false}},
        {[](const StoredLink& l) { return holdsName(l.conversation, "SubSignIn"); }, m_menu.LinkSignIn, {true, true, true}},
        {[](const StoredLink& l) { return holdsName(l.conversation, "GreetingsAdministrator"); },
         m_menu.LinkGreetingsAdministrator,
         {true, true, true}},
    }};
    for (const Test& test : fixed) {
        if (test.appliesTo[size_t(column)] && test.holds(link)) {
            test.item->setChecked(true);
            return;
        }
    }

    const bool toHandler = holdsCode(link.objectType, LinkObjectType::CallHandler)
                           || (column == KeyColumn && holdsCode(link.objectType, LinkObjectType::Subscriber));
    if (toHandler)
        (rowNodeType == TreeNodeType::Subscriber ? m_menu.LinkSubscriber : m_menu.LinkCallHandler)->setChecked(true);
    else if (holdsCode(link.objectType, LinkObjectType::Interviewer))
        m_menu.LinkInterviewer->setChecked(true);
    else if (holdsCode(link.objectType, LinkObjectType::DirectoryHandler))
        m_menu.LinkDirectoryHandler->setChecked(true);
    else
        m_state.prompts.msgBox(QStringLiteral("error in AdjustMenuSettings routine - invalid object type"));

    if (holdsCode(link.objectType, LinkObjectType::CallHandler) || holdsCode(link.objectType, LinkObjectType::Subscriber)) {
        m_menu.LinkAttemptTransfer->setEnabled(true);
        m_menu.LinkSendToGreeting->setEnabled(true);
        (holdsName(link.conversation, "PHTransfer") ? m_menu.LinkAttemptTransfer : m_menu.LinkSendToGreeting)->setChecked(true);
    }
}
