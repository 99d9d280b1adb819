#include "pane/TransferRuleTab.h"

#include "data/TransferRuleCodes.h"
#include "pane/PaneForms.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

const TransferRuleNames TransferRuleNames::CallHandler = {
    "chkHandlerTransferEnabled", "optHandlerTransferAttemptRingPhone", "optHandlerTransferSendToGreeting",
    "cmbHandlerTransferType",    "txtHandlerTransferRingstoWait",      "txtHandlerTransferString",
};

const TransferRuleNames TransferRuleNames::Subscriber = {
    nullptr,
    "optSubscriberTransferAttemptToRingPhone",
    "optSubscriberTransferSendToGreeting",
    "cmbSubscriberTransferType",
    "txtSubscriberTransferRingsToWait",
    "txtSubscriberTransferString",
};

namespace {

template <typename T>
T* named(T* control, const char* name, int index)
{
    if (index < 0) {
        control->setObjectName(QLatin1String(name));
        return control;
    }
    return namedElement(control, name, index);
}

template <typename T>
T* row(QFormLayout* form, const QString& caption, T* control, const char* name, int index)
{
    return named(addRow(form, caption, control, name), name, index);
}

} // namespace

TransferRuleTab::TransferRuleTab(const TransferRuleNames& names, int index, QWidget* frame)
    : QWidget(frame)
{
    auto* outer = new QVBoxLayout(frame);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(this);
    auto* form = new QFormLayout(this);

    if (names.enabled) {
        enabled = row(form, QStringLiteral("Enabled:"), new QCheckBox, names.enabled, index);
        // The standard rule is always on as far as this page goes.
        if (index == 0) {
            enabled->setChecked(true);
            form->setRowVisible(enabled, false);
        }
    }

    // The two options of a rule exclude each other: they share one parent.
    auto* actions = new QWidget;
    auto* actionsLayout = new QVBoxLayout(actions);
    actionsLayout->setContentsMargins(0, 0, 0, 0);
    attemptRingPhone = named(new QRadioButton(QStringLiteral("Attempt to ring phone")), names.attemptRingPhone, index);
    sendToGreeting = named(new QRadioButton(QStringLiteral("Send caller directly to greeting")), names.sendToGreeting, index);
    actionsLayout->addWidget(attemptRingPhone);
    actionsLayout->addWidget(sendToGreeting);
    auto* actionLabel = new QLabel(QStringLiteral("Action:"));
    actionLabel->setBuddy(attemptRingPhone);
    form->addRow(actionLabel, actions);

    transferType = row(form, QStringLiteral("Transfer Type:"), new QComboBox, names.transferType, index);
    for (const TransferTypeEntry& entry : TransferTypeEntries)
        transferType->addItem(QString::fromLatin1(entry.text), int(entry.code));
    transferType->setCurrentIndex(-1);
    ringsToWait = row(form, QStringLiteral("Rings To Wait:"), new QLineEdit, names.ringsToWait, index);
    ringsToWait->setMaxLength(2);
    transferString = row(form, QStringLiteral("Transfer String:"), new QLineEdit, names.transferString, index);
    transferString->setMaxLength(40);
}

void TransferRuleTab::clear()
{
    transferString->clear();
    ringsToWait->clear();
    transferType->setCurrentIndex(-1);
    if (enabled)
        enabled->setChecked(false);
    // Exclusive options cannot both be cleared while they exclude each other.
    for (QRadioButton* option : {attemptRingPhone, sendToGreeting}) {
        option->setAutoExclusive(false);
        option->setChecked(false);
        option->setAutoExclusive(true);
    }
    // A cleared rule is off, whatever the box showed before: its controls follow.
    for (QWidget* w : std::initializer_list<QWidget*>{attemptRingPhone, sendToGreeting, transferType, ringsToWait, transferString})
        w->setEnabled(false);
}

void TransferRuleTab::showTransferType(const Variant& stored)
{
    transferType->setCurrentIndex(transferType->findData(int(shownTransferType(stored))));
}

TransferRuleControls TransferRuleTab::controls() const
{
    return {enabled, attemptRingPhone, sendToGreeting, transferType, ringsToWait, transferString};
}
