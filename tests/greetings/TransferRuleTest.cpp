#include "fakes/ScriptedDialogs.h"
#include "greetings/GreetingPageFixture.h"

#include <QMenu>
#include <QPushButton>
#include <QTabWidget>

namespace {

const QString kPast = "1993-01-02 00:00:00";
const QString kNoRecord = "Either BOF or EOF is True, or the current record has been deleted. "
                          "Requested operation requires a current record.";
const QString kRowChanged = "Row cannot be located for updating. Some values may have been changed since it was last read.";

// The call handler page's rule and the subscriber page's rule, for what the twins share.
struct Twin {
    const char* what;
    const char* owner; // the handler whose rule the page shows
    qint16 nodeType;
    const char* rule;
    int index; // -1: the page's single controls
    const char* attempt;
    const char* greeting;
    const char* type;
    const char* rings;
    const char* string;
    QString ringsRefused;
    QString stringRefused;
    QString saveError;
};

class TransferRuleTest : public ::testing::Test, public GreetingPageFixture {
protected:
    void SetUp() override
    {
        f.dialogs = &dialogs;
        start();
    }

    // The rule as stored: Action, TransferType, TransferRings, Extension, TimeExpires.
    QString stored(const QString& handler, const QString& rule) const
    {
        QStringList values;
        for (const char* column : {"Action", "TransferType", "TransferRings", "Extension", "TimeExpires"}) {
            const Variant value = ruleColumn(handler, rule, column);
            values << (value.isNull() ? "<null>" : value.textOrEmpty());
        }
        return values.join('|');
    }
    // The five lines of one save.
    QStringList saved(const QString& handler, const QString& rule, const QString& expires, const QString& action,
                      const QString& type, const QString& rings, const QString& extension) const
    {
        QStringList lines;
        const QString columns[] = {"TimeExpires", "Action", "TransferType", "TransferRings", "Extension"};
        const QString values[] = {expires, action, type, rings, extension};
        for (int i = 0; i < 5; ++i)
            lines << logLine("ContactRule", rule, handler, columns[i], values[i]);
        return lines;
    }
    // The transfer page of the shown handler, with the tab of a rule in front, the window active.
    void showRuleTab(int rule)
    {
        activate();
        control<QTabWidget>("tabHandlerInfo")->setCurrentIndex(1);
        const int tabOfRule[] = {1, 2, 0};
        control<QTabWidget>("tabHandlerTransferInfo")->setCurrentIndex(tabOfRule[rule]);
    }
    QString name(const char* control, int rule) const { return QString("%1_%2").arg(control).arg(rule); }
    QLineEdit* box(const char* control, int rule) const { return this->control<QLineEdit>(name(control, rule)); }
    // A control that validates nothing.
    QWidget* elsewhere(int rule) const { return control(name("cmbHandlerTransferType", rule)); }

    QString name(const Twin& t, const char* control) const { return t.index < 0 ? QString(control) : name(control, t.index); }
    QLineEdit* box(const Twin& t, const char* control) const { return this->control<QLineEdit>(name(t, control)); }
    QWidget* elsewhere(const Twin& t) const { return control(name(t, t.type)); }
    // The page of the twin's owner with its rule in front, the window active.
    void showTwin(const Twin& t)
    {
        show(t.owner, t.nodeType);
        if (t.index >= 0) {
            showRuleTab(t.index);
            return;
        }
        activate();
        control<QTabWidget>("tabSubscriberDetails")->setCurrentIndex(1);
    }
    // The lines of one save: the subscriber page has no enabled box and leaves TimeExpires alone.
    QStringList saved(const Twin& t, const QString& expires, const QString& action, const QString& type, const QString& rings,
                      const QString& extension) const
    {
        QStringList lines = saved(t.owner, t.rule, expires, action, type, rings, extension);
        return t.index < 0 ? lines.mid(1) : lines;
    }

