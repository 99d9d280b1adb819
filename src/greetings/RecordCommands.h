#pragma once

#include "pane/PaneControls.h"
#include "pane/PaneOperations.h"

#include <QObject>

class SharedState;
class SonotropeCtrl;

// The record buttons of the greeting tabs and of the question list: the recording window opens
// on the sound the page shows, and a saved recording is copied over that sound's file in the
// stream-files folder. A greeting then names the file in its row, logged; a question's row
// names it already. Recording in place is left to the call handler's own control; the other two
// controls record only through the window.
class RecordCommands : public QObject {
    Q_OBJECT
public:
    RecordCommands(SharedState& state, PaneOperations& pane);

    void connectHandlerPage(const GreetingPageControls& controls);
    void connectSubscriberPage(const GreetingPageControls& controls);
    void connectInterviewerPage(const InterviewQuestionControls& controls);

    void cmdHandlerRecord_Click();
    void cmdSubscriberRecord_Click();
    void cmdInterviewerRecord_Click();

private:
    struct Command;
    void run(const Command& command);

    SharedState& m_state;
    PaneOperations& m_pane;
    GreetingPageControls m_handlerPage{};
    GreetingPageControls m_subscriberPage{};
    InterviewQuestionControls m_questions{};
};
