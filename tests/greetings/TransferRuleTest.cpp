#include "fixtures/PaneFixture.h"

#include <QTabWidget>

namespace {

const QString kPast = "1993-01-02 00:00:00";
const QString kNoRecord = "Either BOF or EOF is True, or the current record has been deleted. "
                          "Requested operation requires a current record.";

class TransferRuleTest : public ::testing::Test, public PaneFixture {
protected:
    void SetUp() override { start(); }

    void setRule(const QString& handler, const QString& rule, const QString& assignment)
    {
        exec("UPDATE ContactRule SET " + assignment + " WHERE ParentObjectID = $H AND Alias = '" + rule + "'", handler);
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
};

TEST_F(TransferRuleTest, AnAcceptedRingsValueIsSavedWithEveryColumnOfTheRule)
{
    show("operatorch");
    showRuleTab(0);
    const int lines = updateLines().size();
    box("txtHandlerTransferRingstoWait", 0)->setText("7");
    leave(box("txtHandlerTransferRingstoWait", 0), elsewhere(0));
    EXPECT_EQ(stored("operatorch", "Standard"), "1|1|7|2001|<null>");
    EXPECT_EQ(updateLines().mid(lines), saved("operatorch", "Standard", "(NULL)", " 1", " 1", " 7", "2001"));
    EXPECT_TRUE(f.prompts.messages.isEmpty()) << f.prompts.messages.join('|').toStdString();
}

TEST_F(TransferRuleTest, RingsAreANumberFrom1To10AndCountOnlyForASupervisedRuleThatRings)
{
    show("operatorch");
    showRuleTab(0);
    QLineEdit* rings = box("txtHandlerTransferRingstoWait", 0);
    const int lines = updateLines().size();
    for (const char* refused : {"11", "0", "x", "-1"}) {
        SCOPED_TRACE(refused);
        f.prompts.messages.clear();
        rings->setText(refused);
        leave(rings, elsewhere(0));
        EXPECT_EQ(f.prompts.messages, QStringList{"Rings to wait must be a number between 1 and 10"});
        EXPECT_EQ(rings->text(), "4");
        EXPECT_TRUE(rings->hasFocus()) << "the focus stays in the box";
    }
    EXPECT_EQ(stored("operatorch", "Standard"), "1|1|4|2001|<null>");
    leave(rings, elsewhere(0)); // "4", as stored
    EXPECT_EQ(updateLines().mid(lines), QStringList());

    // Emptied: the default is written.
    setRule("operatorch", "Standard", "TransferRings = 6");
    show("operatorch");
    rings->setText("");
    leave(rings, elsewhere(0));
    EXPECT_EQ(rings->text(), "4");
    EXPECT_EQ(stored("operatorch", "Standard"), "1|1|4|2001|<null>");

    // A release rule keeps its rings until saved.
    setRule("operatorch", "Standard", "TransferType = 0");
    show("operatorch");
    const QString before = stored("operatorch", "Standard");
    rings->setText("7");
    leave(rings, elsewhere(0));
    EXPECT_EQ(stored("operatorch", "Standard"), before);
}

TEST_F(TransferRuleTest, ATransferStringIsDialableAndARefusedOneBecomesTheHandlersExtension)
{
    show("operatorch");
    showRuleTab(0);
    QLineEdit* string = box("txtHandlerTransferString", 0);
    string->setText("12*,#");
    leave(string, elsewhere(0));
    EXPECT_EQ(ruleColumn("operatorch", "Standard", "Extension"), Variant("12*,#"));

    const int lines = updateLines().size();
    for (const char* refused : {"*#,", "12a", "1.5"}) {
        SCOPED_TRACE(refused);
        f.prompts.messages.clear();
        string->setText(refused);
        leave(string, elsewhere(0));
        EXPECT_EQ(f.prompts.messages, QStringList{"The transfer string must contain only 0-9, '*', ',' or '#' characters"});
        EXPECT_EQ(string->text(), "110");
        EXPECT_TRUE(string->hasFocus());
        EXPECT_EQ(ruleColumn("operatorch", "Standard", "Extension"), Variant("110"));
    }
    EXPECT_EQ(updateLines().mid(lines).size(), 5) << "written once, where it differed";

    // Empty is accepted and written as an empty text.
    string->setText("");
    leave(string, elsewhere(0));
    EXPECT_EQ(ruleColumn("operatorch", "Standard", "Extension"), Variant(""));
    EXPECT_EQ(updateLines().last(), logLine("ContactRule", "Standard", "operatorch", "Extension", "(NULL)"));

    // A handler without an extension falls back on the operator.
    setRule(DemoSite::OpeningGreeting, "Standard", "Action = 1, Extension = '5'");
    show(DemoSite::OpeningGreeting);
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
    setRule("operatorch", "Alternate", "TimeExpires = '" + kPast + "', Action = 1, Extension = '300', TransferRings = NULL");
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
    setRule("operatorch", "Alternate", "TimeExpires = '" + kPast + "'");
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

    show("operatorch");
    control<QRadioButton>("optHandlerTransferSendToGreeting_0")->click();
    EXPECT_EQ(stored("operatorch", "Standard"), "0|1|4|2001|<null>");
    EXPECT_FALSE(enabled("txtHandlerTransferString_0"));

    // A type chosen for a rule that is off or sends callers to the greeting waits for a save.
    int lines = updateLines().size();
    auto* offType = control<QComboBox>("cmbHandlerTransferType_2");
    offType->setCurrentIndex(offType->findText("Release"));
    auto* greetingType = control<QComboBox>("cmbHandlerTransferType_0");
    greetingType->setCurrentIndex(greetingType->findText("Release"));
    EXPECT_EQ(updateLines().mid(lines), QStringList());

    // A rule that rings: Release is saved; Supervised again fills the emptied rings with 4.
    show("operatorch");
    auto* type = control<QComboBox>("cmbHandlerTransferType_1");
    type->setCurrentIndex(type->findText("Release"));
    EXPECT_EQ(stored("operatorch", "Off Hours"), "1|0|4|110|<null>");
    box("txtHandlerTransferRingstoWait", 1)->setText("");
    type->setCurrentIndex(type->findText("Supervised"));
    EXPECT_EQ(shown("txtHandlerTransferRingstoWait_1"), "4");
    EXPECT_EQ(stored("operatorch", "Off Hours"), "1|1|4|110|<null>");
    EXPECT_TRUE(f.prompts.messages.isEmpty()) << f.prompts.messages.join('|').toStdString();
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

} // namespace
