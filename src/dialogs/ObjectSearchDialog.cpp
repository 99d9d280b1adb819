#include "dialogs/ObjectSearchDialog.h"

#include "data/SharedState.h"
#include "dialogs/PatternSearch.h"
#include "runtime/ErrorHandling.h"
#include "runtime/SlotGuard.h"
#include "widgets/BoundGrid.h"
#include "widgets/Named.h"
#include "widgets/Twips.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QString like(const QString& column)
{
    return column + QStringLiteral(" LIKE ?1 ESCAPE '\\')");
}

const QStringList kHandlerHeaders = {QStringLiteral("Alias"), QStringLiteral("Display Name"), QStringLiteral("Extension")};

ObjectSearchDialog::Member nameOrExtension(const QString& caption, const QString& nameColumn, const QString& head,
                                           const QString& joiner, const QString& tail, const QString& idKey,
                                           const QString& noSelection)
{
    return {caption,
            {{"optSearchByDisplayName", QStringLiteral("Display Name"), joiner + QStringLiteral(" (") + like(nameColumn), true},
             {"optSearchByExtension", QStringLiteral("Extension"),
              joiner + QStringLiteral(" (") + like(QStringLiteral("DTMFAccessID")), false}},
            0,
            head,
            tail,
            kHandlerHeaders,
            4,
            idKey,
            noSelection,
            true};
}

} // namespace

