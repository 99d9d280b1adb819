#pragma once

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLineEdit;

// The pane's controls that the profile editors handle; the pages own them.
struct ProfileControls {
    // Call handler page
    QLineEdit* txtHandlerProfileDisplayName = nullptr;
    QLineEdit* txtHandlerProfileExtension = nullptr;
    QComboBox* cmbHandlerProfileSchedule = nullptr;
    QLineEdit* txtHandlerProfileOwner = nullptr;
    QAbstractButton* cmdHandlerChangeOwner = nullptr;
    QLineEdit* txtHandlerMessagesRecipient = nullptr;
    QAbstractButton* cmdHandlerMessagesChangeRecipient = nullptr;
    QLineEdit* txtHandlerMessagesMaxMessageLength = nullptr;
    QCheckBox* chkHandlerMessagesCanEditMessages = nullptr;
    QComboBox* cmbHandlerMessagesCanMarkUrgent = nullptr;
    // Subscriber page
    QLineEdit* txtSubscriberProfileExtension = nullptr;
    QComboBox* cmbSubscriberProfileSchedule = nullptr;
    QLineEdit* txtSubscriberMessagesMaxMessageLength = nullptr;
    QCheckBox* chkSubscriberMessagesCanEditMessages = nullptr;
    QComboBox* cmbSubscriberMessagesCanMarkUrgent = nullptr;
    // Interviewer page
    QLineEdit* txtInterviewerDisplayName = nullptr;
    QLineEdit* txtInterviewerExtension = nullptr;
    QLineEdit* txtInterviewerOwner = nullptr;
    QAbstractButton* cmdInterviewerProfileSetOwner = nullptr;
    QLineEdit* txtInterviewerRecipient = nullptr;
    QAbstractButton* cmdInterviewerProfileSetRecipient = nullptr;
    // Directory handler page
    QLineEdit* txtDirectoryHandlerDisplayName = nullptr;
    QLineEdit* txtDirectoryHandlerExtension = nullptr;
};
