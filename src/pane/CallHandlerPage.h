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

// The "Call Handler" page of the property pane: profile, transfer rules, greetings, messages.
class CallHandlerPage : public QWidget {
    Q_OBJECT
public:
    explicit CallHandlerPage(QWidget* parent = nullptr);

    // The greeting editor that binds the shown greeting's sound when the page's tabs change.
    void setGreetingOperations(GreetingOperations* greetings) { m_greetings = greetings; }

    void tabHandlerInfo_Click(int PreviousTab);
    void tabHandlerTransferInfo_Click(int PreviousTab);

    // Empties every control of the page.
    void clear();
    GreetingPageControls greetingControls() const;
    HandlerTransferControls transferControls() const;

    // The transfer tabs read "Alternate", "Standard", "Closed": tab t shows the controls of rule
    // kTransferRuleOnTab[t] (0 Standard, 1 Off Hours, 2 Alternate).
    static constexpr std::array<int, 3> kTransferRuleOnTab = {2, 0, 1};

    FramedTabs* tabHandlerInfo;
    FramedTabs* tabHandlerTransferInfo;
    FramedTabs* tabHandlerGreetingInfo;

    // "Profile"
    QLineEdit* txtHandlerProfileDisplayName;
    QLineEdit* txtHandlerProfileAlias;
    QLineEdit* txtHandlerProfileOwner;
    QPushButton* cmdHandlerChangeOwner;
    QLineEdit* txtHandlerProfileExtension;
    QLineEdit* txtHandlerProfileLanguage;
    QComboBox* cmbHandlerProfileSchedule;
    std::array<QComboBox*, 3> cmbHandlerTransferType{}; // by rule index
    QLabel* lblSACallHandlerJump;
    QLineEdit* txtHandlerProfileSwitch;

    // "Transfer": the controls of each rule, by rule index.
    std::array<TransferRuleTab*, TransferRuleCount> transferRule{};

    // "Greetings": the controls of each greeting, by greeting index.
    QGroupBox* frameSonotropeHandlerGreeting;
    QPushButton* cmdHandlerRecord;
    std::array<GreetingTab*, GreetingCount> greeting{};

    // "Messages"
    QLineEdit* txtHandlerMessagesRecipient;
    QPushButton* cmdHandlerMessagesChangeRecipient;
    QLineEdit* txtHandlerMessagesMaxMessageLength;
    QCheckBox* chkHandlerMessagesCanEditMessages;
    QComboBox* cmbHandlerMessagesCanMarkUrgent;
    QLineEdit* txtHandlerMessagesAfterMessageAction;
    QPushButton* cmdHandlerSetAfterMessageAction;

private:
    GreetingOperations* m_greetings = nullptr;
};
