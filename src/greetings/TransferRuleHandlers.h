#pragma once

#include "greetings/ShownTransferRule.h"

#include <QObject>

class PaneOperations;
class SharedState;
class TransferRuleSave;

// The switches of a transfer rule: the enabled box, the two action options and the transfer-type
// list. Each enables the rule's other controls to match, fills in defaults and saves the rule
// when it differs from what is stored. During a load only the enabling runs. The call handler
// page's three rules and the subscriber page's one share these handlers.
class TransferRuleHandlers : public QObject {
    Q_OBJECT
public:
    TransferRuleHandlers(SharedState& state, PaneOperations& pane, TransferRuleSave& save);

    // Connects the handlers to the rules' controls that the save holds.
    void connectPages();

    void chkHandlerTransferEnabled_Click(int Index);
    void optHandlerTransferAttemptRingPhone_Click(int Index);
    void optHandlerTransferSendToGreeting_Click(int Index);
    void cmbHandlerTransferType_Click(int Index);
    void optSubscriberTransferAttemptToRingPhone_Click();
    void optSubscriberTransferSendToGreeting_Click();
    void cmbSubscriberTransferType_Click();

private:
    void connectRule(const ShownTransferRule& rule);
    void enabledClick(const ShownTransferRule& rule);
    void attemptRingPhoneClick(const ShownTransferRule& rule);
    void sendToGreetingClick(const ShownTransferRule& rule);
    void transferTypeClick(const ShownTransferRule& rule);
    // Puts rsContactRule on the shown rule. False while nothing may be written (a load runs,
    // nothing is shown) or when the rule cannot be read (its error shown).
    bool positioned(const ShownTransferRule& rule, const StepErrors& errors);

    SharedState& m_state;
    PaneOperations& m_pane;
    TransferRuleSave& m_save;
};
