#include "dialogs/AvailableExtensions.h"

#include "data/ExtensionSearch.h"
#include "data/SharedState.h"
#include "data/TextExport.h"
#include "data/Validators.h"
#include "runtime/ErrorHandling.h"
#include "runtime/FileDialogs.h"
#include "runtime/SlotGuard.h"
#include "widgets/BusyInput.h"
#include "widgets/FieldValidation.h"
#include "widgets/Named.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QVBoxLayout>
#include <optional>
#include <utility>

namespace {

const QString kForm = QStringLiteral("frmAvailableExtensions");
const QString kOnlyNumbers = QStringLiteral("Please enter only numbers");
constexpr int kBoxLength = 15;
// How often a search lets the window repaint its progress and hear its Exit.
constexpr qint64 kRepaintMs = 40;

} // namespace

qint64 rangeValue(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    qint64 value = 0;
    // The boxes hold at most 15 characters, so the digits never overflow.
    for (; i < text.size() && text.at(i) >= QLatin1Char('0') && text.at(i) <= QLatin1Char('9') && value < 100000000000000000LL; ++i)
        value = value * 10 + (text.at(i).unicode() - '0');
    return negative ? -value : value;
}

frmAvailableExtensions::frmAvailableExtensions(SharedState& state, QWidget* parent)
    : QWidget(parent, Qt::Window),
      m_state(state),
      m_validation(new FieldValidation(state.prompts, this))
{
    setObjectName(kForm);
    setWindowTitle(QStringLiteral("Find Available Extensions"));

    Frame1 = named(new QGroupBox(QStringLiteral("Find available extensions in this range:"), this), "Frame1");
    txtStartRange = named(new QLineEdit(Frame1), "txtStartRange");
    Label2 = named(new QLabel(QStringLiteral("to"), Frame1), "Label2");
    txtEndRange = named(new QLineEdit(Frame1), "txtEndRange");
    for (QLineEdit* box : {txtStartRange, txtEndRange})
        box->setMaxLength(kBoxLength);
    txtStartRange->setAccessibleName(QStringLiteral("First number of the range"));
    txtEndRange->setAccessibleName(QStringLiteral("Last number of the range"));
    auto* range = new QHBoxLayout(Frame1);
    range->addWidget(txtStartRange);
    range->addWidget(Label2);
    range->addWidget(txtEndRange);

    cmdSearch = named(new QPushButton(QStringLiteral("&Search"), this), "cmdSearch");
    cmdExport = named(new QPushButton(QStringLiteral("E&xport"), this), "cmdExport");
    cmdExit = named(new QPushButton(QStringLiteral("&Exit"), this), "cmdExit");
    for (QPushButton* b : {cmdSearch, cmdExport, cmdExit})
        b->setAutoDefault(false);
    listAvailableExtensions = named(new QListWidget(this), "listAvailableExtensions");
    listAvailableExtensions->setAccessibleName(QStringLiteral("Available extensions"));
    ProgressBar = named(new QProgressBar(this), "ProgressBar");
    ProgressBar->hide();

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdSearch);
    buttons->addWidget(cmdExport);
    buttons->addStretch();
    buttons->addWidget(cmdExit);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);
    layout->addLayout(buttons);
    layout->addWidget(listAvailableExtensions, 1);
    layout->addWidget(ProgressBar);

    UserPrompts& prompts = state.prompts;
    m_validation->watch(txtStartRange, this, [this](bool& Cancel) { txtStartRange_Validate(Cancel); });
    m_validation->watch(txtEndRange, this, [this](bool& Cancel) { txtEndRange_Validate(Cancel); });
    for (QLineEdit* box : {txtStartRange, txtEndRange})
        connectGuarded(prompts, box, &QLineEdit::textEdited, this, [this] { m_refusedOnTheWayToSearch = false; });
    connectGuarded(prompts, cmdSearch, &QPushButton::clicked, this, [this] { cmdSearch_Click(); });
    connectGuarded(prompts, cmdExport, &QPushButton::clicked, this, [this] { cmdExport_Click(); });
    connectGuarded(prompts, cmdExit, &QPushButton::clicked, this, [this] { cmdExit_Click(); });
}

frmAvailableExtensions::~frmAvailableExtensions() = default;

void frmAvailableExtensions::validateRange(QLineEdit* box)
{
    if (MyIsNumber(box->text(), 0, 0))
        return;
    m_state.prompts.msgBox(kOnlyNumbers, Buttons::OKOnly);
    box->clear();
    // Leaving the box for Search: the click that follows must not say it a second time.
    m_refusedOnTheWayToSearch = QApplication::focusWidget() == cmdSearch;
}

