#include "dialogs/TransferStringFinder.h"

#include "data/SharedState.h"
#include "data/StoredValues.h"
#include "data/Validators.h"
#include "db/Query.h"
#include "runtime/ErrorHandling.h"
#include "runtime/SlotGuard.h"
#include "widgets/Named.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <optional>

namespace {

const QString kForm = QStringLiteral("frmFindTransferString");
const QString kLineBreak = QStringLiteral("\r\n");

const QString kQuery =
    QStringLiteral("SELECT vw_Subscriber.Alias as SubAlias, vw_Subscriber.DisplayName, vw_ContactRule.Alias as ContactAlias, "
                   "vw_ContactRule.Extension, vw_CallHandler.IsPrimary, vw_CallHandler.Alias as HandlerAlias FROM "
                   "vw_ContactRule INNER JOIN vw_CallHandler ON vw_ContactRule.ParentObjectID=vw_CallHandler.CallHandlerObjectID "
                   "LEFT OUTER JOIN vw_Subscriber on vw_Subscriber.CallHandlerObjectID=vw_CallHandler.CallHandlerObjectID ");

} // namespace

frmFindTransferString::frmFindTransferString(SharedState& state, QWidget* parent)
    : QWidget(parent, Qt::Window),
      m_state(state)
{
    setObjectName(kForm);
    setWindowTitle(QStringLiteral("Find Transfer String"));

    frameTransferString = named(new QGroupBox(QStringLiteral("Transfer string to search for"), this), "frameTransferString");
    txtTransferString = named(new QLineEdit(frameTransferString), "txtTransferString");
    txtTransferString->setAccessibleName(QStringLiteral("Transfer string"));
    auto* frame = new QVBoxLayout(frameTransferString);
    frame->addWidget(txtTransferString);
    optExactMatch = named(new QRadioButton(QStringLiteral("Search for &exact match"), this), "optExactMatch");
    optPartialMatch = named(new QRadioButton(QStringLiteral("Search for &partial match"), this), "optPartialMatch");
    optExactMatch->setChecked(true);
    cmdSearch = named(new QPushButton(QStringLiteral("&Search"), this), "cmdSearch");
    cmdExit = named(new QPushButton(QStringLiteral("E&xit"), this), "cmdExit");
    for (QPushButton* b : {cmdSearch, cmdExit})
        b->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdSearch);
    buttons->addWidget(cmdExit);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frameTransferString);
    layout->addWidget(optExactMatch);
    layout->addWidget(optPartialMatch);
    layout->addLayout(buttons);

    UserPrompts& prompts = state.prompts;
    connectGuarded(prompts, cmdSearch, &QPushButton::clicked, this, [this] { cmdSearch_Click(); });
    connectGuarded(prompts, cmdExit, &QPushButton::clicked, this, [this] { cmdExit_Click(); });
}

frmFindTransferString::~frmFindTransferString() = default;

void frmFindTransferString::cmdSearch_Click()
{
    UserPrompts& prompts = m_state.prompts;
    const QString text = txtTransferString->text();
    if (text.isEmpty()) {
        prompts.msgBox(QStringLiteral("You must enter a string to search for"), Buttons::OKOnly);
        return;
    }
    if (!myIsDialableString(text, false)) {
        prompts.msgBox(
            QStringLiteral("That is not a legal transfer string.  A transfer string can only contain digits, commas, * or #"),
            Buttons::OKOnly);
        return;
    }
    // A dial string holds no LIKE wildcard, so it goes in as typed between the two "%".
    const bool exact = optExactMatch->isChecked();
    const QString sql =
        kQuery
        + (exact ? QStringLiteral("WHERE vw_ContactRule.Extension=?1") : QStringLiteral("WHERE vw_ContactRule.Extension LIKE ?1"));
    const Variant value = exact ? text : QLatin1Char('%') + text + QLatin1Char('%');

    const StepErrors errors = StepErrors::shownAs(inProcedure(QStringLiteral("cmdSearch_Click"), QStringLiteral("Form"), kForm));
    std::optional<QueryResult> found;
    runStep(prompts, errors, [&] { found = runQuery(m_state.connections.open(m_state.ConnectionString)->db(), sql, {value}); });
    if (!found)
        return;
    if (found->rows.empty()) {
        prompts.msgBox(QStringLiteral("No matches found for that dial string"), Buttons::OKOnly);
        return;
    }
    QString report = QStringLiteral("Matches found for that transfer string on the following objects:") + kLineBreak + kLineBreak;
    runStep(prompts, errors, [&] {
        auto column = [&](const char* name) {
            const qsizetype i = found->columns.indexOf(QString::fromLatin1(name));
            if (i < 0)
                throwError(ErrorNumber::ItemNotFound, QStringLiteral("Item cannot be found in the collection corresponding to "
                                                                     "the requested name or ordinal."));
            return size_t(i);
        };
        const size_t subAlias = column("SubAlias"), contactAlias = column("ContactAlias"), extension = column("Extension"),
                     isPrimary = column("IsPrimary"), handlerAlias = column("HandlerAlias");
        for (const auto& row : found->rows) {
            const Variant& primary = row.at(isPrimary);
            // A subscriber's own handler whose subscriber is gone is named as the handler it is.
            if (isFlagSet(primary) && !row.at(subAlias).isNull())
                report += QStringLiteral("Subscriber with alias=") + row.at(subAlias).toText();
            else
                report += QStringLiteral("Call handler with alias=") + row.at(handlerAlias).textOrEmpty();
            report += QStringLiteral(" on contact rule=") + row.at(contactAlias).textOrEmpty();
            report += QStringLiteral(" with transfer string='") + row.at(extension).textOrEmpty() + QLatin1Char('\'');
            report += kLineBreak + kLineBreak;
        }
    });
    prompts.msgBox(report, Buttons::OKOnly);
}

void frmFindTransferString::cmdExit_Click()
{
    hide();
}
