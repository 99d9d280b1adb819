#pragma once

#include <array>
#include <vector>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;
class QTableWidget;
class QTabWidget;
class QWidget;

// The pane's controls that the editors of other subsystems read, enable and change. The pages
// own them; these are plain views, handed out by PaneOperations and valid as long as the pane.

// The greeting aliases by greeting index, as every greeting control array is indexed.
inline constexpr int GreetingCount = 6;
inline constexpr std::array<const char*, GreetingCount> GreetingAlias = {"Standard",  "Off Hours", "Busy",
                                                                         "Alternate", "Internal",  "Error"};
// The transfer-rule aliases by rule index.
inline constexpr int TransferRuleCount = 3;
inline constexpr std::array<const char*, TransferRuleCount> TransferRuleAlias = {"Standard", "Off Hours", "Alternate"};
// A subscriber's transfer settings are its own handler's "Alternate" rule.
inline constexpr int SubscriberTransferRule = 2;

// The pages whose greetings and transfer rules the editors change.
enum class EditorPage { CallHandler, Subscriber };

// One greeting's controls (index i of the page's arrays).
struct GreetingControls {
    QCheckBox* enabled = nullptr;                   // chkHandlerGreetingEnabled(i); hidden for 0 and 5
    QCheckBox* allowInput = nullptr;                // chkHandlerGreetingAllowUserInput(i)
    QComboBox* source = nullptr;                    // cmbHandlerGreetingSource(i): the list position is PlayWhat
    QComboBox* repeat = nullptr;                    // cmbHandlerGreetingRepeat(i): the list position is Reprompts
    QLineEdit* afterGreeting = nullptr;             // txtHandlerGreetingsAfterGreetingAction(i)
    QAbstractButton* changeAfterGreeting = nullptr; // cmbHandlerGreetingChangeAfterGreetingAction(i)
    QLineEdit* streamPath = nullptr;                // hidden: txtHandlerGreetingStreamPath(i)
    QLineEdit* objectId = nullptr;                  // hidden: txtHandlerGreetingObjectID(i)
};

// A page's greeting tabs: tab i shows frame i with greeting i's controls.
struct GreetingPageControls {
    QTabWidget* tabs = nullptr; // tabHandlerGreetingInfo
    std::array<QWidget*, GreetingCount> frames{};
    std::array<GreetingControls, GreetingCount> greetings{};
    QAbstractButton* record = nullptr; // cmdHandlerRecord: records the shown greeting
};

// One transfer rule's controls (index i of the call handler page's arrays).
struct TransferRuleControls {
    QCheckBox* enabled = nullptr;             // chkHandlerTransferEnabled(i); hidden for 0; none on the subscriber page
    QRadioButton* attemptRingPhone = nullptr; // optHandlerTransferAttemptRingPhone(i)
    QRadioButton* sendToGreeting = nullptr;   // optHandlerTransferSendToGreeting(i)
    QComboBox* transferType = nullptr;        // cmbHandlerTransferType(i): each entry's data is its TransferType
    QLineEdit* ringsToWait = nullptr;         // txtHandlerTransferRingstoWait(i)
    QLineEdit* transferString = nullptr;      // txtHandlerTransferString(i)
};

using HandlerTransferControls = std::array<TransferRuleControls, TransferRuleCount>;

// The links whose action a button of the pane chooses: the button opens the action popup for it.
enum class ChooseActionLink {
    HandlerGreeting,          // cmbHandlerGreetingChangeAfterGreetingAction(i)
    SubscriberGreeting,       // cmdSubscriberGreetingChangeAfterGreetingAction(i)
    HandlerAfterMessage,      // cmdHandlerSetAfterMessageAction
    SubscriberAfterMessage,   // cmdSubscriberMessagesChangeAfterMessageAction
    InterviewerAfterMessage,  // cmdInterviewerProfileChangeAfterMessageAction
    DirectoryExit,            // cmdDirectoryHandlerSetExit
    DirectoryNoInputExit,     // cmdDirectoryHandlerSetNoInputExit
    DirectoryNoSelectionExit, // cmdDirectoryHandlerSetNoSelectionExit
    DirectoryZeroExit,        // cmdDirectoryHandlerSetZeroExit
    SubscriberExit,           // cmdSubscriberConversationExitAction
};

// One of those buttons with the link it chooses; a greeting's button with its greeting index.
struct ChooseActionButton {
    QAbstractButton* button = nullptr;
    ChooseActionLink link = ChooseActionLink::HandlerGreeting;
    int index = 0;
};

// The columns of the interview question list, by their keys.
namespace QuestionColumn {
enum : int {
    Label = 0,       // hidden: the row's number as loaded
    Question = 1,    // the question's text
    AnswerLimit = 2, // the reply limit in seconds
    ObjectID = 3,    // hidden: InterviewQuestionObjectID
    StreamPath = 4,  // hidden: the question's recording
    Count = 5
};
} // namespace QuestionColumn

// The reply limit the list shows for a question stored without one.
inline constexpr char QuestionDefaultAnswerLimit[] = "30";

// The grid's property that holds the id of the interview handler whose questions it shows.
inline constexpr char QuestionListOwnerProperty[] = "interviewHandlerObjectID";

// The interviewer page's question list: row r (from 0) of the grid is question r + 1, the list's
// header being its row 0.
struct InterviewQuestionControls {
    QTableWidget* grid = nullptr;        // gridInterviewQuestions
    QAbstractButton* add = nullptr;      // cmdInterviewQuestionsAdd
    QAbstractButton* remove = nullptr;   // cmdInterviewQuestionsDelete
    QAbstractButton* moveUp = nullptr;   // cmdInterviewQuestionsMoveUp
    QAbstractButton* moveDown = nullptr; // cmdInterviewQuestionsMoveDown
    QAbstractButton* record = nullptr;   // cmdInterviewerRecord
};

// The profile controls of the four pages, for the profile editors.
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
