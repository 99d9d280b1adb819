#pragma once

#include "actions/ChosenLink.h"

#include <optional>

class LinkPopUpMenu;
class OutlineGrid;
class SharedState;

// Sets the action popup's items from the tree's current row and the link stored for it, and
// remembers which link that is, by ids, for the commands chosen from the popup. The shared
// recordsets stay where they stood.
class LinkPopUpState {
public:
    LinkPopUpState(SharedState& state, OutlineGrid& grid, LinkPopUpMenu& menu);

    void AdjustMenuSettings();

    // The link of the tree's current row: as remembered when the popup's state was set, or read
    // from the row when that was for another row. None without a current row below the root.
    std::optional<ChosenLink> treeRowLink() const;
    // The link a pane button stands for: its selector with the ids of the rows the pane's load
    // left current. Raises "no current record" when such a row is missing.
    ChosenLink paneLink(const QString& selector) const;
    // The link a pane button named when it opened the popup: paneLink gives it for that selector,
    // wherever the shared recordsets stand meanwhile.
    void setPaneLink(const ChosenLink& link) { m_paneChosen = link; }

    // A pane button opened the popup for the link of that selector: the popup's commands act on
    // the pane's link until the tree's row change or right click resets the flag.
    void setLinkFromTab(const QString& selector)
    {
        m_bLinkFromTab = true;
        m_strTabChildAlias = selector;
    }
    void resetLinkFromTab() { m_bLinkFromTab = false; }
    bool bLinkFromTab() const { return m_bLinkFromTab; }
    const QString& strTabChildAlias() const { return m_strTabChildAlias; }
    // The link the popup's commands act on: the pane button's, or the tree row's.
    std::optional<ChosenLink> commandLink() const;

private:
    struct StoredLink;
    void markStoredLink(const StoredLink& link, int column, qint16 rowNodeType);

    SharedState& m_state;
    OutlineGrid& m_grid;
    LinkPopUpMenu& m_menu;
    std::optional<ChosenLink> m_chosen;
    std::optional<ChosenLink> m_paneChosen;
    bool m_bLinkFromTab = false;
    QString m_strTabChildAlias;
};