    ScriptedDialogs dialogs;
};

const Twin kHandler = {"call handler",
                       "operatorch",
                       3,
                       "Standard",
                       0,
                       "optHandlerTransferAttemptRingPhone",
                       "optHandlerTransferSendToGreeting",
                       "cmbHandlerTransferType",
                       "txtHandlerTransferRingstoWait",
                       "txtHandlerTransferString",
                       "Rings to wait must be a number between 1 and 10",
                       "The transfer string must contain only 0-9, '*', ',' or '#' characters",
                       "Error in SaveAllHandlerContactRuleSettings:"};
const Twin kSubscriber = {"subscriber",
                          "amoreno_ch",
                          1,
                          "Alternate",
                          -1,
                          "optSubscriberTransferAttemptToRingPhone",
                          "optSubscriberTransferSendToGreeting",
                          "cmbSubscriberTransferType",
                          "txtSubscriberTransferRingsToWait",
                          "txtSubscriberTransferString",
                          "The rings to wait must be a number between 1 and 10",
                          "The transfer string can contain 0-9, '*', ',' and '#' characters only",
                          "Error in SaveAllSubscriberContactRuleSettings:"};
const Twin kTwins[] = {kHandler, kSubscriber};

TEST_F(TransferRuleTest, AnAcceptedRingsValueIsSavedWithEveryColumnOfTheRule)
{
    for (const Twin& t : kTwins) {
        SCOPED_TRACE(t.what);
        showTwin(t);
        const int lines = updateLines().size();
        box(t, t.rings)->setText("7");
        leave(box(t, t.rings), elsewhere(t));
        EXPECT_EQ(stored(t.owner, t.rule), "1|1|7|2001|<null>");
        EXPECT_EQ(updateLines().mid(lines), saved(t, "(NULL)", " 1", " 1", " 7", "2001"));
    }
    EXPECT_TRUE(f.prompts.messages.isEmpty()) << f.prompts.messages.join('|').toStdString();
}

TEST_F(TransferRuleTest, RingsAreANumberFrom1To10AndCountOnlyForASupervisedRuleThatRings)
{
    for (const Twin& t : kTwins) {
        SCOPED_TRACE(t.what);
        showTwin(t);
        QLineEdit* rings = box(t, t.rings);
        const int lines = updateLines().size();
        for (const char* refused : {"11", "0", "x", "-1"}) {
            SCOPED_TRACE(refused);
            f.prompts.messages.clear();
            rings->setText(refused);
            leave(rings, elsewhere(t));
            EXPECT_EQ(f.prompts.messages, QStringList{t.ringsRefused});
            EXPECT_EQ(rings->text(), "4");
            EXPECT_TRUE(rings->hasFocus()) << "the focus stays in the box";
        }
        EXPECT_EQ(stored(t.owner, t.rule), "1|1|4|2001|<null>");
        leave(rings, elsewhere(t)); // "4", as stored
        EXPECT_EQ(updateLines().mid(lines), QStringList());

        // Emptied: the default is written.
        setRule(t.owner, t.rule, "TransferRings = 6");
        showTwin(t);
        rings->setText("");
        leave(rings, elsewhere(t));
        EXPECT_EQ(rings->text(), "4");
        EXPECT_EQ(stored(t.owner, t.rule), "1|1|4|2001|<null>");

        // A release rule keeps its rings until saved.
        setRule(t.owner, t.rule, "TransferType = 0");
        showTwin(t);
        const QString before = stored(t.owner, t.rule);
        rings->setText("7");
        leave(rings, elsewhere(t));
        EXPECT_EQ(stored(t.owner, t.rule), before);
    }
}

TEST_F(TransferRuleTest, ATransferStringIsDialableAndARefusedOneBecomesTheHandlersExtension)
{
    for (const Twin& t : kTwins) {
        SCOPED_TRACE(t.what);
        showTwin(t);
        QLineEdit* string = box(t, t.string);
        string->setText("12*,#");
        leave(string, elsewhere(t));
        EXPECT_EQ(ruleColumn(t.owner, t.rule, "Extension"), Variant("12*,#"));
        // Refused: the owner's extension in the box. The call handler page writes it at once,
        // the subscriber page leaves the stored string as it was.
        setRule(t.owner, t.rule, "Extension = '300'");
        showTwin(t);
        const QString extension = t.index < 0 ? "2001" : "110";
        const QString kept = t.index < 0 ? "300" : extension;
        const int lines = updateLines().size();
        for (const char* refused : {"*#,", "12a", "1.5"}) {
            SCOPED_TRACE(refused);
            f.prompts.messages.clear();
            string->setText(refused);
            leave(string, elsewhere(t));
            EXPECT_EQ(f.prompts.messages, QStringList{t.stringRefused});
            EXPECT_EQ(string->text(), extension);
            EXPECT_TRUE(string->hasFocus());
            EXPECT_EQ(ruleColumn(t.owner, t.rule, "Extension"), Variant(kept));
        }
        EXPECT_EQ(updateLines().mid(lines).size(), t.index < 0 ? 0 : 5) << "written once, where it differed";

        // Empty is accepted and written as an empty text.
        string->setText("");
        leave(string, elsewhere(t));
        EXPECT_EQ(ruleColumn(t.owner, t.rule, "Extension"), Variant(""));
        EXPECT_EQ(updateLines().last(), logLine("ContactRule", t.rule, t.owner, "Extension", "(NULL)"));
    }

    // A handler without an extension falls back on the operator.
    setRule(DemoSite::OpeningGreeting, "Standard", "Action = 1, Extension = '5'");
    show(DemoSite::OpeningGreeting);
    QLineEdit* string = box("txtHandlerTransferString", 0);
    string->setText("abc");
    leave(string, elsewhere(0));
    EXPECT_EQ(string->text(), "0");
    EXPECT_EQ(ruleColumn(DemoSite::OpeningGreeting, "Standard", "Extension"), Variant("0"));
}

TEST_F(TransferRuleTest, TheEnabledBoxSwitchesTheRuleAndFillsInWhatARuleThatIsOnNeeds)
{
    auto* alternate = control<QCheckBox>("chkHandlerTransferEnabled_2");
    // On, without a transfer string: callers go to the greeting.
    show("operatorch");
    int lines = updateLines().size();
    alternate->click();
    EXPECT_EQ(stored("operatorch", "Alternate"), "0|1|4||<null>");
    EXPECT_EQ(shown("optHandlerTransferSendToGreeting_2"), "(o)");
    for (const char* c : {"cmbHandlerTransferType_2", "txtHandlerTransferRingstoWait_2", "txtHandlerTransferString_2"})
        EXPECT_FALSE(enabled(c)) << c;
    EXPECT_TRUE(enabled("optHandlerTransferAttemptRingPhone_2"));
    EXPECT_EQ(updateLines().mid(lines), saved("operatorch", "Alternate", "(NULL)", " 0", " 1", " 4", "(NULL)"));

    // On, with a string but no rings: a release transfer.
    setRule("operatorch", "Alternate", "TimeExpires = ?, Action = 1, Extension = '300', TransferRings = NULL", {kPast});
    show("operatorch");
    alternate->click();
    EXPECT_EQ(shown("cmbHandlerTransferType_2"), "Release");
    EXPECT_EQ(stored("operatorch", "Alternate"), "1|0|0|300|<null>");

    // Off.
    auto* offHours = control<QCheckBox>("chkHandlerTransferEnabled_1");
    lines = updateLines().size();
    offHours->click();
    EXPECT_EQ(ruleColumn("operatorch", "Off Hours", "TimeExpires"), Variant(kPast));
    for (const char* c : {"optHandlerTransferAttemptRingPhone_1", "optHandlerTransferSendToGreeting_1", "cmbHandlerTransferType_1"})
        EXPECT_FALSE(enabled(c)) << c;
    EXPECT_EQ(updateLines().mid(lines), saved("operatorch", "Off Hours", "1/2/1993", " 0", " 1", " 4", "(NULL)"));

    // A box that agrees with the row as stored writes nothing.
    show("operatorch");
    setRule("operatorch", "Alternate", "TimeExpires = ?", {kPast});
    f.state->cache.RequeryAllRecordsets();
    lines = updateLines().size();
    alternate->click();
    EXPECT_FALSE(alternate->isChecked());
    EXPECT_EQ(updateLines().mid(lines), QStringList());
    EXPECT_TRUE(f.prompts.messages.isEmpty()) << f.prompts.messages.join('|').toStdString();
}

TEST_F(TransferRuleTest, TheActionOptionsAndTheTypeListSaveOnlyAChange)
{
    // Ringing the phone fills in four rings and the handler's extension, or the operator.
    for (const char* handler : {"operatorch", DemoSite::OpeningGreeting}) {
        SCOPED_TRACE(handler);
        setRule(handler, "Off Hours", "TransferRings = NULL, Extension = NULL");
        show(handler);
        EXPECT_EQ(shown("txtHandlerTransferRingstoWait_1"), "");
        control<QRadioButton>("optHandlerTransferAttemptRingPhone_1")->click();
        const QString extension = QString(handler) == "operatorch" ? "110" : "0";
        EXPECT_EQ(shown("txtHandlerTransferRingstoWait_1"), "4");
        EXPECT_EQ(shown("txtHandlerTransferString_1"), extension);
        EXPECT_EQ(stored(handler, "Off Hours"), "1|1|4|" + extension + "|<null>");
        EXPECT_TRUE(enabled("txtHandlerTransferString_1"));
    }

    for (const Twin& t : kTwins) {
        SCOPED_TRACE(t.what);
        showTwin(t);
        int lines = updateLines().size();
        control<QRadioButton>(name(t, t.greeting))->click();
        EXPECT_EQ(stored(t.owner, t.rule), "0|1|4|2001|<null>");
        EXPECT_EQ(updateLines().mid(lines), saved(t, "(NULL)", " 0", " 1", " 4", "2001"));
        expectEnabled({name(t, t.type), name(t, t.rings), name(t, t.string)}, false);

        // A type chosen for a rule that sends callers to the greeting waits for a save.
        lines = updateLines().size();
        auto* type = control<QComboBox>(name(t, t.type));
        type->setCurrentIndex(type->findText("Release"));
        EXPECT_EQ(updateLines().mid(lines), QStringList());

        // Ringing again, with rings and string emptied meanwhile: four rings and the extension.
        setRule(t.owner, t.rule, "TransferType = 1, TransferRings = NULL, Extension = NULL");
        showTwin(t);
        const QString extension = t.index < 0 ? "2001" : "110";
        control<QRadioButton>(name(t, t.attempt))->click();
        expectShown({{name(t, t.rings), "4"}, {name(t, t.string), extension}});
        EXPECT_EQ(stored(t.owner, t.rule), "1|1|4|" + extension + "|<null>");
        expectEnabled({name(t, t.type), name(t, t.rings), name(t, t.string)}, true);

        // A rule that rings: Release is saved; Supervised again fills the emptied rings with 4.
        type->setCurrentIndex(type->findText("Release"));
        EXPECT_EQ(stored(t.owner, t.rule), "1|0|4|" + extension + "|<null>");
        box(t, t.rings)->setText("");
        type->setCurrentIndex(type->findText("Supervised"));
        EXPECT_EQ(shown(name(t, t.rings)), "4");
        EXPECT_EQ(stored(t.owner, t.rule), "1|1|4|" + extension + "|<null>");
    }
    EXPECT_TRUE(f.prompts.messages.isEmpty()) << f.prompts.messages.join('|').toStdString();
}

TEST_F(TransferRuleTest, TheSubscribersRuleIsNeverSwitchedAndItsListWaitsWhileTheRuleIsOff)
{
    setRule("amoreno_ch", "Alternate", "TimeExpires = ?", {kPast});
    showTwin(kSubscriber);
    expectEnabled({"optSubscriberTransferAttemptToRingPhone", "optSubscriberTransferSendToGreeting"}, true);
    auto* type = control<QComboBox>("cmbSubscriberTransferType");
    const int lines = updateLines().size();
    type->setCurrentIndex(type->findText("Release"));
    EXPECT_EQ(updateLines().mid(lines), QStringList());
    // The options act on the rule all the same, and its switch stays as stored.
    control<QRadioButton>("optSubscriberTransferSendToGreeting")->click();
    EXPECT_EQ(stored("amoreno_ch", "Alternate"), "0|0|4|2001|" + kPast);
    EXPECT_EQ(updateLines().mid(lines), saved(kSubscriber, "", " 0", " 0", " 4", "2001"));
}

TEST_F(TransferRuleTest, ASubscriberWithoutAnExtensionRingsNothing)
{
    setRule("amoreno_ch", "Alternate", "Action = 0, Extension = NULL");
    exec("DELETE FROM DTMFAccessID WHERE ParentObjectID = (SELECT RecipientObjectID FROM CallHandler "
         "WHERE CallHandlerObjectID = $H)",
         "amoreno_ch");
    showTwin(kSubscriber);
    control<QRadioButton>("optSubscriberTransferAttemptToRingPhone")->click();
    EXPECT_EQ(f.prompts.messages, QStringList{"Error in optSubscriberTransferAttemptToRingPhone_Click:Invalid use of Null"});
    EXPECT_EQ(shown("txtSubscriberTransferString"), "");
    EXPECT_EQ(stored("amoreno_ch", "Alternate"), "1|1|4||<null>");

    // A refused string cannot become the missing extension: the box keeps it, nothing is written.
    f.prompts.messages.clear();
    QLineEdit* string = box(kSubscriber, kSubscriber.string);
    string->setText("12a");
    leave(string, elsewhere(kSubscriber));
    EXPECT_EQ(f.prompts.messages,
              QStringList({kSubscriber.stringRefused, "Error in txtSubscriberTransferString_Validate:Invalid use of Null"}));
    EXPECT_EQ(string->text(), "12a");
    EXPECT_TRUE(string->hasFocus());
    EXPECT_EQ(stored("amoreno_ch", "Alternate"), "1|1|4||<null>");
}

TEST_F(TransferRuleTest, ARefusedSaveIsOneMessageNoLogLineAndTheControlsShowWhatIsStored)
{
    for (const Twin& t : kTwins) {
        SCOPED_TRACE(t.what);
        showTwin(t);
        f.site.exec("CREATE TRIGGER refuse BEFORE UPDATE ON ContactRule BEGIN SELECT RAISE(ABORT, 'refused'); END");
        const QString before = f.site.tableText("ContactRule");
        const int lines = updateLines().size();
        f.prompts.messages.clear();
        box(t, t.rings)->setText("7");
        leave(box(t, t.rings), elsewhere(t));
        control<QRadioButton>(name(t, t.greeting))->click();
        ASSERT_EQ(f.prompts.messages.size(), 2) << f.prompts.messages.join('|').toStdString();
        for (const QString& message : f.prompts.messages)
            EXPECT_TRUE(message.startsWith(t.saveError) && message.contains("refused")) << message.toStdString();
        EXPECT_EQ(f.site.tableText("ContactRule"), before);
        EXPECT_EQ(updateLines().mid(lines), QStringList());
        expectShown({{name(t, t.rings), "4"}, {name(t, t.attempt), "(o)"}, {name(t, t.greeting), "( )"}});
        expectEnabled({name(t, t.type), name(t, t.rings), name(t, t.string)}, true);
        f.site.exec("DROP TRIGGER refuse");
    }
}

TEST_F(TransferRuleTest, ARuleGoneSinceTheLoadIsReportedOnceAndNothingIsWritten)
{
    show("operatorch");
    exec("DELETE FROM ContactRule WHERE ParentObjectID = $H AND Alias = 'Off Hours'", "operatorch");
    f.state->cache.RequeryAllRecordsets();
    const QString before = f.site.tableText("ContactRule");
    const int lines = updateLines().size();
    control<QCheckBox>("chkHandlerTransferEnabled_1")->click();
    EXPECT_EQ(f.prompts.messages, QStringList{"Error in chkHandlerTransferEnabled:" + kNoRecord});
    EXPECT_EQ(f.site.tableText("ContactRule"), before);
    EXPECT_EQ(updateLines().mid(lines), QStringList());
}

TEST_F(TransferRuleTest, AfterTheSharedRowsMovedToAnotherHandlerTheShownOneIsWritten)
{
    show("goodbyech");
    RecordsetCache& cache = f.state->cache;
    const QString sales = handlerId("salesch");
    cache.rsCallHandler.moveFirst();
    ASSERT_TRUE(cache.rsCallHandler.find("CallHandlerObjectID", sales));
    cache.rsContactRule.setFilter("ParentObjectID", sales);
    cache.rsContactRule.moveFirst();
    const QString salesBefore = stored("salesch", "Off Hours");

    const int lines = updateLines().size();
    control<QCheckBox>("chkHandlerTransferEnabled_1")->click();
    EXPECT_EQ(ruleColumn("goodbyech", "Off Hours", "TimeExpires"), Variant(kPast));
    EXPECT_EQ(stored("salesch", "Off Hours"), salesBefore);
    EXPECT_EQ(updateLines().mid(lines), saved("goodbyech", "Off Hours", "1/2/1993", " 0", " 1", " 4", "(NULL)"));
}

TEST_F(TransferRuleTest, TheSubscriberPagesRuleIsItsOwnHandlersWhereverTheRowsStand)
{
    showTwin(kSubscriber);
    // The call handler page shown since: the shared rows now stand on another handler's rules.
    show("salesch");
    const QString salesBefore = stored("salesch", "Alternate");
    const int lines = updateLines().size();
    control<QRadioButton>("optSubscriberTransferSendToGreeting")->click();
    EXPECT_EQ(stored("amoreno_ch", "Alternate"), "0|1|4|2001|<null>");
    EXPECT_EQ(stored("salesch", "Alternate"), salesBefore);
    EXPECT_EQ(updateLines().mid(lines), saved(kSubscriber, "", " 0", " 1", " 4", "2001"));
}

TEST_F(TransferRuleTest, ARuleChangedElsewhereIsRefusedThoughASearchInTheRecipientsSetCommandReadItSince)
{
    setRule("salesch", "Standard", "Action = 1, TransferType = 1, TransferRings = 4, Extension = '2100', TimeExpires = NULL");
    show("salesch");
    showRuleTab(0);
    EXPECT_EQ(shown("txtHandlerTransferRingstoWait_0"), "4");
    setRule("salesch", "Standard", "Extension = '9999'");
    // Messages tab, Set beside the recipient, Subscriber: Search, then Cancel.
    control<QTabWidget>("tabHandlerInfo")->setCurrentIndex(3);
    dialogs.whileShown = [&] { f.searchSubscribersAndCancel(); };
    control<QPushButton>("cmdHandlerMessagesChangeRecipient")->click();
    f.window->findChild<QMenu*>("TabsSetRecipientHandlerPopUpMenu")->hide();
    f.window->findChild<QAction*>("TabsSetHandlerRecipientSubscriber")->trigger();
    ASSERT_EQ(dialogs.shown, QStringList{"frmSubscriberSearch"});

    showRuleTab(0);
    expectShown({{"txtHandlerTransferRingstoWait_0", "4"}, {"txtHandlerTransferString_0", "2100"}});
    const int lines = updateLines().size();
    box("txtHandlerTransferRingstoWait", 0)->setText("7");
    leave(box("txtHandlerTransferRingstoWait", 0), elsewhere(0));
    EXPECT_EQ(f.prompts.messages, QStringList{"Error in SaveAllHandlerContactRuleSettings:" + kRowChanged});
    EXPECT_EQ(stored("salesch", "Standard"), "1|1|4|9999|<null>");
    EXPECT_EQ(updateLines().mid(lines), QStringList());
    expectShown({{"txtHandlerTransferRingstoWait_0", "4"}, {"txtHandlerTransferString_0", "9999"}});
}

TEST_F(TransferRuleTest, ARuleChangedElsewhereIsRefusedThoughASearchReadItAndTheNextSaveBuildsOnWhatIsStored)
{
    for (const Twin& t : kTwins) {
        SCOPED_TRACE(t.what);
        showTwin(t);
        setRule(t.owner, t.rule, "Extension = '9999'");
        f.searchSubscribersAndCancel();
        const QString before = f.site.tableText("ContactRule");
        const int lines = updateLines().size();
        f.prompts.messages.clear();
        box(t, t.rings)->setText("7");
        leave(box(t, t.rings), elsewhere(t));
        EXPECT_EQ(f.prompts.messages, QStringList{t.saveError + kRowChanged});
        EXPECT_EQ(f.site.tableText("ContactRule"), before);
        EXPECT_EQ(updateLines().mid(lines), QStringList());
        expectShown({{name(t, t.rings), "4"}, {name(t, t.string), "9999"}, {name(t, t.attempt), "(o)"}});

        // What is shown now is what the next save is judged by.
        f.prompts.messages.clear();
        box(t, t.rings)->setText("7");
        leave(box(t, t.rings), elsewhere(t));
        EXPECT_EQ(f.prompts.messages, QStringList());
        EXPECT_EQ(stored(t.owner, t.rule), "1|1|7|9999|<null>");
    }
}

// A box typed into agreement with what another program stored shows what is stored: the next save,
// which writes that column again, is no conflict.
TEST_F(TransferRuleTest, ABoxTypedIntoAgreementWithAChangeMadeElsewhereIsNoConflictForTheNextSave)
{
    const struct {
        const char* what;
        const char* elsewhere;
        const char* Twin::*agreed;
        const char* agreedValue;
        const char* Twin::*next;
        const char* nextValue;
        const char* stored;
    } cases[] = {
        {"rings", "TransferRings = 8", &Twin::rings, "8", &Twin::string, "2200", "1|1|8|2200|<null>"},
        {"transfer string", "Extension = '2300'", &Twin::string, "2300", &Twin::rings, "6", "1|1|6|2300|<null>"},
    };
    for (const Twin& t : kTwins) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(t.what) + ", " + c.what);
            setRule(t.owner, t.rule, "TransferRings = 4, Extension = '2100'");
            showTwin(t);
            setRule(t.owner, t.rule, c.elsewhere);
            f.searchSubscribersAndCancel();
            const int lines = updateLines().size();
            f.prompts.messages.clear();
            box(t, t.*c.agreed)->setText(c.agreedValue);
            leave(box(t, t.*c.agreed), elsewhere(t));
            EXPECT_EQ(updateLines().size(), lines) << "nothing to write";

            box(t, t.*c.next)->setText(c.nextValue);
            leave(box(t, t.*c.next), elsewhere(t));
            EXPECT_EQ(f.prompts.messages, QStringList());
            EXPECT_EQ(stored(t.owner, t.rule), c.stored);
            EXPECT_EQ(updateLines().size(), lines + (t.index < 0 ? 4 : 5));
        }
    }
}

} // namespace
