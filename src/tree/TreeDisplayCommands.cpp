#include "tree/TreeDisplayCommands.h"

#include "data/SharedState.h"
#include "dialogs/DialogOperations.h"
#include "runtime/ErrorHandling.h"
#include "runtime/SlotGuard.h"
#include "tree/CacheFields.h"
#include "tree/CallFlowTree.h"
#include "tree/TreeRowModel.h"
#include "widgets/OutlineGrid.h"

#include <QAction>
#include <QElapsedTimer>
#include <QProgressDialog>

namespace {

// The progress dialog of expand all. It appears only when the walk takes a while, and it lets
// pending events run only as often as it repaints, which is what makes Cancel reachable; being
// modal, it lets no other command start meanwhile.
class ExpandAllProgressDialog : public ExpandAllProgress {
public:
    explicit ExpandAllProgressDialog(QWidget* parent)
        : m_dialog(QStringLiteral("Expanding all nodes..."), QStringLiteral("Cancel"), 0, 1, parent)
    {
        m_dialog.setObjectName(QStringLiteral("ExpandAllProgress"));
        m_dialog.setWindowTitle(QStringLiteral("Expand all nodes"));
        m_dialog.setWindowModality(Qt::WindowModal);
        m_dialog.setAutoReset(false);
        m_dialog.setAutoClose(false);
        m_dialog.setMinimumDuration(500);
        m_dialog.setValue(0);
        m_sinceUpdate.start();
    }

    bool update(int walked, int rows) override
    {
        if (m_sinceUpdate.elapsed() >= 100) {
            m_sinceUpdate.restart();
            m_dialog.setMaximum(std::max(rows, 1));
            m_dialog.setLabelText(QStringLiteral("Expanding all nodes: %1 of %2 rows").arg(walked).arg(rows));
            m_dialog.setValue(std::min(walked, rows));
        }
        return !m_dialog.wasCanceled();
    }

private:
    QProgressDialog m_dialog;
    QElapsedTimer m_sinceUpdate;
};

bool canBeTreeRoot(qint16 nodeType)
{
    using namespace TreeNodeType;
    return nodeType == Subscriber || nodeType == CallHandler || nodeType == DuplicateHandler || nodeType == DuplicateSubscriber;
}

} // namespace

TreeDisplayCommands::TreeDisplayCommands(SharedState& state, OutlineGrid& grid, CallFlowTree& tree)
    : m_state(state),
      m_grid(grid),
      m_tree(tree)
{
    m_progress = [this] { return std::make_unique<ExpandAllProgressDialog>(m_progressParent.data()); };
}

TreeDisplayCommands::~TreeDisplayCommands() = default;

