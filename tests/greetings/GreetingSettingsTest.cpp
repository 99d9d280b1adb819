#include "greetings/GreetingPageFixture.h"

#include <optional>

namespace {

const QString kPast = "1993-01-02 00:00:00";
const QString kFuture = "2030-01-01 00:00:00";
const QString kMissing = "{0BADBEEF-0000-0000-0000-000000000000}";

class GreetingSettingsTest : public ::testing::Test, public GreetingPageFixture {
protected:
    void SetUp() override { start(); }

    // Sets a greeting's column and shows the handler again.
    void showWith(const QString& handler, const QString& greeting, const QString& column, const Variant& value)
    {
        setGreeting(handler, greeting, column + " = ?", {value});
        show(handler);
    }
    // The same behind the pane's back: the cache reads it, the controls still show the old value.
    void changeBehindThePane(const QString& handler, const QString& greeting, const QString& column, const Variant& value)
    {
        setGreeting(handler, greeting, column + " = ?", {value});
        f.state->cache.RequeryAllRecordsets();
    }
    QStringList newLines(int before) const { return updateLines().mid(before); }
};

TEST_F(GreetingSettingsTest, TheEnabledBoxWritesTimeExpiresOnlyWhenItDisagreesWithTheRow)
{
    const QString off = logLine("MessagingRule", "Alternate", "salesch", "TimeExpires", "1/2/1993");
    const QString on = logLine("MessagingRule", "Alternate", "salesch", "TimeExpires", "(NULL)");
    const struct {
        const char* what;
        Variant stored;                // TimeExpires when shown
        std::optional<Variant> behind; // TimeExpires changed behind the pane before the click, if any
        bool tickedAfter;              // the box after the click
        Variant written;               // TimeExpires afterwards
        QStringList log;
    } cases[] = {
        {"switched on", kPast, {}, true, Variant::null(), {on}},
        {"switched off", Variant::null(), {}, false, kPast, {off}},
        {"a future date switched off", kFuture, {}, false, kPast, {off}},
        {"ticked on a greeting already on", kPast, Variant::null(), true, Variant::null(), {}},
        {"cleared on a greeting already off", kFuture, kPast, false, kPast, {}},
    };
    auto* box = control<QCheckBox>("chkHandlerGreetingEnabled_3");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        showWith("salesch", "Alternate", "TimeExpires", c.stored);
        if (c.behind)
            changeBehindThePane("salesch", "Alternate", "TimeExpires", *c.behind);
        const int lines = updateLines().size();
        box->click();
        EXPECT_EQ(box->isChecked(), c.tickedAfter);
        EXPECT_EQ(greetingColumn("salesch", "Alternate", "TimeExpires"), c.written);
        EXPECT_EQ(newLines(lines), c.log);
        // The greeting's other controls follow the box on every click.
        for (const char* name : {"txtHandlerGreetingsAfterGreetingAction_3", "cmbHandlerGreetingChangeAfterGreetingAction_3",
                                 "chkHandlerGreetingAllowUserInput_3", "cmbHandlerGreetingRepeat_3", "cmbHandlerGreetingSource_3"})
            EXPECT_EQ(enabled(name), c.tickedAfter) << name;
    }
    EXPECT_TRUE(f.prompts.messages.isEmpty()) << f.prompts.messages.join('|').toStdString();
}

// Another program switched the greeting off or stopped its input, unseen by the cache: the click
// that would do the same is refused, and the box then shows what that program stored.
TEST_F(GreetingSettingsTest, AfterARefusalTheBoxShowsWhatAnotherProgramStored)
{
    const QString rowChanged = "Row cannot be located for updating. Some values may have been changed since it was last read.";
    const struct {
        const char* box;
        const char* greeting;
        const char* column;
        Variant shown, elsewhere;
        QString message;
        const char* followsOff; // a control the greeting switched off disables, if any
    } cases[] = {
        {"chkHandlerGreetingEnabled_3", "Alternate", "TimeExpires", Variant::null(), kPast,
         "Error in chkHandlerGreetingEnabled_Click:" + rowChanged, "chkHandlerGreetingAllowUserInput_3"},
        {"chkHandlerGreetingAllowUserInput_0", "Standard", "IgnoreDigits", 0, 1,
         "Error in chkHandlerGreetingAllowUserInput_Click:" + rowChanged, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.box);
        showWith("salesch", c.greeting, c.column, c.shown);
        setGreeting("salesch", c.greeting, QString(c.column) + " = ?", {c.elsewhere});
        auto* box = control<QCheckBox>(c.box);
        ASSERT_TRUE(box->isChecked());
        const int lines = updateLines().size();
        f.prompts.messages.clear();
        box->click();
        EXPECT_EQ(f.prompts.messages, QStringList{c.message});
        EXPECT_EQ(greetingColumn("salesch", c.greeting, c.column), c.elsewhere);
        EXPECT_EQ(newLines(lines), QStringList());
        EXPECT_FALSE(box->isChecked());
        if (c.followsOff) {
            EXPECT_FALSE(enabled(c.followsOff));
        }
    }
}

