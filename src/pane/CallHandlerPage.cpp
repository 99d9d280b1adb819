#include "pane/CallHandlerPage.h"

#include "greetings/GreetingOperations.h"
#include "pane/GreetingTab.h"
#include "pane/PaneForms.h"
#include "pane/TransferRuleTab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CallHandlerPage::CallHandlerPage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("CallHandlerPage"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    tabHandlerInfo = new FramedTabs(
        "tabHandlerInfo", "frameHandlerInfo",
        {QStringLiteral("Profile"), QStringLiteral("Transfer"), QStringLiteral("Greetings"), QStringLiteral("Messages")}, 4, this);
    layout->addWidget(tabHandlerInfo);

    QFormLayout* profile = formOn(tabHandlerInfo->frame(0));
    txtHandlerProfileDisplayName = addRow(profile, QStringLiteral("Display Name"), new QLineEdit, "txtHandlerProfileDisplayName");
    txtHandlerProfileDisplayName->setMaxLength(40);
    txtHandlerProfileAlias = addReadOnly(profile, QStringLiteral("Alias"), "txtHandlerProfileAlias");
    txtHandlerProfileOwner = addBoxWithButton(profile, QStringLiteral("Owner"), "txtHandlerProfileOwner", cmdHandlerChangeOwner,
                                              "cmdHandlerChangeOwner");
    txtHandlerProfileExtension = addRow(profile, QStringLiteral("Extension"), new QLineEdit, "txtHandlerProfileExtension");
    txtHandlerProfileExtension->setMaxLength(30);
    txtHandlerProfileLanguage = addReadOnly(profile, QStringLiteral("Language Callers Hear"), "txtHandlerProfileLanguage");
    cmbHandlerProfileSchedule = addRow(profile, QStringLiteral("Schedule"), new QComboBox, "cmbHandlerProfileSchedule");
    txtHandlerProfileSwitch = addReadOnly(profile, QStringLiteral("Switch Name"), "txtHandlerProfileSwitch");

    auto* transfer = new QVBoxLayout(tabHandlerInfo->frame(1));
    tabHandlerTransferInfo = new FramedTabs("tabHandlerTransferInfo", "frameHandlerTransferInfo",
                                            {QStringLiteral("Alternate"), QStringLiteral("Standard"), QStringLiteral("Closed")}, 3);
    transfer->addWidget(tabHandlerTransferInfo);
    for (int tab = 0; tab < 3; ++tab) {
        const int rule = kTransferRuleOnTab[size_t(tab)];
        transferRule[size_t(rule)] = new TransferRuleTab(TransferRuleNames::CallHandler, rule, tabHandlerTransferInfo->frame(tab));
    }

    auto* greetings = new QVBoxLayout(tabHandlerInfo->frame(2));
    frameSonotropeHandlerGreeting = addPlayerRow(greetings, "frameSonotropeHandlerGreeting", cmdHandlerRecord, "cmdHandlerRecord",
                                                 QStringLiteral("Record new greeting"));
    tabHandlerGreetingInfo = new FramedTabs("tabHandlerGreetingInfo", "frameHandlerGreetingInfo",
                                            {QStringLiteral("Standard"), QStringLiteral("Off Hours"), QStringLiteral("Busy"),
                                             QStringLiteral("Alternate"), QStringLiteral("Internal"), QStringLiteral("Error")},
                                            6);
    greetings->addWidget(tabHandlerGreetingInfo);
    for (int i = 0; i < GreetingCount; ++i)
        greeting[size_t(i)] = new GreetingTab(GreetingTabNames::CallHandler, i, tabHandlerGreetingInfo->frame(i));

    QFormLayout* messages = formOn(tabHandlerInfo->frame(3));
    txtHandlerMessagesRecipient = addBoxWithButton(messages, QStringLiteral("Message Recipient:"), "txtHandlerMessagesRecipient",
                                                   cmdHandlerMessagesChangeRecipient, "cmdHandlerMessagesChangeRecipient");
    txtHandlerMessagesMaxMessageLength =
        addSecondsRow(messages, QStringLiteral("Max Message Length:"), "txtHandlerMessagesMaxMessageLength", 4);
    chkHandlerMessagesCanEditMessages =
        addRow(messages, QStringLiteral("Callers can Edit Messages:"), new QCheckBox, "chkHandlerMessagesCanEditMessages");
    cmbHandlerMessagesCanMarkUrgent =
        addRow(messages, QStringLiteral("Callers can send urgent:"), new QComboBox, "cmbHandlerMessagesCanMarkUrgent");
    cmbHandlerMessagesCanMarkUrgent->addItems({QStringLiteral("Always"), QStringLiteral("Never"), QStringLiteral("Ask Caller")});
    cmbHandlerMessagesCanMarkUrgent->setCurrentIndex(-1);
    txtHandlerMessagesAfterMessageAction =
        addBoxWithButton(messages, QStringLiteral("After Message Action:"), "txtHandlerMessagesAfterMessageAction",
                         cmdHandlerSetAfterMessageAction, "cmdHandlerSetAfterMessageAction");

    // Last on the profile, under every other row.
    lblSACallHandlerJump = addLinkRow(formOn(tabHandlerInfo->frame(0)), QStringLiteral("Open SA web page for this call handler"),
                                      "lblSACallHandlerJump");
}

void CallHandlerPage::tabHandlerInfo_Click(int)
{
    tabHandlerInfo->showSelectedFrame();
    if (m_greetings)
        m_greetings->tabHandlerGreetingInfo_Click(0);
    tabHandlerTransferInfo_Click(0);
}

void CallHandlerPage::tabHandlerTransferInfo_Click(int)
{
    tabHandlerTransferInfo->showSelectedFrame();
}

void CallHandlerPage::clear()
{
    for (QLineEdit* box : {txtHandlerProfileDisplayName, txtHandlerProfileAlias, txtHandlerProfileOwner, txtHandlerProfileExtension,
                           txtHandlerProfileLanguage, txtHandlerProfileSwitch, txtHandlerMessagesRecipient,
                           txtHandlerMessagesMaxMessageLength, txtHandlerMessagesAfterMessageAction})
        box->clear();
    for (QComboBox* list : {cmbHandlerProfileSchedule, cmbHandlerMessagesCanMarkUrgent})
        list->setCurrentIndex(-1);
    chkHandlerMessagesCanEditMessages->setChecked(false);
    for (TransferRuleTab* rule : transferRule)
        rule->clear();
    for (GreetingTab* tab : greeting)
        tab->clear();
}

GreetingPageControls CallHandlerPage::greetingControls() const
{
    GreetingPageControls page = greetingPageControls(tabHandlerGreetingInfo, greeting);
    page.record = cmdHandlerRecord;
    return page;
}

HandlerTransferControls CallHandlerPage::transferControls() const
{
    HandlerTransferControls rules;
    for (int i = 0; i < TransferRuleCount; ++i)
        rules[size_t(i)] = transferRule[size_t(i)]->controls();
    return rules;
}