bool frmAvailableExtensions::rangeGiven()
{
    bool given = true;
    for (QLineEdit* box : {txtStartRange, txtEndRange}) {
        if (box->text().isEmpty()) {
            given = false;
        } else if (!MyIsNumber(box->text(), 0, 0)) {
            box->clear(); // as leaving the box would have done
            given = false;
        }
    }
    const bool alreadySaid = std::exchange(m_refusedOnTheWayToSearch, false);
    if (!given && !alreadySaid)
        m_state.prompts.msgBox(kOnlyNumbers, Buttons::OKOnly);
    return given;
}

void frmAvailableExtensions::txtStartRange_Validate(bool& /*Cancel*/)
{
    validateRange(txtStartRange);
}

void frmAvailableExtensions::txtEndRange_Validate(bool& /*Cancel*/)
{
    validateRange(txtEndRange);
}

void frmAvailableExtensions::cmdSearch_Click()
{
    if (m_searching)
        return;
    // A refused search leaves nothing of the last one standing as if it answered this range.
    listAvailableExtensions->clear();
    if (!rangeGiven())
        return;
    UserPrompts& prompts = m_state.prompts;
    const qint64 first = rangeValue(txtStartRange->text());
    const qint64 last = rangeValue(txtEndRange->text());
    if (first > last) {
        prompts.msgBox(QStringLiteral("Please make sure the start of your range is smaller than the end"), Buttons::OKOnly);
        return;
    }
    if (last - first > kMaximumSpan) {
        prompts.msgBox(QStringLiteral("The range includes more than 5,000 values.  Please choose a smaller range."),
                       Buttons::OKOnly);
        return;
    }

    cmdExport->setEnabled(false);
    cmdSearch->setEnabled(false);
    setCursor(Qt::WaitCursor);
    ProgressBar->setRange(0, int(last - first + 1));
    ProgressBar->setValue(0);
    ProgressBar->show();
    m_searching = true;
    m_closeRequested = false;
    std::optional<RuntimeError> failure;
    {
        const auto restore = qScopeGuard([this] {
            m_searching = false;
            unsetCursor();
            ProgressBar->hide();
            cmdExport->setEnabled(true);
            cmdSearch->setEnabled(true);
        });
        BusyInput busy(cmdExit);
        busy.letEventsRun();
        QElapsedTimer sinceRepaint;
        sinceRepaint.start();
        for (qint64 n = first; n <= last && !m_closeRequested; ++n) {
            const QString extension = QString::number(n);
            const ExtensionMatches found = findAllDTMFIDMatches(m_state, extension);
            // A number whose search did not finish is not known to be free.
            if (!found.complete()) {
                failure = found.failure;
                break;
            }
            if (found.upperBound() < 1)
                listAvailableExtensions->addItem(extension);
            ProgressBar->setValue(ProgressBar->value() + 1);
            if (sinceRepaint.elapsed() >= kRepaintMs) {
                busy.letEventsRun();
                sinceRepaint.restart();
            }
        }
    }
    if (m_closeRequested) {
        close();
        return;
    }
    if (failure) {
        StepErrors::shownAs(inProcedure(QStringLiteral("cmdSearch_Click"), QStringLiteral("Form"), kForm))
            .report(&prompts, *failure);
        return;
    }
    prompts.msgBox(QLatin1Char(' ') + QString::number(listAvailableExtensions->count())
                       + QStringLiteral(" extensions found available in that range"),
                   Buttons::OKOnly);
}

void frmAvailableExtensions::cmdExport_Click()
{
    UserPrompts& prompts = m_state.prompts;
    if (listAvailableExtensions->count() == 0) {
        prompts.msgBox(QStringLiteral("No extensions to export"), Buttons::OKOnly);
        return;
    }
    // The home folder stands in for the root of the system drive.
    const QString fileName = m_state.environment.fileDialogs.saveFileName(
        {QStringLiteral("Export extension range to text file"), QDir::homePath(), QStringLiteral("AvailableExtensions.txt"),
         QStringLiteral("Text File (*.txt)")});
    if (fileName.isEmpty())
        return;
    QStringList lines;
    for (int i = 0; i < listAvailableExtensions->count(); ++i)
        lines << listAvailableExtensions->item(i)->text();
    if (writeExportFile(m_state, fileName, exportLines(lines),
                        StepErrors::shownAs(inProcedure(QStringLiteral("cmdExport_Click"), QStringLiteral("Form"), kForm))))
        prompts.msgBox(QStringLiteral("Output complete"), Buttons::OKOnly);
}

void frmAvailableExtensions::cmdExit_Click()
{
    close();
}

void frmAvailableExtensions::closeEvent(QCloseEvent* event)
{
    // The window cannot go while its search runs: the search stops first, then closes it.
    if (m_searching) {
        m_closeRequested = true;
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}
