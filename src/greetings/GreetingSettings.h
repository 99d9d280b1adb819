#pragma once

#include "pane/PaneControls.h"

#include <QObject>

class Variant;

class PaneOperations;
class SharedState;

// The greeting tabs' settings: whether a greeting is on, whether callers may dial during it, its
// source and its repeats, each written and logged the moment it changes. The enabled box also
// enables the greeting's other controls; that part runs during a load too, the writes do not.
class GreetingSettings : public QObject {
    Q_OBJECT
public:
    GreetingSettings(SharedState& state, PaneOperations& pane);

    // Connects the handlers to the call handler page's greeting controls.
    void connectHandlerPage(const GreetingPageControls& controls);
    // The same for the subscriber page, whose greetings are those of the subscriber's own handler.
    void connectSubscriberPage(const GreetingPageControls& controls);

    void chkHandlerGreetingEnabled_Click(int Index);
    void chkHandlerGreetingAllowUserInput_Click(int Index);
    void cmbHandlerGreetingSource_Validate(int Index, bool& Cancel);
    void cmbHandlerGreetingRepeat_Validate(int Index, bool& Cancel);
    void chkSubscriberGreetingEnabled_Click(int Index);
    void chkSubscriberGreetingAllowInput_Click(int Index);
    void cmbSubscriberGreetingSource_Validate(int Index, bool& Cancel);
    void cmbSubscriberGreetingsRepeat_Validate(int Index, bool& Cancel);

    // The texts of one page's handlers.
    struct Texts {
        const char* enabledError;
        const char* allowInputError;
        const char* sourceError;
        const char* repeatError;
        const char* sourceMissing;
        const char* repeatMissing;
    };

private:
    struct Page {
        EditorPage kind;
        GreetingPageControls controls;
        const Texts* texts;
    };
    void connectPage(const Page& page);
    void enabledClick(const Page& page, int index);
    void allowInputClick(const Page& page, int index);
    enum class ListColumn { PlayWhat, Reprompts };
    void listValidate(const Page& page, int index, ListColumn column);
    void logChange(const QString& column, const Variant& value);

    SharedState& m_state;
    PaneOperations& m_pane;
    Page m_handlerPage{};
    Page m_subscriberPage{};
};
