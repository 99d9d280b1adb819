#include "tree/CallFlowTree.h"

#include "data/LinkKinds.h"
#include "data/SharedState.h"
#include "data/StoredValues.h"
#include "runtime/ErrorHandling.h"
#include "runtime/RuntimeError.h"
#include "runtime/UserPrompts.h"
#include "tree/CacheFields.h"
#include "tree/TreePictures.h"
#include "tree/TreeRowModel.h"
#include "widgets/OutlineGrid.h"
#include "widgets/OutlineGridView.h"

#include <QAction>
#include <QWidget>
#include <array>
#include <limits>

using CacheFields::CallHandlerObjectID;

namespace {

const QString kParentObjectID = QStringLiteral("ParentObjectID");
const QString kAlias = QStringLiteral("Alias");
const QString kExpandRowError = QStringLiteral("Error in ExpandRow: ");
// A key's link columns: what its row shows, and so what a change of the key from the tree is
// checked against. Greetings and after-message links are changed from the pane only, which marks them.
const QStringList kDestinationColumns = {QStringLiteral("Action"), QStringLiteral("ConversationName"),
                                         QStringLiteral("DestinationObjectID"), QStringLiteral("DestinationObjectIDType")};

// The links of a call handler in the order their rows appear: twelve keys, six greetings, the
// after-message link.
constexpr int kFirstGreeting = 12;
constexpr int kAfterMessage = 18;
static_assert(CallFlowTree::MostRowsOfOneExpansion == 2 * (kAfterMessage + 1));
const std::array<QString, 19> kChildAlias = {
    QStringLiteral("0"),   QStringLiteral("1"),   QStringLiteral("2"),   QStringLiteral("3"),   QStringLiteral("4"),
    QStringLiteral("5"),   QStringLiteral("6"),   QStringLiteral("7"),   QStringLiteral("8"),   QStringLiteral("9"),
    QStringLiteral("*"),   QStringLiteral("#"),   QStringLiteral("STD"), QStringLiteral("OFF"), QStringLiteral("ALT"),
    QStringLiteral("INT"), QStringLiteral("BSY"), QStringLiteral("ERR"), QStringLiteral("AM")};
const std::array<QString, 6> kGreetingAlias = {QStringLiteral("Standard"), QStringLiteral("Off Hours"), QStringLiteral("Alternate"),
                                               QStringLiteral("Internal"), QStringLiteral("Busy"),      QStringLiteral("Error")};

bool opens(qint16 nodeType)
{
    return nodeType == TreeNodeType::CallHandler || nodeType == TreeNodeType::Subscriber;
}

} // namespace

struct CallFlowTree::Link {
    Variant action;
    QString destination;
    QString conversation;
};

// Where a link leads, as its row will show it.
struct CallFlowTree::Placement {
    bool drop = false; // no row for this link
    bool stop = false; // no row for this link nor for any later one
    qint16 type = TreeNodeType::Leaf;
    QString objectId;
    qint16 action = 0;
    QString conversation;

    static Placement invalid()
    {
        Placement p;
        p.type = TreeNodeType::InvalidLink;
        p.action = kInvalidLinkAction;
        return p;
    }
};

CallFlowTree::CallFlowTree(SharedState& state, OutlineGrid& grid, const TreeDisplayOptions& options, QWidget* cursorWindow,
                           OutlineGridView* view)
    : m_state(state),
      m_prompts(state.prompts),
      m_grid(grid),
      m_options(options),
      m_cursorWindow(cursorWindow),
      m_view(view),
      m_pictures(treePictures())
{
    m_grid.setColumns({
        {TreeColumn::Main, 1365, false},
        {TreeColumn::Conversation, 960, true},
        {TreeColumn::Action, 960, true},
        {TreeColumn::ObjectID, 1605, true},
        {TreeColumn::NodeType, 960, true},
        {TreeColumn::ChildAlias, 960, true},
    });
    if (m_view)
        m_view->setImageList(&m_pictures);
}

