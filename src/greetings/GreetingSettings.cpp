#include "greetings/GreetingSettings.h"

#include "data/SharedState.h"
#include "data/StoredValues.h"
#include "db/RowUpdate.h"
#include "greetings/EditorRows.h"
#include "pane/PaneOperations.h"
#include "runtime/ErrorHandling.h"
#include "runtime/SlotGuard.h"
#include "system/Clock.h"
#include "widgets/FieldValidation.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>

namespace {

const GreetingSettings::Texts kHandlerTexts = {
    "Error in chkHandlerGreetingEnabled_Click:",
    "Error in chkHandlerGreetingAllowUserInput_Click:",
    "Error in cmbHandlerGreetingSource_Validate:",
    "Error in cmbHandlerGreetingRepeat_Validate:",
    "Error in cmbHandlerGreetingSource - unable to find Messaging rule objectID=",
    "Error in cmbHandlerGreetingsRepeat_Validate - unable to find Messaging rule objectID=",
};

const GreetingSettings::Texts kSubscriberTexts = {
    "Error in chkSubscriberGreetingEnabled_Click:",
    "Error in chkSubscriberGreetingAllowInput_Cick:",
    "Error in cmbSubscriberGreetingSource_Validate:",
    "Error in cmbSubscriberGreetingsRepeat_Validate:",
    "Error in cmbSubscriberGreetingSource_Validate - unable to find Messaging rule objectID=",
    "Error in cmbSubscriberGreetingsRepeat_Validate - unable to find Messaging rule objectID=",
};

bool ticked(const QCheckBox* box)
{
    return box->checkState() == Qt::Checked;
}

// The controls of a greeting that only count while it is switched on.
void followSwitch(const GreetingControls& c, bool on)
{
    for (QWidget* w : std::initializer_list<QWidget*>{c.afterGreeting, c.changeAfterGreeting, c.allowInput, c.repeat, c.source})
        w->setEnabled(on);
}

// After a refused write a box shows what is stored again, without running its handler.
void showStored(QCheckBox* box, bool on)
{
    const QSignalBlocker quiet(box);
    box->setChecked(on);
}

} // namespace

GreetingSettings::GreetingSettings(SharedState& state, PaneOperations& pane)
    : m_state(state),
      m_pane(pane)
{
}

void GreetingSettings::connectHandlerPage(const GreetingPageControls& controls)
{
    m_handlerPage = Page{EditorPage::CallHandler, controls, &kHandlerTexts};
    connectPage(m_handlerPage);
}

void GreetingSettings::connectSubscriberPage(const GreetingPageControls& controls)
{
    m_subscriberPage = Page{EditorPage::Subscriber, controls, &kSubscriberTexts};
    connectPage(m_subscriberPage);
}

void GreetingSettings::connectPage(const Page& page)
{
    const bool handler = page.kind == EditorPage::CallHandler;
    UserPrompts& prompts = m_state.prompts;
    for (int i = 0; i < GreetingCount; ++i) {
        const GreetingControls& c = page.controls.greetings[size_t(i)];
        connectGuarded(prompts, c.enabled, &QCheckBox::stateChanged, this, [this, handler, i] {
            handler ? chkHandlerGreetingEnabled_Click(i) : chkSubscriberGreetingEnabled_Click(i);
        });
        connectGuarded(prompts, c.allowInput, &QCheckBox::stateChanged, this, [this, handler, i] {
            handler ? chkHandlerGreetingAllowUserInput_Click(i) : chkSubscriberGreetingAllowInput_Click(i);
        });
        m_pane.fieldValidation().watch(c.source, this, [this, handler, i](bool& cancel) {
            handler ? cmbHandlerGreetingSource_Validate(i, cancel) : cmbSubscriberGreetingSource_Validate(i, cancel);
        });
        m_pane.fieldValidation().watch(c.repeat, this, [this, handler, i](bool& cancel) {
            handler ? cmbHandlerGreetingRepeat_Validate(i, cancel) : cmbSubscriberGreetingsRepeat_Validate(i, cancel);
        });
    }
}

void GreetingSettings::chkHandlerGreetingEnabled_Click(int Index)
{
    enabledClick(m_handlerPage, Index);
}

void GreetingSettings::chkHandlerGreetingAllowUserInput_Click(int Index)
{
    allowInputClick(m_handlerPage, Index);
}

void GreetingSettings::cmbHandlerGreetingSource_Validate(int Index, bool&)
{
    listValidate(m_handlerPage, Index, ListColumn::PlayWhat);
}

void GreetingSettings::cmbHandlerGreetingRepeat_Validate(int Index, bool&)
{
    listValidate(m_handlerPage, Index, ListColumn::Reprompts);
}

void GreetingSettings::chkSubscriberGreetingEnabled_Click(int Index)
{
    enabledClick(m_subscriberPage, Index);
}

void GreetingSettings::chkSubscriberGreetingAllowInput_Click(int Index)
{
    allowInputClick(m_subscriberPage, Index);
}

void GreetingSettings::cmbSubscriberGreetingSource_Validate(int Index, bool&)
{
    listValidate(m_subscriberPage, Index, ListColumn::PlayWhat);
}

void GreetingSettings::cmbSubscriberGreetingsRepeat_Validate(int Index, bool&)
{
    listValidate(m_subscriberPage, Index, ListColumn::Reprompts);
}

