#pragma once

#include "greetings/ShownTransferRule.h"

#include <QObject>

class PaneOperations;
class SharedState;
class TransferRuleSave;

// The rings-to-wait and transfer-string boxes, checked when the focus leaves them: a refused
// value brings a message, a default in the box and the focus kept there; an accepted value that
// differs from the stored one is saved at once. The call handler page's three rules and the
// subscriber page's one share these checks.
class TransferRuleValidation : public QObject {
    Q_OBJECT
public:
    TransferRuleValidation(SharedState& state, PaneOperations& pane, TransferRuleSave& save);

    // Watches the boxes of the rules that the save holds.
    void connectPages();

    void txtHandlerTransferRingstoWait_Validate(int Index, bool& Cancel);
    void txtHandlerTransferString_Validate(int Index, bool& Cancel);
    void txtSubscriberTransferRingsToWait_Validate(bool& Cancel);
    void txtSubscriberTransferString_Validate(bool& Cancel);

private:
    void ringsValidate(const ShownTransferRule& rule, bool& cancel);
    void transferStringValidate(const ShownTransferRule& rule, bool& cancel);

    SharedState& m_state;
    PaneOperations& m_pane;
    TransferRuleSave& m_save;
};
