#pragma once

#include "pane/FramedTabs.h"

#include <QWidget>

class QGroupBox;
class QLabel;

// The "Interviewer" page of the property pane.
class InterviewerPage : public QWidget {
    Q_OBJECT
public:
    explicit InterviewerPage(QWidget* parent = nullptr);

    void tabInterviewerInfo_Click(int PreviousTab);

    FramedTabs* tabInterviewerInfo;
    QGroupBox* frameSonotropeInterviewQuestions;
    QLabel* lblSAInterviewerJump;
};
