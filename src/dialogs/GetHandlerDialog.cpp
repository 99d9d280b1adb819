#include "dialogs/GetHandlerDialog.h"

#include "data/SharedState.h"
#include "data/Validators.h"
#include "db/Query.h"
#include "dialogs/HandlerCreation.h"
#include "dialogs/PatternSearch.h"
#include "runtime/ErrorHandling.h"
#include "runtime/SlotGuard.h"
#include "widgets/BoundGrid.h"
#include "widgets/FieldValidation.h"
#include "widgets/Named.h"
#include "widgets/Twips.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

constexpr int kIdColumn = 4;
const QString kSearchErrors = QStringLiteral("Error in cmdSearch function=");

QString like(const QString& column)
{
    return column + QStringLiteral(" LIKE ?1 ESCAPE '\\')");
}

} // namespace

GetHandlerDialog::GetHandlerDialog(SharedState& state, DialogOperations& dialogs, Result& result, const Member& member,
                                   QWidget* parent)
    : QDialog(parent),
      m_state(state),
      m_dialogs(dialogs),
      m_result(result),
      m_member(member),
      m_validation(new FieldValidation(state.prompts, this))
{
    setWindowTitle(member.caption);
    setModal(true);
    tabs = named(new QTabWidget(this), member.tabName);

    auto* createPage = new QWidget;
    auto* createLayout = new QVBoxLayout(createPage);
    auto* form = new QFormLayout;
    txtHandlerName = named(new QLineEdit(createPage), "txtHandlerName");
    txtHandlerName->setMaxLength(40);
    txtHandlerExtension = named(new QLineEdit(createPage), "txtHandlerExtension");
    txtHandlerExtension->setMaxLength(30);
    form->addRow(QStringLiteral("Name:"), txtHandlerName);
    form->addRow(QStringLiteral("Extension (Optional):"), txtHandlerExtension);
    createLayout->addLayout(form);
    if (!member.templateFrame.isEmpty()) {
        templateFrame = new QGroupBox(member.templateFrame, createPage);
        auto* frameLayout = new QHBoxLayout(templateFrame);
        txtHandlerTemplateDisplayName = named(new QLineEdit(templateFrame), "txtHandlerTemplateDisplayName");
        txtHandlerTemplateDisplayName->setReadOnly(true);
        cmdSelectTemplate = named(new QPushButton(member.templateButtonCaption, templateFrame), member.templateButtonName);
        txtHandlerTemplateObjectID = named(new QLineEdit(templateFrame), "txtHandlerTemplateObjectID");
        txtHandlerTemplateObjectID->setVisible(false);
        frameLayout->addWidget(txtHandlerTemplateDisplayName, 1);
        frameLayout->addWidget(cmdSelectTemplate);
        frameLayout->addWidget(txtHandlerTemplateObjectID);
        createLayout->addWidget(templateFrame);
    }
    createLayout->addStretch();

    auto* pickPage = new QWidget;
    auto* pickLayout = new QVBoxLayout(pickPage);
    auto* searchFrame = new QGroupBox(QStringLiteral("Search By"), pickPage);
    auto* searchLayout = new QHBoxLayout(searchFrame);
    optSearchByDisplayName = named(new QRadioButton(QStringLiteral("Display Name"), searchFrame), "optSearchByDisplayName");
    optSearchByExtension = named(new QRadioButton(QStringLiteral("Extension"), searchFrame), "optSearchByExtension");
    optSearchByDisplayName->setChecked(true);
    txtSearchString = named(new QLineEdit(QStringLiteral("*"), searchFrame), "txtSearchString");
    cmdSearch = named(new QPushButton(member.searchCaption, searchFrame), "cmdSearch");
    searchLayout->addWidget(optSearchByDisplayName);
    searchLayout->addWidget(optSearchByExtension);
    searchLayout->addWidget(txtSearchString, 1);
    searchLayout->addWidget(cmdSearch);
    myGrid = named(new BoundGrid(pickPage), "myGrid");
    myGrid->keepColumnsHidden({0, kIdColumn});
    myGrid->rows().bind({QStringLiteral("Alias"), QStringLiteral("Display Name"), QStringLiteral("Extension"), member.idKey}, {});
    pickLayout->addWidget(searchFrame);
    pickLayout->addWidget(myGrid, 1);

    tabs->addTab(createPage, member.createTab);
    tabs->addTab(pickPage, member.pickTab);

    cmdCreateHandler = named(new QPushButton(QStringLiteral("Create"), this), "cmdCreateHandler");
    cmdSelect = named(new QPushButton(QStringLiteral("Select"), this), "cmdSelect");
    cmdCancel = named(new QPushButton(QStringLiteral("Cancel"), this), "cmdCancel");
    for (QPushButton* b : {cmdSearch, cmdCreateHandler, cmdSelect, cmdCancel})
        b->setAutoDefault(false);
    if (cmdSelectTemplate)
        cmdSelectTemplate->setAutoDefault(false);
    (member.createIsDefault ? cmdCreateHandler : cmdSelect)->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdCreateHandler);
    buttons->addWidget(cmdSelect);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs, 1);
    layout->addLayout(buttons);
    resize(Twips::toPixelsX(7200, this), Twips::toPixelsY(5400, this));

    // Designed to open on the pick tab.
    tabs->setCurrentIndex(1);
    tabClick();

    UserPrompts& prompts = state.prompts;
    connectGuarded(prompts, tabs, &QTabWidget::currentChanged, this, [this] { tabClick(); });
    connectGuarded(prompts, cmdCreateHandler, &QPushButton::clicked, this, [this] { cmdCreateHandler_Click(); });
    connectGuarded(prompts, cmdSelect, &QPushButton::clicked, this, [this] { cmdSelect_Click(); });
    connectGuarded(prompts, cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    connectGuarded(prompts, cmdSearch, &QPushButton::clicked, this, [this] { cmdSearch_Click(); });
    connectGuarded(prompts, myGrid, &BoundGrid::dataRowDoubleClicked, this, [this] { selectRow(false); });
    if (cmdSelectTemplate)
        connectGuarded(prompts, cmdSelectTemplate, &QPushButton::clicked, this, [this] {
            const DialogOperations::SearchResult pick = searchTemplate();
            if (!pick.bCancelHit)
                templatePicked(pick);
        });
    m_validation->watch(txtHandlerExtension, this, [this](bool& Cancel) {
        if (!txtHandlerExtension->text().isEmpty() && !isValidExtension(m_state, txtHandlerExtension->text(), 0)) {
            txtHandlerExtension->clear();
            Cancel = true;
        }
    });
}