void GreetingSettings::enabledClick(const Page& page, int index)
{
    const GreetingControls& c = page.controls.greetings.at(size_t(index));
    const bool on = ticked(c.enabled);
    followSwitch(c, on);

    const QString handler = m_pane.ShownCallHandlerID(page.kind);
    if (m_pane.LoadInProgress() || handler.isEmpty())
        return;
    RecordsetCache& cache = m_state.cache;
    Recordset& rules = cache.rsMessagingRule;
    const StepErrors errors(QString::fromLatin1(page.texts->enabledError));
    bool storedOn = false;
    if (!runStep(m_state.prompts, errors, [&] {
            EditorRows::findGreeting(cache, handler, index);
            storedOn = isRuleOn(rules.field(QStringLiteral("TimeExpires")), m_state.environment.clock.now());
        }))
        return;
    if (storedOn == on) {
        EditorRows::showsStored(rules, QStringLiteral("TimeExpires"));
        return;
    }
    if (!writeRow(m_state.prompts, errors, rules, [&] {
            rules.setField(QStringLiteral("TimeExpires"), on ? Variant::null() : Variant(EditorRows::SwitchedOff));
        })) {
        // The refused write has read the row again: another program may have switched it too.
        runStepSilently([&] { storedOn = isRuleOn(rules.field(QStringLiteral("TimeExpires")), m_state.environment.clock.now()); });
        showStored(c.enabled, storedOn);
        followSwitch(c, storedOn);
        return;
    }
    runStep(m_state.prompts, errors, [&] { logChange(QStringLiteral("TimeExpires"), rules.field(QStringLiteral("TimeExpires"))); });
}

void GreetingSettings::allowInputClick(const Page& page, int index)
{
    const QString handler = m_pane.ShownCallHandlerID(page.kind);
    if (m_pane.LoadInProgress() || handler.isEmpty())
        return;
    const GreetingControls& c = page.controls.greetings.at(size_t(index));
    RecordsetCache& cache = m_state.cache;
    Recordset& rules = cache.rsMessagingRule;
    const StepErrors errors(QString::fromLatin1(page.texts->allowInputError));
    bool ignored = false; // a Null, or any code but 0, ignores the caller's digits
    if (!runStep(m_state.prompts, errors, [&] {
            EditorRows::findGreeting(cache, handler, index);
            ignored = !holdsCode(rules.field(QStringLiteral("IgnoreDigits")), 0);
        }))
        return;
    const bool allow = ticked(c.allowInput);
    if (allow != ignored) {
        EditorRows::showsStored(rules, QStringLiteral("IgnoreDigits"));
        return;
    }
    if (!writeRow(m_state.prompts, errors, rules, [&] { rules.setField(QStringLiteral("IgnoreDigits"), allow ? 0 : 1); })) {
        runStepSilently([&] { ignored = !holdsCode(rules.field(QStringLiteral("IgnoreDigits")), 0); });
        showStored(c.allowInput, !ignored);
        return;
    }
    runStep(m_state.prompts, errors, [&] {
        logChange(QStringLiteral("IgnoreDigits"), strNumberText(rules.field(QStringLiteral("IgnoreDigits")).toDouble()));
    });
}

void GreetingSettings::listValidate(const Page& page, int index, ListColumn column)
{
    const QString handler = m_pane.ShownCallHandlerID(page.kind);
    if (m_pane.LoadInProgress() || handler.isEmpty())
        return;
    const GreetingControls& c = page.controls.greetings.at(size_t(index));
    const bool source = column == ListColumn::PlayWhat;
    QComboBox* list = source ? c.source : c.repeat;
    const QString name = source ? QStringLiteral("PlayWhat") : QStringLiteral("Reprompts");
    RecordsetCache& cache = m_state.cache;
    Recordset& rules = cache.rsMessagingRule;
    const StepErrors errors(QString::fromLatin1(source ? page.texts->sourceError : page.texts->repeatError));

    const QString id = c.objectId->text();
    bool found = false;
    if (!runStep(m_state.prompts, errors, [&] {
            EditorRows::findGreetingById(cache, handler, id);
            found = !rules.isEOF();
        }))
        return;
    if (!found) {
        m_state.prompts.msgBox(QString::fromLatin1(source ? page.texts->sourceMissing : page.texts->repeatMissing) + id);
        return;
    }
    // A list that shows no entry (the stored code was one it lacks) has nothing to write.
    const int position = list->currentIndex();
    if (position < 0)
        return;
    runStepSilently([&] {
        if (holdsCode(rules.field(name), position))
            EditorRows::showsStored(rules, name);
    });
    if (!writeRow(m_state.prompts, errors, rules, [&] { rules.setField(name, position); })) {
        // The list goes back to what is stored.
        runStepSilently([&] {
            const qint64 stored = rules.field(name).toInt64();
            if (stored >= 0 && stored < list->count())
                list->setCurrentIndex(int(stored));
        });
        return;
    }
    runStep(m_state.prompts, errors, [&] { logChange(name, strNumberText(rules.field(name).toDouble())); });
}

void GreetingSettings::logChange(const QString& column, const Variant& value)
{
    RecordsetCache& cache = m_state.cache;
    m_state.changeLog.LogChange(QStringLiteral("UPDATE"), QStringLiteral("MessagingRule"),
                                cache.rsMessagingRule.field(QStringLiteral("Alias")), QStringLiteral("CallHandler"),
                                cache.rsCallHandler.field(QStringLiteral("Alias")), column, value);
}
