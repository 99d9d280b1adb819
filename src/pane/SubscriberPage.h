#pragma once

#include "pane/FramedTabs.h"
#include "pane/PaneControls.h"

#include <QWidget>
#include <array>

class GreetingOperations;
class GreetingTab;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TransferRuleTab;

// The "Subscriber" page of the property pane: profile, the transfer rule, greetings, messages
// and the conversation's exit.
class SubscriberPage : public QWidget {
    Q_OBJECT
public:
    explicit SubscriberPage(QWidget* parent = nullptr);

    // The greeting editor that binds the shown greeting's sound when the page's tabs change.
    void setGreetingOperations(GreetingOperations* greetings) { m_greetings = greetings; }

    // Switches the frames; tab 4 "Conversation" has none.
    void tabSubscriberDetails_Click(int PreviousTab);

    // Empties every control of the page.
    void clear();
    GreetingPageControls greetingControls() const;

    FramedTabs* tabSubscriberDetails;
    FramedTabs* tabSubscriberGreetings;

    // "Profile"
    QLineEdit* txtSubscriberProfileDisplayName;
    QLineEdit* txtSubscriberProfileAlias;
    QLineEdit* txtSubscriberProfileExtension;
    QLineEdit* txtSubscriberProfileLanguage;
    QComboBox* cmbSubscriberProfileSchedule;
    QLineEdit* txtSubscriberProfileCOS;
    QLineEdit* txtSubscriberProfileHomeServer;
    QLineEdit* txtSubscriberProfileSwitch;
    QLabel* lblSASubscriberJump;

    // "Transfer": the handler's "Alternate" rule, single controls without an enabled box.
    TransferRuleTab* transferRule;
    QComboBox* cmbSubscriberTransferType;

    // "Greetings"
    QGroupBox* frameSonotropeSubscriberGreeting;
    QPushButton* cmdSubscriberRecord;
    std::array<GreetingTab*, GreetingCount> greeting{};

    // "Messages"
    QLineEdit* txtSubscriberMessagesMaxMessageLength;
    QCheckBox* chkSubscriberMessagesCanEditMessages;
    QComboBox* cmbSubscriberMessagesCanMarkUrgent;
    QLineEdit* txtSubscriberMessagesAfterMessageAction;
    QPushButton* cmdSubscriberMessagesChangeAfterMessageAction;

    // "Conversation"
    QLineEdit* txtSubscriberConversationExitAction;
    QPushButton* cmdSubscriberConversationExitAction;

private:
    GreetingOperations* m_greetings = nullptr;
};
