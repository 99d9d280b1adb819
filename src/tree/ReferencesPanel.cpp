#include "tree/ReferencesPanel.h"

#include "data/SharedState.h"
#include "db/Connection.h"
#include "db/Query.h"
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
#include <optional>

namespace {

const QString kIdKey = QStringLiteral("CallHandlerObjectID");

// The handlers that lead to ?1 through a key, a greeting or the after-message action. A handler
// counts only when it has at least one key and one greeting: the panel lists handlers joined with
// their keys and their greetings.
const QString kLeadingHandlers =
    QStringLiteral("SELECT ParentObjectID FROM MenuEntry WHERE DestinationObjectID = ?1 "
                   "UNION SELECT ParentObjectID FROM MessagingRule WHERE DestinationObjectID = ?1 "
                   "UNION SELECT CallHandlerObjectID FROM CallHandler WHERE AfterMessageObjectID = ?1");
const QString kHasKeysAndGreetings =
    QStringLiteral("EXISTS (SELECT 1 FROM MenuEntry m WHERE m.ParentObjectID = c.CallHandlerObjectID) "
                   "AND EXISTS (SELECT 1 FROM MessagingRule r WHERE r.ParentObjectID = c.CallHandlerObjectID) ");

// Steps whose errors the load shows (all but invalid use of Null) and goes on after.
StepErrors loadErrors()
{
    return StepErrors(QStringLiteral("Error in Load References Info procedure: Description="))
        .except(ErrorNumber::InvalidUseOfNull);
}

} // namespace

const QString& ReferencesPanel::subscriberQuery()
{
    // Every lookup goes through an index: the links by destination, the subscriber by its exit.
    static const QString query =
        QStringLiteral("SELECT s.Alias, s.DisplayName, c.DtmfAccessId, s.FirstName, s.LastName, c.CallHandlerObjectId "
                       "FROM vw_CallHandler c INNER JOIN vw_Subscriber s ON c.CallHandlerObjectId = s.CallHandlerObjectId "
                       "WHERE (c.CallHandlerObjectID IN (%1) OR s.SubscriberObjectID IN (SELECT SubscriberObjectID FROM Subscriber "
                       "WHERE ExitObjectID = ?1)) AND (s.SubscriberType = 1 OR s.SubscriberType = 3) AND %2"
                       "ORDER BY s.Alias")
            .arg(kLeadingHandlers, kHasKeysAndGreetings);
    return query;
}

const QString& ReferencesPanel::callHandlerQuery()
{
    static const QString query = QStringLiteral("SELECT c.Alias, c.TextName, c.DtmfAccessId, c.CallHandlerObjectId "
                                                "FROM vw_CallHandler c WHERE c.CallHandlerObjectID IN (%1) AND c.IsPrimary <> 1 "
                                                "AND %2ORDER BY c.Alias")
                                     .arg(kLeadingHandlers, kHasKeysAndGreetings);
    return query;
}

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
    if (m_state.ExpandAllInProgress)
        return;
    if (m_showReferences && !m_showReferences->isChecked())
        return;
    const StepErrors errors = loadErrors();
    auto step = [&](auto&& body) { runStep(m_state.prompts, errors, body); };

    step([&] { ClearReferences(); });
    letPaintEventsRun();
    if (iNodeType == TreeNodeType::DirectoryHandler || iNodeType == TreeNodeType::Leaf || iNodeType == TreeNodeType::InvalidLink)
        return;
    gridCallHandlerReferences->setUpdatesEnabled(false);
    gridSubscriberReferences->setUpdatesEnabled(false);

    struct Grid {
        BoundGrid* grid;
        const QString& query;
        QStringList captions;
    };
    const Grid grids[] = {
        {gridSubscriberReferences,
         subscriberQuery(),
         {QStringLiteral("Alias"), QStringLiteral("Display Name"), QStringLiteral("Extension"), QStringLiteral("First Name"),
          QStringLiteral("Last Name")}},
        {gridCallHandlerReferences,
         callHandlerQuery(),
         {QStringLiteral("Alias"), QStringLiteral("Display Name"), QStringLiteral("Extension")}},
    };
    for (const Grid& g : grids) {
        // The result is read whole and the connection let go at once, so nothing stays open
        // that a later load would have to close.
        std::optional<QueryResult> result;
        step([&] {
            auto connection = m_state.connections.open(m_state.ConnectionString);
            result = runQuery(connection->db(), g.query, {Variant(strObjectID)});
        });
        step([&] {
            if (!result)
                throwError(ErrorNumber::ObjectClosed, QStringLiteral("Operation is not allowed when the object is closed."));
            g.grid->rows().bind(result->columns, std::move(result->rows));
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
