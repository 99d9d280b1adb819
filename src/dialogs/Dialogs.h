#pragma once

#include "dialogs/DialogOperations.h"

#include <QPointer>
#include <QString>

class QWidget;
class SharedState;
class frmMakeNewInterviewer;
class frmSchedules;
class frmAvailableExtensions;
class frmFindTransferString;

// The real dialogs: each showing builds its window over the given parent, runs it modally and
// hands back what its results hold when it closes. The Get dialogs open their template searches
// through `searches`, which is this object unless a test gives its own.
class Dialogs : public DialogOperations {
public:
    Dialogs(SharedState& state, QWidget* parent = nullptr);
    ~Dialogs() override;

    void setParent(QWidget* parent) { m_parent = parent; }
    void setSearches(DialogOperations* searches) { m_searches = searches; }

    GetCallHandlerResult frmMakeNewCallHandler(GetCallHandlerTab tab) override;
    GetHandlerResult frmMakeNewInterviewer() override;
    GetHandlerResult frmMakeNewDirectoryHandler() override;
    SearchResult frmSubscriberSearch() override;
    SearchResult frmCallHandlerSearch() override;
    SearchResult frmInterviewerSearch() override;
    SearchResult frmDistributionListSearch() override;
    void frmSchedules() override;
    void frmAvailableExtensions() override;
    void frmFindTransferString() override;

    // Get Call Handler starts each showing with the template used last.
    QString strTemplateObjectID;

private:
    template <typename Dialog>
    SearchResult search();

    SharedState& m_state;
    QPointer<QWidget> m_parent;
    DialogOperations* m_searches;
    // Get Interviewer is hidden, not closed, after a Create: its next showing finds it as it was.
    // Like every window it goes with the window it is shown over; this object deletes it only
    // while it is still there.
    QPointer<::frmMakeNewInterviewer> m_interviewer;
    GetHandlerResult m_interviewerResult;
    // The tool windows delete themselves when closed.
    QPointer<::frmSchedules> m_schedules;
    QPointer<::frmAvailableExtensions> m_availableExtensions;
    // Exit hides this one: shown again, it has its text and option as they were.
    QPointer<::frmFindTransferString> m_transferString;
};
