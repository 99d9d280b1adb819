#include "pane/InterviewerPage.h"

#include "pane/PaneForms.h"

#include <QFrame>
#include <QGroupBox>
#include <QVBoxLayout>

InterviewerPage::InterviewerPage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("InterviewerPage"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    tabInterviewerInfo = new FramedTabs("tabInterviewerInfo", "frameInterviewerInfo",
                                        {QStringLiteral("Profile"), QStringLiteral("Questions")}, 2, this);
    layout->addWidget(tabInterviewerInfo);
    auto* questions = new QVBoxLayout(tabInterviewerInfo->frame(1));
    frameSonotropeInterviewQuestions = new QGroupBox;
    frameSonotropeInterviewQuestions->setObjectName(QStringLiteral("frameSonotropeInterviewQuestions"));
    frameSonotropeInterviewQuestions->setMinimumHeight(60);
    questions->addWidget(frameSonotropeInterviewQuestions);
    questions->addStretch();

    // Last on the profile, under every other row.
    lblSAInterviewerJump = addLinkRow(formOn(tabInterviewerInfo->frame(0)), QStringLiteral("Open SA web page for this Interviewer"),
                                      "lblSAInterviewerJump");
}

void InterviewerPage::tabInterviewerInfo_Click(int)
{
    // Frame 0 shows for tab 0, frame 1 for any other tab.
    const bool profile = tabInterviewerInfo->currentIndex() == 0;
    tabInterviewerInfo->frame(profile ? 0 : 1)->setVisible(true);
    tabInterviewerInfo->frame(profile ? 1 : 0)->setVisible(false);
}
