#include "pane/CallHandlerSection.h"

#include "data/LinkDisplay.h"
#include "data/SharedState.h"
#include "data/StoredValues.h"
#include "data/TransferRuleCodes.h"
#include "db/RecordsetPosition.h"
#include "environment/EnvironmentOperations.h"
#include "greetings/GreetingOperations.h"
#include "pane/CallHandlerPage.h"
#include "pane/GreetingLoop.h"
#include "pane/LoadSteps.h"
#include "pane/PropertyPane.h"
#include "pane/TransferRuleTab.h"
#include "runtime/ErrorHandling.h"
#include "system/Clock.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

namespace {

const QString kCallHandlerObjectID = QStringLiteral("CallHandlerObjectID");
const QString kParentObjectID = QStringLiteral("ParentObjectID");

} // namespace

CallHandlerSection::CallHandlerSection(SharedState& state, PropertyPane& pane, const EnvironmentOperations& environment,
                                       GreetingOperations& greetings)
    : m_state(state),
      m_pane(pane),
      m_page(pane.callHandlerPage()),
      m_environment(environment),
      m_greetings(greetings),
      m_attachment(pane, PropertyPane::CallHandlerTab, *this)
{
}

void CallHandlerSection::clear()
{
    m_shown.clear();
    m_pane.setCurrentObjectName(QString());
    m_page.clear();
}

void CallHandlerSection::load(const QString& strObjectID)
{
    RecordsetCache& cache = m_state.cache;
    Recordset& ch = cache.rsCallHandler;
    if (!findFromFirst(ch, kCallHandlerObjectID, strObjectID)) {
        m_state.prompts.msgBox(QStringLiteral("Error in LoadTabInfo. could not find handler reference:") + strObjectID);
        return;
    }
    RecordsetPosition handler(ch, kCallHandlerObjectID);
    step([&] { m_shown = ch.field(kCallHandlerObjectID).toText(); });

    // The editors find the shown handler's rules inside these filters; they are set before any
    // control, whose handlers may run.
    step([&] {
        const Variant id = ch.field(kCallHandlerObjectID);
        for (Recordset* rules : {&cache.rsContactRule, &cache.rsMessagingRule}) {
            step([&] { rules->clearFilter(); });
            step([&] { rules->setFilter(kParentObjectID, id); });
        }
    });

    showOwner();
    step([&] { m_page.txtHandlerProfileAlias->setText(ch.field(QStringLiteral("Alias")).toText()); });
    step([&] {
        const QString name = ch.field(QStringLiteral("TextName")).toText();
        m_page.txtHandlerProfileDisplayName->setText(name);
        m_pane.setCurrentObjectName(name);
    });
    step([&] { m_page.txtHandlerProfileExtension->setText(ch.field(QStringLiteral("DTMFAccessID")).toText()); });
    showLanguage();
    showSchedule();
    showSwitch();
    showTransferRules();

    const GreetingLoopPage greetings{EditorPage::CallHandler, m_page.tabHandlerGreetingInfo, m_page.greeting,
                                     [this] { m_greetings.tabHandlerGreetingInfo_Click(0); }};
    LoadGreetings(m_state, greetings);

    showRecipient();
    showMessageSettings();
    step([&] { handler.restore(); });
    step([&] { m_page.tabHandlerInfo_Click(0); });
}

void CallHandlerSection::showOwner()
{
    RecordsetCache& cache = m_state.cache;
    qint16 kind = OwnerObjectType::Neither;
    step([&] {
        const Variant owner = cache.rsCallHandler.field(QStringLiteral("AdministratorObjectID"));
        if (!owner.isNull())
            kind = GetOwnerObjectType(cache, owner.toText());
    });
    if (kind == OwnerObjectType::Neither) {
        m_state.prompts.msgBox(QStringLiteral("Error, could not find owner for handler.  Please assign a subscriber or "
                                              "distribution list as the owner of this call handler."));
        return;
    }
    step([&] { m_page.txtHandlerProfileOwner->setText(ownerName(cache, kind)); });
}

void CallHandlerSection::showLanguage()
{
    step([&] {
        m_page.txtHandlerProfileLanguage->setText(
            languageName(m_state.cache.rsCallHandler.field(QStringLiteral("Language")), m_state.DefaultTUILanguage, m_environment));
    });
}

