#include "greetings/TransferRuleHandlers.h"

#include "data/SharedState.h"
#include "greetings/EditorRows.h"
#include "greetings/TransferRuleSave.h"
#include "pane/PaneOperations.h"
#include "runtime/ErrorHandling.h"
#include "runtime/SlotGuard.h"
#include "system/Clock.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>

namespace {

bool isRelease(const QComboBox* list)
{
    return list->currentText().compare(QLatin1String("Release"), Qt::CaseInsensitive) == 0;
}

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

void TransferRuleHandlers::connectHandlerPage(const HandlerTransferControls& controls)
{
    m_controls = controls;
    UserPrompts& prompts = m_state.prompts;
    for (int i = 0; i < TransferRuleCount; ++i) {
        const TransferRuleControls& c = controls[size_t(i)];
        connectGuarded(prompts, c.enabled, &QCheckBox::stateChanged, this, [this, i] { chkHandlerTransferEnabled_Click(i); });
        connectGuarded(prompts, c.attemptRingPhone, &QRadioButton::toggled, this,
                       [this, i] { optHandlerTransferAttemptRingPhone_Click(i); });
        connectGuarded(prompts, c.sendToGreeting, &QRadioButton::toggled, this,
                       [this, i] { optHandlerTransferSendToGreeting_Click(i); });
        connectGuarded(prompts, c.transferType, &QComboBox::currentIndexChanged, this,
                       [this, i] { cmbHandlerTransferType_Click(i); });
    }
}

bool TransferRuleHandlers::positioned(int index, const QString& errorPrefix)
{
    const QString handler = m_pane.ShownCallHandlerID(EditorPage::CallHandler);
    if (m_pane.LoadInProgress() || handler.isEmpty())
        return false;
    return runStep(m_state.prompts, StepErrors(errorPrefix), [&] {
        EditorRows::findTransferRule(m_state.cache, handler, index);
        m_state.cache.rsContactRule.field(QStringLiteral("Alias")); // a missing rule fails here
    });
}

void TransferRuleHandlers::chkHandlerTransferEnabled_Click(int Index)
{
    const TransferRuleControls& c = m_controls.at(size_t(Index));
    const bool checked = c.enabled->checkState() == Qt::Checked;
    c.attemptRingPhone->setEnabled(checked);
    c.sendToGreeting->setEnabled(checked);
    setEnabled(c, checked && !c.sendToGreeting->isChecked());

    const QString prefix = QStringLiteral("Error in chkHandlerTransferEnabled:");
    if (!positioned(Index, prefix))
        return;
    Recordset& rule = m_state.cache.rsContactRule;
    Variant expires, extension, rings;
    if (!runStep(m_state.prompts, StepErrors(prefix), [&] {
            expires = rule.field(QStringLiteral("TimeExpires"));
            extension = rule.field(QStringLiteral("Extension"));
            rings = rule.field(QStringLiteral("TransferRings"));
        }))
        return;
    const QDateTime now = m_state.environment.clock.now();
    if (EditorRows::isOn(expires, now)) {
        if (!checked)
            m_save.SaveAllHandlerContactRuleSettings(Index);
        return;
    }
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
        c.transferType->setCurrentIndex(c.transferType->findText(QStringLiteral("Release")));
    }
    m_save.SaveAllHandlerContactRuleSettings(Index);
}

void TransferRuleHandlers::optHandlerTransferAttemptRingPhone_Click(int Index)
{
    const TransferRuleControls& c = m_controls.at(size_t(Index));
    if (!c.attemptRingPhone->isChecked())
        return;
    setEnabled(c, true);
    const QString prefix = QStringLiteral("Error in optHandlerTransferAttemptRingPhone:");
    if (!positioned(Index, prefix))
        return;
    bool ringsPhone = false;
    QString extension;
    if (!runStep(m_state.prompts, StepErrors(prefix), [&] {
            ringsPhone = EditorRows::equals(m_state.cache.rsContactRule.field(QStringLiteral("Action")), 1);
            extension = m_state.cache.rsCallHandler.field(QStringLiteral("DTMFAccessID")).textOrEmpty();
        }))
        return;
    if (ringsPhone)
        return;
    if (c.transferType->currentText().compare(QLatin1String("Supervised"), Qt::CaseInsensitive) == 0
        && c.ringsToWait->text().isEmpty())
        c.ringsToWait->setText(QStringLiteral("4"));
    // A handler without an extension rings the operator.
    if (c.transferString->text().isEmpty())
        c.transferString->setText(extension.isEmpty() ? QStringLiteral("0") : extension);
    m_save.SaveAllHandlerContactRuleSettings(Index);
}

void TransferRuleHandlers::optHandlerTransferSendToGreeting_Click(int Index)
{
    const TransferRuleControls& c = m_controls.at(size_t(Index));
    if (!c.sendToGreeting->isChecked())
        return;
    setEnabled(c, false);
    const QString prefix = QStringLiteral("optHandlerTransferSendToGreeting_click:");
    if (!positioned(Index, prefix))
        return;
    bool toGreeting = false;
    if (!runStep(m_state.prompts, StepErrors(prefix),
                 [&] { toGreeting = EditorRows::equals(m_state.cache.rsContactRule.field(QStringLiteral("Action")), 0); }))
        return;
    if (!toGreeting)
        m_save.SaveAllHandlerContactRuleSettings(Index);
}

void TransferRuleHandlers::cmbHandlerTransferType_Click(int Index)
{
    const TransferRuleControls& c = m_controls.at(size_t(Index));
    const QString prefix = QStringLiteral("Error in cmbHandlerTransferType_Validate:");
    if (!positioned(Index, prefix))
        return;
    Recordset& rule = m_state.cache.rsContactRule;
    Variant expires, action, type;
    if (!runStep(m_state.prompts, StepErrors(prefix), [&] {
            expires = rule.field(QStringLiteral("TimeExpires"));
            action = rule.field(QStringLiteral("Action"));
            type = rule.field(QStringLiteral("TransferType"));
        }))
        return;
    bool off = false;
    if (!runStep(m_state.prompts, StepErrors(prefix),
                 [&] { off = !expires.isNull() && expires.toDate() < m_state.environment.clock.now(); }))
        return;
    // A choice on a rule that is off or sends callers to the greeting waits for the rule's next save.
    if (off || EditorRows::equals(action, 0))
        return;
    if (isRelease(c.transferType)) {
        if (!EditorRows::equals(type, 0))
            m_save.SaveAllHandlerContactRuleSettings(Index);
        return;
    }
    if (EditorRows::equals(type, 1))
        return;
    if (c.ringsToWait->text().isEmpty())
        c.ringsToWait->setText(QStringLiteral("4"));
    m_save.SaveAllHandlerContactRuleSettings(Index);
}