CallFlowTree::~CallFlowTree()
{
    if (m_view)
        m_view->setImageList(nullptr);
}

QString CallFlowTree::rowLimitMessage()
{
    return QStringLiteral("The tree cannot hold more than %1 rows, so not every link of this object is shown.  "
                          "Start the tree again, or at another object, to see them.")
        .arg(OutlineGrid::MaxRows);
}

bool CallFlowTree::rowStep(const QString& prefix, const std::function<void()>& step)
{
    return runStep(m_prompts, StepErrors(prefix).except(ErrorNumber::InvalidUseOfNull), step);
}

bool CallFlowTree::checked(const QAction* option) const
{
    return option && option->isChecked();
}

void CallFlowTree::setHourglass(bool on)
{
    if (!m_cursorWindow)
        return;
    if (on)
        m_cursorWindow->setCursor(Qt::WaitCursor);
    else
        m_cursorWindow->unsetCursor();
}

void CallFlowTree::tellRowLimit()
{
    if (m_expandAllInProgress) {
        if (m_limitToldDuringExpandAll)
            return;
        m_limitToldDuringExpandAll = true;
    }
    m_prompts.msgBox(rowLimitMessage());
}

// ---- the root -----------------------------------------------------------------------------------

void CallFlowTree::setTreeRoot(const QString& strObjectID, qint16 iNodeType)
{
    m_treeRootObjectID = strObjectID;
    m_treeRootNodeType = iNodeType;
}

void CallFlowTree::AddNewNode(const QString& strHandlerObjectID, qint16 /*iNodeType: the handler decides*/)
{
    const QString prefix = QStringLiteral("Error in AddNewNode:");
    auto step = [&](const std::function<void()>& body) { runStep(m_prompts, prefix, body); };
    const OutlineGrid::RedrawOff redrawOff(m_grid);
    RecordsetCache& cache = m_state.cache;
    Recordset& ch = cache.rsCallHandler;

    bool found = false;
    step([&] {
        ch.moveFirst();
        found = ch.find(CallHandlerObjectID, strHandlerObjectID);
    });
    if (!found) {
        m_prompts.msgBox(QStringLiteral("Could not find CallHandlerObjectID:") + strHandlerObjectID);
        return;
    }

    bool primary = false;
    step([&] { primary = isFlagSet(ch.field(QStringLiteral("IsPrimary"))); });
    QString name;
    qint16 type = TreeNodeType::CallHandler;
    if (primary) {
        Recordset& sub = cache.rsSubscriber;
        bool subscriberFound = false;
        step([&] {
            sub.moveFirst();
            subscriberFound = sub.find(QStringLiteral("SubscriberObjectID"), ch.field(QStringLiteral("RecipientObjectID")));
        });
        if (!subscriberFound) {
            m_prompts.msgBox(QStringLiteral("Could not find subsriber in database!"));
            return;
        }
        type = TreeNodeType::Subscriber;
        // A root without a name is still a root: the box names the fault and the row stays empty.
        step([&] { name = sub.field(QStringLiteral("DisplayName")).toText(); });
    } else {
        step([&] { name = ch.field(QStringLiteral("TextName")).toText(); });
    }

    const int row = m_grid.rowCount();
    if (!m_grid.insertRow(row, name)) {
        tellRowLimit();
        return;
    }
    step([&] {
        m_grid.setCellData(row, TreeColumn::NodeType, Variant(int(type)));
        m_grid.setCellPicture(row, TreeColumn::Main, treePictureKey(type));
        m_grid.setRowHeight(row, kTreeRowHeightTwips);
        m_grid.setIsNode(row, true);
        m_grid.setOutlineLevel(row, 0);
        m_grid.setCellText(row, TreeColumn::ObjectID, strHandlerObjectID);
    });
    if (m_grid.rowCount() == 1) {
        setTreeRoot(strHandlerObjectID, type);
    }
    ExpandRow(static_cast<qint16>(row));
    step([&] { m_grid.showOutline(1); });
    step([&] { m_grid.setRow(0); });
}

