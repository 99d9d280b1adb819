// The wording of the tree's rows and their redraw after the objects they show changed.
#include "data/LinkKinds.h"
#include "data/SharedState.h"
#include "data/StoredValues.h"
#include "runtime/RuntimeError.h"
#include "runtime/UserPrompts.h"
#include "tree/CacheFields.h"
#include "tree/CallFlowTree.h"
#include "tree/TreePictures.h"
#include "tree/TreeRowModel.h"
#include "widgets/OutlineGrid.h"

using CacheFields::CallHandlerObjectID;

namespace {

QString extensionText(const Recordset& rs)
{
    const Variant digits = rs.field(QStringLiteral("DTMFAccessID"));
    return digits.isNull() ? QStringLiteral("(empty)") : digits.toText();
}

} // namespace

QString CallFlowTree::describeLink(qint16 action, const QString& conversation, const QString& objectId, bool bareName)
{
    if (action == kInvalidLinkAction)
        return QStringLiteral("Invalid Link!");
    const LinkKind* kind = findLinkKind(action, conversation);
    if (!kind)
        return QString();
    RecordsetCache& cache = m_state.cache;
    switch (kind->target) {
    case LinkTarget::None:
        return QString::fromLatin1(kind->text);
    case LinkTarget::DirectoryHandler:
        return namedObject(cache.rsNameLookupHandler, QStringLiteral("NameLookupHandlerObjectID"), objectId,
                           QStringLiteral("Error!  Could not find directory handler by ObjectID="));
    case LinkTarget::Interviewer:
        return namedObject(cache.rsInterviewHandler, QStringLiteral("InterviewHandlerObjectID"), objectId,
                           QStringLiteral("Error! Could not find interviewer reference in database:"));
    case LinkTarget::CallHandler:
        return handlerName(objectId, bareName) + (bareName ? QString() : QString::fromLatin1(kind->treeSuffix));
    }
    return QString();
}

// A directory or interview handler: its name and extension. A Null name raises invalid use of
// Null, which the caller passes over, leaving the description empty.
QString CallFlowTree::namedObject(Recordset& rs, const QString& keyColumn, const QString& objectId, const QString& missingMessage)
{
    rs.moveFirst();
    if (!rs.find(keyColumn, objectId)) {
        m_prompts.msgBox(missingMessage + objectId);
        return QString();
    }
    const QString extension = extensionText(rs);
    return rs.field(QStringLiteral("TextName")).toText() + QStringLiteral(" - Ext:") + extension;
}

// A call handler as its rows name it: a subscriber's own handler by the subscriber's name. The
// bare name, without the extension, is the root row's text. rsCallHandler goes back to where it
// stood on every path.
QString CallFlowTree::handlerName(const QString& handlerId, bool bareName)
{
    RecordsetCache& cache = m_state.cache;
    Recordset& ch = cache.rsCallHandler;
    RecordsetPosition before(ch, CallHandlerObjectID);
    struct Restore {
        RecordsetPosition& position;
        ~Restore() { position.restoreQuietly(); }
    } restore{before};

    ch.moveFirst();
    if (!ch.find(CallHandlerObjectID, handlerId)) {
        m_prompts.msgBox(QStringLiteral("Error in RefreshRow: could not find handler in database:") + handlerId);
        return QString();
    }
    QString name;
    try {
        if (isFlagSet(ch.field(QStringLiteral("IsPrimary")))) {
            Recordset& sub = cache.rsSubscriber;
            sub.moveFirst();
            if (sub.find(QStringLiteral("SubscriberObjectID"), ch.field(QStringLiteral("RecipientObjectID")))) {
                name = sub.field(QStringLiteral("DisplayName")).toText();
                if (!bareName)
                    name += QStringLiteral(" - Ext:") + extensionText(ch);
            } else {
                name = QStringLiteral("Error in RefreshRow! can't find subscriber reference:")
                       + ch.field(QStringLiteral("AdministratorObjectID")).textOrEmpty();
            }
        } else {
            name = ch.field(QStringLiteral("TextName")).toText();
            if (!bareName)
                name += QStringLiteral(" - Ext:") + extensionText(ch);
        }
    } catch (const RuntimeError& e) {
        if (e.number() != ErrorNumber::InvalidUseOfNull)
            throw;
        name.clear(); // a Null name leaves the whole name empty
    }
    return name;
}

