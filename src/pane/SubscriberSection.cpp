#include "pane/SubscriberSection.h"

#include "data/SharedState.h"
#include "data/StoredValues.h"
#include "data/TransferRuleCodes.h"
#include "db/RecordsetPosition.h"
#include "greetings/GreetingOperations.h"
#include "pane/GreetingLoop.h"
#include "pane/LoadSteps.h"
#include "pane/PropertyPane.h"
#include "pane/SubscriberPage.h"
#include "pane/TransferRuleTab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

namespace {

const QString kCallHandlerObjectID = QStringLiteral("CallHandlerObjectID");
const QString kParentObjectID = QStringLiteral("ParentObjectID");

// rs narrowed to the rows of one handler.
void narrowToHandler(Recordset& rs, const Variant& handlerId)
{
    step([&] { rs.clearFilter(); });
    step([&] { rs.setFilter(kParentObjectID, handlerId); });
}

} // namespace

SubscriberSection::SubscriberSection(SharedState& state, PropertyPane& pane, const EnvironmentOperations& environment,
                                     GreetingOperations& greetings)
    : m_state(state),
      m_pane(pane),
      m_page(pane.subscriberPage()),
      m_environment(environment),
      m_greetings(greetings),
      m_attachment(pane, PropertyPane::SubscriberTab, *this)
{
}

void SubscriberSection::clear()
{
    m_shown.clear();
    m_pane.setCurrentObjectName(QString());
    m_page.clear();
}

void SubscriberSection::load(const QString& strObjectID)
{
    RecordsetCache& cache = m_state.cache;
    Recordset& ch = cache.rsCallHandler;
    if (!findFromFirst(ch, kCallHandlerObjectID, strObjectID)) {
        m_state.prompts.msgBox(QStringLiteral("Error in LoadTabInfo. Couldn't find handler in database:"));
        return;
    }
    Variant recipient;
    step([&] { recipient = ch.field(QStringLiteral("RecipientObjectID")); });
    if (!findFromFirst(cache.rsSubscriber, QStringLiteral("SubscriberObjectID"), recipient)) {
        m_state.prompts.msgBox(QStringLiteral("Error in LoadTabInfo. Couldn't find mail user in database:")
                               + recipient.textOrEmpty());
        return;
    }
    RecordsetPosition handler(ch, kCallHandlerObjectID);
    Variant handlerId;
    step([&] {
        handlerId = ch.field(kCallHandlerObjectID);
        m_shown = handlerId.toText();
    });

    showProfile();
    showClassOfService();
    step([&] {
        qint64 index = 0;
        step([&] { index = cache.rsSubscriber.field(QStringLiteral("switchid")).toInt64(); });
        // A switch the server does not list leaves the box as it is.
        if (index < 0 || index >= m_state.SwitchNames.size())
            return;
        m_page.txtSubscriberProfileSwitch->setText(m_state.SwitchNames[int(index)]);
    });
    step([&] {
        m_page.txtSubscriberProfileLanguage->setText(
            languageName(ch.field(QStringLiteral("Language")), m_state.DefaultTUILanguage, m_environment));
    });

    narrowToHandler(cache.rsContactRule, handlerId);
    showTransferRule();

    narrowToHandler(cache.rsMessagingRule, handlerId);
    const GreetingLoopPage greetings{EditorPage::Subscriber, m_page.tabSubscriberGreetings, m_page.greeting,
                                     [this] { m_greetings.tabSubscriberGreetings_Click(0); }};
    LoadGreetings(m_state, greetings);

    showMessageSettings(m_state, {m_page.txtSubscriberMessagesMaxMessageLength, m_page.chkSubscriberMessagesCanEditMessages,
                                  m_page.cmbSubscriberMessagesCanMarkUrgent, m_page.txtSubscriberMessagesAfterMessageAction});
    step([&] { handler.restore(); });
    step([&] { m_page.tabSubscriberDetails_Click(0); });
    showExit();
}

