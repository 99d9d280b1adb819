#pragma once

#include "pane/PaneControls.h"

#include <QString>
#include <array>
#include <functional>

class GreetingTab;
class QTabWidget;
class SharedState;

// A page's greeting tabs as the greeting loop fills them.
struct GreetingLoopPage {
    EditorPage kind;
    QTabWidget* tabs;
    std::array<GreetingTab*, GreetingCount> greetings;
    // The tab control's Click handler, run for the greeting whose tab is shown.
    std::function<void()> clickShownTab;
};

// Shows the six greetings of the handler on which rsCallHandler stands, rsMessagingRule being
// narrowed to its greetings, and gives a greeting without a sound file a new silent one. Leaves
// rsMessagingRule on the last greeting found. Each step's failure is passed over.
void LoadGreetings(SharedState& state, const GreetingLoopPage& page);

// Gives the current greeting of rsMessagingRule a new silent sound file in the stream-files
// folder, named after the handler on which rsCallHandler stands: the file is copied first, then
// the name is stored and logged; a failure at any point leaves the row, the log and the folder
// as they were. Returns the stored name, or the empty text when nothing was stored.
QString RepairGreetingFile(SharedState& state);
