#include "greetings/InterviewQuestionList.h"

#include "fixtures/PaneFixture.h"
#include "greetings/InterviewQuestionSave.h"
#include "widgets/SonotropeCtrl.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <functional>

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
    // Opens the editor of a question's text (row from 0), as a double click does.
    QLineEdit* editQuestion(int row)
    {
        control<QTabWidget>("tabInterviewerInfo")->setCurrentIndex(1);
        grid()->setCurrentCell(row, QuestionColumn::Question);
        grid()->editItem(grid()->item(row, QuestionColumn::Question));
        // The open editor, not one closed before and not yet gone.
        for (QLineEdit* line : grid()->findChildren<QLineEdit*>())
            if (line->isVisible())
                return line;
        return nullptr;
    }
    // Return in an open editor: the list takes the edit once the events have run.
    static void commit(QWidget* editor)
    {
        QTest::keyClick(editor, Qt::Key_Return);
        QApplication::processEvents();
        QApplication::processEvents(); // and what the edit left to run after it
    }
    static QStringList withoutPlaces(const QStringList& rows)
    {
        QStringList rest;
        for (const QString& r : rows)
            rest << r.section('|', 1);
        return rest;
    }
    QString storedIds(const QString& alias) const
    {
        return f.site
            .scalar("SELECT coalesce(group_concat(InterviewQuestionObjectID, ','), '') FROM (SELECT InterviewQuestionObjectID "
                    "FROM InterviewQuestion WHERE ParentObjectID = ? ORDER BY Alias)",
                    {interviewId(alias)})
            .toText();
    }
    // The list shows what the database holds for the handler.
    void expectListShowsStored(const QString& alias) const
    {
        QStringList shown;
        for (int r = 0; r < grid()->rowCount(); ++r)
            shown << cell(r, QuestionColumn::Question) + "|" + cell(r, QuestionColumn::AnswerLimit) + "|"
                         + cell(r, QuestionColumn::StreamPath);
        EXPECT_EQ(shown, withoutPlaces(stored(alias)));
        EXPECT_EQ(grid()->property(QuestionListOwnerProperty).toString(), interviewId(alias));
    }
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

TEST_F(InterviewQuestionListTest, AnEditStoresWhatWasTypedHeldToWhatMayBeTypedAndTheGridShowsTheSame)
{
    showInterview("customerfeedback");
    f.window->show();
    const QString odd = "He said \"no\", then left, it's 'fine'" + QString(300, QChar('x'));
    QLineEdit* line = editQuestion(1);
    ASSERT_NE(line, nullptr);
    line->selectAll();
    line->insert(odd);
    commit(line);
    const QString kept = odd.left(128);
    EXPECT_EQ(cell(1, QuestionColumn::Question), kept);
    const QStringList after = stored("customerfeedback");
    ASSERT_EQ(after.size(), 3);
    EXPECT_TRUE(after[1].startsWith("2|" + kept + "|")) << after[1].toStdString();
    const QStringList lines = updateLines();
    ASSERT_EQ(lines.size(), 12);
    EXPECT_EQ(lines[6], questionLines("customerfeedback", 2, cell(1, QuestionColumn::StreamPath), kept, " 30")[2]);
    EXPECT_TRUE(f.prompts.messages.isEmpty()) << f.prompts.messages.join('|').toStdString();
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
    const QStringList files = QDir(f.site.streamFilesPath()).entryList(QDir::Files);
    click("cmdInterviewQuestionsAdd");
    EXPECT_EQ(f.prompts.messages, QStringList{"Error in UpdateInterviewQuestions:disk trouble"});
    EXPECT_EQ(stored("customerfeedback"), before);
    EXPECT_EQ(storedId("customerfeedback", 1) + storedId("customerfeedback", 3), ids);
    EXPECT_TRUE(updateLines().isEmpty());
    // The list shows what is stored, not the question that was not.
    ASSERT_EQ(grid()->rowCount(), 3);
    expectListShowsStored("customerfeedback");
    EXPECT_EQ(QDir(f.site.streamFilesPath()).entryList(QDir::Files), files);

    // The same for a server that is busy with another writer, and for a move.
    f.site.exec("DROP TRIGGER failing; CREATE TRIGGER failing BEFORE DELETE ON InterviewQuestion "
                "BEGIN SELECT RAISE(ABORT, 'database is locked'); END;");
    f.prompts.messages.clear();
    grid()->setCurrentCell(0, QuestionColumn::Question);
    click("cmdInterviewQuestionsMoveDown");
    EXPECT_EQ(f.prompts.messages, QStringList{"Error in UpdateInterviewQuestions:database is locked"});
    EXPECT_EQ(stored("customerfeedback"), before);
    expectListShowsStored("customerfeedback");
    EXPECT_TRUE(updateLines().isEmpty());
}

