#include "greetings/TransferRuleValidation.h"

#include "data/SharedState.h"
#include "data/StoredValues.h"
#include "data/TransferRuleCodes.h"
#include "data/Validators.h"
#include "greetings/EditorRows.h"
#include "greetings/TransferRuleSave.h"
#include "pane/PaneOperations.h"
#include "widgets/FieldValidation.h"

#include <QLineEdit>

TransferRuleValidation::TransferRuleValidation(SharedState& state, PaneOperations& pane, TransferRuleSave& save)
    : m_state(state),
      m_pane(pane),
      m_save(save)
{
}

void TransferRuleValidation::connectPages()
{
    FieldValidation& validation = m_pane.fieldValidation();
    auto watch = [&](const ShownTransferRule& rule) {
        validation.watch(rule.controls.ringsToWait, this, [this, &rule](bool& cancel) { ringsValidate(rule, cancel); });
        validation.watch(rule.controls.transferString, this, [this, &rule](bool& cancel) { transferStringValidate(rule, cancel); });
    };
    for (int i = 0; i < TransferRuleCount; ++i)
        watch(m_save.handlerRule(i));
    watch(m_save.subscriberRule());
}

void TransferRuleValidation::txtHandlerTransferRingstoWait_Validate(int Index, bool& Cancel)
{
    ringsValidate(m_save.handlerRule(Index), Cancel);
}

void TransferRuleValidation::txtHandlerTransferString_Validate(int Index, bool& Cancel)
{
    transferStringValidate(m_save.handlerRule(Index), Cancel);
}

void TransferRuleValidation::txtSubscriberTransferRingsToWait_Validate(bool& Cancel)
{
    ringsValidate(m_save.subscriberRule(), Cancel);
}

void TransferRuleValidation::txtSubscriberTransferString_Validate(bool& Cancel)
{
    transferStringValidate(m_save.subscriberRule(), Cancel);
}

void TransferRuleValidation::ringsValidate(const ShownTransferRule& shown, bool& cancel)
{
    QLineEdit* box = shown.controls.ringsToWait;
    if (!MyIsNumber(box->text(), 1, 10)) {
        m_state.prompts.msgBox(QString::fromLatin1(shown.texts->ringsRefused));
        box->setText(QStringLiteral("4"));
        cancel = true;
        return;
    }
    if (box->text().trimmed().isEmpty())
        box->setText(QStringLiteral("4"));

    const QString handler = m_pane.ShownCallHandlerID(shown.page);
    if (m_pane.LoadInProgress() || handler.isEmpty())
        return;
    Recordset& rule = m_state.cache.rsContactRule;
    bool differs = false;
    if (!runStep(m_state.prompts, shown.errors(shown.texts->ringsError), [&] {
            EditorRows::findTransferRule(m_state.cache, handler, shown.index);
            const Variant stored = rule.field(QStringLiteral("TransferRings"));
            const bool agrees = holdsCode(stored, box->text().trimmed().toDouble());
            if (agrees)
                EditorRows::showsStored(rule, QStringLiteral("TransferRings"));
            // Rings count only for a supervised transfer that rings the phone; a Null is never
            // taken for a difference (the rule's next save writes the box).
            differs = !holdsCode(rule.field(QStringLiteral("Action")), TransferAction::SendToGreeting)
                      && !holdsCode(rule.field(QStringLiteral("TransferType")), TransferType::Release) && !stored.isNull()
                      && !agrees;
        }))
        return;
    if (differs)
        m_save.save(shown);
}

void TransferRuleValidation::transferStringValidate(const ShownTransferRule& shown, bool& cancel)
{
    QLineEdit* box = shown.controls.transferString;
    const QString handler = m_pane.ShownCallHandlerID(shown.page);
    const StepErrors errors = shown.errors(shown.texts->transferStringError);
    if (!myIsDialableString(box->text(), false)) {
        m_state.prompts.msgBox(QString::fromLatin1(shown.texts->transferStringRefused));
        cancel = true;
        // The handler's own extension instead; the call handler page falls back on the
        // operator and writes the replacement, the subscriber page keeps the stored string.
        Variant extension;
        if (!handler.isEmpty())
            runStep(m_state.prompts, errors, [&] {
                EditorRows::positionOnHandler(m_state.cache, handler);
                extension = m_state.cache.rsCallHandler.field(QStringLiteral("DTMFAccessID"));
            });
        if (!shown.texts->operatorFallback) {
            runStep(m_state.prompts, errors, [&] { box->setText(extension.toText()); });
            return;
        }
        const QString own = extension.textOrEmpty();
        box->setText(own.isEmpty() ? QStringLiteral("0") : own);
    }

    if (m_pane.LoadInProgress() || handler.isEmpty())
        return;
    Recordset& rule = m_state.cache.rsContactRule;
    bool differs = false;
    if (!runStep(m_state.prompts, errors, [&] {
            EditorRows::findTransferRule(m_state.cache, handler, shown.index);
            const Variant stored = rule.field(QStringLiteral("Extension"));
            const bool agrees = !stored.isNull() && stored.toText().compare(box->text(), Qt::CaseInsensitive) == 0;
            if (agrees)
                EditorRows::showsStored(rule, QStringLiteral("Extension"));
            differs =
                !holdsCode(rule.field(QStringLiteral("Action")), TransferAction::SendToGreeting) && !stored.isNull() && !agrees;
        }))
        return;
    if (differs)
        m_save.save(shown);
}
