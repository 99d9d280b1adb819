#pragma once

#include "pane/PaneControls.h"

#include <QObject>

class PaneOperations;
class SharedState;
class TransferRuleSave;

// The rings-to-wait and transfer-string boxes, checked when the focus leaves them: a refused
// value brings a message, a default in the box and the focus kept there; an accepted value that
// differs from the stored one is saved at once.
class TransferRuleValidation : public QObject {
    Q_OBJECT
public:
    TransferRuleValidation(SharedState& state, PaneOperations& pane, TransferRuleSave& save);

    void connectHandlerPage(const HandlerTransferControls& controls);

    void txtHandlerTransferRingstoWait_Validate(int Index, bool& Cancel);
    void txtHandlerTransferString_Validate(int Index, bool& Cancel);

private:
    SharedState& m_state;
    PaneOperations& m_pane;
    TransferRuleSave& m_save;
    HandlerTransferControls m_controls{};
};
