#include "pane/InterviewerPage.h"

#include "pane/PaneForms.h"
#include "widgets/Twips.h"

#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

struct QuestionColumnLayout {
    const char* header;
    int widthTwips;
    bool shown;
};

// By QuestionColumn.
const QuestionColumnLayout kQuestionColumns[QuestionColumn::Count] = {
    {"", 135, false}, {"Question", 5100, true}, {"Reply Limit", 975, true}, {"ObjectID", 960, false}, {"StreamPath", 960, false},
};

QPushButton* button(const QString& caption, const char* name)
{
    auto* b = new QPushButton(caption);
    b->setObjectName(QLatin1String(name));
    return b;
}

} // namespace

InterviewerPage::InterviewerPage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("InterviewerPage"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    tabInterviewerInfo = new FramedTabs("tabInterviewerInfo", "frameInterviewerInfo",
                                        {QStringLiteral("Profile"), QStringLiteral("Questions")}, 2, this);
    layout->addWidget(tabInterviewerInfo);

    QFormLayout* profile = formOn(tabInterviewerInfo->frame(0));
    txtInterviewerDisplayName = addRow(profile, QStringLiteral("Display Name"), new QLineEdit, "txtInterviewerDisplayName");
    txtInterviewerDisplayName->setMaxLength(40);
    txtInterviewerAlias = addReadOnly(profile, QStringLiteral("Alias"), "txtInterviewerAlias");
    txtInterviewerExtension = addRow(profile, QStringLiteral("Extension"), new QLineEdit, "txtInterviewerExtension");
    txtInterviewerExtension->setMaxLength(30);
    txtInterviewerLanguage = addReadOnly(profile, QStringLiteral("Language Callers Hear"), "txtInterviewerLanguage");
    txtInterviewerOwner = addBoxWithButton(profile, QStringLiteral("Owner"), "txtInterviewerOwner", cmdInterviewerProfileSetOwner,
                                           "cmdInterviewerProfileSetOwner");
    txtInterviewerRecipient = addBoxWithButton(profile, QStringLiteral("Recipient"), "txtInterviewerRecipient",
                                               cmdInterviewerProfileSetRecipient, "cmdInterviewerProfileSetRecipient");
    txtInterviewerAfterMessageAction =
        addBoxWithButton(profile, QStringLiteral("After Message Action"), "txtInterviewerAfterMessageAction",
                         cmdInterviewerProfileChangeAfterMessageAction, "cmdInterviewerProfileChangeAfterMessageAction");
    lblSAInterviewerJump = addLinkRow(profile, QStringLiteral("Open SA web page for this Interviewer"), "lblSAInterviewerJump");

    auto* questions = new QVBoxLayout(tabInterviewerInfo->frame(1));
    frameSonotropeInterviewQuestions = addPlayerRow(questions, "frameSonotropeInterviewQuestions", cmdInterviewerRecord,
                                                    "cmdInterviewerRecord", QStringLiteral("New recording"));
    auto* buttons = new QHBoxLayout;
    cmdInterviewQuestionsAdd = button(QStringLiteral("Add"), "cmdInterviewQuestionsAdd");
    cmdInterviewQuestionsDelete = button(QStringLiteral("Delete"), "cmdInterviewQuestionsDelete");
    cmdInterviewQuestionsMoveUp = button(QStringLiteral("Move Up"), "cmdInterviewQuestionsMoveUp");
    cmdInterviewQuestionsMoveDown = button(QStringLiteral("Move Down"), "cmdInterviewQuestionsMoveDown");
    for (QPushButton* b :
         {cmdInterviewQuestionsAdd, cmdInterviewQuestionsDelete, cmdInterviewQuestionsMoveUp, cmdInterviewQuestionsMoveDown})
        buttons->addWidget(b);
    buttons->addStretch();
    questions->addLayout(buttons);

    // Row r of the list is question r; the header is the grid's row 0.
    gridInterviewQuestions = new QTableWidget(0, QuestionColumn::Count);
    gridInterviewQuestions->setObjectName(QStringLiteral("gridInterviewQuestions"));
    gridInterviewQuestions->setSelectionMode(QAbstractItemView::SingleSelection);
    gridInterviewQuestions->setSelectionBehavior(QAbstractItemView::SelectItems);
    gridInterviewQuestions->setEditTriggers(QAbstractItemView::NoEditTriggers);
    gridInterviewQuestions->verticalHeader()->setVisible(false);
    for (int c = 0; c < QuestionColumn::Count; ++c) {
        const QuestionColumnLayout& layout = kQuestionColumns[c];
        gridInterviewQuestions->setHorizontalHeaderItem(c, new QTableWidgetItem(QString::fromLatin1(layout.header)));
        gridInterviewQuestions->setColumnWidth(c, Twips::toPixelsX(layout.widthTwips, this));
        gridInterviewQuestions->setColumnHidden(c, !layout.shown);
    }
    // The question takes what the view leaves beside the reply limit, so that the limit's heading
    // can have all it needs without pushing the column past the view's edge.
    gridInterviewQuestions->horizontalHeader()->setSectionResizeMode(QuestionColumn::Question, QHeaderView::Stretch);
    fitQuestionHeadings();
    gridInterviewQuestions->setAccessibleName(QStringLiteral("Questions"));
    questions->addWidget(gridInterviewQuestions, 1);
}

void InterviewerPage::fitQuestionHeadings()
{
    QHeaderView* header = gridInterviewQuestions->horizontalHeader();
    for (int c = 0; c < QuestionColumn::Count; ++c)
        if (kQuestionColumns[c].shown && header->sectionResizeMode(c) == QHeaderView::Interactive
            && header->sectionSize(c) < header->sectionSizeHint(c))
            header->resizeSection(c, header->sectionSizeHint(c));
}

void InterviewerPage::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // The page takes the window's face, or a language's, after it is built.
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        fitQuestionHeadings();
}

void InterviewerPage::tabInterviewerInfo_Click(int)
{
    // Frame 0 shows for tab 0, frame 1 for any other tab.
    const bool profile = tabInterviewerInfo->currentIndex() == 0;
    tabInterviewerInfo->frame(profile ? 0 : 1)->setVisible(true);
    tabInterviewerInfo->frame(profile ? 1 : 0)->setVisible(false);
}

void InterviewerPage::clear()
{
    for (QLineEdit* box : {txtInterviewerDisplayName, txtInterviewerAlias, txtInterviewerExtension, txtInterviewerLanguage,
                           txtInterviewerOwner, txtInterviewerRecipient, txtInterviewerAfterMessageAction})
        box->clear();
    gridInterviewQuestions->setRowCount(0);
    gridInterviewQuestions->setProperty(QuestionListOwnerProperty, QString());
}

InterviewQuestionControls InterviewerPage::questionControls() const
{
    return {gridInterviewQuestions,      cmdInterviewQuestionsAdd,      cmdInterviewQuestionsDelete,
            cmdInterviewQuestionsMoveUp, cmdInterviewQuestionsMoveDown, cmdInterviewerRecord};
}
