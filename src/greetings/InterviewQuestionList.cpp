#include "greetings/InterviewQuestionList.h"

#include "data/SharedState.h"
#include "greetings/SoundBinding.h"
#include "pane/PaneOperations.h"
#include "runtime/SlotGuard.h"
#include "system/SharedFileSystem.h"
#include "widgets/PendingEvents.h"
#include "widgets/SonotropeCtrl.h"

#include <QAbstractButton>
#include <QTableWidget>

InterviewQuestionList::InterviewQuestionList(SharedState& state, PaneOperations& pane)
    : m_state(state),
      m_pane(pane)
{
}

void InterviewQuestionList::connectInterviewerPage(const InterviewQuestionControls& controls)
{
    m_controls = controls;
    // The list tells of a selection once it has moved; a list emptied has none, and nothing is
    // bound for it.
    connectGuarded(m_state.prompts, controls.grid, &QTableWidget::currentCellChanged, this,
                   [this](int row, int column, int previousRow, int previousColumn) {
                       if (row < 0)
                           return;
                       bool cancel = false;
                       gridInterviewQuestions_BeforeSelChange(previousRow + 1, previousColumn, row + 1, column, cancel);
                   });
}

void InterviewQuestionList::gridInterviewQuestions_BeforeSelChange(int, int, int NewRowSel, int, bool&)
{
    const InterviewQuestionControls& c = m_controls;
    const int rows = c.grid->rowCount() + 1; // with the header
    c.moveUp->setEnabled(NewRowSel > 1);
    c.moveDown->setEnabled(NewRowSel < rows - 1);

    SonotropeCtrl* control = m_pane.mediaControl(PaneOperations::MediaControl::InterviewerQuestions);
    if (!control)
        return;
    SoundBindingSteps step(*control, m_state.prompts, QStringLiteral("Error in griInterviewQuestions_BeforeSelChange:"));
    step([&] { control->StopSound(); });
    letPaintEventsRun();
    if (rows < 2) {
        step([&] { control->setSoundFile(QString()); });
        control->setEnabled(false);
        c.record->setEnabled(false);
        return;
    }
    c.record->setEnabled(true);
    c.remove->setEnabled(rows > 2);

    step([&] {
        const QTableWidgetItem* cell = c.grid->item(NewRowSel - 1, QuestionColumn::StreamPath);
        const QString text = cell ? cell->text() : QString();
        // A question without a recording binds none, not the stream-files folder.
        const QString stored = text.contains(QLatin1String(":\\")) ? text : m_state.StreamFilesPath + text;
        control->setSoundFile(text.isEmpty() ? QString() : localPathFromStored(stored, QString()));
    });
    step([&] { control->setToolTip(control->SoundFile()); });
    // A list that was empty switched the control off; a question makes it usable again.
    control->setEnabled(true);
    step([&] { control->setControlActive(-1); });
    step([&] {
        letPaintEventsRun();
        control->LoadSound();
    });
}
