#pragma once

class QPoint;

// What the call-flow action editing offers the tree and the pane.
class ActionOperations {
public:
    virtual ~ActionOperations() = default;
    // Sets the items of the action popup for the tree's current row.
    virtual void AdjustMenuSettings() = 0;
    // Pops up the action popup at a point of the screen.
    virtual void PopUpLinkMenu(const QPoint& globalPosition) = 0;
    // The tree's row change and right click: the popup's commands act on the tree's row again,
    // no longer on the link of the pane button that opened it last.
    virtual void resetLinkFromTab() = 0;
};