GetHandlerDialog::~GetHandlerDialog() = default;

void GetHandlerDialog::tabClick()
{
    const bool creating = tabs->currentIndex() == 0;
    cmdCreateHandler->setVisible(creating);
    cmdSelect->setVisible(!creating);
}

void GetHandlerDialog::templatePicked(const DialogOperations::SearchResult& pick)
{
    txtHandlerTemplateObjectID->setText(pick.strObjectID);
    txtHandlerTemplateDisplayName->setText(pick.strDisplayName);
}

void GetHandlerDialog::cmdSearch_Click()
{
    runStepSilently([&] { m_state.cache.RequeryAllRecordsets(); });
    const bool byName = optSearchByDisplayName->isChecked();
    const QString text = byName ? txtSearchString->text().trimmed() : txtSearchString->text();
    const QString filter =
        m_member.joiner + QStringLiteral(" (") + like(byName ? QStringLiteral("TextName") : QStringLiteral("DTMFAccessID"));
    showSearchRows(m_state, *myGrid, searchQuery(m_member.head, filter, m_member.tail, text),
                   {QStringLiteral("Alias"), QStringLiteral("Display Name"), QStringLiteral("Extension")}, kIdColumn,
                   m_member.idKey, StepErrors(kSearchErrors));
}

void GetHandlerDialog::cmdSelect_Click()
{
    selectRow(!m_member.selectErrorsForm.isEmpty());
}