// ---- expansion --------------------------------------------------------------------------------

void CallFlowTree::ExpandRow(qint16 iRow)
{
    const int row = iRow;
    if (!m_expandAllInProgress)
        m_limitToldDuringExpandAll = false;
    int level = 0;
    if (!rowStep(kExpandRowError, [&] { level = m_grid.outlineLevel(row) + 1; }))
        return; // no such row: nothing to build and nothing to put back

    bool limitReached = false;
    std::optional<RecordsetPosition> callHandlerBefore;
    {
        const OutlineGrid::RedrawOff redrawOff(m_grid);
        setHourglass(true);
        qint16 type = TreeNodeType::Leaf;
        QString objectId;
        rowStep(kExpandRowError, [&] { type = m_grid.cellData(row, TreeColumn::NodeType).toInt16(); });
        rowStep(kExpandRowError, [&] { objectId = m_grid.cellText(row, TreeColumn::ObjectID); });

        int insertAt = row + 1;
        if (opens(type))
            rowStep(kExpandRowError, [&] { buildLinks(objectId, level, insertAt, limitReached, callHandlerBefore); });
        else
            m_prompts.msgBox(QStringLiteral("error!  Unknown node type passed to node builder routine:"));

        // The new rows come closed; the tree ignores these collapses while redraw is off.
        rowStep(kExpandRowError, [&] {
            for (int r = row + 1; r < insertAt; ++r) {
                if (m_grid.isNode(r))
                    m_grid.setCollapsed(r, true);
            }
        });
        setHourglass(false);
    }
    rowStep(kExpandRowError, [&] { m_grid.setRow(row); });
    if (callHandlerBefore)
        rowStep(kExpandRowError, [&] { callHandlerBefore->restore(); });
    if (limitReached)
        tellRowLimit();
}

void CallFlowTree::buildLinks(const QString& handlerObjectId, int level, int& insertAt, bool& limitReached,
                              std::optional<RecordsetPosition>& callHandlerBefore)
{
    RecordsetCache& cache = m_state.cache;
    Recordset& ch = cache.rsCallHandler;
    callHandlerBefore.emplace(ch, CallHandlerObjectID);
    ch.moveFirst();
    if (!ch.find(CallHandlerObjectID, handlerObjectId)) {
        m_prompts.msgBox(QStringLiteral("Error, could not find handler in database:") + handlerObjectId);
        return;
    }
    // Classifying a link moves rsCallHandler to its destination; every position starts back here.
    RecordsetPosition handler(ch, CallHandlerObjectID);
    const Variant handlerId = ch.field(CallHandlerObjectID);
    cache.rsMenuentry.setFilter(kParentObjectID, handlerId);
    cache.rsMessagingRule.setFilter(kParentObjectID, handlerId);
    const bool greetings = checked(m_options.ShowAfterGreetingLinks);
    const bool afterMessage = checked(m_options.ShowAfterMessageLinks);

    for (int k = 0; k <= kAfterMessage; ++k) {
        bool stop = false;
        rowStep(kExpandRowError, [&] {
            handler.restore();
            cache.rsMenuentry.moveFirst();
            if ((k >= kFirstGreeting && k < kAfterMessage && !greetings) || (k == kAfterMessage && !afterMessage))
                return;
            Link link;
            if (!readLink(k, handlerId, link))
                return;
            const Placement placement = classify(link);
            if (placement.stop) {
                stop = true;
                return;
            }
            if (placement.drop)
                return;
            if (!m_grid.canAddRows(opens(placement.type) ? 2 : 1)) {
                limitReached = stop = true;
                return;
            }
            insertAt = insertLinkRow(insertAt, level, k, placement);
        });
        if (stop)
            break;
    }
}

