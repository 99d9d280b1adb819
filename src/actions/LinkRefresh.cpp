#include "actions/LinkRefresh.h"

#include "actions/LinkPopUpState.h"
#include "actions/RecordsetSpot.h"
#include "data/LinkDisplay.h"
#include "data/LinkKinds.h"
#include "data/SharedState.h"
#include "data/StoredValues.h"
#include "pane/PaneOperations.h"
#include "tree/TreeRowModel.h"
#include "widgets/OutlineGrid.h"

#include <QAction>
#include <QLineEdit>

namespace {

bool isSkip(const QString& objectId)
{
    return objectId.compare(QLatin1String("skip"), Qt::CaseInsensitive) == 0;
}

// A link that leads to no object: its row is a leaf, as a rebuilt tree shows it.
bool leadsNowhere(qint16 action, const QString& conversation)
{
    const LinkKind* kind = findLinkKind(action, conversation);
    return kind && kind->target == LinkTarget::None;
}

} // namespace

LinkAsStored LinkAsStored::read(const Recordset& rs, const QString& action, const QString& conversation, const QString& objectId,
                                const QString& objectType)
{
    LinkAsStored link;
    link.objectId = rs.field(objectId).textOrEmpty();
    link.conversation = rs.field(conversation).textOrEmpty();
    const Variant storedAction = rs.field(action);
    const Variant storedType = rs.field(objectType);
    link.action = storedAction.isNull() ? kLinkKeepsStored : storedAction.toInt16();
    link.type = storedType.isNull() ? kLinkKeepsStored : storedType.toInt16();
    return link;
}

LinkRefresh::LinkRefresh(SharedState& state, const LinkPopUpState& popUpState)
    : m_state(state),
      m_popUpState(popUpState)
{
}

bool LinkRefresh::checked(const QAction* option) const
{
    return option && option->isChecked();
}

QList<int> LinkRefresh::rowsShowingLink(const QString& ownerId, const QString& rowCode) const
{
    QList<int> rows;
    OutlineGrid* grid = m_parts.grid;
    if (!grid || ownerId.isEmpty() || rowCode.isEmpty())
        return rows;
    // Last row first: redrawing a row adds or removes rows below it only.
    for (int r = grid->rowCount() - 1; r > 0; --r) {
        if (grid->cellText(r, TreeColumn::ChildAlias) != rowCode)
            continue;
        const int parent = grid->parentRow(r);
        if (parent >= 0 && grid->cellText(parent, TreeColumn::ObjectID).compare(ownerId, Qt::CaseInsensitive) == 0)
            rows << r;
    }
    return rows;
}

void LinkRefresh::redrawAsLeaf(const QString& ownerId, const QString& rowCode, qint16 iAction)
{
    if (!m_parts.grid || !m_parts.tree)
        return;
    for (int r : rowsShowingLink(ownerId, rowCode)) {
        m_parts.grid->setCellData(r, TreeColumn::NodeType, Variant(int(TreeNodeType::Leaf)));
        m_parts.grid->setCellText(r, TreeColumn::ObjectID, QString());
        m_parts.tree->PopulateRowInfo(static_cast<qint16>(r), iAction, QString());
    }
}

bool LinkRefresh::reloadShownObject()
{
    // With the object list in front the pane shows an object picked there, which the tree's
    // current row need not show: the object is loaded again by what the pane shows.
    if (!m_parts.window || !m_parts.window->GridViewInFront())
        return false;
    QString id;
    qint16 type = 0;
    if (m_parts.pane && m_parts.pane->ShownObject(id, type))
        m_parts.pane->LoadTabInfo(id, type);
    return true;
}

void LinkRefresh::reloadCurrentRow()
{
    if (reloadShownObject())
        return;
    if (m_parts.selection && m_parts.grid && m_parts.grid->row() >= 0)
        m_parts.selection->ATTree_AfterRowColChange(0, 0, m_parts.grid->row(), m_parts.grid->col());
}

void LinkRefresh::updateRows(const ChosenLink& link, const QString& rowCode, const QString& strObjectID,
                             const QString& strConversation, qint16 iAction, qint16 iKeyType, bool bIsPrimary)
{
    OutlineGrid* grid = m_parts.grid;
    if (!grid || !m_parts.tree)
        return;
    const bool nowhere = iAction >= 0 && leadsNowhere(iAction, strConversation);
    for (int r : rowsShowingLink(link.ownerId, rowCode)) {
        const QString before = grid->cellText(r, TreeColumn::ObjectID);
        if (nowhere) {
            grid->setCellText(r, TreeColumn::ObjectID, QString());
            grid->setCellData(r, TreeColumn::NodeType, Variant(int(TreeNodeType::Leaf)));
        } else {
            if (!strObjectID.isEmpty() && !isSkip(strObjectID))
                grid->setCellText(r, TreeColumn::ObjectID, strObjectID);
            if (iKeyType >= 0) {
                qint16 type = iKeyType;
                if (iKeyType == LinkObjectType::CallHandler)
                    type = bIsPrimary ? TreeNodeType::Subscriber : TreeNodeType::CallHandler;
                grid->setCellData(r, TreeColumn::NodeType, Variant(int(type)));
            }
        }
        // Children of the former destination do not belong under the new one.
        if (grid->cellText(r, TreeColumn::ObjectID).compare(before, Qt::CaseInsensitive) != 0)
            m_parts.tree->RemoveChildren(static_cast<qint16>(r));
        if (iAction >= 0)
            m_parts.tree->PopulateRowInfo(static_cast<qint16>(r), iAction, strConversation);
    }
}

