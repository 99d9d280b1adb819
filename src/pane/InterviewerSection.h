#pragma once

#include "pane/PaneSection.h"
#include "pane/PropertyPane.h"

class EnvironmentOperations;
class InterviewerPage;
class QLineEdit;
class SharedState;

// Shows an interview handler (node type 5) on the "Interviewer" page: names, extension,
// language, owner, recipient, after-message action and its questions in interview order.
// Leaves rsInterviewHandler on the handler and rsInterviewQuestion narrowed to its questions.
// It writes nothing.
class InterviewerSection : public PaneSection {
public:
    InterviewerSection(SharedState& state, PropertyPane& pane, const EnvironmentOperations& environment);

    void clear() override;
    void load(const QString& strObjectID) override;
    QString shownObjectID() const override { return m_shown; }
    // The shown handler's questions read into the list again; nothing when none is shown.
    void reloadQuestions();

private:
    void showParty(const QString& column, QLineEdit* box, const QString& message);
    void showQuestions();

    SharedState& m_state;
    PropertyPane& m_pane;
    InterviewerPage& m_page;
    const EnvironmentOperations& m_environment;
    QString m_shown;
    PropertyPane::SectionAttachment m_attachment;
};
