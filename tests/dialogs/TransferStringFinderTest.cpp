#include "dialogs/TransferStringFinder.h"

#include "dialogs/Dialogs.h"
#include "fakes/ScriptedDialogs.h"
#include "fixtures/MainWindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

namespace {

const QString kHeading = QStringLiteral("Matches found for that transfer string on the following objects:\r\n\r\n");
const QString kIllegal =
    QStringLiteral("That is not a legal transfer string.  A transfer string can only contain digits, commas, * or #");

class TransferStringFinderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        f.site.exec("UPDATE ContactRule SET Extension = '9,2002' WHERE Alias = 'Alternate' AND ParentObjectID = "
                    "(SELECT CallHandlerObjectID FROM CallHandler WHERE Alias = 'cnovak_ch')");
        f.site.exec("UPDATE ContactRule SET Extension = '*81#' WHERE Alias = 'Off Hours' AND ParentObjectID = "
                    "(SELECT CallHandlerObjectID FROM CallHandler WHERE Alias = 'operatorch')");
        ASSERT_TRUE(f.load());
        f.prompts.messages.clear();
    }

    // The report's paragraphs, sorted: the rows come in the server's order.
    QStringList search(frmFindTransferString& w, const QString& text, bool exact)
    {
        f.prompts.messages.clear();
        w.txtTransferString->setText(text);
        (exact ? w.optExactMatch : w.optPartialMatch)->setChecked(true);
        w.cmdSearch->click();
        if (f.prompts.messages.size() != 1)
            return {"<" + QString::number(f.prompts.messages.size()) + " boxes>"};
        QString report = f.prompts.messages[0];
        if (!report.startsWith(kHeading))
            return {report};
        report.remove(0, kHeading.size());
        if (!report.endsWith("\r\n\r\n"))
            return {"<no closing line breaks>"};
        QStringList paragraphs = report.chopped(4).split("\r\n\r\n");
        paragraphs.sort();
        return paragraphs;
    }

    MainWindowFixture f;
};

QString sub(const char* alias, const char* rule, const char* number)
{
    return QStringLiteral("Subscriber with alias=%1 on contact rule=%2 with transfer string='%3'").arg(alias, rule, number);
}

QString handler(const char* alias, const char* rule, const char* number)
{
    return QStringLiteral("Call handler with alias=%1 on contact rule=%2 with transfer string='%3'").arg(alias, rule, number);
}

TEST_F(TransferStringFinderTest, ReportsEveryHandlerAndSubscriberWhoseRulesDialTheString)
{
    frmFindTransferString w(*f.state);
    EXPECT_EQ(w.windowTitle(), "Find Transfer String");
    EXPECT_TRUE(w.optExactMatch->isChecked());
    struct Case {
        const char* text;
        bool exact;
        QStringList paragraphs;
    };
    const std::vector<Case> cases = {
        {"2002",
         true,
         {sub("bcarter", "Alternate", "2002"), sub("bcarter", "Off Hours", "2002"), sub("bcarter", "Standard", "2002")}},
        {"2001",
         true,
         {sub("amoreno", "Alternate", "2001"), sub("amoreno", "Off Hours", "2001"), sub("amoreno", "Standard", "2001"),
          handler("operatorch", "Standard", "2001")}},
        {"9,2002", true, {sub("cnovak", "Alternate", "9,2002")}},
        {"9,2", false, {sub("cnovak", "Alternate", "9,2002")}},
        {"*81#", true, {handler("operatorch", "Off Hours", "*81#")}},
        {"81", false, {handler("operatorch", "Off Hours", "*81#")}},
        {"200", true, {"No matches found for that dial string"}},
        {"2", true, {"No matches found for that dial string"}},
        {"", true, {"You must enter a string to search for"}},
        {",,*#", false, {kIllegal}},
        {"555-1212", true, {kIllegal}},
        {"1.5", false, {kIllegal}},
        {"2002' OR '1'='1", true, {kIllegal}},
        {"20X2", false, {kIllegal}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        QStringList expected = c.paragraphs;
        expected.sort();
        EXPECT_EQ(search(w, QString::fromLatin1(c.text), c.exact), expected);
    }

    // One digit, partially: every rule whose string holds it anywhere.
    const int withOne = f.site.scalar("SELECT count(*) FROM ContactRule WHERE Extension LIKE '%1%'").toInt32();
    ASSERT_EQ(withOne, 8); // 2001 four times, 2010 three times and *81#
    EXPECT_EQ(search(w, "1", false).size(), withOne);
    EXPECT_EQ(search(w, "1", true), QStringList({"No matches found for that dial string"}));
}

TEST_F(TransferStringFinderTest, ASubscribersOwnHandlerWithoutItsSubscriberIsNamedAsAHandler)
{
    f.site.exec("DELETE FROM Subscriber WHERE Alias = 'jpetrov'");
    frmFindTransferString w(*f.state);
    EXPECT_EQ(search(w, "2010", true),
              QStringList({handler("jpetrov_ch", "Alternate", "2010"), handler("jpetrov_ch", "Off Hours", "2010"),
                           handler("jpetrov_ch", "Standard", "2010")}));
}

TEST_F(TransferStringFinderTest, AQueryThatCannotRunIsReported)
{
    f.site.exec("DROP VIEW vw_ContactRule");
    frmFindTransferString w(*f.state);
    const QStringList shown = search(w, "2002", true);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith("(error):")) << shown[0].toStdString();
    EXPECT_TRUE(shown[0].endsWith(") in procedure cmdSearch_Click of Form frmFindTransferString"));
}

TEST_F(TransferStringFinderTest, ExitHidesWithTheContentsTheCloseBoxEndsThem)
{
    QWidget parent;
    Dialogs dialogs(*f.state, &parent);
    dialogs.frmFindTransferString();
    auto* w = parent.findChild<frmFindTransferString*>();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    w->txtTransferString->setText("2002");
    w->optPartialMatch->setChecked(true);
    w->cmdExit->click();
    EXPECT_FALSE(w->isVisible());
    dialogs.frmFindTransferString();
    ASSERT_EQ(parent.findChildren<frmFindTransferString*>().size(), 1);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->txtTransferString->text(), "2002");
    EXPECT_TRUE(w->optPartialMatch->isChecked());

    w->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    dialogs.frmFindTransferString();
    auto* fresh = parent.findChild<frmFindTransferString*>();
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->txtTransferString->text(), "");
    EXPECT_TRUE(fresh->optExactMatch->isChecked());
}

TEST(TransferStringMenuTest, TheMenuItemShowsTheFinder)
{
    MainWindowFixture f;
    ScriptedDialogs scripted;
    f.dialogs = &scripted;
    ASSERT_TRUE(f.load());
    f.control<QAction>("mnuTransferString")->trigger();
    EXPECT_EQ(scripted.shown, QStringList({"frmFindTransferString"}));
}

} // namespace
