#pragma once

#include <QString>
#include <vector>

class QTableWidget;
class SharedState;

// One question of the list as its cells show it.
struct ShownQuestion {
    QString id; // the stored question's InterviewQuestionObjectID; empty until it is stored
    QString text;
    QString limit;
    QString path;
};
using ShownQuestions = std::vector<ShownQuestion>;

// Writes an interview handler's question list: its stored questions become the list's rows, in
// order, each logged. The list records the handler it was loaded for; a save for another handler
// is refused, so no handler's questions are replaced by another's.
class InterviewQuestionSave {
public:
    explicit InterviewQuestionSave(SharedState& state);

    // The list's rows as they show now.
    static ShownQuestions shown(const QTableWidget& grid);

    // One transaction, and only over the questions the list showed before the administrator's
    // change (`before`): when another program changed, added, removed or reordered one since, the
    // save refuses as a recordset's update does ("Row cannot be located for updating..."). A cell
    // that shows what is stored is written as stored, so a text longer than the list lets anyone
    // type is kept whole; only what was typed is held to MaxQuestionLength. A failure shows one
    // message and leaves the stored questions as they were. False when nothing was written.
    bool updateInterviewQuestions(const QString& interviewHandlerId, QTableWidget& grid, const ShownQuestions& before);

    // The most characters of a question's text that the administrator may type.
    static constexpr int MaxQuestionLength = 128;

private:
    SharedState& m_state;
};
