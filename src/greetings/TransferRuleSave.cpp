#include "greetings/TransferRuleSave.h"

#include "data/ChangeLog.h"
#include "data/SharedState.h"
#include "greetings/EditorRows.h"
#include "pane/PaneOperations.h"
#include "runtime/ErrorHandling.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpression>

namespace {

// The number a text begins with, as the runtime's Val reads it; 0 when it begins with none.
double leadingNumber(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^\\s*([+-]?(\\d+\\.?\\d*|\\.\\d+))"));
    const QRegularExpressionMatch match = number.match(text);
    return match.hasMatch() ? match.captured(1).toDouble() : 0;
}

} // namespace

TransferRuleSave::TransferRuleSave(SharedState& state, PaneOperations& pane)
    : m_state(state),
      m_pane(pane)
{
}

void TransferRuleSave::SaveAllHandlerContactRuleSettings(int index)
{
    const QString handler = m_pane.ShownCallHandlerID(EditorPage::CallHandler);
    if (m_pane.LoadInProgress() || handler.isEmpty() || index < 0 || index >= TransferRuleCount)
        return;
    const TransferRuleControls& c = m_handler[size_t(index)];
    RecordsetCache& cache = m_state.cache;
    Recordset& rule = cache.rsContactRule;
    const StepErrors errors(QStringLiteral("Error in SaveAllHandlerContactRuleSettings:"));
    if (!runStep(m_state.prompts, errors, [&] { EditorRows::findTransferRule(cache, handler, index); }))
        return;
    const bool written = EditorRows::writeRow(m_state.prompts, errors, rule, [&] {
        const bool on = c.enabled->checkState() == Qt::Checked;
        rule.setField(QStringLiteral("TimeExpires"), on ? Variant::null() : Variant(EditorRows::SwitchedOff));
        rule.setField(QStringLiteral("Action"), c.attemptRingPhone->isChecked() ? 1 : 0);
        rule.setField(QStringLiteral("TransferType"),
                      c.transferType->currentText().compare(QLatin1String("Release"), Qt::CaseInsensitive) == 0 ? 0 : 1);
        rule.setField(QStringLiteral("TransferRings"), leadingNumber(c.ringsToWait->text()));
        rule.setField(QStringLiteral("Extension"), Variant(c.transferString->text()));
    });
    if (!written)
        return;
    const struct {
        const char* column;
        bool number;
    } columns[] = {{"TimeExpires", false}, {"Action", true}, {"TransferType", true}, {"TransferRings", true}, {"Extension", false}};
    for (const auto& column : columns) {
        runStep(m_state.prompts, errors, [&] {
            const QString name = QString::fromLatin1(column.column);
            const Variant value = rule.field(name);
            m_state.changeLog.LogChange(QStringLiteral("UPDATE"), QStringLiteral("ContactRule"),
                                        rule.field(QStringLiteral("Alias")), QStringLiteral("CallHandler"),
                                        cache.rsCallHandler.field(QStringLiteral("Alias")), name,
                                        column.number ? logNumber(value) : value);
        });
    }
}