void GetHandlerDialog::selectRow(bool errorsShown)
{
    if (myGrid->currentDataRow() < 0) {
        m_state.prompts.msgBox(m_member.noSelection, Buttons::OKOnly);
        return;
    }
    const StepErrors errors =
        errorsShown
            ? StepErrors::shownAs(inProcedure(QStringLiteral("cmdSelect_Click"), QStringLiteral("Form"), m_member.selectErrorsForm))
            : StepErrors::passedOver();
    runStep(m_state.prompts, errors, [&] {
        m_result.strObjectID = myGrid->currentValue(m_member.idKey).textOrEmpty();
        m_result.strDisplayName = myGrid->currentValue(QStringLiteral("DisplayName")).textOrEmpty();
    });
    m_result.bCancel = false;
    accept();
}

void GetHandlerDialog::cmdCancel_Click()
{
    m_result = Result();
    reject();
}

void GetHandlerDialog::created(const QString& id)
{
    m_result.bCancel = false;
    m_result.strObjectID = id;
    m_result.bCreated = true;
    m_createdOne = true;
    accept();
}

// ---------------------------------------------------------------------------------------------

frmMakeNewCallHandler::frmMakeNewCallHandler(SharedState& state, DialogOperations& dialogs, Result& result,
                                             QString& strTemplateObjectID, QWidget* parent)
    : GetHandlerDialog(
        state, dialogs, result,
        {QStringLiteral("Get Call Handler"), "SSTab1", QStringLiteral("Create New Handler"),
         QStringLiteral("Choose Existing Handler"), QStringLiteral("Base new call handler on this one:"), "cmdSelectCallHandler",
         QStringLiteral("Search"), QStringLiteral("Search..."), false,
         QStringLiteral("SELECT Alias, TextName, DTMFAccessID, CallHandlerObjectID FROM vw_CallHandler WHERE (IsPrimary<>1)"),
         QStringLiteral("AND"), QStringLiteral("GROUP BY Alias, TextName, DTMFAccessID, CallHandlerObjectID ORDER BY Alias"),
         QStringLiteral("CallHandlerObjectID"), QStringLiteral("Error!  No call handler selected!"),
         QStringLiteral("frmMakeNewCallHandler")},
        parent),
      m_strTemplateObjectID(strTemplateObjectID)
{
    Form_Load();
}

void frmMakeNewCallHandler::Form_Load()
{
    move(Twips::toPixelsX(200, this), Twips::toPixelsY(200, this));
    m_result.strDisplayName.clear();
    // The template used last, else the first handler that is no subscriber's own, in the order
    // of creation.
    const StepErrors errors = StepErrors::shownAs(
        inProcedure(QStringLiteral("Form_Load"), QStringLiteral("Form"), QStringLiteral("frmMakeNewCallHandler")));
    runStep(m_state.prompts, errors, [&] {
        auto connection = m_state.connections.open(m_state.ConnectionString);
        const QueryResult handlers =
            runQuery(connection->db(), QStringLiteral("SELECT CallHandlerObjectID, TextName FROM vw_CallHandler "
                                                      "WHERE IsPrimary = 0 ORDER BY rowid"));
        const std::vector<Variant>* chosen = nullptr;
        for (const auto& row : handlers.rows)
            if (row[0].textOrEmpty().compare(m_strTemplateObjectID, Qt::CaseInsensitive) == 0 && !m_strTemplateObjectID.isEmpty())
                chosen = &row;
        if (!chosen && !handlers.rows.empty())
            chosen = &handlers.rows.front();
        if (!chosen)
            throwError(ErrorNumber::NoCurrentRecord, QStringLiteral("Either BOF or EOF is True, or the current record has been "
                                                                    "deleted. Requested operation requires a current record."));
        txtHandlerTemplateDisplayName->setText((*chosen)[1].textOrEmpty());
        txtHandlerTemplateObjectID->setText((*chosen)[0].textOrEmpty());
        m_strTemplateObjectID = (*chosen)[0].textOrEmpty();
    });
}

void frmMakeNewCallHandler::templatePicked(const DialogOperations::SearchResult& pick)
{
    GetHandlerDialog::templatePicked(pick);
    m_strTemplateObjectID = pick.strObjectID;
}

