#pragma once

#include <QString>

class SonotropeCtrl;

// What the property pane offers the main window and the editors.
class PaneOperations {
public:
    virtual ~PaneOperations() = default;
    virtual void PopulateControls() = 0;
    virtual void LoadTabInfo(const QString& strObjectID, qint16 iObjectType) = 0;

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
