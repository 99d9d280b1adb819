#pragma once

#include "actions/ActionOperations.h"
#include "actions/LinkRefresh.h"

#include <QObject>
#include <memory>

class ChooseActionButtons;
class DestinationCommands;
class DialogOperations;
class FixedActionCommands;
class KeyCommands;
class LinkPopUpMenu;
class LinkPopUpState;
class LinkWriter;
class OutlineGrid;
class QWidget;
class SharedState;
class TreeRootCommands;

// The call-flow action editing as the tree and the pane reach it: the action popup with its
// state, its commands and the link writer behind them.
class ActionEditing : public QObject, public ActionOperations {
    Q_OBJECT
public:
    // The popup belongs to window (may be null).
    ActionEditing(SharedState& state, OutlineGrid& grid, QWidget* window);
    ~ActionEditing() override;

    // Any part may be missing; its steps are then left out. The pane's buttons that choose a
    // link's action open the popup from then on.
    void connectTo(const LinkRefresh::Parts& parts, TreeRootCommands* rootCommands);
    // The dialogs the destination commands open; without them those commands do nothing.
    void setDialogs(DialogOperations* dialogs);

    void AdjustMenuSettings() override;
    void PopUpLinkMenu(const QPoint& globalPosition) override;
    void resetLinkFromTab() override;

    LinkPopUpMenu& menu() { return *m_menu; }
    LinkPopUpState& popUpState() { return *m_popUpState; }
    LinkWriter& writer() { return *m_writer; }
    FixedActionCommands& fixedActions() { return *m_fixedActions; }
    KeyCommands& keyCommands() { return *m_keyCommands; }
    DestinationCommands& destinationCommands() { return *m_destinations; }

private:
    SharedState& m_state;
    LinkPopUpMenu* m_menu; // owned by the window when there is one
    std::unique_ptr<LinkPopUpMenu> m_ownMenu;
    std::unique_ptr<LinkPopUpState> m_popUpState;
    LinkRefresh m_refresh;
    std::unique_ptr<LinkWriter> m_writer;
    std::unique_ptr<FixedActionCommands> m_fixedActions;
    std::unique_ptr<KeyCommands> m_keyCommands;
    std::unique_ptr<DestinationCommands> m_destinations;
    std::unique_ptr<ChooseActionButtons> m_buttons;
    TreeRootCommands* m_rootCommands = nullptr;
};
