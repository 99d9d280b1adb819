#include "greetings/TransferRuleSave.h"

#include "data/ChangeLog.h"
#include "data/SharedState.h"
#include "data/StoredValues.h"
#include "data/TransferRuleCodes.h"
#include "db/RowUpdate.h"
#include "greetings/EditorRows.h"
#include "pane/PaneOperations.h"
#include "system/Clock.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalBlocker>

namespace {

// The number a text begins with, as the runtime's Val reads it; 0 when it begins with none.
double leadingNumber(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^\\s*([+-]?(\\d+\\.?\\d*|\\.\\d+))"));
    const QRegularExpressionMatch match = number.match(text);
    return match.hasMatch() ? match.captured(1).toDouble() : 0;
}

// After a refused write the controls show the rule as the database keeps it, their handlers
// quiet, so that what is seen is what is stored.
void showStored(const ShownTransferRule& shown, const Recordset& rule, const QDateTime& now)
{
    const TransferRuleControls& c = shown.controls;
    runStepSilently([&] {
        const bool on = isRuleOn(rule.field(QStringLiteral("TimeExpires")), now);
        const bool ringsPhone = holdsCode(rule.field(QStringLiteral("Action")), TransferAction::RingPhone);
        const qint16 type = shownTransferType(rule.field(QStringLiteral("TransferType")));
        const Variant rings = rule.field(QStringLiteral("TransferRings"));
        const QString extension = rule.field(QStringLiteral("Extension")).textOrEmpty();
        const QSignalBlocker quiet[] = {QSignalBlocker(c.attemptRingPhone), QSignalBlocker(c.sendToGreeting),
                                        QSignalBlocker(c.transferType), QSignalBlocker(c.ringsToWait),
                                        QSignalBlocker(c.transferString)};
        c.transferString->setText(extension);
        c.ringsToWait->setText(rings.isNull() ? QString() : numberText(rings.toDouble()));
        chooseTransferType(c, type);
        (ringsPhone ? c.attemptRingPhone : c.sendToGreeting)->setChecked(true);
        // A page without the enabled box shows its rule as on, whatever it stores.
        const bool switchable = !c.enabled || on;
        if (c.enabled) {
            const QSignalBlocker quietBox(c.enabled);
            c.enabled->setChecked(on);
        }
        c.attemptRingPhone->setEnabled(switchable);
        c.sendToGreeting->setEnabled(switchable);
        for (QWidget* w : std::initializer_list<QWidget*>{c.transferType, c.ringsToWait, c.transferString})
            w->setEnabled(switchable && ringsPhone);
    });
}

} // namespace

TransferRuleSave::TransferRuleSave(SharedState& state, PaneOperations& pane)
    : m_state(state),
      m_pane(pane)
{
}

void TransferRuleSave::setRules(const HandlerTransferControls& handler, const TransferRuleControls& subscriber)
{
    m_handler = handlerTransferRules(handler);
    m_subscriber = subscriberTransferRule(subscriber);
}

void TransferRuleSave::SaveAllHandlerContactRuleSettings(int index)
{
    if (index >= 0 && index < TransferRuleCount)
        save(m_handler[size_t(index)]);
}

void TransferRuleSave::SaveAllSubscriberContactRuleSettings()
{
    save(m_subscriber);
}

void TransferRuleSave::save(const ShownTransferRule& shown)
{
    const QString handler = m_pane.ShownCallHandlerID(shown.page);
    if (m_pane.LoadInProgress() || handler.isEmpty())
        return;
    const TransferRuleControls& c = shown.controls;
    RecordsetCache& cache = m_state.cache;
    Recordset& rule = cache.rsContactRule;
    const StepErrors errors = shown.errors(shown.texts->saveError);
    if (!runStep(m_state.prompts, errors, [&] { EditorRows::findTransferRule(cache, handler, shown.index); }))
        return;
    const bool written = writeRow(m_state.prompts, errors, rule, [&] {
        if (c.enabled)
            rule.setField(QStringLiteral("TimeExpires"),
                          c.enabled->checkState() == Qt::Checked ? Variant::null() : Variant(EditorRows::SwitchedOff));
        rule.setField(QStringLiteral("Action"),
                      int(c.attemptRingPhone->isChecked() ? TransferAction::RingPhone : TransferAction::SendToGreeting));
        rule.setField(QStringLiteral("TransferType"),
                      int(showsTransferType(c, TransferType::Release) ? TransferType::Release : TransferType::Supervised));
        rule.setField(QStringLiteral("TransferRings"), leadingNumber(c.ringsToWait->text()));
        rule.setField(QStringLiteral("Extension"), Variant(c.transferString->text()));
    });
    if (!written) {
        showStored(shown, rule, m_state.environment.clock.now());
        return;
    }
    const struct {
        const char* column;
        bool number;
    } columns[] = {{"TimeExpires", false}, {"Action", true}, {"TransferType", true}, {"TransferRings", true}, {"Extension", false}};
    for (const auto& column : columns) {
        const QString name = QString::fromLatin1(column.column);
        if (!c.enabled && name == QLatin1String("TimeExpires"))
            continue;
        runStep(m_state.prompts, errors, [&] {
            const Variant value = rule.field(name);
            m_state.changeLog.LogChange(QStringLiteral("UPDATE"), QStringLiteral("ContactRule"),
                                        rule.field(QStringLiteral("Alias")), QStringLiteral("CallHandler"),
                                        cache.rsCallHandler.field(QStringLiteral("Alias")), name,
                                        column.number ? logNumber(value) : value);
        });
    }
}