bool CallFlowTree::readLink(int position, const Variant& handlerId, Link& link)
{
    RecordsetCache& cache = m_state.cache;
    if (position < kFirstGreeting) {
        Recordset& menu = cache.rsMenuentry;
        if (!menu.find(kAlias, kChildAlias[size_t(position)])) {
            m_state.changeLog.LogChange(QStringLiteral("(error) Could not find menu entry referenced in database.  Missing menu#:")
                                        + QLatin1Char(' ') + QString::number(position));
            m_state.changeLog.LogChange(QStringLiteral("     Skipping this menu entry and moving to the next.  Please contact "
                                                       "Pellworth Labs support"));
            return false;
        }
        link = {menu.field(QStringLiteral("Action")), menu.field(QStringLiteral("DestinationObjectID")).textOrEmpty(),
                menu.field(QStringLiteral("ConversationName")).textOrEmpty()};
        menu.markShown(kDestinationColumns);
        return true;
    }
    if (position < kAfterMessage) {
        Recordset& rules = cache.rsMessagingRule;
        rules.setFilter(kParentObjectID, handlerId);
        if (rules.recordCount() == 0) {
            m_prompts.msgBox(
                QStringLiteral("Could not find any messaging rules for the selected call handler!  Contact QSD for help."));
            return false;
        }
        rules.moveFirst();
        if (!rules.find(kAlias, kGreetingAlias[size_t(position - kFirstGreeting)]))
            return false;
        link = {rules.field(QStringLiteral("Action")), rules.field(QStringLiteral("DestinationObjectID")).textOrEmpty(),
                rules.field(QStringLiteral("ConversationName")).textOrEmpty()};
        return true;
    }
    Recordset& ch = cache.rsCallHandler;
    link = {ch.field(QStringLiteral("AfterMessageAction")), ch.field(QStringLiteral("AfterMessageObjectID")).textOrEmpty(),
            ch.field(QStringLiteral("AfterMessageConversation")).textOrEmpty()};
    return true;
}

CallFlowTree::Placement CallFlowTree::classify(const Link& link)
{
    // A link without an action leads nowhere the tree can show; it is marked rather than guessed.
    if (link.action.isNull() || link.action.isEmpty())
        return Placement::invalid();

    const bool noLeafs = checked(m_options.ShowNoLeafs);
    const qint64 code = link.action.toInt64();
    const LinkKind* kind = code >= std::numeric_limits<qint16>::min() && code <= std::numeric_limits<qint16>::max()
                               ? findLinkKind(static_cast<qint16>(code), link.conversation)
                               : nullptr;
    Placement p;
    p.conversation = link.conversation;
    if (!kind && code == LinkAction::GoTo) {
        p.action = LinkAction::GoTo;
        m_prompts.msgBox(QStringLiteral("Error ExpandRow - Bad destionation conversation name"));
        return p;
    }
    if (!kind) {
        m_prompts.msgBox(QStringLiteral("Error in ExpandRow function - bad action value passed in"));
        p.stop = true;
        return p;
    }

    p.action = kind->action;
    const QString& x = link.destination;
    RecordsetCache& cache = m_state.cache;
    switch (kind->target) {
    case LinkTarget::None:
        p.drop = noLeafs || (kind->action == LinkAction::IgnoreKey && !checked(m_options.ShowIgnoreKey));
        return p;
    case LinkTarget::DirectoryHandler: {
        Recordset& nlh = cache.rsNameLookupHandler;
        nlh.moveFirst();
        if (nlh.find(QStringLiteral("NameLookupHandlerObjectID"), x)) {
            p.type = TreeNodeType::DirectoryHandler;
            p.objectId = x;
        } else {
            p = Placement::invalid();
        }
        p.drop = noLeafs;
        return p;
    }
    case LinkTarget::Interviewer: {
        if (noLeafs) {
            p.drop = true;
            return p;
        }
        Recordset& ih = cache.rsInterviewHandler;
        ih.moveFirst();
        if (!ih.find(QStringLiteral("InterviewHandlerObjectID"), x))
            return Placement::invalid();
        p.type = TreeNodeType::Interviewer;
        p.objectId = x;
        return p;
    }
    case LinkTarget::CallHandler: {
        Recordset& ch = cache.rsCallHandler;
        ch.moveFirst();
        if (!ch.find(CallHandlerObjectID, x))
            return Placement::invalid();
        if (isFlagSet(ch.field(QStringLiteral("IsPrimary")))) {
            Recordset& sub = cache.rsSubscriber;
            sub.moveFirst();
            if (!sub.find(QStringLiteral("SubscriberObjectID"), ch.field(QStringLiteral("RecipientObjectID"))))
                return Placement::invalid();
            p.type = TreeNodeType::Subscriber;
        } else {
            p.type = TreeNodeType::CallHandler;
        }
        p.objectId = x;
        return p;
    }
    }
    return p;
}

