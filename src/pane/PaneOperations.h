#pragma once

#include <QString>

class SonotropeCtrl;

// What the property pane offers the main window, the tree and the editors.
class PaneOperations {
public:
    virtual ~PaneOperations() = default;
    // Fills the pane's fixed lists; once, at start-up.
    virtual void PopulateControls() = 0;
    // Shows the object in the page of its node type, which the caller has brought to the front.
    virtual void LoadTabInfo(const QString& strObjectID, qint16 iObjectType) = 0;
    // Shows exactly the page of a node type and selects it; false, and nothing changes, for a
    // node type that has no page.
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
};
