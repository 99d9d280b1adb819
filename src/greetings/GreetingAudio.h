#pragma once

#include "greetings/GreetingOperations.h"
#include "pane/PaneControls.h"

#include <QObject>

class PaneOperations;
class SharedState;
class SonotropeCtrl;

// The greeting tabs' sound: selecting a tab shows its greeting and binds the page's media
// control to the greeting's file; a recording made in place in the call handler's control is
// copied over the greeting's file when the control loses the focus. No row is written.
class GreetingAudio : public QObject, public GreetingOperations {
    Q_OBJECT
public:
    // The pane's greeting tabs run it from its construction to its destruction.
    GreetingAudio(SharedState& state, PaneOperations& pane);
    ~GreetingAudio() override;

    // The call handler page's greeting tabs; its media control's lost focus is handled from its
    // creation on.
    void connectHandlerPage(const GreetingPageControls& controls);
    void connectSubscriberPage(const GreetingPageControls& controls) { m_subscriberPage = controls; }

    void tabHandlerGreetingInfo_Click(int PreviousTab) override;
    void tabSubscriberGreetings_Click(int PreviousTab) override;
    void snHandlerGreetings_LostFocus();

private:
    void bind(const GreetingPageControls& page, SonotropeCtrl* control, const QString& errorPrefix);
    void commitInPlaceRecording(SonotropeCtrl& control);

    SharedState& m_state;
    PaneOperations& m_pane;
    GreetingPageControls m_handlerPage{};
    GreetingPageControls m_subscriberPage{};
};