TEST_F(InterviewQuestionListTest, AChangeMadeElsewhereSinceTheLoadIsNeitherOverwrittenNorDeleted)
{
    const QString rowChanged = "Error in UpdateInterviewQuestions:Row cannot be located for updating. Some values may have "
                               "been changed since it was last read.";
    const QString id = interviewId("customerfeedback");
    struct Case {
        const char* what;
        std::function<void()> elsewhere; // another program, after the list was loaded
        std::function<void()> change;    // what the administrator does then
    };
    const std::vector<Case> cases = {
        {"a question added, then Add",
         [&] {
             f.site.execute("INSERT INTO InterviewQuestion (ParentObjectID, ParentAlias, Alias, StreamText, StreamPath, "
                            "MaxMsgLength, UID) VALUES (?, 'customerfeedback', 4, 'From the other tool', 'other4.wav', 45, 99)",
                            {id});
         },
         [&] { click("cmdInterviewQuestionsAdd"); }},
        {"a text changed, then Delete",
         [&] {
             f.site.execute("UPDATE InterviewQuestion SET StreamText = 'Reworded' WHERE ParentObjectID = ? AND Alias = 3", {id});
         },
         [&] {
             grid()->setCurrentCell(0, QuestionColumn::Question);
             click("cmdInterviewQuestionsDelete");
         }},
        {"two questions swapped, then Move Down",
         [&] {
             f.site.execute("UPDATE InterviewQuestion SET Alias = CASE Alias WHEN 1 THEN 2 ELSE 1 END "
                            "WHERE ParentObjectID = ? AND Alias IN (1, 2)",
                            {id});
         },
         [&] {
             grid()->setCurrentCell(1, QuestionColumn::Question);
             click("cmdInterviewQuestionsMoveDown");
         }},
        {"a question removed, then an edit",
         [&] { f.site.execute("DELETE FROM InterviewQuestion WHERE ParentObjectID = ? AND Alias = 2", {id}); },
         [&] {
             QLineEdit* line = editQuestion(0);
             ASSERT_NE(line, nullptr);
             line->selectAll();
             QTest::keyClicks(line, "Typed");
             commit(line);
         }},
    };
    const QStringList files = QDir(f.site.streamFilesPath()).entryList(QDir::Files);
    f.window->show();
    // A search in between reads the other program's change into the cache, not into the list.
    for (const bool searched : {false, true})
        for (const Case& c : cases) {
            SCOPED_TRACE(c.what + std::string(searched ? ", a search since" : ""));
            showInterview("customerfeedback");
            f.prompts.messages.clear();
            const int linesBefore = updateLines().size();
            c.elsewhere();
            if (searched)
                f.searchSubscribersAndCancel();
            const QStringList theirs = stored("customerfeedback");
            const QString theirIds = storedIds("customerfeedback");
            c.change();
            EXPECT_EQ(f.prompts.messages, QStringList{rowChanged});
            EXPECT_EQ(stored("customerfeedback"), theirs);
            EXPECT_EQ(storedIds("customerfeedback"), theirIds);
            EXPECT_EQ(updateLines().size(), linesBefore);
            // The list was read again: it shows the other program's change, and the next change goes through.
            expectListShowsStored("customerfeedback");
            f.prompts.messages.clear();
            grid()->setCurrentCell(0, QuestionColumn::Question);
            click("cmdInterviewQuestionsAdd");
            EXPECT_TRUE(f.prompts.messages.isEmpty()) << f.prompts.messages.join('|').toStdString();
            EXPECT_EQ(withoutPlaces(stored("customerfeedback")).mid(0, theirs.size()), withoutPlaces(theirs));
            EXPECT_EQ(stored("customerfeedback").size(), theirs.size() + 1);
            EXPECT_EQ(updateLines().size(), linesBefore + 4 * (theirs.size() + 1));
        }
    EXPECT_EQ(QDir(f.site.streamFilesPath()).entryList(QDir::Files), files);
}