void frmMakeNewCallHandler::cmdCreateHandler_Click()
{
    const QString id =
        createCallHandler(m_state, txtHandlerTemplateObjectID->text(), txtHandlerName->text(), txtHandlerExtension->text());
    if (!id.isEmpty())
        created(id);
}

// ---------------------------------------------------------------------------------------------

frmMakeNewInterviewer::frmMakeNewInterviewer(SharedState& state, DialogOperations& dialogs, Result& result, QWidget* parent)
    : GetHandlerDialog(state, dialogs, result,
                       {QStringLiteral("Get Interviewer"), "tabInterviewer", QStringLiteral("Create New"),
                        QStringLiteral("Select Existing"), QStringLiteral("Base new interviewer on:"), "cmdSelectHandler",
                        QStringLiteral("search..."), QStringLiteral("search..."), true,
                        QStringLiteral("SELECT Alias, TextName, DTMFAccessID, InterviewHandlerObjectID FROM vw_InterviewHandler"),
                        QStringLiteral("WHERE"), QStringLiteral("ORDER BY Alias"), QStringLiteral("InterviewHandlerObjectID"),
                        QStringLiteral("Error!  No interview handler selected!"), QString()},
                       parent)
{
    Form_Load();
}

void frmMakeNewInterviewer::Form_Load()
{
    Recordset& handlers = m_state.cache.rsInterviewHandler;
    const bool empty = handlers.recordCount() == 0;
    if (!empty && (handlers.isBOF() || handlers.isEOF()))
        handlers.moveFirst();
    const Recordset::Bookmark position = empty ? Recordset::Bookmark() : handlers.bookmark();
    if (!empty) {
        handlers.moveFirst();
        handlers.find(QStringLiteral("Undeletable"), 1);
    }
    if (empty || handlers.isEOF()) {
        m_state.prompts.msgBox(QStringLiteral("No interviewers defined, system in illegal state!"), Buttons::OKOnly);
        runStepSilently([&] { handlers.setBookmark(position); });
        refuseShowing();
        return;
    }
    txtHandlerTemplateDisplayName->setText(handlers.field(QStringLiteral("TextName")).textOrEmpty());
    txtHandlerTemplateObjectID->setText(handlers.field(QStringLiteral("InterviewHandlerObjectID")).textOrEmpty());
    handlers.setBookmark(position);
    // With one interviewer there is nothing else to base a new one on.
    cmdSelectTemplate->setEnabled(handlers.recordCount() >= 2);
    m_result.strDisplayName.clear();
    m_result.strObjectID.clear();
}

void frmMakeNewInterviewer::cmdCreateHandler_Click()
{
    const QString id =
        createInterviewHandler(m_state, txtHandlerTemplateObjectID->text(), txtHandlerName->text(), txtHandlerExtension->text());
    if (!id.isEmpty())
        created(id);
}

// ---------------------------------------------------------------------------------------------

frmMakeNewDirectoryHandler::frmMakeNewDirectoryHandler(SharedState& state, DialogOperations& dialogs, Result& result,
                                                       QWidget* parent)
    : GetHandlerDialog(
        state, dialogs, result,
        {QStringLiteral("Get Directory Handler"), "SSTab1", QStringLiteral("Create New Directory Handler"),
         QStringLiteral("Choose Existing Directory Handler"), QString(), "", QString(), QStringLiteral("Search..."), false,
         QStringLiteral("SELECT Alias, TextName, DTMFAccessID, NameLookupHandlerObjectID FROM vw_NameLookupHandler"),
         QStringLiteral("WHERE"),
         QStringLiteral("GROUP BY Alias, TextName, DTMFAccessID, NameLookupHandlerObjectID ORDER BY Alias"),
         QStringLiteral("NameLookupHandlerObjectID"), QStringLiteral("Error!  No directory handler selected!"), QString()},
        parent)
{
}

void frmMakeNewDirectoryHandler::cmdCreateHandler_Click()
{
    const QString id = createDirectoryHandler(m_state, txtHandlerName->text(), txtHandlerExtension->text());
    if (!id.isEmpty())
        created(id);
}
