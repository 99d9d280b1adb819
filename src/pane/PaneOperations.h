#pragma once

#include "pane/PaneControls.h"

#include <QString>
#include <functional>

class FieldValidation;
class GreetingOperations;
class QLineEdit;
class SonotropeCtrl;

// What the property pane offers the main window, the tree and the editors.
class PaneOperations {
public:
    virtual ~PaneOperations() = default;
    // Fills the pane's fixed lists; once, at start-up.
    virtual void PopulateControls() = 0;
    // Shows the object in the page of its node type, which the caller has brought to the front.
    virtual void LoadTabInfo(const QString& strObjectID, qint16 iObjectType) = 0;
    // Shows exactly the page of a node type, emptied for the load that follows, and selects it;
    // false, and nothing changes, for a node type that has no page.
    virtual bool ShowNodeTypeTab(qint16 nodeType) = 0;
    // True while a load fills the controls: the editors' handlers then apply what they show but
    // write nothing.
    virtual bool LoadInProgress() const = 0;

    // The directory handler page as this server version has it: no search options tab.
    virtual void ShowDirectoryHandlerTabs() = 0;

    // The three media controls, created by the start-up inside their frames.
    enum class MediaControl { HandlerGreetings, SubscriberGreetings, InterviewerQuestions };
    static constexpr int MediaControlCount = 3;
    // Creates one media control; throws the runtime's error when it cannot.
    virtual void CreateMediaControl(MediaControl which) = 0;
    // Null until created.
    virtual SonotropeCtrl* mediaControl(MediaControl which) const = 0;
    // Told of each media control as it is created (editors handle their events).
    using MediaControlListener = std::function<void(MediaControl which, SonotropeCtrl& control)>;
    virtual void addMediaControlListener(MediaControlListener listener) = 0;

    // The greeting editor that the greeting tabs' Click handlers run, until it is replaced or
    // reset; not owned.
    virtual void setGreetingOperations(GreetingOperations* greetings) = 0;

    // The call handler page's greeting tabs and transfer rules, for their editors.
    virtual GreetingPageControls handlerGreetingControls() const = 0;
    virtual GreetingPageControls subscriberGreetingControls() const = 0;
    virtual HandlerTransferControls handlerTransferControls() const = 0;
    // The subscriber page's one transfer rule (it has no enabled box).
    virtual TransferRuleControls subscriberTransferControls() const = 0;
    // The four pages' profile controls, for the profile editors.
    virtual ProfileControls profileControls() const = 0;
    // The box that shows an interview handler's after-message link ("IntAM") or a directory
    // handler's exit ("DirExit", "DirNoInputExit", "DirNoSelectionExit", "DirZeroExit"); null for
    // other selectors.
    virtual QLineEdit* linkBox(const QString& selector) const = 0;
    // Every button that opens the action popup for a link of the page it is on.
    virtual std::vector<ChooseActionButton> chooseActionButtons() const = 0;
    // The interviewer page's question list, for its editors.
    virtual InterviewQuestionControls interviewQuestionControls() const = 0;
    // Reads the questions of the interview handler the page shows into the list again, from
    // rsInterviewQuestion, as the page's load does; the rest of the page stays as it is.
    virtual void ReloadInterviewQuestions() = 0;
    // The call handler whose greetings and transfer rules a page shows (for the subscriber page,
    // the subscriber's own handler); empty while the page shows none. The editors find their rows
    // by it, whatever the shared recordsets stand on meanwhile.
    virtual QString ShownCallHandlerID(EditorPage page) const = 0;
    // The interview handler and the directory handler their pages show; empty while they show
    // none. The profile editors write to these objects, wherever the shared recordsets stand.
    virtual QString ShownInterviewHandlerID() const = 0;
    virtual QString ShownDirectoryHandlerID() const = 0;
    // The object the page in front shows, with the node type that loads it; false while that
    // page shows none, and for a leaf.
    virtual bool ShownObject(QString& strObjectID, qint16& iObjectType) const = 0;
    // The Validate events of the pane's fields.
    virtual FieldValidation& fieldValidation() = 0;
};
