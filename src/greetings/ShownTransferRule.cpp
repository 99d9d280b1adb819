#include "greetings/ShownTransferRule.h"

#include <QComboBox>

namespace {

const TransferRuleTexts kHandlerTexts = {
    "Error in SaveAllHandlerContactRuleSettings:",
    "Error in optHandlerTransferAttemptRingPhone:",
    "optHandlerTransferSendToGreeting_click:",
    "Error in cmbHandlerTransferType_Validate:",
    "Error in txtHandlerTransferRingsToWait_Validate",
    "Error in txtHandlerTransferString_Validate:",
    "Rings to wait must be a number between 1 and 10",
    "The transfer string must contain only 0-9, '*', ',' or '#' characters",
    true,
};

const TransferRuleTexts kSubscriberTexts = {
    "Error in SaveAllSubscriberContactRuleSettings:",
    "Error in optSubscriberTransferAttemptToRingPhone_Click:",
    nullptr,
    "Error in cmbSubscriberTransferType_Click:",
    "Error in txtSubscriberTransferRingsToWait_Validate:",
    "Error in txtSubscriberTransferString_Validate:",
    "The rings to wait must be a number between 1 and 10",
    "The transfer string can contain 0-9, '*', ',' and '#' characters only",
    false,
};

} // namespace

std::array<ShownTransferRule, TransferRuleCount> handlerTransferRules(const HandlerTransferControls& controls)
{
    std::array<ShownTransferRule, TransferRuleCount> rules;
    for (int i = 0; i < TransferRuleCount; ++i)
        rules[size_t(i)] = ShownTransferRule{EditorPage::CallHandler, i, controls[size_t(i)], &kHandlerTexts};
    return rules;
}

ShownTransferRule subscriberTransferRule(const TransferRuleControls& controls)
{
    TransferRuleControls single = controls;
    single.enabled = nullptr;
    return ShownTransferRule{EditorPage::Subscriber, SubscriberTransferRule, single, &kSubscriberTexts};
}

bool showsTransferType(const TransferRuleControls& controls, qint16 code)
{
    const QVariant shown = controls.transferType->currentData();
    return shown.isValid() && shown.toInt() == code;
}

void chooseTransferType(const TransferRuleControls& controls, qint16 code)
{
    controls.transferType->setCurrentIndex(controls.transferType->findData(int(code)));
}