// A stored schedule the list does not hold is reported and left as it is: the list shows no
// schedule, and the administrator chooses one. With no schedule on the server there is none to
// choose, and the start-up has said so once. Nothing is written while the pane loads.
void CallHandlerSection::showSchedule()
{
    step([&] {
        const Variant stored = m_state.cache.rsCallHandler.field(QStringLiteral("ScheduleObjectName"));
        if (stored.isNull())
            return;
        const QString name = stored.toText();
        QComboBox* list = m_page.cmbHandlerProfileSchedule;
        const int item = list->findText(name, Qt::MatchFixedString);
        if (item >= 0) {
            list->setCurrentIndex(item);
            return;
        }
        if (list->count() == 0)
            return;
        m_state.prompts.msgBox(QStringLiteral("This call handler is set for a schedule that doesn't exist on the system: ") + name
                               + QStringLiteral(". Please choose one of the listed schedules."));
    });
}

void CallHandlerSection::showSwitch()
{
    step([&] {
        Recordset& rules = m_state.cache.rsContactRule;
        rules.moveFirst();
        qint64 index = 0;
        step([&] { index = rules.field(QStringLiteral("SwitchID")).toInt64(); });
        if (index >= 0 && index < m_state.SwitchNames.size())
            m_page.txtHandlerProfileSwitch->setText(m_state.SwitchNames[int(index)]);
    });
}

void CallHandlerSection::showTransferRules()
{
    Recordset& rules = m_state.cache.rsContactRule;
    const QDateTime now = m_state.environment.clock.now();
    for (int i = 0; i < TransferRuleCount; ++i) {
        TransferRuleTab& rule = *m_page.transferRule[size_t(i)];
        bool missing = true;
        step([&] {
            rules.moveFirst();
            rules.find(QStringLiteral("Alias"), QString::fromLatin1(TransferRuleAlias[size_t(i)]));
            missing = rules.isEOF();
        });
        if (missing) {
            m_state.prompts.msgBox(QStringLiteral("Error in LoadTabInfo.  Could not find contact rule: ") + QString::number(i));
            continue;
        }
        step([&] { rule.transferString->setText(rules.field(QStringLiteral("Extension")).toText()); });
        step([&] { rule.ringsToWait->setText(numberText(rules.field(QStringLiteral("TransferRings")).toDouble())); });
        step([&] { rule.showTransferType(rules.field(QStringLiteral("TransferType"))); });
        bool on = false;
        if (!runStepSilently([&] { on = isRuleOn(rules.field(QStringLiteral("TimeExpires")), now); }))
            continue;
        QWidget* const transfer[] = {rule.transferString, rule.ringsToWait, rule.transferType};
        bool ringsPhone = false;
        step([&] { ringsPhone = holdsCode(rules.field(QStringLiteral("Action")), TransferAction::RingPhone); });
        // Setting the box and the options runs their handlers, which enable the controls to match.
        if (on) {
            step([&] { rule.enabled->setChecked(true); });
            rule.attemptRingPhone->setEnabled(true);
            rule.sendToGreeting->setEnabled(true);
            if (ringsPhone) {
                for (QWidget* w : transfer)
                    w->setEnabled(true);
                step([&] { rule.attemptRingPhone->setChecked(true); });
            } else {
                step([&] { rule.sendToGreeting->setChecked(true); });
                for (QWidget* w : transfer)
                    w->setEnabled(false);
            }
        } else {
            step([&] { rule.enabled->setChecked(false); });
            // A rule that is off still shows its own action, so that switching it on keeps it.
            step([&] { (ringsPhone ? rule.attemptRingPhone : rule.sendToGreeting)->setChecked(true); });
            rule.attemptRingPhone->setEnabled(false);
            rule.sendToGreeting->setEnabled(false);
            for (QWidget* w : transfer)
                w->setEnabled(false);
        }
    }
}

void CallHandlerSection::showRecipient()
{
    RecordsetCache& cache = m_state.cache;
    Variant recipient;
    qint16 kind = OwnerObjectType::Neither;
    step([&] {
        recipient = cache.rsCallHandler.field(QStringLiteral("RecipientObjectID"));
        if (!recipient.isNull())
            kind = GetOwnerObjectType(cache, recipient.toText());
    });
    if (kind == OwnerObjectType::Neither) {
        if (!recipient.isNull())
            m_state.prompts.msgBox(QStringLiteral("Error in LoadTabInfo.  Could not find recipient for handler.  ObjectID=")
                                   + recipient.textOrEmpty());
        return;
    }
    step([&] { m_page.txtHandlerMessagesRecipient->setText(ownerName(cache, kind)); });
}

void CallHandlerSection::showMessageSettings()
{
    ::showMessageSettings(m_state, {m_page.txtHandlerMessagesMaxMessageLength, m_page.chkHandlerMessagesCanEditMessages,
                                    m_page.cmbHandlerMessagesCanMarkUrgent, m_page.txtHandlerMessagesAfterMessageAction});
}