TEST_F(InterviewQuestionListTest, AStoredTextLongerThanTheListTakesIsKeptUntilItIsRetyped)
{
    // Another tool stored a long text and no reply limit for question 2.
    const QString id = interviewId("customerfeedback");
    const QString longText = QString("Please describe ") + QString(484, QChar('y'));
    ASSERT_EQ(longText.size(), 500);
    f.site.execute("UPDATE InterviewQuestion SET StreamText = ?, MaxMsgLength = NULL WHERE ParentObjectID = ? AND Alias = 2",
                   {longText, id});
    showInterview("customerfeedback");
    f.window->show();
    const QStringList files = QDir(f.site.streamFilesPath()).entryList(QDir::Files);
    const QString path = cell(1, QuestionColumn::StreamPath);
    ASSERT_EQ(cell(1, QuestionColumn::Question), longText);
    auto second = [&] {
        return f.site.scalar("SELECT StreamText FROM InterviewQuestion WHERE ParentObjectID = ? AND Alias = 2", {id});
    };
    auto secondLimit = [&] {
        return f.site.scalar("SELECT MaxMsgLength FROM InterviewQuestion WHERE ParentObjectID = ? AND Alias = 2", {id});
    };

    // An Add, a limit chosen for another question, and the text's editor opened and left as it was.
    click("cmdInterviewQuestionsAdd");
    grid()->setCurrentCell(0, QuestionColumn::AnswerLimit);
    grid()->editItem(grid()->item(0, QuestionColumn::AnswerLimit));
    auto* box = grid()->findChild<QComboBox*>();
    ASSERT_NE(box, nullptr);
    box->setCurrentIndex(box->findText("90"));
    commit(box);
    QLineEdit* line = editQuestion(1);
    ASSERT_NE(line, nullptr);
    commit(line);
    EXPECT_TRUE(f.prompts.messages.isEmpty()) << f.prompts.messages.join('|').toStdString();
    EXPECT_EQ(second().toText(), longText);
    EXPECT_TRUE(secondLimit().isNull());
    EXPECT_EQ(cell(1, QuestionColumn::Question), longText);
    const QStringList lines = updateLines();
    ASSERT_EQ(lines.size(), 4 * 4 * 3);
    // Each save logs the text as stored.
    for (int save = 0; save < 3; ++save)
        EXPECT_EQ(lines[16 * save + 4 + 2], questionLines("customerfeedback", 2, path, longText, QString())[2]) << save;

    // Typed over, it is held to what may be typed.
    line = editQuestion(1);
    ASSERT_NE(line, nullptr);
    QTest::keyClick(line, Qt::Key_End);
    QTest::keyClick(line, Qt::Key_Backspace);
    commit(line);
    EXPECT_EQ(second().toText(), longText.left(127));
    EXPECT_EQ(cell(1, QuestionColumn::Question), longText.left(127));
    EXPECT_EQ(QDir(f.site.streamFilesPath()).entryList(QDir::Files), files);
}

TEST_F(InterviewQuestionListTest, TheSaveRefusesAListLoadedForAnotherHandler)
{
    showInterview("customerfeedback");
    const QStringList a = stored("customerfeedback");
    const QStringList other = stored("interviewtemplate");
    InterviewQuestionSave save(*f.state);
    EXPECT_FALSE(save.updateInterviewQuestions(interviewId("interviewtemplate"), *grid(), InterviewQuestionSave::shown(*grid())));
    ASSERT_EQ(f.prompts.messages.size(), 1);
    EXPECT_TRUE(f.prompts.messages[0].startsWith("Error in UpdateInterviewQuestions:"));
    EXPECT_EQ(stored("customerfeedback"), a);
    EXPECT_EQ(stored("interviewtemplate"), other);
    EXPECT_TRUE(updateLines().isEmpty());

    // A handler deleted by another tool meanwhile loses nothing and gains nothing.
    f.prompts.messages.clear();
    f.site.execute("DELETE FROM InterviewHandler WHERE Alias = 'customerfeedback'");
    EXPECT_FALSE(save.updateInterviewQuestions(grid()->property(QuestionListOwnerProperty).toString(), *grid(),
                                               InterviewQuestionSave::shown(*grid())));
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
