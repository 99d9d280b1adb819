#pragma once

#include "greetings/InterviewQuestionSave.h"
#include "pane/PaneControls.h"

#include <QObject>
#include <optional>

class PaneOperations;
class SharedState;

// The interviewer page's question list: selecting a question binds the question media control to
// its recording and sets which of the list's buttons apply; adding, deleting, moving and editing
// a question stores the whole list at once.
class InterviewQuestionList : public QObject {
    Q_OBJECT
public:
    InterviewQuestionList(SharedState& state, PaneOperations& pane);

    void connectInterviewerPage(const InterviewQuestionControls& controls);

    // Rows count from the list's header, row 0; only the new row is read and nothing is
    // cancelled.
    void gridInterviewQuestions_BeforeSelChange(int OldRowSel, int OldColSel, int NewRowSel, int NewColSel, bool& Cancel);

    void cmdInterviewQuestionsAdd_Click();
    void cmdInterviewQuestionsDelete_Click();
    void cmdInterviewQuestionsMoveUp_Click();
    void cmdInterviewQuestionsMoveDown_Click();
    // After the administrator finished editing a cell (row from 1, column by QuestionColumn).
    void gridInterviewQuestions_AfterEdit(int Row, int Col);

    // The reply limits the list offers, in seconds.
    static const QStringList& answerLimits();

private:
    void moveSelected(int by);
    void selectQuestion(int row);
    QString newQuestionFile(int row) const;
    // Stores the list over the questions it showed before the change; when nothing could be
    // stored, the list is read again.
    void save(const ShownQuestions& before);
    ShownQuestions shownNow() const;
    void readAgain(const QString& owner);

    SharedState& m_state;
    PaneOperations& m_pane;
    InterviewQuestionSave m_save;
    InterviewQuestionControls m_controls{};
    // The list as it was when the editor of a cell took its edit, until the edit is stored.
    std::optional<ShownQuestions> m_beforeEdit;
    bool m_committingEdit = false;
};
