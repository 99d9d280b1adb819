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
    struct GetCallHandlerResult {
        bool bCancel = true;
        QString strObjectID; // the handler's CallHandlerObjectID
        QString strDisplayName;
    };
    enum class GetCallHandlerTab {
        AsTheDialogHasIt, // no tab is chosen for it
        CreateNewHandler, // tab 0 of SSTab1, "Create New Handler"
    };
    // bCancel is False only when a handler was created or picked. A created handler, with its
    // rules and its change-log line, is stored before this returns, and the shared recordsets
    // have been requeried; the caller requeries again before it looks the id up.
    virtual GetCallHandlerResult frmMakeNewCallHandler(GetCallHandlerTab tab) = 0;

    // frmSubscriberSearch: picks a subscriber.
    struct SubscriberSearchResult {
        bool bCancelHit = true;
        QString strObjectID; // the CallHandlerObjectID of the subscriber's own call handler
        QString strDisplayName;
    };
    // bCancelHit is False only when OK, or a double click on a result row, handed back a
    // subscriber; strObjectID is then never empty. Cancel and closing the window by its frame
    // both give bCancelHit True with both strings empty: the caller has nothing to look up.
    virtual SubscriberSearchResult frmSubscriberSearch() = 0;
};
