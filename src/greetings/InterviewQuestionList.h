#pragma once

#include "pane/PaneControls.h"

#include <QObject>

class PaneOperations;
class SharedState;

// The interviewer page's question list: selecting a question binds the question media control to
// its recording and sets which of the list's buttons apply. Nothing is written.
class InterviewQuestionList : public QObject {
    Q_OBJECT
public:
    InterviewQuestionList(SharedState& state, PaneOperations& pane);

    void connectInterviewerPage(const InterviewQuestionControls& controls);

    // Rows count from the list's header, row 0; only the new row is read and nothing is
    // cancelled.
    void gridInterviewQuestions_BeforeSelChange(int OldRowSel, int OldColSel, int NewRowSel, int NewColSel, bool& Cancel);

private:
    SharedState& m_state;
    PaneOperations& m_pane;
    InterviewQuestionControls m_controls{};
};
