#pragma once

#include "actions/ChosenLink.h"
#include "pane/PaneControls.h"

#include <QObject>
#include <QString>

class LinkPopUpMenu;
class LinkPopUpState;
class LinkRefresh;
class SharedState;

// The pane's "Set" buttons beside a greeting's, an after-message or an exit link: each names its
// link for the popup's commands, sets the popup's items for that kind of link with the stored
// choice marked, and opens it. Nothing is written.
class ChooseActionButtons : public QObject {
public:
    using Button = ChooseActionLink;

    ChooseActionButtons(SharedState& state, LinkPopUpState& popUpState, LinkPopUpMenu& menu, LinkRefresh& refresh);

    // Each button's Click opens the popup for its link.
    void connectButtons(const std::vector<ChooseActionButton>& buttons);

    // A button's Click: the popup opens at the pointer.
    void click(Button which, int index = 0);

    // A button's row of the members' table, and the link it read.
    struct Member;
    struct Stored;

private:
    bool readLink(const Member& m, int index, ChosenLink& link, Stored& stored);
    void markStoredLink(const Member& m, const Stored& stored);

    SharedState& m_state;
    LinkPopUpState& m_popUpState;
    LinkPopUpMenu& m_menu;
    LinkRefresh& m_refresh;
};
