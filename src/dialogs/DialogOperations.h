#pragma once

#include <QString>

// What the creation, search and lookup dialogs offer the other subsystems. Each call shows its
// dialog modally over the main window and returns when the dialog has closed; the result holds
// what the dialog's public variables held then.
class DialogOperations {
public:
    virtual ~DialogOperations() = default;

    // frmMakeNewCallHandler ("Get Call Handler"): creates a call handler from a template or picks
    // an existing one.
    // The results of the three Get dialogs: the created or picked handler's id; strDisplayName is
    // set only by a pick.
    struct GetHandlerResult {
        bool bCancel = true;
        QString strObjectID; // the handler's CallHandlerObjectID
        QString strDisplayName;
        bool bCreated = false; // the handler was created in this showing, not picked
    };
    using GetCallHandlerResult = GetHandlerResult;
    enum class GetCallHandlerTab {
        AsTheDialogHasIt, // no tab is chosen for it
        CreateNewHandler, // tab 0 of SSTab1, "Create New Handler"
    };
    // bCancel is False only when a handler was created or picked. A created handler, with its
    // rules and its change-log line, is stored before this returns, and the shared recordsets
    // have been requeried; the caller requeries again before it looks the id up.
    virtual GetCallHandlerResult frmMakeNewCallHandler(GetCallHandlerTab tab) = 0;

    // frmSubscriberSearch: picks a subscriber.
    // The results of the four search dialogs.
    struct SearchResult {
        bool bCancelHit = true;
        QString strObjectID; // for subscribers the CallHandlerObjectID of the subscriber's own call handler
        QString strDisplayName;
    };
    using SubscriberSearchResult = SearchResult;
    // bCancelHit is False only when OK, or a double click on a result row, handed back a
    // subscriber; strObjectID is then never empty. Cancel and closing the window by its frame
    // both give bCancelHit True with both strings empty: the caller has nothing to look up.
    virtual SubscriberSearchResult frmSubscriberSearch() = 0;

    // frmMakeNewInterviewer ("Get Interviewer"): creates an interview handler from a template or
    // picks one (InterviewHandlerObjectID). After a Create the dialog keeps its boxes, template,
    // tab and results for its next showing.
    virtual GetHandlerResult frmMakeNewInterviewer() = 0;
    // frmMakeNewDirectoryHandler ("Get Directory Handler"): creates a directory handler with the
    // settings of the oldest one, or picks one (NameLookupHandlerObjectID).
    virtual GetHandlerResult frmMakeNewDirectoryHandler() = 0;

    // The other three searches, with the subscriber search's contract.
    virtual SearchResult frmCallHandlerSearch() = 0;      // call handlers but subscribers' own
    virtual SearchResult frmInterviewerSearch() = 0;      // InterviewHandlerObjectID
    virtual SearchResult frmDistributionListSearch() = 0; // SystemDListObjectID

    // The tool windows: each exists once and is shown without being modal; the call returns at
    // once. A window that is open is brought to the front as it is, not loaded again.
    virtual void frmSchedules() = 0;           // the schedule editor
    virtual void frmAvailableExtensions() = 0; // the free extensions of a range
    virtual void frmFindTransferString() = 0;  // the transfer rules that dial a string
};
