#include "tree/ObjectListPage.h"

#include "data/SharedState.h"
#include "db/Query.h"
#include "dialogs/DialogOperations.h"
#include "pane/PaneOperations.h"
#include "runtime/ErrorHandling.h"
#include "runtime/SlotGuard.h"
#include "tree/CacheFields.h"
#include "tree/TreeRowModel.h"
#include "widgets/BoundGrid.h"
#include "widgets/Named.h"
#include "widgets/Twips.h"

#include <QComboBox>
#include <QHeaderView>
#include <QMenu>
#include <QScopedValueRollback>
#include <optional>

namespace {

const QString kParentObjectID = QStringLiteral("ParentObjectID");

} // namespace

QString ObjectListPage::listQuery(int listKind)
{
    switch (listKind) {
    case CallHandlers:
        return QStringLiteral("SELECT Alias, TextName as 'Display Name', DTMFAccessID as Extension, CallHandlerObjectID "
                              "FROM vw_CallHandler WHERE IsPrimary=0 ORDER BY Alias");
    case Subscribers:
        return QStringLiteral(
            "SELECT vw_subscriber.Alias, vw_subscriber.DisplayName as 'Display Name', vw_callhandler.DTMFAccessID as Extension, "
            "vw_callhandler.alias as Junk, vw_subscriber.FirstName as 'First Name', vw_subscriber.LastName as 'Last Name', "
            "vw_subscriber.SubscriberObjectID, vw_callhandler.callHandlerObjectID FROM vw_Subscriber INNER JOIN vw_CallHandler "
            "ON vw_Subscriber.CallHandlerObjectID=vw_CallHandler.CallHandlerObjectID WHERE vw_Subscriber.SubscriberType IN (1,3) "
            "ORDER BY vw_Subscriber.Alias");
    case InterviewHandlers:
        return QStringLiteral("SELECT Alias, TextName as 'Display Name', DTMFAccessID as Extension, InterviewHandlerObjectID "
                              "FROM vw_InterviewHandler ORDER BY Alias");
    case DirectoryHandlers:
        return QStringLiteral("SELECT Alias, TextName as 'Display Name', DTMFAccessID as Extension, NameLookupHandlerObjectID "
                              "FROM vw_NameLookupHandler ORDER BY Alias");
    default:
        return QString();
    }
}

const ObjectListPage::Key* ObjectListPage::keyOf(int listKind)
{
    static const Key keys[] = {
        {4, TreeNodeType::CallHandler},
        {8, TreeNodeType::Subscriber}, // the subscriber's own call handler
        {4, TreeNodeType::Interviewer},
        {4, TreeNodeType::DirectoryHandler},
    };
    return listKind >= 0 && listKind < int(std::size(keys)) ? &keys[listKind] : nullptr;
}

ObjectListPage::ObjectListPage(SharedState& state, QWidget* parent)
    : QWidget(parent),
      m_state(state)
{
    cmbShowObjectType = named(new QComboBox(this), "cmbShowObjectType");
    cmbShowObjectType->addItems({QStringLiteral("Call Handlers"), QStringLiteral("Subscribers"),
                                 QStringLiteral("Interview Handlers"), QStringLiteral("Directory Handlers")});
    cmbShowObjectType->setCurrentIndex(-1);
    cmbShowObjectType->setAccessibleName(QStringLiteral("Object type"));
    Twips::place(cmbShowObjectType, 50, 660, 3315, 315);
    gridObjects = named(new BoundGrid(this), "gridObjects");
    gridObjects->setAccessibleName(QStringLiteral("Objects"));
    Twips::place(gridObjects, 50, 1140, 4875, 6375);
    gridObjects->keepColumnsHidden({0, 4, 7, 8});
    gridObjects->horizontalHeader()->setSectionsMovable(false);
    gridObjects->setRightClickKeepsCurrentRow(true);

    // Popup menus of the window that never show in its menu bar.
    GridHandlerPopUpMenu = named(new QMenu(this), "GridHandlerPopUpMenu");
    gridHandlerSetAsNewTreeRoot =
        named(GridHandlerPopUpMenu->addAction(QStringLiteral("Set as New Tree Root")), "gridHandlerSetAsNewTreeRoot");
    gridHandlerCreateNewHandler =
        named(GridHandlerPopUpMenu->addAction(QStringLiteral("Create a new call handler")), "gridHandlerCreateNewHandler");
    gridSubscriberPopUpMenu = named(new QMenu(this), "gridSubscriberPopUpMenu");
    gridSubscriberSetAsNewTreeRoot =
        named(gridSubscriberPopUpMenu->addAction(QStringLiteral("Set as New Tree Root")), "gridSubscriberSetAsNewTreeRoot");

    UserPrompts& prompts = m_state.prompts;
    connectGuarded(prompts, cmbShowObjectType, &QComboBox::currentIndexChanged, this, [this] { cmbShowObjectType_Click(); });
    connectGuarded(prompts, gridObjects->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                   [this](const QModelIndex& current, const QModelIndex&) {
                       if (!current.isValid())
                           return;
                       rememberEntry();
                       // The entry put back after a reload or a sort is shown already.
                       if (!m_puttingEntryBack)
                           gridObjects_RowColChange();
                   });
    connectGuarded(prompts, gridObjects, &BoundGrid::sortedByUser, this, [this] { putEntryBack(); });
    connectGuarded(prompts, gridObjects, &BoundGrid::gotFocus, this, [this] { gridObjects_GotFocus(); });
    connectGuarded(prompts, gridObjects, &BoundGrid::gridDblClick, this, [this] { gridObjects_DblClick(); });
    connectGuarded(prompts, gridObjects, &BoundGrid::gridMouseDown, this,
                   [this](Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPoint& pos) {
                       gridObjects_MouseDown(button, modifiers, pos);
                   });
    connectGuarded(prompts, gridHandlerSetAsNewTreeRoot, &QAction::triggered, this,
                   [this] { gridHandlerSetAsNewTreeRoot_Click(); });
    connectGuarded(prompts, gridSubscriberSetAsNewTreeRoot, &QAction::triggered, this,
                   [this] { gridSubscriberSetAsNewTreeRoot_Click(); });
    connectGuarded(prompts, gridHandlerCreateNewHandler, &QAction::triggered, this,
                   [this] { gridHandlerCreateNewHandler_Click(); });
}