void LinkRefresh::reloadPane()
{
    if (!m_parts.pane || reloadShownObject())
        return;
    OutlineGrid* grid = m_parts.grid;
    if (!grid || grid->row() < 0)
        return;
    const int row = grid->row();
    m_parts.pane->LoadTabInfo(grid->cellText(row, TreeColumn::ObjectID), grid->cellData(row, TreeColumn::NodeType).toInt16());
}

void LinkRefresh::showInBox(const ChosenLink& link, Recordset& rs, const QString& keyColumn, const QString& prefix)
{
    QLineEdit* box = m_parts.pane ? m_parts.pane->linkBox(link.selector) : nullptr;
    if (!box)
        return;
    // Read from the link's own row; the pane's editors find the recordset where it stood.
    QString destination;
    QString conversation;
    qint16 action = 0;
    {
        const RecordsetSpot spot(rs, keyColumn);
        rs.moveFirst();
        rs.find(keyColumn, link.recordId);
        destination = rs.field(prefix + QStringLiteral("ObjectID")).textOrEmpty();
        conversation = rs.field(prefix + QStringLiteral("Conversation")).textOrEmpty();
        // A Null action leaves the box as it was.
        action = rs.field(prefix + QStringLiteral("Action")).toInt16();
    }
    box->setText(ConstructActionString(m_state.cache, m_state.prompts, conversation, action, destination));
}

void LinkRefresh::refresh(const ChosenLink& link, LinkPlace place, const QString& rowCode, const QString& strObjectID,
                          const QString& strConversation, qint16 iAction, qint16 iKeyType, bool bIsPrimary)
{
    switch (place) {
    case LinkPlace::InterviewerAfterMessage: {
        m_state.cache.RequeryAllRecordsets();
        // The page's editors go on with the handler it shows, not the requery's first row.
        Recordset& ih = m_state.cache.rsInterviewHandler;
        ih.moveFirst();
        if (!ih.find(QStringLiteral("InterviewHandlerObjectID"), link.recordId))
            ih.moveFirst();
        showInBox(link, ih, QStringLiteral("InterviewHandlerObjectID"), QStringLiteral("AfterMessage"));
        return;
    }
    case LinkPlace::SubscriberExit:
        if (m_parts.pane)
            m_parts.pane->LoadTabInfo(link.ownerId, TreeNodeType::Subscriber);
        return;
    case LinkPlace::DirectoryExit:
        showInBox(link, m_state.cache.rsNameLookupHandler, QStringLiteral("NameLookupHandlerObjectID"),
                  directoryExitPrefix(link.selector));
        return;
    case LinkPlace::Key:
    case LinkPlace::Greeting:
    case LinkPlace::AfterMessage:
        break;
    }

    const bool fromPane = m_popUpState.bLinkFromTab();
    OutlineGrid* grid = m_parts.grid;
    if (fromPane && grid && m_parts.tree && grid->row() >= 0
        && (iKeyType == LinkObjectType::Subscriber || iKeyType == LinkObjectType::CallHandler)) {
        m_parts.tree->RemoveChildren(static_cast<qint16>(grid->row()));
        m_parts.tree->ExpandRow(static_cast<qint16>(grid->row()));
    }
    updateRows(link, rowCode, strObjectID, strConversation, iAction, iKeyType, bIsPrimary);
    if (fromPane)
        reloadPane();

    const bool treeInFront = !m_parts.window || !m_parts.window->GridViewInFront();
    const bool rebuild = (place == LinkPlace::Greeting && checked(m_parts.options.ShowAfterGreetingLinks))
                         || (place == LinkPlace::AfterMessage && checked(m_parts.options.ShowAfterMessageLinks));
    if (treeInFront && rebuild && grid && m_parts.tree) {
        grid->setRowCount(0);
        m_parts.tree->AddNewNode(m_parts.tree->TreeRootObjectID(), m_parts.tree->TreeRootNodeType());
    }

    if (fromPane) {
        if (m_parts.tree)
            m_parts.tree->RefreshAllRowText();
    } else {
        reloadCurrentRow();
    }
}

bool LinkRefresh::leadsToSubscriber(const LinkAsStored& link) const
{
    if (link.type != LinkObjectType::CallHandler || link.objectId.isEmpty())
        return false;
    const QString idColumn = QStringLiteral("CallHandlerObjectID");
    Recordset& ch = m_state.cache.rsCallHandler;
    const RecordsetSpot spot(ch, idColumn);
    ch.clearFilter();
    ch.moveFirst();
    if (!ch.find(idColumn, link.objectId))
        return false;
    return isFlagSet(ch.field(QStringLiteral("IsPrimary")));
}

void LinkRefresh::showStored(const ChosenLink& link, LinkPlace place, const QString& rowCode, const LinkAsStored& stored)
{
    // An empty destination would store Null: it is what a link without one shows.
    refresh(link, place, rowCode, stored.objectId, stored.conversation, stored.action, stored.type, leadsToSubscriber(stored));
}
