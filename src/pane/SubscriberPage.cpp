#include "pane/SubscriberPage.h"

#include "greetings/GreetingOperations.h"
#include "pane/GreetingTab.h"
#include "pane/PaneForms.h"
#include "pane/TransferRuleTab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

SubscriberPage::SubscriberPage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("SubscriberPage"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    tabSubscriberDetails = new FramedTabs("tabSubscriberDetails", "frameSubscriberInfo",
                                          {QStringLiteral("Profile"), QStringLiteral("Transfer"), QStringLiteral("Greetings"),
                                           QStringLiteral("Messages"), QStringLiteral("Conversation")},
                                          4, this);
    layout->addWidget(tabSubscriberDetails);

    QFormLayout* profile = formOn(tabSubscriberDetails->frame(0));
    txtSubscriberProfileDisplayName = addReadOnly(profile, QStringLiteral("Display Name"), "txtSubscriberProfileDisplayName");
    txtSubscriberProfileAlias = addReadOnly(profile, QStringLiteral("Alias"), "txtSubscriberProfileAlias");
    txtSubscriberProfileExtension = addReadOnly(profile, QStringLiteral("Extension"), "txtSubscriberProfileExtension");
    txtSubscriberProfileExtension->setMaxLength(30);
    txtSubscriberProfileLanguage = addReadOnly(profile, QStringLiteral("Language Callers Hear"), "txtSubscriberProfileLanguage");
    cmbSubscriberProfileSchedule = addRow(profile, QStringLiteral("Schedule"), new QComboBox, "cmbSubscriberProfileSchedule");
    txtSubscriberProfileCOS = addReadOnly(profile, QStringLiteral("COS"), "txtSubscriberProfileCOS");
    txtSubscriberProfileHomeServer = addReadOnly(profile, QStringLiteral("Exchange Home Server"), "txtSubscriberProfileHomeServer");
    txtSubscriberProfileSwitch = addReadOnly(profile, QStringLiteral("Switch Name"), "txtSubscriberProfileSwitch");

    transferRule = new TransferRuleTab(TransferRuleNames::Subscriber, -1, tabSubscriberDetails->frame(1));
    cmbSubscriberTransferType = transferRule->transferType;

    auto* greetings = new QVBoxLayout(tabSubscriberDetails->frame(2));
    frameSonotropeSubscriberGreeting = addPlayerRow(greetings, "frameSonotropeSubscriberGreeting", cmdSubscriberRecord,
                                                    "cmdSubscriberRecord", QStringLiteral("Record new greeting"));
    tabSubscriberGreetings = new FramedTabs("tabSubscriberGreetings", "frameSubscriberGreetingInfo",
                                            {QStringLiteral("Standard"), QStringLiteral("Off Hours"), QStringLiteral("Busy"),
                                             QStringLiteral("Alternate"), QStringLiteral("Internal"), QStringLiteral("Error")},
                                            6);
    greetings->addWidget(tabSubscriberGreetings);
    for (int i = 0; i < GreetingCount; ++i)
        greeting[size_t(i)] = new GreetingTab(GreetingTabNames::Subscriber, i, tabSubscriberGreetings->frame(i));

    QFormLayout* messages = formOn(tabSubscriberDetails->frame(3));
    txtSubscriberMessagesMaxMessageLength =
        addSecondsRow(messages, QStringLiteral("Max Message Length:"), "txtSubscriberMessagesMaxMessageLength", 4);
    chkSubscriberMessagesCanEditMessages =
        addRow(messages, QStringLiteral("Callers can Edit Messages:"), new QCheckBox, "chkSubscriberMessagesCanEditMessages");
    cmbSubscriberMessagesCanMarkUrgent =
        addRow(messages, QStringLiteral("Callers can send urgent:"), new QComboBox, "cmbSubscriberMessagesCanMarkUrgent");
    cmbSubscriberMessagesCanMarkUrgent->addItems({QStringLiteral("Always"), QStringLiteral("Never"), QStringLiteral("Ask Caller")});
    cmbSubscriberMessagesCanMarkUrgent->setCurrentIndex(-1);
    txtSubscriberMessagesAfterMessageAction =
        addBoxWithButton(messages, QStringLiteral("After Message Action:"), "txtSubscriberMessagesAfterMessageAction",
                         cmdSubscriberMessagesChangeAfterMessageAction, "cmdSubscriberMessagesChangeAfterMessageAction");

    QFormLayout* conversation = formOn(tabSubscriberDetails->extraPage(4));
    txtSubscriberConversationExitAction = addBoxWithButton(
        conversation, QStringLiteral("Exit Subscriber Conversation Action:"), "txtSubscriberConversationExitAction",
        cmdSubscriberConversationExitAction, "cmdSubscriberConversationExitAction");

    // Last on the profile, under every other row.
    lblSASubscriberJump = addLinkRow(profile, QStringLiteral("Open SA web page for this subscriber"), "lblSASubscriberJump");
}

void SubscriberPage::tabSubscriberDetails_Click(int)
{
    tabSubscriberDetails->showSelectedFrame();
    if (m_greetings)
        m_greetings->tabSubscriberGreetings_Click(0);
}

void SubscriberPage::clear()
{
    for (QLineEdit* box :
         {txtSubscriberProfileDisplayName, txtSubscriberProfileAlias, txtSubscriberProfileExtension, txtSubscriberProfileLanguage,
          txtSubscriberProfileCOS, txtSubscriberProfileHomeServer, txtSubscriberProfileSwitch,
          txtSubscriberMessagesMaxMessageLength, txtSubscriberMessagesAfterMessageAction, txtSubscriberConversationExitAction})
        box->clear();
    for (QComboBox* list : {cmbSubscriberProfileSchedule, cmbSubscriberMessagesCanMarkUrgent})
        list->setCurrentIndex(-1);
    chkSubscriberMessagesCanEditMessages->setChecked(false);
    transferRule->clear();
    for (GreetingTab* tab : greeting)
        tab->clear();
}

GreetingPageControls SubscriberPage::greetingControls() const
{
    GreetingPageControls page = greetingPageControls(tabSubscriberGreetings, greeting);
    page.record = cmdSubscriberRecord;
    return page;
}
