#pragma once

#include "greetings/ShownTransferRule.h"

class PaneOperations;
class SharedState;

// Writes a transfer rule as its controls show it: enabled (where the page has the box), action,
// transfer type, rings and transfer string, one update and one change-log line per column,
// whatever changed.
class TransferRuleSave {
public:
    TransferRuleSave(SharedState& state, PaneOperations& pane);

    // Once, before the handlers connect: they keep the rules by reference.
    void setRules(const HandlerTransferControls& handler, const TransferRuleControls& subscriber);
    const ShownTransferRule& handlerRule(int index) const { return m_handler.at(size_t(index)); }
    const ShownTransferRule& subscriberRule() const { return m_subscriber; }

    // The call handler page's rule of that index, of the handler the page shows.
    void SaveAllHandlerContactRuleSettings(int index);
    // The subscriber page's rule, of the subscriber's own handler.
    void SaveAllSubscriberContactRuleSettings();
    // Either; held off while the pane loads or while the page shows nothing.
    void save(const ShownTransferRule& rule);

private:
    SharedState& m_state;
    PaneOperations& m_pane;
    std::array<ShownTransferRule, TransferRuleCount> m_handler{};
    ShownTransferRule m_subscriber{};
};
