#include "tree/ReferencesPanel.h"

#include "data/ObjectReferences.h"
#include "data/SharedState.h"
#include "runtime/ErrorHandling.h"
#include "runtime/SlotGuard.h"
#include "tree/TreeRowModel.h"
#include "widgets/BoundGrid.h"
#include "widgets/Named.h"
#include "widgets/OutlineGrid.h"
#include "widgets/PendingEvents.h"
#include "widgets/Twips.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>

namespace {

const QString kIdKey = QStringLiteral("CallHandlerObjectID");

// Steps whose errors the load shows (all but invalid use of Null) and goes on after.
StepErrors loadErrors()
{
    return StepErrors(QStringLiteral("Error in Load References Info procedure: Description="))
        .except(ErrorNumber::InvalidUseOfNull);
}

} // namespace

ReferencesPanel::ReferencesPanel(SharedState& state, OutlineGrid& treeGrid, QWidget* parent)
    : QGroupBox(QStringLiteral("References to this object"), parent),
      m_state(state),
      m_treeGrid(treeGrid)
{
    setObjectName(QStringLiteral("frameLinks"));
    lblSubscriberReferences = named(new QLabel(QStringLiteral("Subscribers"), this), "lblSubscriberReferences");
    Twips::place(lblSubscriberReferences, 120, 240, 915, 195);
    gridSubscriberReferences = named(new BoundGrid(this), "gridSubscriberReferences");
    Twips::place(gridSubscriberReferences, 60, 480, 6465, 1515);
    lblCallHandlerReferences = named(new QLabel(QStringLiteral("Call Handlers"), this), "lblCallHandlerReferences");
    Twips::place(lblCallHandlerReferences, 60, 2040, 1095, 195);
    gridCallHandlerReferences = named(new BoundGrid(this), "gridCallHandlerReferences");
    Twips::place(gridCallHandlerReferences, 60, 2280, 6465, 1515);
    // A face wider than the one the panes were measured for still shows the whole caption.
    for (QLabel* label : {lblSubscriberReferences, lblCallHandlerReferences})
        label->resize(label->size().expandedTo(label->sizeHint()));
    lblSubscriberReferences->setBuddy(gridSubscriberReferences);
    lblCallHandlerReferences->setBuddy(gridCallHandlerReferences);

    connectGuarded(m_state.prompts, gridSubscriberReferences, &BoundGrid::dataRowDoubleClicked, this,
                   [this] { gridSubscriberReferences_DblClick(); });
    connectGuarded(m_state.prompts, gridCallHandlerReferences, &BoundGrid::dataRowDoubleClicked, this,
                   [this] { gridCallHandlerReferences_DblClick(); });
}

void ReferencesPanel::connectTo(QAction* showReferences, TreeOperations* tree, TreeWindow* window)
{
    m_showReferences = showReferences;
    m_tree = tree;
    m_window = window;
    if (showReferences)
        connectGuarded(m_state.prompts, showReferences, &QAction::triggered, this, [this] { ShowReferences_Click(); });
}

void ReferencesPanel::ClearReferences()
{
    gridCallHandlerReferences->rows().clearRows();
    gridSubscriberReferences->rows().clearRows();
}