// A box clicked into agreement with a change made elsewhere writes nothing and now shows what is
// stored: its next click is written, not refused as a change the user never saw.
TEST_F(GreetingSettingsTest, AfterABoxAgreedWithAChangeMadeElsewhereItsNextClickIsWritten)
{
    const struct {
        const char* box;
        const char* greeting;
        const char* column;
        Variant shown, elsewhere, written;
    } cases[] = {
        {"chkHandlerGreetingEnabled_3", "Alternate", "TimeExpires", Variant::null(), kPast, Variant::null()},
        {"chkHandlerGreetingAllowUserInput_0", "Standard", "IgnoreDigits", 0, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.box);
        showWith("salesch", c.greeting, c.column, c.shown);
        changeBehindThePane("salesch", c.greeting, c.column, c.elsewhere);
        auto* box = control<QCheckBox>(c.box);
        const int lines = updateLines().size();
        box->click();
        EXPECT_EQ(newLines(lines), QStringList());
        box->click();
        EXPECT_TRUE(f.prompts.messages.isEmpty()) << f.prompts.messages.join('|').toStdString();
        EXPECT_EQ(greetingColumn("salesch", c.greeting, c.column), c.written);
        EXPECT_EQ(newLines(lines).size(), 1);
    }
}

TEST_F(GreetingSettingsTest, TheAllowInputBoxWritesIgnoreDigitsOnlyWhereItDiffers)
{
    auto* box = control<QCheckBox>("chkHandlerGreetingAllowUserInput_0");
    auto line = [&](const char* value) { return logLine("MessagingRule", "Standard", "salesch", "IgnoreDigits", value); };

    showWith("salesch", "Standard", "IgnoreDigits", 0);
    int lines = updateLines().size();
    box->click(); // cleared
    EXPECT_EQ(greetingColumn("salesch", "Standard", "IgnoreDigits"), Variant(qint64(1)));
    EXPECT_EQ(newLines(lines), QStringList{line(" 1")});

    lines = updateLines().size();
    box->click(); // ticked
    EXPECT_EQ(greetingColumn("salesch", "Standard", "IgnoreDigits"), Variant(qint64(0)));
    EXPECT_EQ(newLines(lines), QStringList{line(" 0")});

    // A Null shows ticked and is not written by the load; clearing leaves it, ticking writes 0.
    showWith("salesch", "Standard", "IgnoreDigits", Variant::null());
    EXPECT_TRUE(box->isChecked());
    lines = updateLines().size();
    box->click();
    EXPECT_TRUE(greetingColumn("salesch", "Standard", "IgnoreDigits").isNull());
    EXPECT_EQ(newLines(lines), QStringList());
    box->click();
    EXPECT_EQ(greetingColumn("salesch", "Standard", "IgnoreDigits"), Variant(qint64(0)));
    EXPECT_EQ(newLines(lines), QStringList{line(" 0")});
    EXPECT_TRUE(f.prompts.messages.isEmpty()) << f.prompts.messages.join('|').toStdString();
}

