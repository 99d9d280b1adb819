#pragma once

// What the greeting editors offer the property pane.
class GreetingOperations {
public:
    virtual ~GreetingOperations() = default;
    // The call handler page's greeting tab control was clicked, or the pane shows its greeting
    // again: shows the frame of the selected tab and binds the media control to that greeting's
    // sound file.
    virtual void tabHandlerGreetingInfo_Click(int PreviousTab) = 0;
    // The same for the subscriber page's greeting tabs.
    virtual void tabSubscriberGreetings_Click(int PreviousTab) = 0;
};
