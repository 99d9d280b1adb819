#include "pane/InterviewerSection.h"

#include "data/LinkDisplay.h"
#include "data/SharedState.h"
#include "db/RecordsetPosition.h"
#include "pane/InterviewerPage.h"
#include "pane/LoadSteps.h"
#include "pane/PropertyPane.h"
#include "widgets/SonotropeCtrl.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

namespace {

const QString kInterviewHandlerObjectID = QStringLiteral("InterviewHandlerObjectID");

} // namespace

InterviewerSection::InterviewerSection(SharedState& state, PropertyPane& pane, const EnvironmentOperations& environment)
    : m_state(state),
      m_pane(pane),
      m_page(pane.interviewerPage()),
      m_environment(environment),
      m_attachment(pane, PropertyPane::InterviewerTab, *this)
{
}

void InterviewerSection::clear()
{
    m_shown.clear();
    m_pane.setCurrentObjectName(QString());
    m_page.clear();
}

void InterviewerSection::load(const QString& strObjectID)
{
    Recordset& ih = m_state.cache.rsInterviewHandler;
    if (!findFromFirst(ih, kInterviewHandlerObjectID, strObjectID)) {
        m_state.prompts.msgBox(QStringLiteral("Error in LoadTabInfo. could not find interviewer object id:") + strObjectID);
        return;
    }
    RecordsetPosition handler(ih, kInterviewHandlerObjectID);
    step([&] { m_shown = ih.field(kInterviewHandlerObjectID).toText(); });

    showParty(QStringLiteral("AdministratorObjectID"), m_page.txtInterviewerOwner,
              QStringLiteral("Error in LoadTabInfo.  Invalid owner type for Interviewer.  OwnerID:"));
    showParty(QStringLiteral("RecipientObjectID"), m_page.txtInterviewerRecipient,
              QStringLiteral("Error in LoadTabInfo.  Invalid recipient type for Interviewer.  RecipientID:"));
    step([&] { m_pane.setCurrentObjectName(ih.field(QStringLiteral("TextName")).toText()); });
    step([&] { m_page.txtInterviewerAlias->setText(ih.field(QStringLiteral("Alias")).toText()); });
    step([&] { m_page.txtInterviewerDisplayName->setText(ih.field(QStringLiteral("TextName")).toText()); });
    step([&] { m_page.txtInterviewerExtension->setText(ih.field(QStringLiteral("DTMFAccessID")).toText()); });
    // A Null language is no default language here: it shows the name of the empty code.
    step([&] {
        m_page.txtInterviewerLanguage->setText(languageName(ih.field(QStringLiteral("Language")), QString(), m_environment));
    });
    step([&] { m_page.txtInterviewerAfterMessageAction->setText(linkText(m_state, ih, QStringLiteral("AfterMessage"))); });
    showQuestions();
    step([&] { handler.restore(); });
    step([&] { m_page.tabInterviewerInfo_Click(0); });
}

void InterviewerSection::reloadQuestions()
{
    Recordset& ih = m_state.cache.rsInterviewHandler;
    RecordsetPosition back(ih, kInterviewHandlerObjectID);
    if (!m_shown.isEmpty() && findFromFirst(ih, kInterviewHandlerObjectID, m_shown))
        showQuestions();
    back.restoreQuietly();
}

// The owner or the recipient, each classified by its own id. An id that names neither a
// subscriber nor a public list is reported; a Null id leaves the box empty without a word.
void InterviewerSection::showParty(const QString& column, QLineEdit* box, const QString& message)
{
    RecordsetCache& cache = m_state.cache;
    Variant id;
    step([&] { id = cache.rsInterviewHandler.field(column); });
    if (id.isNull())
        return;
    qint16 kind = OwnerObjectType::Neither;
    step([&] { kind = GetOwnerObjectType(cache, id.toText()); });
    if (kind == OwnerObjectType::Neither) {
        m_state.prompts.msgBox(message + id.textOrEmpty());
        return;
    }
    step([&] { box->setText(ownerName(cache, kind)); });
}

void InterviewerSection::showQuestions()
{
    Recordset& ih = m_state.cache.rsInterviewHandler;
    Recordset& questions = m_state.cache.rsInterviewQuestion;
    QTableWidget* grid = m_page.gridInterviewQuestions;

    // Painted once, when the last question is in.
    grid->setUpdatesEnabled(false);
    grid->setRowCount(0);
    grid->setProperty(QuestionListOwnerProperty, m_shown);
    step([&] { questions.clearFilter(); });
    step([&] { questions.setFilter(QStringLiteral("ParentObjectID"), ih.field(kInterviewHandlerObjectID)); });
    int added = 0;
    step([&] {
        if (questions.recordCount() < 1)
            return;
        // The alias is the question's place, a number: question 10 follows question 9.
        questions.setSort(QStringLiteral("Alias"));
        questions.moveFirst();
        const int count = questions.recordCount();
        for (int i = 1; i <= count; ++i) {
            const int row = grid->rowCount();
            grid->insertRow(row);
            ++added;
            auto cell = [&](int column, const QString& text) { grid->setItem(row, column, new QTableWidgetItem(text)); };
            cell(QuestionColumn::Label, QStringLiteral(" %1").arg(i));
            step([&] { cell(QuestionColumn::Question, questions.field(QStringLiteral("StreamText")).toText()); });
            step([&] { cell(QuestionColumn::ObjectID, questions.field(QStringLiteral("InterviewQuestionObjectID")).toText()); });
            QString limit;
            step([&] { limit = questions.field(QStringLiteral("MaxMsgLength")).toText(); });
            cell(QuestionColumn::AnswerLimit, limit.isEmpty() ? QString::fromLatin1(QuestionDefaultAnswerLimit) : limit);
            step([&] { cell(QuestionColumn::StreamPath, questions.field(QStringLiteral("StreamPath")).toText()); });
            questions.moveNext();
        }
    });
    grid->setUpdatesEnabled(true);

    InterviewQuestionControls list = m_page.questionControls();
    if (added > 0) {
        // Selecting the first question binds its recording and sets the list's buttons.
        step([&] { grid->setCurrentCell(-1, -1); });
        step([&] { grid->setCurrentCell(0, QuestionColumn::Question); });
    } else {
        step([&] {
            if (SonotropeCtrl* control = m_pane.mediaControl(PaneOperations::MediaControl::InterviewerQuestions))
                control->setControlActive(0);
        });
        list.record->setEnabled(false);
    }
    list.remove->setEnabled(grid->rowCount() >= 2);
}