void ReferencesPanel::LoadReferencesInfo(const QString& strObjectID, qint16 iNodeType)
{
    if (m_tree && m_tree->ExpandAllInProgress())
        return;
    if (m_showReferences && !m_showReferences->isChecked())
        return;
    if (m_deferring) {
        ClearReferences();
        m_deferred = Load{strObjectID, iNodeType};
        return;
    }
    m_deferred.reset(); // this load shows what a held one would have
    const StepErrors errors = loadErrors();
    auto step = [&](auto&& body) { runStep(m_state.prompts, errors, body); };

    step([&] { ClearReferences(); });
    letPaintEventsRun();
    if (iNodeType == TreeNodeType::DirectoryHandler || iNodeType == TreeNodeType::Leaf || iNodeType == TreeNodeType::InvalidLink)
        return;
    gridCallHandlerReferences->setUpdatesEnabled(false);
    gridSubscriberReferences->setUpdatesEnabled(false);

    // Worked out from the rows the cache holds, which the row change has just read again.
    ReferenceFinder references(m_state.cache, strObjectID);
    struct Grid {
        BoundGrid* grid;
        TextTable (ReferenceFinder::*rows)();
        QStringList captions;
    };
    const Grid grids[] = {
        {gridSubscriberReferences,
         &ReferenceFinder::subscribers,
         {QStringLiteral("Alias"), QStringLiteral("Display Name"), QStringLiteral("Extension"), QStringLiteral("First Name"),
          QStringLiteral("Last Name")}},
        {gridCallHandlerReferences,
         &ReferenceFinder::callHandlers,
         {QStringLiteral("Alias"), QStringLiteral("Display Name"), QStringLiteral("Extension")}},
    };
    for (const Grid& g : grids) {
        step([&] {
            TextTable result = (references.*g.rows)();
            g.grid->rows().bind(std::move(result));
        });
        letPaintEventsRun();
        step([&] {
            BoundGridModel& rows = g.grid->rows();
            const int idColumn = int(g.captions.size()) + 1;
            for (int c = 0; c < g.captions.size(); ++c)
                rows.setCaption(c + 1, g.captions[c]);
            g.grid->setColumnHidden(0, true);
            g.grid->setColumnHidden(idColumn, true);
            rows.setKey(idColumn, kIdKey);
        });
    }
    gridCallHandlerReferences->setUpdatesEnabled(true);
    gridSubscriberReferences->setUpdatesEnabled(true);
}

void ReferencesPanel::DeferLoadsDuring(const std::function<void()>& body)
{
    m_deferring = true;
    try {
        body();
    } catch (...) {
        m_deferring = false;
        throw;
    }
    m_deferring = false;
    if (m_deferred)
        update();
}

void ReferencesPanel::paintEvent(QPaintEvent* event)
{
    QGroupBox::paintEvent(event);
    // Not inside the paint: once it is done, with the window on screen.
    if (m_deferred && !m_deferredQueued) {
        m_deferredQueued = true;
        QMetaObject::invokeMethod(
            this, [this] { guarded(m_state.prompts, [this] { loadDeferred(); }); }, Qt::QueuedConnection);
    }
}

void ReferencesPanel::loadDeferred()
{
    m_deferredQueued = false;
    if (!m_deferred)
        return;
    const Load load = *m_deferred;
    m_deferred.reset();
    TreeWindowBusy busy(m_window);
    LoadReferencesInfo(load.objectId, load.nodeType);
}

void ReferencesPanel::ShowReferences_Click()
{
    // The item checks itself when triggered: checked now means it was off before.
    if (!m_showReferences || !m_showReferences->isChecked()) {
        gridSubscriberReferences->rows().clearRows();
        gridCallHandlerReferences->rows().clearRows();
        return;
    }
    if (m_window)
        m_window->setBusy(true);
    const int row = m_treeGrid.row();
    if (row >= 0)
        LoadReferencesInfo(m_treeGrid.cellText(row, TreeColumn::ObjectID),
                           m_treeGrid.cellData(row, TreeColumn::NodeType).toInt16());
    if (m_window)
        m_window->setBusy(false);
}

void ReferencesPanel::startTreeAt(BoundGrid* grid, qint16 nodeType)
{
    if (grid->rows().rowCount() == 0 || grid->currentDataRow() < 0 || !m_tree)
        return;
    const QString id = grid->currentValue(kIdKey).textOrEmpty();
    m_tree->ClearTree();
    m_tree->AddNewNode(id, nodeType);
    if (m_window)
        m_window->ShowTreeTab();
}

void ReferencesPanel::gridCallHandlerReferences_DblClick()
{
    startTreeAt(gridCallHandlerReferences, TreeNodeType::CallHandler);
}

void ReferencesPanel::gridSubscriberReferences_DblClick()
{
    startTreeAt(gridSubscriberReferences, TreeNodeType::Subscriber);
}
