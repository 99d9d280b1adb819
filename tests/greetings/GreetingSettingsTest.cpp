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
