#pragma once

#include <QString>

class QTableWidget;
class SharedState;

// Writes an interview handler's question list: its stored questions become the list's rows, in
// order, each logged. The list records the handler it was loaded for; a save for another handler
// is refused, so no handler's questions are replaced by another's.
class InterviewQuestionSave {
public:
    explicit InterviewQuestionSave(SharedState& state);

    // One transaction: a failure shows one message and leaves the stored questions as they were.
    // False when nothing was written.
    bool updateInterviewQuestions(const QString& interviewHandlerId, QTableWidget& grid);

    // The most characters of a question's text the database keeps.
    static constexpr int MaxQuestionLength = 128;

private:
    SharedState& m_state;
};
