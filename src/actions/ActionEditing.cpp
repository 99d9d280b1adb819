#include "actions/ActionEditing.h"

#include "actions/ChooseActionButtons.h"
#include "actions/DestinationCommands.h"
#include "actions/FixedActionCommands.h"
#include "actions/KeyCommands.h"
#include "actions/LinkPopUpMenu.h"
#include "actions/LinkPopUpState.h"
#include "actions/LinkWriter.h"
#include "data/SharedState.h"
#include "pane/PaneOperations.h"
#include "runtime/SlotGuard.h"

#include <QAction>

ActionEditing::ActionEditing(SharedState& state, OutlineGrid& grid, QWidget* window)
    : m_state(state),
      m_menu(new LinkPopUpMenu(window)),
      m_ownMenu(window ? nullptr : m_menu),
      m_popUpState(std::make_unique<LinkPopUpState>(state, grid, *m_menu)),
      m_refresh(state, *m_popUpState)
{
    m_writer = std::make_unique<LinkWriter>(state, m_refresh);
    m_fixedActions = std::make_unique<FixedActionCommands>(state, *m_popUpState, *m_writer);
    m_keyCommands = std::make_unique<KeyCommands>(state, *m_popUpState, *m_menu, m_refresh);
    m_destinations = std::make_unique<DestinationCommands>(state, *m_popUpState, *m_writer, m_refresh);
    m_buttons = std::make_unique<ChooseActionButtons>(state, *m_popUpState, *m_menu, m_refresh);

    UserPrompts& prompts = state.prompts;
    auto on = [&](QAction* item, auto handler) { connectGuarded(prompts, item, &QAction::triggered, this, handler); };
    FixedActionCommands* fixed = m_fixedActions.get();
    KeyCommands* keys = m_keyCommands.get();
    DestinationCommands* destinations = m_destinations.get();
    on(m_menu->PopUpSetAsTreeRoot, [this] {
        if (m_rootCommands)
            m_rootCommands->PopUpSetAsTreeRoot_Click();
    });
    on(m_menu->LinkTakeMessage, [fixed] { fixed->LinkTakeMessage_Click(); });
    on(m_menu->LinkHangUp, [fixed] { fixed->LinkHangUp_Click(); });
    on(m_menu->LinkSignIn, [fixed] { fixed->LinkSignIn_Click(); });
    on(m_menu->LinkGreetingsAdministrator, [fixed] { fixed->LinkGreetingsAdministrator_Click(); });
    on(m_menu->LinkAttemptTransfer, [fixed] { fixed->LinkAttemptTransfer_Click(); });
    on(m_menu->LinkSendToGreeting, [fixed] { fixed->LinkSendToGreeting_Click(); });
    on(m_menu->LinkCallHandler, [destinations] { destinations->LinkCallHandler_Click(); });
    on(m_menu->LinkInterviewer, [destinations] { destinations->LinkInterviewer_Click(); });
    on(m_menu->LinkSubscriber, [destinations] { destinations->LinkSubscriber_Click(); });
    on(m_menu->LinkDirectoryHandler, [destinations] { destinations->LinkDirectoryHandler_Click(); });
    on(m_menu->LinkIgnoreKey, [keys] { keys->LinkIgnoreKey_Click(); });
    on(m_menu->LinkSkipGreeting, [keys] { keys->LinkSkipGreeting_Click(); });
    on(m_menu->LinkLockKey, [keys] { keys->LinkLockKey_Click(); });
    on(m_menu->linkLockAllKeys, [keys] { keys->linkLockAllKeys_Click(); });
    on(m_menu->linkUnlockAllKeys, [keys] { keys->linkUnlockAllKeys_Click(); });
}

ActionEditing::~ActionEditing() = default;

void ActionEditing::connectTo(const LinkRefresh::Parts& parts, TreeRootCommands* rootCommands)
{
    m_refresh.connectTo(parts);
    m_rootCommands = rootCommands;
    if (parts.pane)
        m_buttons->connectButtons(parts.pane->chooseActionButtons());
}

void ActionEditing::setDialogs(DialogOperations* dialogs)
{
    m_destinations->setDialogs(dialogs);
}

void ActionEditing::AdjustMenuSettings()
{
    m_popUpState->AdjustMenuSettings();
}

void ActionEditing::resetLinkFromTab()
{
    m_popUpState->resetLinkFromTab();
}

void ActionEditing::PopUpLinkMenu(const QPoint& globalPosition)
{
    m_menu->popup(globalPosition);
}
