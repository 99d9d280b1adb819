#pragma once

#include "pane/PaneControls.h"

#include <QObject>

class PaneOperations;
class SharedState;
class TransferRuleSave;

// The switches of a transfer rule: the enabled box, the two action options and the transfer-type
// list. Each enables the rule's other controls to match, fills in defaults and saves the rule
// when it differs from what is stored. During a load only the enabling runs.
class TransferRuleHandlers : public QObject {
    Q_OBJECT
public:
    TransferRuleHandlers(SharedState& state, PaneOperations& pane, TransferRuleSave& save);

    void connectHandlerPage(const HandlerTransferControls& controls);

    void chkHandlerTransferEnabled_Click(int Index);
    void optHandlerTransferAttemptRingPhone_Click(int Index);
    void optHandlerTransferSendToGreeting_Click(int Index);
    void cmbHandlerTransferType_Click(int Index);

private:
    // Puts rsContactRule on the shown handler's rule of the index. False while nothing may be
    // written (a load runs, nothing is shown) or when the rule cannot be read (its error shown).
    bool positioned(int index, const QString& errorPrefix);

    SharedState& m_state;
    PaneOperations& m_pane;
    TransferRuleSave& m_save;
    HandlerTransferControls m_controls{};
};