TEST_F(GreetingSettingsTest, LeavingTheSourceOrRepeatListWritesItsPositionEveryTime)
{
    show("salesch");
    activate();
    control<QTabWidget>("tabHandlerInfo")->setCurrentIndex(2);
    control<QTabWidget>("tabHandlerGreetingInfo")->setCurrentIndex(1);
    auto* source = control<QComboBox>("cmbHandlerGreetingSource_1");
    auto* repeat = control<QComboBox>("cmbHandlerGreetingRepeat_1");
    auto line = [&](const char* column, const char* value) {
        return logLine("MessagingRule", "Off Hours", "salesch", column, value);
    };

    // The focus goes to a control that validates nothing.
    QWidget* elsewhere = control("chkHandlerGreetingEnabled_1");
    int lines = updateLines().size();
    source->setCurrentIndex(source->findText("Blank"));
    leave(source, elsewhere);
    EXPECT_EQ(greetingColumn("salesch", "Off Hours", "PlayWhat"), Variant(qint64(2)));
    leave(repeat, elsewhere); // unchanged: written all the same
    repeat->setCurrentIndex(repeat->findText("9 times"));
    leave(repeat, elsewhere);
    EXPECT_EQ(greetingColumn("salesch", "Off Hours", "Reprompts"), Variant(qint64(9)));
    EXPECT_EQ(newLines(lines), QStringList({line("PlayWhat", " 2"), line("Reprompts", " 0"), line("Reprompts", " 9")}));

    // A list showing no entry has nothing to write.
    lines = updateLines().size();
    source->setCurrentIndex(-1);
    leave(source, elsewhere);
    EXPECT_EQ(greetingColumn("salesch", "Off Hours", "PlayWhat"), Variant(qint64(2)));

    // A hidden id naming no greeting of the shown handler.
    control<QLineEdit>("txtHandlerGreetingObjectID_1")->setText(kMissing);
    source->setCurrentIndex(0);
    leave(source, elsewhere);
    leave(repeat, elsewhere);
    EXPECT_EQ(f.prompts.messages,
              QStringList({"Error in cmbHandlerGreetingSource - unable to find Messaging rule objectID=" + kMissing,
                           "Error in cmbHandlerGreetingsRepeat_Validate - unable to find Messaging rule objectID=" + kMissing}));
    EXPECT_EQ(newLines(lines), QStringList());
    EXPECT_EQ(greetingColumn("salesch", "Off Hours", "PlayWhat"), Variant(qint64(2)));
}

TEST_F(GreetingSettingsTest, AfterTheSharedRowsMovedToAnotherHandlerTheShownOneIsWritten)
{
    show("goodbyech");
    // Other code leaves the cache on another handler and its greetings.
    RecordsetCache& cache = f.state->cache;
    const QString sales = handlerId("salesch");
    cache.rsCallHandler.moveFirst();
    ASSERT_TRUE(cache.rsCallHandler.find("CallHandlerObjectID", sales));
    cache.rsMessagingRule.setFilter("ParentObjectID", sales);
    const Variant salesBefore = greetingColumn("salesch", "Alternate", "TimeExpires");

    const int lines = updateLines().size();
    control<QCheckBox>("chkHandlerGreetingEnabled_3")->click();
    EXPECT_TRUE(greetingColumn("goodbyech", "Alternate", "TimeExpires").isNull());
    EXPECT_EQ(greetingColumn("salesch", "Alternate", "TimeExpires"), salesBefore);
    EXPECT_EQ(updateLines().mid(lines), QStringList{logLine("MessagingRule", "Alternate", "goodbyech", "TimeExpires", "(NULL)")});
}

} // namespace

namespace {

TEST_F(GreetingSettingsTest, TheSubscriberPagesBoxesWriteTheirOwnHandlersGreetingsWhereverTheRowsStand)
{
    show("amoreno_ch", 1);
    // The call handler page shown since: the shared rows now stand on another handler's greetings.
    show("salesch");
    const QString salesBusy = greetingColumn("salesch", "Busy", "TimeExpires").textOrEmpty();
    const int lines = updateLines().size();

    control<QCheckBox>("chkSubscriberGreetingEnabled_2")->click();
    EXPECT_EQ(greetingColumn("amoreno_ch", "Busy", "TimeExpires"), Variant::null());
    EXPECT_TRUE(enabled("chkSubscriberGreetingAllowInput_2"));
    control<QCheckBox>("chkSubscriberGreetingAllowInput_0")->click();
    EXPECT_EQ(greetingColumn("amoreno_ch", "Standard", "IgnoreDigits").toText(), "1");

    EXPECT_EQ(newLines(lines), QStringList({logLine("MessagingRule", "Busy", "amoreno_ch", "TimeExpires", "(NULL)"),
                                            logLine("MessagingRule", "Standard", "amoreno_ch", "IgnoreDigits", " 1")}));
    EXPECT_EQ(greetingColumn("salesch", "Busy", "TimeExpires").textOrEmpty(), salesBusy);
    EXPECT_TRUE(f.prompts.messages.isEmpty()) << f.prompts.messages.join('|').toStdString();
}

} // namespace

