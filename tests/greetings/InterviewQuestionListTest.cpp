#include "greetings/InterviewQuestionList.h"

#include "fixtures/PaneFixture.h"
#include "greetings/InterviewQuestionSave.h"
#include "widgets/SonotropeCtrl.h"

#include <QAbstractButton>
#include <QFile>
#include <QRandomGenerator>
#include <QTableWidget>

namespace {

// The questions of the demo site's feedback interview and of its template (which has none).
class InterviewQuestionListTest : public ::testing::Test, public PaneFixture {
protected:
    void SetUp() override
    {
        start();
        f.site.execute("INSERT INTO InterviewQuestion (ParentObjectID, Alias, StreamText, StreamPath, MaxMsgLength, UID) "
                       "VALUES ('{0BADBEEF-0000-0000-0000-000000000000}', 1, 'Other', 'other.wav', 20, ' 41')");
    }
    QString interviewId(const QString& alias) const { return idOf("InterviewHandler", "InterviewHandlerObjectID", alias); }
    void showInterview(const QString& alias) { showObject(interviewId(alias), 5); }
    InterviewQuestionList& list() { return f.program->interviewQuestionList(); }
    QTableWidget* grid() const { return control<QTableWidget>("gridInterviewQuestions"); }
    QString cell(int row, int column) const
    {
        const QTableWidgetItem* item = grid()->item(row, column);
        return item ? item->text() : "<none>";
    }
    // The grid's rows as "question|limit|path".
    QStringList rows() const
    {
        QStringList all;
        for (int r = 0; r < grid()->rowCount(); ++r)
            all << cell(r, QuestionColumn::Question) + "|" + cell(r, QuestionColumn::AnswerLimit) + "|"
                       + cell(r, QuestionColumn::StreamPath);
        return all;
    }
    // The stored questions of a handler, in order, as "alias|text|limit|path".
    QStringList stored(const QString& alias) const
    {
        const QString text = f.site
                                 .scalar("SELECT coalesce(group_concat(q, ';'), '') FROM (SELECT Alias || '|' || "
                                         "coalesce(StreamText, '') || '|' || coalesce(MaxMsgLength, '') || '|' || "
                                         "coalesce(StreamPath, '') AS q FROM InterviewQuestion WHERE ParentObjectID = ? "
                                         "ORDER BY Alias)",
                                         {interviewId(alias)})
                                 .toText();
        return text.isEmpty() ? QStringList() : text.split(';');
    }
    QString storedId(const QString& alias, int place) const
    {
        return f.site
            .scalar("SELECT InterviewQuestionObjectID FROM InterviewQuestion WHERE ParentObjectID = ? AND Alias = ?",
                    {interviewId(alias), place})
            .toText();
    }
    QStringList storedUids(const QString& alias) const
    {
        return f.site
            .scalar("SELECT group_concat(UID, ',') FROM (SELECT UID FROM InterviewQuestion WHERE ParentObjectID = ? "
                    "ORDER BY Alias)",
                    {interviewId(alias)})
            .toText()
            .split(',');
    }
    QStringList questionLines(const QString& handler, int place, const QString& path, const QString& text,
                              const QString& limit) const
    {
        const QString alias = QString::number(place);
        auto line = [&](const QString& column, const QString& value) {
            return ChangeLogLine(f.clock.now(), "UPDATE", "InterviewQuestion", alias, "InterviewHandler", handler, column, value);
        };
        return {line("Alias", alias), line("StreamPath", path), line("StreamText", text), line("MaxMsgLength", limit)};
    }
    void click(const char* name) { control<QAbstractButton>(name)->click(); }
};

TEST_F(InterviewQuestionListTest, AddAppendsANewQuestionAndStoresTheWholeListWithItsLogLines)
{
    showInterview("customerfeedback");
    const QStringList before = stored("customerfeedback");
    ASSERT_EQ(before.size(), 3);
    click("cmdInterviewQuestionsAdd");
    ASSERT_EQ(grid()->rowCount(), 4);
    EXPECT_EQ(cell(3, QuestionColumn::Label), "New Question");
    const QString path = cell(3, QuestionColumn::StreamPath);
    EXPECT_TRUE(QRegularExpression("^iq_customerfeedback_4_\\d{1,5}\\.wav$").match(path).hasMatch()) << path.toStdString();
    EXPECT_EQ(grid()->currentRow(), 3);
    const QStringList after = stored("customerfeedback");
    ASSERT_EQ(after.size(), 4);
    EXPECT_EQ(after.mid(0, 3), before);
    EXPECT_EQ(after[3], "4|Question Text|30|" + path);
    // Numbered after the highest number of any handler, taken as a number.
    EXPECT_EQ(storedUids("customerfeedback"), QStringList({"42", "43", "44", "45"}));
    for (int r = 0; r < 4; ++r)
        EXPECT_EQ(cell(r, QuestionColumn::ObjectID), storedId("customerfeedback", r + 1)) << r;
    const QStringList lines = updateLines();
    ASSERT_EQ(lines.size(), 16);
    EXPECT_EQ(lines.mid(12), questionLines("customerfeedback", 4, path, "Question Text", " 30"));
    for (const char* on : {"cmdInterviewQuestionsDelete", "cmdInterviewQuestionsMoveUp", "cmdInterviewerRecord"})
        EXPECT_TRUE(enabled(on)) << on;
    EXPECT_FALSE(enabled("cmdInterviewQuestionsMoveDown"));
    EXPECT_TRUE(f.prompts.messages.isEmpty()) << f.prompts.messages.join('|').toStdString();
}

TEST_F(InterviewQuestionListTest, AHandlerWithoutQuestionsGetsOneThatCanBeRecordedButNotDeleted)
{
    showInterview("interviewtemplate");
    ASSERT_EQ(grid()->rowCount(), 0);
    EXPECT_FALSE(enabled("cmdInterviewerRecord"));
    click("cmdInterviewQuestionsAdd");
    EXPECT_EQ(stored("interviewtemplate").size(), 1);
    EXPECT_FALSE(enabled("cmdInterviewQuestionsDelete"));
    EXPECT_FALSE(enabled("cmdInterviewQuestionsMoveUp"));
    EXPECT_FALSE(enabled("cmdInterviewQuestionsMoveDown"));
    EXPECT_TRUE(enabled("cmdInterviewerRecord"));
    auto* player = control<SonotropeCtrl>("SotrInterviewerQuestion");
    EXPECT_TRUE(player->isEnabled()) << "a bound question makes the control usable again";
    EXPECT_EQ(player->SoundFile(), f.site.streamFilesPath() + cell(0, QuestionColumn::StreamPath));
}

TEST_F(InterviewQuestionListTest, MovesAndDeletesRenumberTheStoredQuestions)
{
    showInterview("customerfeedback");
    const QStringList texts = {cell(0, 1), cell(1, 1), cell(2, 1)};
    grid()->setCurrentCell(2, QuestionColumn::Question);
    click("cmdInterviewQuestionsMoveUp");
    EXPECT_EQ(grid()->currentRow(), 1);
    EXPECT_EQ(stored("customerfeedback").join(';').count(texts[2]), 1);
    EXPECT_TRUE(stored("customerfeedback")[1].startsWith("2|" + texts[2] + "|"));
    EXPECT_TRUE(stored("customerfeedback")[2].startsWith("3|" + texts[1] + "|"));

    grid()->setCurrentCell(0, QuestionColumn::Question);
    EXPECT_FALSE(enabled("cmdInterviewQuestionsMoveUp"));
    click("cmdInterviewQuestionsMoveDown");
    EXPECT_TRUE(stored("customerfeedback")[0].startsWith("1|" + texts[2] + "|"));
    EXPECT_TRUE(stored("customerfeedback")[1].startsWith("2|" + texts[0] + "|"));

    // Deleting row 3 of 3 selects row 2; deleting row 1 selects what moved up into it.
    grid()->setCurrentCell(2, QuestionColumn::Question);
    click("cmdInterviewQuestionsDelete");
    EXPECT_EQ(grid()->currentRow(), 1);
    ASSERT_EQ(stored("customerfeedback").size(), 2);
    grid()->setCurrentCell(0, QuestionColumn::Question);
    click("cmdInterviewQuestionsDelete");
    EXPECT_EQ(grid()->currentRow(), 0);
    const QStringList last = stored("customerfeedback");
    ASSERT_EQ(last.size(), 1);
    EXPECT_TRUE(last[0].startsWith("1|" + texts[0] + "|"));
    EXPECT_FALSE(enabled("cmdInterviewQuestionsDelete"));
    EXPECT_EQ(updateLines().size(), 4 * (3 + 3 + 2 + 1));
    EXPECT_TRUE(f.prompts.messages.isEmpty()) << f.prompts.messages.join('|').toStdString();
}

TEST_F(InterviewQuestionListTest, AnEditStoresOnlyWhatTheDatabaseKeepsAndTheGridShowsTheSame)
{
    showInterview("customerfeedback");
    const QString odd = "He said \"no\", then\nleft, it's 'fine'" + QString(300, QChar('x'));
    grid()->item(1, QuestionColumn::Question)->setText(odd);
    const QString limit = InterviewQuestionList::answerLimits().at(11); // 45
    grid()->item(1, QuestionColumn::AnswerLimit)->setText(limit);
    list().gridInterviewQuestions_AfterEdit(2, QuestionColumn::Question);
    const QString kept = odd.left(128);
    EXPECT_EQ(cell(1, QuestionColumn::Question), kept);
    const QStringList after = stored("customerfeedback");
    ASSERT_EQ(after.size(), 3);
    EXPECT_TRUE(after[1].startsWith("2|" + kept + "|45|")) << after[1].toStdString();
    const QStringList lines = updateLines();
    ASSERT_EQ(lines.size(), 12);
    EXPECT_EQ(lines[6], questionLines("customerfeedback", 2, cell(1, QuestionColumn::StreamPath), kept, " 45")[2]);
    EXPECT_EQ(lines[7], questionLines("customerfeedback", 2, cell(1, QuestionColumn::StreamPath), kept, " 45")[3]);
}

TEST_F(InterviewQuestionListTest, TheReplyLimitIsChosenFromTheFixedList)
{
    showInterview("customerfeedback");
    f.window->show();
    grid()->setCurrentCell(0, QuestionColumn::AnswerLimit);
    grid()->editItem(grid()->item(0, QuestionColumn::AnswerLimit));
    auto* box = grid()->findChild<QComboBox*>();
    ASSERT_NE(box, nullptr);
    QStringList choices;
    for (int i = 0; i < box->count(); ++i)
        choices << box->itemText(i);
    EXPECT_EQ(choices.join('|'), "2|3|4|5|10|15|20|25|30|35|40|45|50|55|60|65|70|75|80|85|90");
    box->setCurrentIndex(box->findText("90"));
    QTest::keyClick(box, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(cell(0, QuestionColumn::AnswerLimit), "90");
    EXPECT_TRUE(stored("customerfeedback")[0].contains("|90|")) << stored("customerfeedback")[0].toStdString();
    EXPECT_EQ(updateLines().size(), 12) << "one limit rewrites the whole list";
}

TEST_F(InterviewQuestionListTest, AFailingSaveRollsBackWithOneMessageAndTheHandlerKeepsItsQuestions)
{
    showInterview("customerfeedback");
    const QStringList before = stored("customerfeedback");
    const QString ids = storedId("customerfeedback", 1) + storedId("customerfeedback", 3);
    f.site.exec("CREATE TRIGGER failing BEFORE INSERT ON InterviewQuestion WHEN NEW.Alias = 3 "
                "BEGIN SELECT RAISE(ABORT, 'disk trouble'); END;");
    click("cmdInterviewQuestionsAdd");
    EXPECT_EQ(f.prompts.messages, QStringList{"Error in UpdateInterviewQuestions:disk trouble"});
    EXPECT_EQ(stored("customerfeedback"), before);
    EXPECT_EQ(storedId("customerfeedback", 1) + storedId("customerfeedback", 3), ids);
    EXPECT_TRUE(updateLines().isEmpty());
}

TEST_F(InterviewQuestionListTest, TheSaveRefusesAListLoadedForAnotherHandler)
{
    showInterview("customerfeedback");
    const QStringList a = stored("customerfeedback");
    const QStringList other = stored("interviewtemplate");
    InterviewQuestionSave save(*f.state);
    EXPECT_FALSE(save.updateInterviewQuestions(interviewId("interviewtemplate"), *grid()));
    ASSERT_EQ(f.prompts.messages.size(), 1);
    EXPECT_TRUE(f.prompts.messages[0].startsWith("Error in UpdateInterviewQuestions:"));
    EXPECT_EQ(stored("customerfeedback"), a);
    EXPECT_EQ(stored("interviewtemplate"), other);
    EXPECT_TRUE(updateLines().isEmpty());

    // A handler deleted by another tool meanwhile loses nothing and gains nothing.
    f.prompts.messages.clear();
    f.site.execute("DELETE FROM InterviewHandler WHERE Alias = 'customerfeedback'");
    EXPECT_FALSE(save.updateInterviewQuestions(grid()->property(QuestionListOwnerProperty).toString(), *grid()));
    EXPECT_EQ(f.prompts.messages.size(), 1);
    EXPECT_TRUE(updateLines().isEmpty());
}

} // namespace

namespace {

TEST_F(InterviewQuestionListTest, ANewFileNameIsDrawnAgainWhileItExistsAndNamesNoFolder)
{
    f.site.execute("UPDATE InterviewHandler SET Alias = 'survey/2\\b' WHERE Alias = 'customerfeedback'");
    showObject(interviewId("survey/2\\b"), 5);
    // The first draw names a file that is there already.
    QRandomGenerator probe = f.state->random;
    const int first = int(probe.generateDouble() * 100000);
    const int second = int(probe.generateDouble() * 100000);
    const QString taken = QString("iq_survey_2_b_4_%1.wav").arg(first);
    QFile file(f.site.streamFilesPath() + taken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    click("cmdInterviewQuestionsAdd");
    EXPECT_EQ(cell(3, QuestionColumn::StreamPath), QString("iq_survey_2_b_4_%1.wav").arg(second));
}

TEST_F(InterviewQuestionListTest, ThirtyQuestionsKeepTheirOrderAndNumbers)
{
    const QString id = interviewId("interviewtemplate");
    for (int place = 1; place <= 30; ++place)
        f.site.execute("INSERT INTO InterviewQuestion (ParentObjectID, Alias, StreamText, StreamPath, MaxMsgLength, UID) "
                       "VALUES (?, ?, ?, ?, 30, ?)",
                       {id, place, QString("Q%1").arg(place), QString("q%1.wav").arg(place), 100 + place});
    showInterview("interviewtemplate");
    ASSERT_EQ(grid()->rowCount(), 30);
    grid()->setCurrentCell(29, QuestionColumn::Question);
    click("cmdInterviewQuestionsMoveUp");
    const QStringList after = stored("interviewtemplate");
    ASSERT_EQ(after.size(), 30);
    EXPECT_EQ(after[8], "9|Q9|30|q9.wav");
    EXPECT_EQ(after[9], "10|Q10|30|q10.wav");
    EXPECT_EQ(after[28], "29|Q30|30|q30.wav");
    EXPECT_EQ(after[29], "30|Q29|30|q29.wav");
    QStringList uids;
    for (int n = 42; n <= 71; ++n) // after the highest number of the other handlers
        uids << QString::number(n);
    EXPECT_EQ(storedUids("interviewtemplate"), uids);
    EXPECT_EQ(updateLines().size(), 120);
}

} // namespace
