#include "environment/LanguageCodes.h"
#include "fixtures/PaneFixture.h"
#include "widgets/SonotropeCtrl.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableWidget>

namespace {

const QString kMissing = "{0BADBEEF-0000-0000-0000-000000000000}";
const QStringList kWatched = {"InterviewHandler", "InterviewQuestion", "Subscriber", "DistributionList", "CallHandler"};

class InterviewerPane : public ::testing::Test, public PaneFixture {
protected:
    QString tables() const { return tablesText(kWatched); }
    QString interviewId(const QString& alias) const { return idOf("InterviewHandler", "InterviewHandlerObjectID", alias); }
    void showInterview(const QString& alias) { showObject(interviewId(alias), 5); }
    // Runs one statement with its values bound, "$I" standing for an interview handler's id.
    void execInterview(const QString& sql, const QString& alias, const std::vector<Variant>& values = {}) const
    {
        f.site.execute(sql, values, {{"$I", interviewId(alias)}});
    }
    QTableWidget* grid() const { return control<QTableWidget>("gridInterviewQuestions"); }
    // The list's rows, each as "label|question|limit|stream path".
    QStringList rows() const
    {
        QStringList all;
        for (int r = 0; r < grid()->rowCount(); ++r) {
            QStringList cells;
            for (int c : {QuestionColumn::Label, QuestionColumn::Question, QuestionColumn::AnswerLimit, QuestionColumn::StreamPath})
                cells << (grid()->item(r, c) ? grid()->item(r, c)->text() : "<none>");
            all << cells.join('|');
        }
        return all;
    }
    SonotropeCtrl* player() const { return control<SonotropeCtrl>("SotrInterviewerQuestion"); }
    QString question(const QString& alias, int place, const QString& column) const
    {
        return f.site
            .scalar(QString("SELECT %1 FROM InterviewQuestion WHERE ParentObjectID = ? AND Alias = ?").arg(column),
                    {interviewId(alias), place})
            .textOrEmpty();
    }
};

TEST_F(InterviewerPane, TheProfileAndTheQuestionsAreShownAndTheFirstQuestionPlays)
{
    execInterview("UPDATE InterviewQuestion SET MaxMsgLength = 10 WHERE ParentObjectID = $I AND Alias = 1", "customerfeedback");
    execInterview("UPDATE InterviewQuestion SET MaxMsgLength = NULL, StreamPath = 'C:\\Talvo\\q2.wav' "
                  "WHERE ParentObjectID = $I AND Alias = 2",
                  "customerfeedback");
    execInterview("UPDATE InterviewQuestion SET MaxMsgLength = 45, StreamText = NULL WHERE ParentObjectID = $I AND Alias = 3",
                  "customerfeedback");
    const QString before = tables();
    start();
    control<QTabWidget>("tabInterviewerInfo")->setCurrentIndex(1);
    f.prompts.messages.clear();
    showInterview("customerfeedback");
    EXPECT_TRUE(f.prompts.messages.isEmpty()) << f.prompts.messages.join('|').toStdString();
    EXPECT_EQ(control<QLabel>("lblCurrentObjectDisplayName")->text(), "Customer Feedback");
    expectShown({
        {"txtInterviewerDisplayName", "Customer Feedback"},
        {"txtInterviewerAlias", "customerfeedback"},
        {"txtInterviewerExtension", "300"},
        {"txtInterviewerLanguage", LanguageCodes::GetLanguageNameFromCode("ENU")},
        {"txtInterviewerOwner", "Farid Haddad"},
        {"txtInterviewerRecipient", "Support Team"},
        {"txtInterviewerAfterMessageAction", "Send to greeting for: Goodbye"},
    });
    const QString first = question("customerfeedback", 1, "StreamPath");
    EXPECT_EQ(rows(), QStringList({" 1|Please say your name.|10|" + first,
                                   " 2|Please say the number we can call you back on.|30|C:\\Talvo\\q2.wav",
                                   " 3|<none>|45|" + question("customerfeedback", 3, "StreamPath")}));
    EXPECT_EQ(grid()->currentRow(), 0);
    EXPECT_EQ(grid()->currentColumn(), int(QuestionColumn::Question));
    EXPECT_EQ(player()->SoundFile(), f.site.streamFilesPath() + first);
    EXPECT_EQ(player()->toolTip(), player()->SoundFile());
    EXPECT_TRUE(player()->isEnabled());
    for (const auto& [name, on] : {std::pair{"cmdInterviewQuestionsDelete", true},
                                   {"cmdInterviewerRecord", true},
                                   {"cmdInterviewQuestionsMoveUp", false},
                                   {"cmdInterviewQuestionsMoveDown", true}})
        EXPECT_EQ(enabled(name), on) << name;
    EXPECT_TRUE(control("frameInterviewerInfo_1")->isVisibleTo(pane));
    EXPECT_FALSE(control("frameInterviewerInfo_0")->isVisibleTo(pane));

    // Selecting a question binds its recording, a full path whole, and sets the moves.
    grid()->setCurrentCell(1, QuestionColumn::AnswerLimit);
    EXPECT_EQ(player()->SoundFile(), "/Talvo/q2.wav");
    EXPECT_TRUE(enabled("cmdInterviewQuestionsMoveUp"));
    EXPECT_TRUE(enabled("cmdInterviewQuestionsMoveDown"));
    grid()->setCurrentCell(2, QuestionColumn::Question);
    EXPECT_TRUE(enabled("cmdInterviewQuestionsMoveUp"));
    EXPECT_FALSE(enabled("cmdInterviewQuestionsMoveDown"));

    // Where the editors work.
    EXPECT_EQ(f.state->cache.rsInterviewHandler.field("Alias").toText(), "customerfeedback");
    EXPECT_EQ(f.state->cache.rsInterviewQuestion.recordCount(), 3);
    EXPECT_TRUE(f.state->cache.rsInterviewQuestion.isEOF());
    EXPECT_EQ(f.state->cache.rsInterviewQuestion.sort(), "Alias");

    EXPECT_EQ(tables(), before) << "the load writes nothing";
    EXPECT_TRUE(updateLines().isEmpty()) << changeLog().toStdString();
}

// Both shown columns lie within the list's view, each heading whole, with no sideways scrolling:
// at the page's normal size, with enough questions for a scroll bar down the side, and in a
// larger face.
TEST_F(InterviewerPane, TheQuestionListsColumnsFitItsViewWithTheirHeadingsWhole)
{
    for (int place = 4; place <= 30; ++place)
        execInterview(QString("INSERT INTO InterviewQuestion (InterviewQuestionObjectID, ParentObjectID, Alias, StreamText, "
                              "StreamPath, MaxMsgLength) VALUES ('{00000000-0000-0000-0000-0000000000%1}', $I, %1, 'Q%1', "
                              "'iq_%1.wav', 30)")
                          .arg(place),
                      "customerfeedback");
    start();
    f.window->show();
    showInterview("interviewtemplate");
    control<QTabWidget>("tabInterviewerInfo")->setCurrentIndex(1);
    QApplication::processEvents();
    QHeaderView* header = grid()->horizontalHeader();
    auto expectFit = [&](const char* when) {
        SCOPED_TRACE(when);
        QApplication::processEvents();
        EXPECT_FALSE(grid()->horizontalScrollBar()->isVisible());
        EXPECT_EQ(grid()->horizontalScrollBar()->maximum(), 0);
        for (int c : {QuestionColumn::Question, QuestionColumn::AnswerLimit}) {
            const QString heading = grid()->horizontalHeaderItem(c)->text();
            EXPECT_GE(header->sectionSize(c), header->sectionSizeHint(c)) << heading.toStdString();
            EXPECT_GE(header->sectionViewportPosition(c), 0) << heading.toStdString();
            EXPECT_LE(header->sectionViewportPosition(c) + header->sectionSize(c), grid()->viewport()->width())
                << heading.toStdString();
        }
    };
    expectFit("no questions");
    showInterview("customerfeedback");
    ASSERT_EQ(grid()->rowCount(), 30);
    EXPECT_TRUE(grid()->verticalScrollBar()->isVisible());
    expectFit("30 questions");
    // A larger face, as a language's font may bring.
    QFont face = f.window->font();
    face.setPointSize(face.pointSize() + 6);
    f.window->setFont(face);
    expectFit("a larger face");
}

TEST_F(InterviewerPane, TwelveQuestionsKeepTheirNumericOrder)
{
    // Stored out of order, so that neither the order of the rows nor a text sort gives 1 to 12.
    for (int place : {10, 3, 12, 1, 7, 2, 11, 5, 9, 4, 8, 6})
        execInterview(QString("INSERT INTO InterviewQuestion (InterviewQuestionObjectID, ParentObjectID, Alias, StreamText, "
                              "StreamPath, MaxMsgLength) VALUES ('{00000000-0000-0000-0000-0000000000%1}', $I, %2, 'Q%2', "
                              "'iq_%2.wav', %3)")
                          .arg(place, 2, 10, QChar('0'))
                          .arg(place)
                          .arg(place * 5),
                      "interviewtemplate");
    start();
    showInterview("interviewtemplate");
    QStringList expected;
    for (int place = 1; place <= 12; ++place)
        expected << QString(" %1|Q%1|%2|iq_%1.wav").arg(place).arg(place * 5);
    EXPECT_EQ(rows(), expected);
    grid()->setCurrentCell(11, QuestionColumn::Question);
    EXPECT_EQ(player()->SoundFile(), f.site.streamFilesPath() + "iq_12.wav");
}

TEST_F(InterviewerPane, ASingleQuestionCanBeNeitherDeletedNorMoved)
{
    execInterview("INSERT INTO InterviewQuestion (InterviewQuestionObjectID, ParentObjectID, Alias, StreamText, StreamPath, "
                  "MaxMsgLength) VALUES ('{00000000-0000-0000-0000-000000000001}', $I, 1, 'Only', NULL, NULL)",
                  "interviewtemplate");
    start();
    showInterview("customerfeedback");
    showInterview("interviewtemplate");
    EXPECT_EQ(rows(), QStringList{" 1|Only|30|<none>"});
    for (const auto& [name, on] : {std::pair{"cmdInterviewQuestionsDelete", false},
                                   {"cmdInterviewQuestionsMoveUp", false},
                                   {"cmdInterviewQuestionsMoveDown", false},
                                   {"cmdInterviewerRecord", true}})
        EXPECT_EQ(enabled(name), on) << name;
    EXPECT_EQ(player()->SoundFile(), "") << "a question without a recording binds none";
}

TEST_F(InterviewerPane, OddOwnersNullsAndNoQuestionsShowTheirFixedTexts)
{
    const QString operatorId = handlerId("operatorch");
    execInterview("UPDATE InterviewHandler SET AdministratorObjectID = ?, RecipientObjectID = ?, Language = NULL, "
                  "TextName = NULL, AfterMessageAction = NULL WHERE InterviewHandlerObjectID = $I",
                  "interviewtemplate", {operatorId, kMissing});
    execInterview("UPDATE InterviewHandler SET Language = 33801, RecipientObjectID = NULL WHERE InterviewHandlerObjectID = $I",
                  "customerfeedback");
    const QString before = tables();
    start();

    showInterview("customerfeedback");
    f.prompts.messages.clear();
    showInterview("interviewtemplate");
    EXPECT_EQ(f.prompts.messages,
              QStringList({"Error in LoadTabInfo.  Invalid owner type for Interviewer.  OwnerID:" + operatorId,
                           "Error in LoadTabInfo.  Invalid recipient type for Interviewer.  RecipientID:" + kMissing}));
    // Nothing of the feedback handler stays.
    expectShown({
        {"txtInterviewerDisplayName", ""},
        {"txtInterviewerAlias", "interviewtemplate"},
        {"txtInterviewerExtension", ""},
        {"txtInterviewerLanguage", LanguageCodes::GetLanguageName(1033)}, // no default phone language here
        {"txtInterviewerOwner", ""},
        {"txtInterviewerRecipient", ""},
        {"txtInterviewerAfterMessageAction", ""},
    });
    EXPECT_EQ(control<QLabel>("lblCurrentObjectDisplayName")->text(), "");
    EXPECT_EQ(grid()->rowCount(), 0);
    EXPECT_FALSE(enabled("cmdInterviewQuestionsDelete"));
    EXPECT_FALSE(enabled("cmdInterviewerRecord"));
    EXPECT_EQ(player()->ControlActive(), 0);

    // A recipient that is Null is no error: the box stays empty; the record button is back.
    f.prompts.messages.clear();
    showInterview("customerfeedback");
    EXPECT_TRUE(f.prompts.messages.isEmpty()) << f.prompts.messages.join('|').toStdString();
    expectShown({{"txtInterviewerLanguage", "English (TDD/TTY)"},
                 {"txtInterviewerOwner", "Farid Haddad"},
                 {"txtInterviewerRecipient", ""}});
    EXPECT_TRUE(enabled("cmdInterviewerRecord"));
    EXPECT_EQ(player()->ControlActive(), -1);

    // An id the cache does not hold.
    f.prompts.messages.clear();
    showObject(kMissing, 5);
    EXPECT_EQ(f.prompts.messages, QStringList{"Error in LoadTabInfo. could not find interviewer object id:" + kMissing});
    expectShown({{"txtInterviewerDisplayName", ""}, {"txtInterviewerOwner", ""}});
    EXPECT_EQ(grid()->rowCount(), 0);

    EXPECT_EQ(tables(), before);
}

} // namespace