// Inserts the row of link `position` at `at` and returns the position after it and its placeholder.
int CallFlowTree::insertLinkRow(int at, int level, int position, const Placement& placement)
{
    if (!m_grid.insertRow(at, QStringLiteral("temp")))
        return at;
    m_grid.setRowHeight(at, kTreeRowHeightTwips);
    m_grid.setCellText(at, TreeColumn::ObjectID, placement.objectId);
    m_grid.setCellText(at, TreeColumn::ChildAlias, kChildAlias[size_t(position)]);
    m_grid.setCellData(at, TreeColumn::NodeType, Variant(int(placement.type)));
    m_grid.setCellData(at, TreeColumn::Action, Variant(int(placement.action)));
    m_grid.setIsNode(at, true);
    m_grid.setOutlineLevel(at, level);
    PopulateRowInfo(static_cast<qint16>(at), placement.action, placement.conversation);
    return m_grid.subtreeEnd(at);
}

void CallFlowTree::addPlaceholder(int row)
{
    if (!m_grid.insertRow(row + 1)) {
        tellRowLimit();
        return;
    }
    m_grid.setOutlineLevel(row + 1, m_grid.outlineLevel(row) + 1);
    m_grid.setIsNode(row + 1, true);
    m_grid.setCollapsed(row, true);
}

// ---- outline ------------------------------------------------------------------------------------

bool CallFlowTree::bIsAncestor(const QString& strObjectID, qint16 iRow)
{
    bool found = false;
    runStep(m_prompts, StepErrors(QStringLiteral("Error in bIsAncestor=")).except(OutlineGrid::InvalidIndex), [&] {
        OutlineGrid::Node node = m_grid.node(iRow);
        while (node.isValid() && !found) {
            found = m_grid.cellText(node.row(), TreeColumn::ObjectID).compare(strObjectID, Qt::CaseInsensitive) == 0;
            if (node.row() == 0)
                break;
            node = node.parent();
        }
    });
    return found;
}

void CallFlowTree::RemoveChildren(qint16 iRow)
{
    const QString prefix = QStringLiteral("Error in RemoveTreeBranch:");
    const int row = iRow;
    int children = 0;
    runStep(m_prompts, prefix, [&] { children = m_grid.childCount(row); });
    for (int i = 0; i < children; ++i) {
        runStep(m_prompts, prefix, [&] {
            int last = m_grid.firstChildRow(row);
            for (int next = last; next >= 0; next = m_grid.nextSiblingRow(next))
                last = next;
            if (last >= 0)
                m_grid.removeSubtree(last);
        });
    }
}

void CallFlowTree::ClearTree()
{
    m_grid.setRowCount(0);
}

bool CallFlowTree::isPlaceholder(int row) const
{
    return row > 0 && m_grid.cellText(row, TreeColumn::Main).isEmpty() && m_grid.parentRow(row) == row - 1;
}
