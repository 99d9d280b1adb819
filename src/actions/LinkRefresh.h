#pragma once

#include "actions/ChosenLink.h"
#include "data/LinkKinds.h"
#include "tree/TreeOperations.h"

#include <QString>

class LinkPopUpState;
class OutlineGrid;
class PaneOperations;
class Recordset;
class SharedState;

// A link as its row stores it: its action, conversation, destination and the destination's type
// (kLinkKeepsStored for a Null action or type: the refresh leaves those cells of the tree rows alone).
struct LinkAsStored {
    QString objectId;
    QString conversation;
    qint16 action = kLinkKeepsStored;
    qint16 type = kLinkKeepsStored;

    // The current row's link, in the place's four columns.
    static LinkAsStored read(const Recordset& rs, const QString& action, const QString& conversation, const QString& objectId,
                             const QString& objectType);
};

// What the tree and the pane show after a link was stored: the tree rows that show the link take
// its new values and are drawn again, and the pane shows the object again.
class LinkRefresh {
public:
    struct Parts {
        OutlineGrid* grid = nullptr;
        TreeOperations* tree = nullptr;
        TreeSelection* selection = nullptr;
        PaneOperations* pane = nullptr;
        TreeWindow* window = nullptr;
        ObjectListOperations* objectList = nullptr;
        TreeDisplayOptions options;
    };

    // The popup's state says whether the link came from the pane.
    LinkRefresh(SharedState& state, const LinkPopUpState& popUpState);
    // Any part may be missing; its steps are then left out.
    void connectTo(const Parts& parts) { m_parts = parts; }
    const Parts& parts() const { return m_parts; }

    // `rowCode` is the child alias the link's tree rows carry (a key, a greeting code, "AM");
    // empty for links that have no tree rows.
    void refresh(const ChosenLink& link, LinkPlace place, const QString& rowCode, const QString& strObjectID,
                 const QString& strConversation, qint16 iAction, qint16 iKeyType, bool bIsPrimary);

    // After a refused write, which has read the row again: the tree rows and the pane show the
    // link as stored, as they would show a link just written.
    void showStored(const ChosenLink& link, LinkPlace place, const QString& rowCode, const LinkAsStored& stored);

    // Every row below the root that shows the link of an owner with that child alias, last first.
    QList<int> rowsShowingLink(const QString& ownerId, const QString& rowCode) const;
    // Gives those rows a fixed action: leaves that lead nowhere, drawn anew.
    void redrawAsLeaf(const QString& ownerId, const QString& rowCode, qint16 iAction);
    // Shows the tree's current row again (references, popup state, pane); with the object list in
    // front, the pane's object.
    void reloadCurrentRow();

private:
    void updateRows(const ChosenLink& link, const QString& rowCode, const QString& strObjectID, const QString& strConversation,
                    qint16 iAction, qint16 iKeyType, bool bIsPrimary);
    void reloadPane();
    // With the object list in front: loads the pane's object again; false otherwise.
    bool reloadShownObject();
    void showInBox(const ChosenLink& link, Recordset& rs, const QString& keyColumn, const QString& prefix);
    bool checked(const QAction* option) const;
    bool leadsToSubscriber(const LinkAsStored& link) const;

    SharedState& m_state;
    const LinkPopUpState& m_popUpState;
    Parts m_parts;
};