void SubscriberSection::showProfile()
{
    Recordset& ch = m_state.cache.rsCallHandler;
    Recordset& subscriber = m_state.cache.rsSubscriber;
    step([&] { m_pane.setCurrentObjectName(subscriber.field(QStringLiteral("DisplayName")).toText()); });
    step([&] { m_page.txtSubscriberProfileAlias->setText(subscriber.field(QStringLiteral("Alias")).toText()); });
    step([&] { m_page.txtSubscriberProfileDisplayName->setText(subscriber.field(QStringLiteral("DisplayName")).toText()); });
    step([&] { m_page.txtSubscriberProfileExtension->setText(ch.field(QStringLiteral("DTMFAccessID")).toText()); });
    step([&] { m_page.txtSubscriberProfileHomeServer->setText(subscriber.field(QStringLiteral("HomeServer")).toText()); });
    // Shown as stored: a name the list lacks leaves the list without a choice, and nothing is
    // repaired here.
    step([&] {
        QComboBox* list = m_page.cmbSubscriberProfileSchedule;
        const int item = list->findText(ch.field(QStringLiteral("ScheduleObjectName")).toText(), Qt::MatchFixedString);
        if (item >= 0)
            list->setCurrentIndex(item);
    });
}

void SubscriberSection::showClassOfService()
{
    RecordsetCache& cache = m_state.cache;
    Variant cos;
    step([&] { cos = cache.rsSubscriber.field(QStringLiteral("COSObjectID")); });
    if (!findFromFirst(cache.rsCOS, QStringLiteral("COSObjectID"), cos)) {
        m_state.prompts.msgBox(QStringLiteral("Error in LoadTabInfo.  Could not find COS reference:") + cos.textOrEmpty());
        return;
    }
    step([&] { m_page.txtSubscriberProfileCOS->setText(cache.rsCOS.field(QStringLiteral("TextName")).toText()); });
}

// A subscriber's transfer settings are its handler's "Alternate" rule.
void SubscriberSection::showTransferRule()
{
    Recordset& rules = m_state.cache.rsContactRule;
    if (!findFromFirst(rules, QStringLiteral("Alias"), QString::fromLatin1(TransferRuleAlias[SubscriberTransferRule]))) {
        QString quoted;
        step([&] { quoted = m_state.cache.rsCallHandler.field(QStringLiteral("ContactRuleAlternate")).textOrEmpty(); });
        m_state.prompts.msgBox(QStringLiteral("Error in LoadTabInfo.  Could not find alternate contact rule:") + quoted);
        return;
    }
    TransferRuleTab& rule = *m_page.transferRule;
    step([&] { rule.transferString->setText(rules.field(QStringLiteral("Extension")).toText()); });
    step([&] { rule.ringsToWait->setText(numberText(rules.field(QStringLiteral("TransferRings")).toDouble())); });
    step([&] { rule.showTransferType(rules.field(QStringLiteral("TransferType"))); });
    step([&] {
        const Variant action = rules.field(QStringLiteral("Action"));
        QWidget* const transfer[] = {rule.transferType, rule.ringsToWait, rule.transferString};
        rule.attemptRingPhone->setEnabled(true);
        rule.sendToGreeting->setEnabled(true);
        if (holdsCode(action, TransferAction::RingPhone)) {
            for (QWidget* w : transfer)
                w->setEnabled(true);
            rule.attemptRingPhone->setChecked(true);
        } else {
            rule.sendToGreeting->setChecked(true);
            for (QWidget* w : transfer)
                w->setEnabled(false);
        }
    });
}

void SubscriberSection::showExit()
{
    Recordset& subscriber = m_state.cache.rsSubscriber;
    step([&] {
        if (subscriber.field(QStringLiteral("ExitAction")).isNull()) {
            m_page.txtSubscriberConversationExitAction->setText(QStringLiteral("Error! Exit destination not set!"));
            return;
        }
        m_page.txtSubscriberConversationExitAction->setText(linkText(m_state, subscriber, QStringLiteral("Exit")));
    });
}
