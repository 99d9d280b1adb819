#pragma once

#include "actions/ChosenLink.h"

#include <QString>
#include <optional>

class DialogOperations;
class LinkPopUpState;
class LinkRefresh;
class LinkWriter;
class SharedState;
class StepErrors;

// The popup's commands that send the chosen link to a call handler, an interview handler, a
// subscriber or a directory handler, created or picked in a dialog.
class DestinationCommands {
public:
    DestinationCommands(SharedState& state, LinkPopUpState& popUpState, LinkWriter& writer, LinkRefresh& refresh);

    // Without dialogs the commands do nothing.
    void setDialogs(DialogOperations* dialogs) { m_dialogs = dialogs; }

    void LinkCallHandler_Click();
    void LinkInterviewer_Click();
    void LinkSubscriber_Click();
    void LinkDirectoryHandler_Click();

private:
    // What a command knows before its dialog opens: the dialogs requery the shared recordsets
    // and a creation moves them onto the new object.
    struct Remembered {
        ChosenLink link;
        QString directoryHandler;
        QString interviewHandler;
        QString greetingAlias;
        QString callHandler;
        QString subscriber;
    };
    std::optional<Remembered> remember(const StepErrors& errors, bool forCallHandler);
    // Puts the directory handler back; false when it was remembered, or is the link's owner, and
    // is gone.
    bool refindDirectoryHandler(const Remembered& r);

    SharedState& m_state;
    LinkPopUpState& m_popUpState;
    LinkWriter& m_writer;
    LinkRefresh& m_refresh;
    DialogOperations* m_dialogs = nullptr;
};
