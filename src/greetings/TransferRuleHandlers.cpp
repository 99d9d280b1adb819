#include "greetings/TransferRuleHandlers.h"

#include "data/SharedState.h"
#include "data/StoredValues.h"
#include "data/TransferRuleCodes.h"
#include "greetings/EditorRows.h"
#include "greetings/TransferRuleSave.h"
#include "pane/PaneOperations.h"
#include "runtime/SlotGuard.h"
#include "system/Clock.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>

namespace {

bool isEmptyText(const Variant& value)
{
    return value.isNull() || value.textOrEmpty().isEmpty();
}

void setEnabled(const TransferRuleControls& c, bool enabled)
{
    for (QWidget* w : std::initializer_list<QWidget*>{c.transferType, c.ringsToWait, c.transferString})
        w->setEnabled(enabled);
}

} // namespace

TransferRuleHandlers::TransferRuleHandlers(SharedState& state, PaneOperations& pane, TransferRuleSave& save)
    : m_state(state),
      m_pane(pane),
      m_save(save)
{
}

void TransferRuleHandlers::connectPages()
{
    for (int i = 0; i < TransferRuleCount; ++i)
        connectRule(m_save.handlerRule(i));
    connectRule(m_save.subscriberRule());
}

void TransferRuleHandlers::connectRule(const ShownTransferRule& rule)
{
    UserPrompts& prompts = m_state.prompts;
    const TransferRuleControls& c = rule.controls;
    if (c.enabled)
        connectGuarded(prompts, c.enabled, &QCheckBox::stateChanged, this, [this, &rule] { enabledClick(rule); });
    connectGuarded(prompts, c.attemptRingPhone, &QRadioButton::toggled, this, [this, &rule] { attemptRingPhoneClick(rule); });
    connectGuarded(prompts, c.sendToGreeting, &QRadioButton::toggled, this, [this, &rule] { sendToGreetingClick(rule); });
    connectGuarded(prompts, c.transferType, &QComboBox::currentIndexChanged, this, [this, &rule] { transferTypeClick(rule); });
}

void TransferRuleHandlers::chkHandlerTransferEnabled_Click(int Index)
{
    enabledClick(m_save.handlerRule(Index));
}

void TransferRuleHandlers::optHandlerTransferAttemptRingPhone_Click(int Index)
{
    attemptRingPhoneClick(m_save.handlerRule(Index));
}

void TransferRuleHandlers::optHandlerTransferSendToGreeting_Click(int Index)
{
    sendToGreetingClick(m_save.handlerRule(Index));
}

void TransferRuleHandlers::cmbHandlerTransferType_Click(int Index)
{
    transferTypeClick(m_save.handlerRule(Index));
}

void TransferRuleHandlers::optSubscriberTransferAttemptToRingPhone_Click()
{
    attemptRingPhoneClick(m_save.subscriberRule());
}

void TransferRuleHandlers::optSubscriberTransferSendToGreeting_Click()
{
    sendToGreetingClick(m_save.subscriberRule());
}

void TransferRuleHandlers::cmbSubscriberTransferType_Click()
{
    transferTypeClick(m_save.subscriberRule());
}

bool TransferRuleHandlers::positioned(const ShownTransferRule& rule, const StepErrors& errors)
{
    const QString handler = m_pane.ShownCallHandlerID(rule.page);
    if (m_pane.LoadInProgress() || handler.isEmpty())
        return false;
    return runStep(m_state.prompts, errors, [&] {
        EditorRows::findTransferRule(m_state.cache, handler, rule.index);
        m_state.cache.rsContactRule.field(QStringLiteral("Alias")); // a missing rule fails here
    });
}

void TransferRuleHandlers::enabledClick(const ShownTransferRule& shown)
{
    const TransferRuleControls& c = shown.controls;
    const bool checked = c.enabled->checkState() == Qt::Checked;
    c.attemptRingPhone->setEnabled(checked);
    c.sendToGreeting->setEnabled(checked);
    setEnabled(c, checked && !c.sendToGreeting->isChecked());

    const StepErrors errors(QStringLiteral("Error in chkHandlerTransferEnabled:"));
    if (!positioned(shown, errors))
        return;
    Recordset& rule = m_state.cache.rsContactRule;
    Variant expires, extension, rings;
    if (!runStep(m_state.prompts, errors, [&] {
            expires = rule.field(QStringLiteral("TimeExpires"));
            extension = rule.field(QStringLiteral("Extension"));
            rings = rule.field(QStringLiteral("TransferRings"));
        }))
        return;
    const QDateTime now = m_state.environment.clock.now();
    if (isRuleOn(expires, now)) {
        if (!checked)
            m_save.save(shown);
        else
            EditorRows::showsStored(rule, QStringLiteral("TimeExpires"));
        return;
    }
    if (!checked)
        EditorRows::showsStored(rule, QStringLiteral("TimeExpires"));
    if (!checked || expires.toDate() >= now)
        return;
    // Switched on without a number to ring: the rule sends callers to the greeting; without
    // rings it transfers by release. The save writes what the controls then show.
    if (isEmptyText(extension)) {
        const QSignalBlocker quiet(c.sendToGreeting);
        c.sendToGreeting->setChecked(true);
        setEnabled(c, false);
    } else if (isEmptyText(rings)) {
        const QSignalBlocker quiet(c.transferType);
        chooseTransferType(c, TransferType::Release);
    }
    m_save.save(shown);
}