void TreeDisplayCommands::connectTo(const TreeCommandItems& items, TreeSelection* selection, ObjectListOperations* objectList,
                                    TreeWindow* window, DialogOperations* dialogs, QWidget* progressParent)
{
    m_items = items;
    m_selection = selection;
    m_objectList = objectList;
    m_window = window;
    m_dialogs = dialogs;
    m_progressParent = progressParent;

    UserPrompts& prompts = m_state.prompts;
    auto wire = [&](QAction* item, void (TreeDisplayCommands::*handler)()) {
        if (item)
            connectGuarded(prompts, item, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    };
    wire(items.ShowIgnoreKey, &TreeDisplayCommands::ShowIgnoreKey_Click);
    wire(items.ShowNoLeafs, &TreeDisplayCommands::ShowNoLeafs_Click);
    wire(items.ShowAfterMessageLinks, &TreeDisplayCommands::ShowAfterMessageLinks_Click);
    wire(items.ShowAfterGreetingLinks, &TreeDisplayCommands::ShowAfterGreetingLinks_Click);
    wire(items.ExpandAllNodes, &TreeDisplayCommands::ExpandAllNodes_Click);
    wire(items.CollapseNodes, &TreeDisplayCommands::CollapseNodes_Click);
    wire(items.RefreshDatabase, &TreeDisplayCommands::RefreshDatabase_Click);
    wire(items.SearchForSubscriber, &TreeDisplayCommands::SearchForSubscriber_Click);
    wire(items.CreateNewCallHandler, &TreeDisplayCommands::CreateNewCallHandler_Click);
}

QString TreeDisplayCommands::expandAllLimitMessage()
{
    return QStringLiteral("The tree cannot hold more than %1 rows, so not every branch could be expanded.  "
                          "The branches still closed have not been built; start the tree at one of their objects to see them.")
        .arg(OutlineGrid::MaxRows);
}

void TreeDisplayCommands::rebuild()
{
    m_tree.ClearTree();
    m_tree.AddNewNode(m_tree.TreeRootObjectID(), m_tree.TreeRootNodeType());
}

void TreeDisplayCommands::showNewRoot()
{
    // A root that could not be built leaves the tree empty; there is no row to show then.
    if (m_grid.rowCount() > 0)
        m_grid.setRow(0);
    if (m_selection)
        m_selection->ATTree_AfterRowColChange(0, 0, 0, 1);
    if (m_window)
        m_window->ShowTreeTab();
}

// ---- display options ---------------------------------------------------------------------------

void TreeDisplayCommands::ShowIgnoreKey_Click()
{
    rebuild();
}

void TreeDisplayCommands::ShowNoLeafs_Click()
{
    // While leaves are removed the Ignore Key option is not consulted; it keeps its check mark.
    if (m_items.ShowIgnoreKey && m_items.ShowNoLeafs)
        m_items.ShowIgnoreKey->setEnabled(!m_items.ShowNoLeafs->isChecked());
    rebuild();
}

void TreeDisplayCommands::ShowAfterMessageLinks_Click()
{
    rebuild();
}

void TreeDisplayCommands::ShowAfterGreetingLinks_Click()
{
    rebuild();
}

// ---- expand and collapse -----------------------------------------------------------------------

void TreeDisplayCommands::ExpandAllNodes_Click()
{
    const StepErrors errors(QStringLiteral("Error in ExpandAllNodes="));
    bool limitReached = false;
    {
        // Whatever happens on the way, the flag, the pointer and the drawing come back.
        struct Restore {
            TreeDisplayCommands& c;
            ~Restore()
            {
                if (c.m_window)
                    c.m_window->setBusy(false);
                c.m_tree.setExpandAllInProgress(false);
            }
        } restore{*this};
        m_tree.setExpandAllInProgress(true);
        if (m_window)
            m_window->setBusy(true);
        const OutlineGrid::RedrawOff redrawOff(m_grid);
        std::unique_ptr<ExpandAllProgress> progress = m_progress ? m_progress() : nullptr;

        // Depth first: after a row is built, the walk goes on with its first new child. Rows
        // built before are passed, so a row the user closed stays closed. Duplicate rows have
        // no placeholder, so cycles end. A shared sub-flow is built again under every parent,
        // which can outgrow the tree: the walk stops before an opening that might not fit,
        // so every opened row holds all its links and every other one its placeholder.
        for (int r = 1; r < m_grid.rowCount() - 1; ++r) {
            bool stop = false;
            runStep(m_state.prompts, errors, [&] {
                if (!m_grid.isNode(r) || !m_grid.cellText(r + 1, TreeColumn::Main).isEmpty())
                    return;
                if (!m_grid.canAddRows(CallFlowTree::MostRowsOfOneExpansion - 1)) {
                    limitReached = stop = true;
                    return;
                }
                m_grid.removeSubtree(r + 1);
                m_tree.ExpandRow(static_cast<qint16>(r));
                m_grid.setCollapsed(r, false);
            });
            if (stop || (progress && !progress->update(r, m_grid.rowCount())))
                break;
        }
    }
    runStep(m_state.prompts, errors, [&] {
        if (m_grid.rowCount() > 0)
            m_grid.setRow(0);
    });
    if (limitReached)
        m_state.prompts.msgBox(expandAllLimitMessage());
}

void TreeDisplayCommands::CollapseNodes_Click()
{
    rebuild();
    if (m_grid.rowCount() > 0)
        m_grid.setRow(0);
}

// ---- refresh and re-rooting --------------------------------------------------------------------

void TreeDisplayCommands::RefreshDatabase_Click()
{
    m_state.cache.RequeryAllRecordsets();
    if (m_objectList)
        m_objectList->LoadGridView();
    rebuild();
}

void TreeDisplayCommands::PopUpSetAsTreeRoot_Click()
{
    runStep(m_state.prompts, StepErrors(QStringLiteral("Error in PopUpSetAsTreeRoot function:")), [&] {
        const int row = m_grid.row();
        const qint16 type = m_grid.cellData(row, TreeColumn::NodeType).toInt16();
        if (!canBeTreeRoot(type)) {
            m_state.prompts.msgBox(QStringLiteral("Error! That object cannot be used as the tree root."));
            return;
        }
        const QString id = m_grid.cellText(row, TreeColumn::ObjectID);
        RecordsetCache& cache = m_state.cache;
        cache.RequeryAllRecordsets();
        cache.rsCallHandler.moveFirst();
        if (!cache.rsCallHandler.find(CacheFields::CallHandlerObjectID, id)) {
            m_state.prompts.msgBox(QStringLiteral("Error!  Could not find object in database:") + id);
            return;
        }
        // A duplicate row becomes a normal root: the handler decides the kind.
        m_tree.ClearTree();
        m_tree.AddNewNode(id, type);
    });
}

void TreeDisplayCommands::CreateNewCallHandler_Click()
{
    if (!m_dialogs)
        return;
    const StepErrors errors(QStringLiteral("Error in CreateNewCallHandler_click:"));
    auto step = [&](auto&& body) { return runStep(m_state.prompts, errors, body); };
    RecordsetCache& cache = m_state.cache;

    step([&] { cache.RequeryAllRecordsets(); });
    DialogOperations::GetCallHandlerResult dialog;
    step([&] { dialog = m_dialogs->frmMakeNewCallHandler(DialogOperations::GetCallHandlerTab::AsTheDialogHasIt); });
    if (dialog.bCancel)
        return;
    const QString id = dialog.strObjectID;
    // A handler may just have been created.
    step([&] { cache.RequeryAllRecordsets(); });
    if (m_objectList)
        step([&] { m_objectList->LoadGridView(); });
    bool found = false;
    step([&] {
        cache.rsCallHandler.moveFirst();
        found = cache.rsCallHandler.find(CacheFields::CallHandlerObjectID, id);
    });
    if (!found) {
        m_state.prompts.msgBox(QStringLiteral("Error in CreateNewCallHandler_Click: Unable to find call handler by object ID=")
                               + id);
        return;
    }
    step([&] { m_tree.ClearTree(); });
    step([&] { m_tree.AddNewNode(id, TreeNodeType::CallHandler); });
    step([&] { showNewRoot(); });
}

void TreeDisplayCommands::SearchForSubscriber_Click()
{
    if (!m_dialogs)
        return;
    RecordsetCache& cache = m_state.cache;
    cache.RequeryAllRecordsets();
    const DialogOperations::SubscriberSearchResult search = m_dialogs->frmSubscriberSearch();
    // Closing the search by its frame counts as Cancel, so no empty id is ever looked up.
    if (search.bCancelHit)
        return;
    const QString id = search.strObjectID;
    cache.rsCallHandler.moveFirst();
    if (!cache.rsCallHandler.find(CacheFields::CallHandlerObjectID, id)) {
        m_state.prompts.msgBox(QStringLiteral("Error, could not find subscirber handler:") + id);
        return;
    }
    m_tree.ClearTree();
    m_tree.AddNewNode(id, TreeNodeType::Subscriber);
    showNewRoot();
}