void ObjectListPage::connectTo(TreeOperations* tree, PaneOperations* pane, ReferencesOperations* references, TreeWindow* window,
                               DialogOperations* dialogs)
{
    m_tree = tree;
    m_pane = pane;
    m_references = references;
    m_window = window;
    m_dialogs = dialogs;
}

ObjectListPage::~ObjectListPage() = default;

void ObjectListPage::readListAhead(int index)
{
    readListAhead(index, QueryReadAhead::onThreadOfItsOwn);
}

void ObjectListPage::readListAhead(int index, QueryReadAhead::Launch launch)
{
    const QString query = listQuery(index);
    m_readAhead.reset();
    if (query.isEmpty())
        return;
    m_readAhead = std::make_unique<QueryReadAhead>(m_state.connections, m_state.ConnectionString, query, launch);
    m_readAheadKind = index;
}

void ObjectListPage::ChooseObjectType(int index)
{
    cmbShowObjectType->setCurrentIndex(index);
}

void ObjectListPage::cmbShowObjectType_Click()
{
    // Another kind's list starts without an entry.
    m_entry = {};
    LoadGridView();
}

void ObjectListPage::LoadGridView()
{
    m_state.cache.RequeryAllRecordsets();
    gridObjects->setUpdatesEnabled(false);
    // Error 3704 (a closed result) is what every step after a failed query would report.
    const StepErrors errors = StepErrors(QStringLiteral("Error in LoadGridView:")).except(ErrorNumber::ObjectClosed);
    const QString query = listQuery(cmbShowObjectType->currentIndex());
    // The rows are read whole and the connection let go at once; a query that fails leaves
    // the list empty.
    std::optional<QueryResult> result;
    std::optional<TextTable> readAhead;
    if (!query.isEmpty())
        runStep(m_state.prompts, errors, [&] {
            auto connection = m_state.connections.open(m_state.ConnectionString);
            if (m_readAhead && m_readAheadKind == cmbShowObjectType->currentIndex())
                readAhead = m_readAhead->cachedRowsIfCurrent(connection->db());
            if (!readAhead) {
                m_readAhead.reset(); // out of date, or of another kind
                result = runQuery(connection->db(), query);
            }
        });
    runStep(m_state.prompts, errors, [&] {
        if (readAhead)
            gridObjects->rows().bind(std::move(*readAhead));
        else if (result)
            gridObjects->rows().bind(result->columns, std::move(result->rows));
        else
            gridObjects->rows().clearRows();
    });
    putEntryBack();
    gridObjects->setUpdatesEnabled(true);
    gridObjects->viewport()->update();
}

QString ObjectListPage::currentId(int idColumn) const
{
    const int row = gridObjects->currentDataRow();
    return row < 0 ? QString() : gridObjects->rows().cell(row, idColumn).textOrEmpty();
}

int ObjectListPage::rowOf(int idColumn, const QString& id) const
{
    const BoundGridModel& rows = gridObjects->rows();
    for (int r = 0; r < rows.rowCount(); ++r)
        if (rows.cell(r, idColumn).textOrEmpty().compare(id, Qt::CaseInsensitive) == 0)
            return r;
    return -1;
}

void ObjectListPage::rememberEntry()
{
    const int kind = cmbShowObjectType->currentIndex();
    if (const Key* key = keyOf(kind))
        m_entry = {kind, currentId(key->idColumn)};
}

void ObjectListPage::putEntryBack()
{
    // A reload or a sort keeps the entry the administrator made current; it is not shown again,
    // as a reload often comes in the middle of an edit of that very object.
    const int kind = cmbShowObjectType->currentIndex();
    const Key* key = keyOf(kind);
    if (!key || kind != m_entry.kind || m_entry.id.isEmpty())
        return;
    const int row = rowOf(key->idColumn, m_entry.id);
    if (row < 0)
        return;
    const QScopedValueRollback puttingBack(m_puttingEntryBack, true);
    gridObjects->setCurrentDataRow(row);
}

