#pragma once

#include "pane/FramedTabs.h"
#include "pane/PaneControls.h"

#include <QWidget>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

// The "Interviewer" page of the property pane: the interview handler's profile and its questions.
class InterviewerPage : public QWidget {
    Q_OBJECT
public:
    explicit InterviewerPage(QWidget* parent = nullptr);

    void tabInterviewerInfo_Click(int PreviousTab);

    // Empties every control of the page; the question list keeps its header only.
    void clear();
    InterviewQuestionControls questionControls() const;

    FramedTabs* tabInterviewerInfo;

    // "Profile"
    QLineEdit* txtInterviewerDisplayName;
    QLineEdit* txtInterviewerAlias;
    QLineEdit* txtInterviewerExtension;
    QLineEdit* txtInterviewerLanguage;
    QLineEdit* txtInterviewerOwner;
    QPushButton* cmdInterviewerProfileSetOwner;
    QLineEdit* txtInterviewerRecipient;
    QPushButton* cmdInterviewerProfileSetRecipient;
    QLineEdit* txtInterviewerAfterMessageAction;
    QPushButton* cmdInterviewerProfileChangeAfterMessageAction;
    QLabel* lblSAInterviewerJump;

    // "Questions"
    QGroupBox* frameSonotropeInterviewQuestions;
    QPushButton* cmdInterviewerRecord;
    QPushButton* cmdInterviewQuestionsAdd;
    QPushButton* cmdInterviewQuestionsDelete;
    QPushButton* cmdInterviewQuestionsMoveUp;
    QPushButton* cmdInterviewQuestionsMoveDown;
    QTableWidget* gridInterviewQuestions;

protected:
    void changeEvent(QEvent* event) override;

private:
    // Widens the reply limit's column when its heading would be clipped; the question's column
    // fills what is left of the view.
    void fitQuestionHeadings();
};