ObjectSearchDialog::ObjectSearchDialog(SharedState& state, Result& result, const Member& member, QWidget* parent)
    : QDialog(parent),
      m_state(state),
      m_result(result),
      m_member(member)
{
    setWindowTitle(member.caption);
    setModal(true);
    Frame1 = named(new QGroupBox(QStringLiteral("Search By"), this), "Frame1");
    auto* frameLayout = new QGridLayout(Frame1);
    for (size_t i = 0; i < member.options.size(); ++i) {
        auto* option = named(new QRadioButton(member.options[i].caption, Frame1), member.options[i].name);
        frameLayout->addWidget(option, int(i / 2), int(i % 2));
        options.push_back(option);
    }
    const int row = int((member.options.size() + 1) / 2);
    txtSearchString = named(new QLineEdit(Frame1), "txtSearchString");
    cmdSearch = named(new QPushButton(QStringLiteral("Search"), Frame1), "cmdSearch");
    frameLayout->addWidget(txtSearchString, row, 0);
    frameLayout->addWidget(cmdSearch, row, 1);
    myGrid = named(new BoundGrid(this), "myGrid");
    myGrid->keepColumnsHidden({0, member.idColumn});
    cmdOK = named(new QPushButton(QStringLiteral("OK"), this), "cmdOK");
    cmdCancel = named(new QPushButton(QStringLiteral("Cancel"), this), "cmdCancel");
    // No button is the window's default.
    for (QPushButton* b : {cmdSearch, cmdOK, cmdCancel})
        b->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);
    layout->addWidget(myGrid, 1);
    layout->addLayout(buttons);
    resize(Twips::toPixelsX(7200, this), Twips::toPixelsY(5400, this));

    UserPrompts& prompts = state.prompts;
    connectGuarded(prompts, cmdSearch, &QPushButton::clicked, this, [this] { cmdSearch_Click(); });
    connectGuarded(prompts, cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connectGuarded(prompts, cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    connectGuarded(prompts, myGrid, &BoundGrid::dataRowDoubleClicked, this, [this] { cmdOK_Click(); });
    Form_Load();
}

void ObjectSearchDialog::Form_Load()
{
    move(Twips::toPixelsX(200, this), Twips::toPixelsY(200, this));
    // Every showing starts cancelled; only OK makes it otherwise.
    m_result = Result();
    options[size_t(m_member.selected)]->setChecked(true);
    txtSearchString->setText(QStringLiteral("*"));
    myGrid->rows().clearRows();
}

void ObjectSearchDialog::cmdSearch_Click()
{
    runStepSilently([&] { m_state.cache.RequeryAllRecordsets(); });
    const StepErrors errors =
        m_member.errorsShown ? StepErrors(QStringLiteral("Error in cmdSearch function=")) : StepErrors::passedOver();
    // The option tests run in order; the last option is taken when none before it is chosen.
    size_t chosen = m_member.options.size() - 1;
    for (size_t i = 0; i + 1 < m_member.options.size(); ++i)
        if (options[i]->isChecked()) {
            chosen = i;
            break;
        }
    const Option& option = m_member.options[chosen];
    const QString text = option.trimmed ? txtSearchString->text().trimmed() : txtSearchString->text();
    showSearchRows(m_state, *myGrid, searchQuery(m_member.head, option.filter, m_member.tail, text), m_member.headers,
                   m_member.idColumn, m_member.idKey, errors);
}

void ObjectSearchDialog::cmdOK_Click()
{
    if (myGrid->currentDataRow() < 0) {
        m_state.prompts.msgBox(m_member.noSelection, Buttons::OKOnly);
        return;
    }
    runStepSilently([&] {
        m_result.strObjectID = myGrid->currentValue(m_member.idKey).textOrEmpty();
        m_result.strDisplayName = myGrid->currentValue(QStringLiteral("DisplayName")).textOrEmpty();
    });
    m_result.bCancelHit = false;
    accept();
}

void ObjectSearchDialog::cmdCancel_Click()
{
    m_result.bCancelHit = true;
    reject();
}

frmSubscriberSearch::frmSubscriberSearch(SharedState& state, Result& result, QWidget* parent)
    : ObjectSearchDialog(
        state, result,
        {QStringLiteral("Subscriber Search"),
         {{"optSearchByFirstName", QStringLiteral("First Name"),
           QStringLiteral("AND (") + like(QStringLiteral("vw_Subscriber.FirstName")), false},
          {"optSearchByLastName", QStringLiteral("Last Name"),
           QStringLiteral("AND (") + like(QStringLiteral("vw_Subscriber.LastName")), false},
          {"optSearchByAlias", QStringLiteral("Alias"), QStringLiteral("AND (") + like(QStringLiteral("vw_Subscriber.Alias")),
           false},
          {"optSearchByExtension", QStringLiteral("Extension"),
           QStringLiteral("AND (") + like(QStringLiteral("vw_CallHandler.DTMFAccessID")), false}},
         1,
         QStringLiteral(
             "SELECT vw_Subscriber.Alias, vw_Subscriber.DisplayName, vw_CallHandler.DTMFAccessID, vw_Subscriber.FirstName, "
             "vw_Subscriber.LastName, vw_CallHandler.CallHandlerObjectID "
             "FROM vw_CallHandler INNER JOIN vw_Subscriber "
             "ON vw_CallHandler.CallHandlerObjectID = vw_Subscriber.CallHandlerObjectID "
             "WHERE (vw_Subscriber.SubscriberType IN (1,3))"),
         QStringLiteral("GROUP BY vw_Subscriber.Alias, vw_Subscriber.DisplayName, vw_CallHandler.DTMFAccessID, "
                        "vw_Subscriber.FirstName, vw_Subscriber.LastName, vw_CallHandler.CallHandlerObjectID"),
         {QStringLiteral("Alias"), QStringLiteral("Display Name"), QStringLiteral("Extension"), QStringLiteral("First Name"),
          QStringLiteral("Last Name")},
         6,
         QStringLiteral("CallHandlerObjectID"),
         QStringLiteral("Error!  No subscriber selected!"),
         false},
        parent)
{
}

frmCallHandlerSearch::frmCallHandlerSearch(SharedState& state, Result& result, QWidget* parent)
    : ObjectSearchDialog(
        state, result,
        nameOrExtension(QStringLiteral("Call Handler Search"), QStringLiteral("TextName"),
                        QStringLiteral("SELECT Alias, TextName, DTMFAccessID, CallHandlerObjectID FROM vw_CallHandler "
                                       "WHERE (IsPrimary<>1)"),
                        QStringLiteral("AND"),
                        QStringLiteral("GROUP BY Alias, TextName, DTMFAccessID, CallHandlerObjectID ORDER BY Alias"),
                        QStringLiteral("CallHandlerObjectID"), QStringLiteral("Error!  No call handler selected!")),
        parent)
{
}

frmInterviewerSearch::frmInterviewerSearch(SharedState& state, Result& result, QWidget* parent)
    : ObjectSearchDialog(
        state, result,
        nameOrExtension(QStringLiteral("Interviewer Search"), QStringLiteral("TextName"),
                        QStringLiteral("SELECT Alias, TextName, DTMFAccessID, InterviewHandlerObjectID FROM vw_InterviewHandler"),
                        QStringLiteral("WHERE"), QStringLiteral("ORDER BY Alias"), QStringLiteral("InterviewHandlerObjectID"),
                        QStringLiteral("Error!  No interview handler selected!")),
        parent)
{
}

frmDistributionListSearch::frmDistributionListSearch(SharedState& state, Result& result, QWidget* parent)
    : ObjectSearchDialog(
        state, result,
        nameOrExtension(QStringLiteral("Distribution List Search"), QStringLiteral("DisplayName"),
                        QStringLiteral("SELECT Alias, DisplayName, DTMFAccessID, SystemDListObjectID FROM vw_DistributionList"),
                        QStringLiteral("WHERE"), QString(), QStringLiteral("SystemDListObjectID"),
                        QStringLiteral("Error!  No distribution list selected!")),
        parent)
{
}