void ObjectListPage::gridObjects_RowColChange()
{
    TreeWindowBusy busy(m_window);
    const Key* key = keyOf(cmbShowObjectType->currentIndex());
    if (!key)
        return;
    if (m_pane) {
        m_pane->ShowNodeTypeTab(key->nodeType);
        m_pane->LoadTabInfo(currentId(key->idColumn), key->nodeType);
    }
    if (m_references)
        m_references->LoadReferencesInfo(currentId(key->idColumn), key->nodeType);
}

void ObjectListPage::gridObjects_GotFocus()
{
    if (gridObjects->currentDataRow() >= 0)
        gridObjects_RowColChange();
}

void ObjectListPage::startTreeAt(int idColumn, qint16 nodeType)
{
    // The command acts on the current entry; with none there is nothing to start from, and the
    // tree stays as it is.
    const QString id = currentId(idColumn);
    if (id.isEmpty() || !m_tree)
        return;
    m_tree->ClearTree();
    m_tree->AddNewNode(id, nodeType); // leaves row 0 current
    if (m_window)
        m_window->ShowTreeTab();
}

void ObjectListPage::gridObjects_DblClick()
{
    switch (cmbShowObjectType->currentIndex()) {
    case Subscribers:
        startTreeAt(keyOf(Subscribers)->idColumn, TreeNodeType::Subscriber);
        break;
    case CallHandlers:
        startTreeAt(keyOf(CallHandlers)->idColumn, TreeNodeType::CallHandler);
        break;
    default:
        break;
    }
}

void ObjectListPage::gridObjects_MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers, const QPoint& globalPos)
{
    if (Button != Qt::RightButton)
        return;
    switch (cmbShowObjectType->currentIndex()) {
    case CallHandlers:
        GridHandlerPopUpMenu->popup(globalPos);
        break;
    case Subscribers:
        gridSubscriberPopUpMenu->popup(globalPos);
        break;
    default:
        break;
    }
}

void ObjectListPage::gridHandlerSetAsNewTreeRoot_Click()
{
    m_state.cache.RequeryAllRecordsets();
    startTreeAt(keyOf(CallHandlers)->idColumn, TreeNodeType::CallHandler);
}

void ObjectListPage::gridSubscriberSetAsNewTreeRoot_Click()
{
    m_state.cache.RequeryAllRecordsets();
    startTreeAt(keyOf(Subscribers)->idColumn, TreeNodeType::Subscriber);
}

void ObjectListPage::gridHandlerCreateNewHandler_Click()
{
    if (!m_dialogs)
        return;
    const StepErrors errors(QStringLiteral("Error in LinkCreateNewCallHandler_click: "));
    auto step = [&](auto&& body) { return runStep(m_state.prompts, errors, body); };
    RecordsetCache& cache = m_state.cache;
    Recordset& ch = cache.rsCallHandler;

    // The handler the pane or the tree stood on last is put back after the dialog.
    QString remembered;
    step([&] { remembered = ch.field(CacheFields::CallHandlerObjectID).toText(); });
    step([&] { cache.RequeryAllRecordsets(); });
    DialogOperations::GetCallHandlerResult dialog;
    step([&] { dialog = m_dialogs->frmMakeNewCallHandler(DialogOperations::GetCallHandlerTab::CreateNewHandler); });
    if (dialog.bCancel)
        return;
    const QString newId = dialog.strObjectID;
    step([&] { cache.RequeryAllRecordsets(); });
    step([&] { LoadGridView(); });

    step([&] {
        cache.rsMenuentry.clearFilter();
        cache.rsContactRule.clearFilter();
        cache.rsMessagingRule.clearFilter();
        ch.clearFilter();
    });
    bool found = false;
    step([&] {
        ch.moveFirst();
        found = ch.find(CacheFields::CallHandlerObjectID, remembered);
    });
    if (!found) {
        m_state.prompts.msgBox(QStringLiteral("Error in LinkcreateNewCallHandler - could not find new handler with object id=")
                               + remembered);
        return;
    }
    step([&] {
        cache.rsMenuentry.setFilter(kParentObjectID, remembered);
        cache.rsContactRule.setFilter(kParentObjectID, remembered);
        cache.rsMessagingRule.setFilter(kParentObjectID, remembered);
    });

    const int row = rowOf(keyOf(CallHandlers)->idColumn, newId);
    if (row >= 0) {
        // Made current, it is shown in the pane and the references; the entry the reload put back
        // may be that handler already, and is then shown again.
        if (row == gridObjects->currentDataRow())
            step([&] { gridObjects_RowColChange(); });
        else
            step([&] { gridObjects->setCurrentDataRow(row); });
    }
    step([&] {
        const int row = gridObjects->currentDataRow();
        if (row < 0)
            return;
        const QModelIndex first = gridObjects->rows().index(row, 1);
        gridObjects->scrollTo(first);
        gridObjects->setFocus(Qt::OtherFocusReason);
        gridObjects->setCurrentIndex(first);
    });
}