namespace {

// The call handler page's greeting tabs and the subscriber page's, for what the twins share.
struct GreetingTwin {
    const char* what;
    const char* owner; // the handler whose greetings the page shows
    qint16 nodeType;
    const char* pageTabs;     // the page's tabs, the greetings tab at 2
    const char* greetingTabs; // one tab per greeting
    const char* enabled;
    const char* allowInput;
    const char* source;
    const char* repeat;
    QStringList refusals; // the messages of the four controls, each before the database's reason
};

const GreetingTwin kGreetingTwins[] = {
    {"call handler",
     "salesch",
     3,
     "tabHandlerInfo",
     "tabHandlerGreetingInfo",
     "chkHandlerGreetingEnabled",
     "chkHandlerGreetingAllowUserInput",
     "cmbHandlerGreetingSource",
     "cmbHandlerGreetingRepeat",
     {"Error in chkHandlerGreetingEnabled_Click:", "Error in chkHandlerGreetingAllowUserInput_Click:",
      "Error in cmbHandlerGreetingSource_Validate:", "Error in cmbHandlerGreetingRepeat_Validate:"}},
    {"subscriber",
     "amoreno_ch",
     1,
     "tabSubscriberDetails",
     "tabSubscriberGreetings",
     "chkSubscriberGreetingEnabled",
     "chkSubscriberGreetingAllowInput",
     "cmbSubscriberGreetingSource",
     "cmbSubscriberGreetingsRepeat",
     {"Error in chkSubscriberGreetingEnabled_Click:", "Error in chkSubscriberGreetingAllowInput_Cick:",
      "Error in cmbSubscriberGreetingSource_Validate:", "Error in cmbSubscriberGreetingsRepeat_Validate:"}},
};

TEST_F(GreetingSettingsTest, ARefusedUpdateIsOneMessageNoLogLineAndTheControlsShowWhatIsStored)
{
    activate();
    for (const GreetingTwin& t : kGreetingTwins) {
        SCOPED_TRACE(t.what);
        auto name = [](const char* control, int greeting) { return QString("%1_%2").arg(control).arg(greeting); };
        setGreeting(t.owner, "Alternate", "TimeExpires = ?", {kPast});
        setGreeting(t.owner, "Standard", "IgnoreDigits = 0");
        setGreeting(t.owner, "Off Hours", "TimeExpires = NULL, PlayWhat = 1, Reprompts = 2");
        show(t.owner, t.nodeType);
        control<QTabWidget>(t.pageTabs)->setCurrentIndex(2);
        control<QTabWidget>(t.greetingTabs)->setCurrentIndex(1);
        f.site.exec("CREATE TRIGGER refuse BEFORE UPDATE ON MessagingRule BEGIN SELECT RAISE(ABORT, 'refused'); END");
        const QString before = f.site.tableText("MessagingRule");
        const int lines = updateLines().size();
        f.prompts.messages.clear();

        control<QCheckBox>(name(t.enabled, 3))->click();    // on
        control<QCheckBox>(name(t.allowInput, 0))->click(); // off
        auto* source = control<QComboBox>(name(t.source, 1));
        auto* repeat = control<QComboBox>(name(t.repeat, 1));
        QWidget* elsewhere = control(name(t.enabled, 1));
        source->setCurrentIndex(source->findText("Blank"));
        leave(source, elsewhere);
        repeat->setCurrentIndex(repeat->findText("9 times"));
        leave(repeat, elsewhere);

        QStringList expected;
        for (const QString& refusal : t.refusals)
            expected << refusal + "refused";
        EXPECT_EQ(f.prompts.messages, expected);
        EXPECT_EQ(f.site.tableText("MessagingRule"), before);
        EXPECT_EQ(newLines(lines), QStringList());
        expectShown({{name(t.enabled, 3), "[ ]"},
                     {name(t.allowInput, 0), "[x]"},
                     {name(t.source, 1), "Recording"},
                     {name(t.repeat, 1), "2 times"}});
        expectEnabled({name(t.allowInput, 3), name(t.source, 3), name(t.repeat, 3)}, false);
        f.site.exec("DROP TRIGGER refuse");
    }
}

TEST_F(GreetingSettingsTest, ChangesElsewhereThatASearchReadAreRefusedAndTheControlsShowWhatIsStored)
{
    const QString rowChanged = "Row cannot be located for updating. Some values may have been changed since it was last read.";
    const QString later = "2031-06-01 00:00:00";
    activate();
    for (const GreetingTwin& t : kGreetingTwins) {
        SCOPED_TRACE(t.what);
        auto name = [](const char* control, int greeting) { return QString("%1_%2").arg(control).arg(greeting); };
        setGreeting(t.owner, "Alternate", "TimeExpires = ?", {kFuture});
        setGreeting(t.owner, "Standard", "IgnoreDigits = 1");
        setGreeting(t.owner, "Off Hours", "TimeExpires = NULL, PlayWhat = 1, Reprompts = 2");
        show(t.owner, t.nodeType);
        control<QTabWidget>(t.pageTabs)->setCurrentIndex(2);
        control<QTabWidget>(t.greetingTabs)->setCurrentIndex(1);
        // Another program changes what the page shows, each change leaving the boxes as they are;
        // a search then reads it into the cache.
        setGreeting(t.owner, "Alternate", "TimeExpires = ?", {later});
        setGreeting(t.owner, "Standard", "IgnoreDigits = 2");
        setGreeting(t.owner, "Off Hours", "PlayWhat = 0, Reprompts = 5");
        f.searchSubscribersAndCancel();
        const QString before = f.site.tableText("MessagingRule");
        const int lines = updateLines().size();
        f.prompts.messages.clear();

        control<QCheckBox>(name(t.enabled, 3))->click();    // off
        control<QCheckBox>(name(t.allowInput, 0))->click(); // on
        auto* source = control<QComboBox>(name(t.source, 1));
        QWidget* elsewhere = control(name(t.enabled, 1));
        source->setCurrentIndex(source->findText("Blank"));
        leave(source, elsewhere);
        leave(control(name(t.repeat, 1)), elsewhere); // unchanged, written all the same

        QStringList expected;
        for (const QString& refusal : t.refusals)
            expected << refusal + rowChanged;
        EXPECT_EQ(f.prompts.messages, expected);
        EXPECT_EQ(f.site.tableText("MessagingRule"), before);
        EXPECT_EQ(newLines(lines), QStringList());
        expectShown({{name(t.enabled, 3), "[x]"},
                     {name(t.allowInput, 0), "[ ]"},
                     {name(t.source, 1), "System"},
                     {name(t.repeat, 1), "5 times"}});
        expectEnabled({name(t.allowInput, 3), name(t.source, 3), name(t.repeat, 3)}, true);
    }
}

// A list left showing what another program stored (read by a search) writes that value without a
// refusal, and the list's next change is judged by it.
TEST_F(GreetingSettingsTest, AListLeftInAgreementWithAChangeMadeElsewhereIsWrittenAndSoIsItsNextChange)
{
    activate();
    for (const GreetingTwin& t : kGreetingTwins) {
        SCOPED_TRACE(t.what);
        auto name = [](const char* control, int greeting) { return QString("%1_%2").arg(control).arg(greeting); };
        setGreeting(t.owner, "Off Hours", "TimeExpires = NULL, PlayWhat = 1, Reprompts = 2");
        show(t.owner, t.nodeType);
        control<QTabWidget>(t.pageTabs)->setCurrentIndex(2);
        control<QTabWidget>(t.greetingTabs)->setCurrentIndex(1);
        setGreeting(t.owner, "Off Hours", "PlayWhat = 2, Reprompts = 5");
        f.searchSubscribersAndCancel();
        const int lines = updateLines().size();
        f.prompts.messages.clear();
        QWidget* elsewhere = control(name(t.enabled, 1));
        auto* source = control<QComboBox>(name(t.source, 1));
        auto* repeat = control<QComboBox>(name(t.repeat, 1));
        source->setCurrentIndex(source->findText("Blank"));
        leave(source, elsewhere);
        repeat->setCurrentIndex(repeat->findText("5 times"));
        leave(repeat, elsewhere);
        source->setCurrentIndex(source->findText("System"));
        leave(source, elsewhere);
        repeat->setCurrentIndex(repeat->findText("1 time"));
        leave(repeat, elsewhere);
        EXPECT_TRUE(f.prompts.messages.isEmpty()) << f.prompts.messages.join('|').toStdString();
        EXPECT_EQ(greetingColumn(t.owner, "Off Hours", "PlayWhat"), Variant(qint64(0)));
        EXPECT_EQ(greetingColumn(t.owner, "Off Hours", "Reprompts"), Variant(qint64(1)));
        EXPECT_EQ(newLines(lines).size(), 4);
    }
}

} // namespace
