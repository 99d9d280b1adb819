#pragma once

#include "pane/PaneControls.h"

class PaneOperations;
class SharedState;

// Writes a transfer rule as its controls show it: enabled, action, transfer type, rings and
// transfer string, one update and one change-log line per column, whatever changed.
class TransferRuleSave {
public:
    TransferRuleSave(SharedState& state, PaneOperations& pane);

    void setHandlerControls(const HandlerTransferControls& controls) { m_handler = controls; }

    // The call handler page's rule of that index, of the handler the page shows. Held off while
    // the pane loads.
    void SaveAllHandlerContactRuleSettings(int index);

private:
    SharedState& m_state;
    PaneOperations& m_pane;
    HandlerTransferControls m_handler{};
};
