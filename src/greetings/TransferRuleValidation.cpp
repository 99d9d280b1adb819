#include "greetings/TransferRuleValidation.h"

#include "data/SharedState.h"
#include "data/Validators.h"
#include "greetings/EditorRows.h"
#include "greetings/TransferRuleSave.h"
#include "pane/PaneOperations.h"
#include "runtime/ErrorHandling.h"
#include "widgets/FieldValidation.h"

#include <QLineEdit>

TransferRuleValidation::TransferRuleValidation(SharedState& state, PaneOperations& pane, TransferRuleSave& save)
    : m_state(state),
      m_pane(pane),
      m_save(save)
{
}

void TransferRuleValidation::connectHandlerPage(const HandlerTransferControls& controls)
{
    m_controls = controls;
    FieldValidation& validation = m_pane.fieldValidation();
    for (int i = 0; i < TransferRuleCount; ++i) {
        const TransferRuleControls& c = controls[size_t(i)];
        validation.watch(c.ringsToWait, this, [this, i](bool& cancel) { txtHandlerTransferRingstoWait_Validate(i, cancel); });
        validation.watch(c.transferString, this, [this, i](bool& cancel) { txtHandlerTransferString_Validate(i, cancel); });
    }
}

void TransferRuleValidation::txtHandlerTransferRingstoWait_Validate(int Index, bool& Cancel)
{
    QLineEdit* box = m_controls.at(size_t(Index)).ringsToWait;
    if (!MyIsNumber(box->text(), 1, 10)) {
        m_state.prompts.msgBox(QStringLiteral("Rings to wait must be a number between 1 and 10"));
        box->setText(QStringLiteral("4"));
        Cancel = true;
        return;
    }
    if (box->text().trimmed().isEmpty())
        box->setText(QStringLiteral("4"));

    const QString handler = m_pane.ShownCallHandlerID(EditorPage::CallHandler);
    if (m_pane.LoadInProgress() || handler.isEmpty())
        return;
    Recordset& rule = m_state.cache.rsContactRule;
    bool differs = false;
    if (!runStep(m_state.prompts, StepErrors(QStringLiteral("Error in txtHandlerTransferRingsToWait_Validate")), [&] {
            EditorRows::findTransferRule(m_state.cache, handler, Index);
            const Variant stored = rule.field(QStringLiteral("TransferRings"));
            // Rings count only for a supervised transfer that rings the phone; a Null is never
            // taken for a difference (the rule's next save writes the box).
            differs = !EditorRows::equals(rule.field(QStringLiteral("Action")), 0)
                      && !EditorRows::equals(rule.field(QStringLiteral("TransferType")), 0) && !stored.isNull()
                      && stored.toDouble() != box->text().trimmed().toDouble();
        }))
        return;
    if (differs)
        m_save.SaveAllHandlerContactRuleSettings(Index);
}

void TransferRuleValidation::txtHandlerTransferString_Validate(int Index, bool& Cancel)
{
    QLineEdit* box = m_controls.at(size_t(Index)).transferString;
    const QString handler = m_pane.ShownCallHandlerID(EditorPage::CallHandler);
    const StepErrors errors(QStringLiteral("Error in txtHandlerTransferString_Validate:"));
    if (!myIsDialableString(box->text(), false)) {
        m_state.prompts.msgBox(QStringLiteral("The transfer string must contain only 0-9, '*', ',' or '#' characters"));
        // The handler's own extension, or the operator, instead.
        QString extension;
        if (!handler.isEmpty())
            runStep(m_state.prompts, errors, [&] {
                EditorRows::positionOnHandler(m_state.cache, handler);
                extension = m_state.cache.rsCallHandler.field(QStringLiteral("DTMFAccessID")).textOrEmpty();
            });
        box->setText(extension.isEmpty() ? QStringLiteral("0") : extension);
        Cancel = true;
    }

    if (m_pane.LoadInProgress() || handler.isEmpty())
        return;
    Recordset& rule = m_state.cache.rsContactRule;
    bool differs = false;
    if (!runStep(m_state.prompts, errors, [&] {
            EditorRows::findTransferRule(m_state.cache, handler, Index);
            const Variant stored = rule.field(QStringLiteral("Extension"));
            differs = !EditorRows::equals(rule.field(QStringLiteral("Action")), 0) && !stored.isNull()
                      && stored.toText().compare(box->text(), Qt::CaseInsensitive) != 0;
        }))
        return;
    if (differs)
        m_save.SaveAllHandlerContactRuleSettings(Index);
}