void TransferRuleHandlers::attemptRingPhoneClick(const ShownTransferRule& shown)
{
    const TransferRuleControls& c = shown.controls;
    if (!c.attemptRingPhone->isChecked())
        return;
    setEnabled(c, true);
    const StepErrors errors = shown.errors(shown.texts->attemptRingPhoneError);
    if (!positioned(shown, errors))
        return;
    bool ringsPhone = false;
    Variant extension;
    if (!runStep(m_state.prompts, errors, [&] {
            ringsPhone = holdsCode(m_state.cache.rsContactRule.field(QStringLiteral("Action")), TransferAction::RingPhone);
            extension = m_state.cache.rsCallHandler.field(QStringLiteral("DTMFAccessID"));
        }))
        return;
    if (ringsPhone) {
        EditorRows::showsStored(m_state.cache.rsContactRule, QStringLiteral("Action"));
        return;
    }
    if (showsTransferType(c, TransferType::Supervised) && c.ringsToWait->text().isEmpty())
        c.ringsToWait->setText(QStringLiteral("4"));
    if (c.transferString->text().isEmpty()) {
        if (shown.texts->operatorFallback) {
            // A handler without an extension rings the operator.
            const QString own = extension.textOrEmpty();
            c.transferString->setText(own.isEmpty() ? QStringLiteral("0") : own);
        } else {
            // Without an extension there is nothing to ring: the box stays empty and is saved so.
            runStep(m_state.prompts, errors, [&] { c.transferString->setText(extension.toText()); });
        }
    }
    m_save.save(shown);
}

void TransferRuleHandlers::sendToGreetingClick(const ShownTransferRule& shown)
{
    const TransferRuleControls& c = shown.controls;
    if (!c.sendToGreeting->isChecked())
        return;
    setEnabled(c, false);
    const StepErrors errors = shown.errors(shown.texts->sendToGreetingError);
    if (!positioned(shown, errors))
        return;
    bool toGreeting = false;
    if (!runStep(m_state.prompts, errors, [&] {
            toGreeting = holdsCode(m_state.cache.rsContactRule.field(QStringLiteral("Action")), TransferAction::SendToGreeting);
        }))
        return;
    if (!toGreeting)
        m_save.save(shown);
    else
        EditorRows::showsStored(m_state.cache.rsContactRule, QStringLiteral("Action"));
}

void TransferRuleHandlers::transferTypeClick(const ShownTransferRule& shown)
{
    const TransferRuleControls& c = shown.controls;
    const StepErrors errors = shown.errors(shown.texts->transferTypeError);
    if (!positioned(shown, errors))
        return;
    Recordset& rule = m_state.cache.rsContactRule;
    Variant expires, action, type;
    if (!runStep(m_state.prompts, errors, [&] {
            expires = rule.field(QStringLiteral("TimeExpires"));
            action = rule.field(QStringLiteral("Action"));
            type = rule.field(QStringLiteral("TransferType"));
        }))
        return;
    bool off = false;
    if (!runStep(m_state.prompts, errors, [&] { off = !expires.isNull() && expires.toDate() < m_state.environment.clock.now(); }))
        return;
    // A choice on a rule that is off or sends callers to the greeting waits for the rule's next save.
    if (off || holdsCode(action, TransferAction::SendToGreeting))
        return;
    if (showsTransferType(c, TransferType::Release)) {
        if (!holdsCode(type, TransferType::Release))
            m_save.save(shown);
        else
            EditorRows::showsStored(rule, QStringLiteral("TransferType"));
        return;
    }
    if (holdsCode(type, TransferType::Supervised)) {
        EditorRows::showsStored(rule, QStringLiteral("TransferType"));
        return;
    }
    if (c.ringsToWait->text().isEmpty())
        c.ringsToWait->setText(QStringLiteral("4"));
    m_save.save(shown);
}