void CallFlowTree::PopulateRowInfo(qint16 iRow, qint16 iAction, const QString& strConversationName)
{
    const QString prefix = QStringLiteral("Error in PopulateRowInfo routine:");
    const int row = iRow;
    if (!rowStep(prefix, [&] { m_grid.isNode(row); }))
        return; // no such row

    qint16 type = TreeNodeType::Leaf;
    QString objectId, childAlias;
    rowStep(prefix, [&] { type = m_grid.cellData(row, TreeColumn::NodeType).toInt16(); });
    rowStep(prefix, [&] { objectId = m_grid.cellText(row, TreeColumn::ObjectID); });
    rowStep(prefix, [&] { childAlias = m_grid.cellText(row, TreeColumn::ChildAlias); });

    QString description;
    rowStep(prefix, [&] { description = describeLink(iAction, strConversationName, objectId, false); });
    rowStep(prefix, [&] { m_grid.setCellText(row, TreeColumn::Main, childAlias + QStringLiteral(": ") + description); });
    rowStep(prefix, [&] {
        m_grid.setCellText(row, TreeColumn::Conversation, strConversationName);
        m_grid.setCellData(row, TreeColumn::Action, Variant(int(iAction)));
    });

    const bool opens = type == TreeNodeType::CallHandler || type == TreeNodeType::Subscriber;
    // A destination already on the path from the root is drawn as a duplicate that never opens:
    // this is where cycles in the call flow end.
    if (opens) {
        rowStep(prefix, [&] {
            if (bIsAncestor(objectId, static_cast<qint16>(m_grid.parentRow(row))))
                type = type == TreeNodeType::CallHandler ? TreeNodeType::DuplicateHandler : TreeNodeType::DuplicateSubscriber;
        });
    }
    rowStep(prefix, [&] { m_grid.setCellData(row, TreeColumn::NodeType, Variant(int(type))); });

    if (type == TreeNodeType::CallHandler || type == TreeNodeType::Subscriber) {
        rowStep(prefix, [&] {
            if (m_grid.childCount(row) == 0)
                addPlaceholder(row);
        });
    } else {
        RemoveChildren(iRow);
    }
    const QString picture = treePictureKey(type);
    if (!picture.isEmpty())
        rowStep(prefix, [&] { m_grid.setCellPicture(row, TreeColumn::Main, picture); });
}

void CallFlowTree::UpdateRowText(qint16 iRow)
{
    const QString prefix = QStringLiteral("Error in UpdateRowText routine:");
    const int row = iRow;
    if (!rowStep(prefix, [&] { m_grid.isNode(row); }))
        return; // no such row

    QString objectId, childAlias, conversation;
    qint16 action = 0;
    rowStep(prefix, [&] { objectId = m_grid.cellText(row, TreeColumn::ObjectID); });
    rowStep(prefix, [&] { childAlias = m_grid.cellText(row, TreeColumn::ChildAlias); });
    rowStep(prefix, [&] { action = m_grid.cellData(row, TreeColumn::Action).toInt16(); });
    rowStep(prefix, [&] { conversation = m_grid.cellText(row, TreeColumn::Conversation); });
    const bool root = row == 0;
    if (root) {
        conversation = QStringLiteral("PHGreeting");
        action = LinkAction::GoTo;
    }
    QString description;
    rowStep(prefix, [&] { description = describeLink(action, conversation, objectId, root); });
    rowStep(prefix, [&] {
        m_grid.setCellText(row, TreeColumn::Main, root ? description : childAlias + QStringLiteral(": ") + description);
    });
}

void CallFlowTree::UpdateAllInstancesOfOBjectInTree(const QString& strObjectID)
{
    // Leaves and placeholders carry no id; an empty id names no object.
    if (strObjectID.isEmpty())
        return;
    const int count = m_grid.rowCount();
    for (int r = 0; r < count; ++r) {
        if (m_grid.cellText(r, TreeColumn::ObjectID).compare(strObjectID, Qt::CaseInsensitive) == 0)
            UpdateRowText(static_cast<qint16>(r));
    }
}

void CallFlowTree::RefreshAllRowText()
{
    const int count = m_grid.rowCount();
    for (int r = 0; r < count; ++r) {
        if (!isPlaceholder(r))
            UpdateRowText(static_cast<qint16>(r));
    }
}
