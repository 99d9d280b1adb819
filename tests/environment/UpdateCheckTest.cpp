#include "environment/UpdateCheck.h"

#include "environment/LocalPageServer.h"
#include "environment/UpdatePage.h"
#include "fakes/FakeDesktop.h"
#include "fakes/ScriptedPrompts.h"
#include "system/PageFetcher.h"

#include <QTcpServer>
#include <gtest/gtest.h>

namespace {

const QString kUnreachable = "Unable to contact application home page to check for version.  You can access the home page and "
                             "check for updated versions of all Brenmoor Talvo tools by going to 127.0.0.1";
const QString kOffered =
    "An updated version of this tool is available on 127.0.0.1.  Click OK to open the application home page now";
const QString kUpToDate = "You have the most up to date version of this tool installed";

// The update page as the maker publishes it: the version in the cell after the "Version" heading.
QByteArray pageWith(const QByteArray& version)
{
    return "<html><body><table><tr><td><b>Version</b></td><td><font face=\"Helvetica\">" + version
           + "</font></td></tr></table></body></html>";
}

// The run's update check against a local server, with the program at version 2.3.7 unless told.
struct Check {
    explicit Check(int timeoutMs = NetworkPageFetcher::kDefaultTimeoutMs)
        : fetcher(timeoutMs)
    {
    }
    void run(const QString& address, const QString& ownVersion = "2.3.7")
    {
        UpdateCheck(prompts, fetcher, opener, address, ownVersion).CheckForUpdatedVersion();
    }

    ScriptedPrompts prompts;
    NetworkPageFetcher fetcher;
    FakeUrlOpener opener;
    LocalPageServer server;
};

TEST(UpdateCheck, ThePublishedVersionIsReadFromThePageAndComparedPartByPart)
{
    struct Case {
        const char* what;
        QByteArray page;
        QString message;
    };
    const QByteArray padding(40000, ' ');
    const Case cases[] = {
        {"newer by its last part", pageWith("2.3.10"), kOffered},
        {"newer by its first part", pageWith("10.0.0"), kOffered},
        {"the same", pageWith("2.3.7"), kUpToDate},
        {"older", pageWith("2.2.99"), kUpToDate},
        {"markers in any case, text between them", "<p>>VERSION</p><p>see below</p><span style='x'>HELVETICA\">2.3.8</span>",
         kOffered},
        {"the run stops at letters", pageWith("2.3.7beta"), kUpToDate},
        {"the run stops at an angle bracket", "<td>>version<</td><td>helvetica\">2.3.9>", kOffered},
        {"two parts are too short to be a version", pageWith("2.4"), kUnreachable},
        {"no version marker", "<html><body><font face=\"Helvetica\">2.3.9</font></body></html>", kUnreachable},
        {"no face marker after the version marker", "<font face=\"Helvetica\">2.3.9</font><b>Version</b> 2.3.9", kUnreachable},
        {"nothing after the markers", "<b>Version</b><font face=\"Helvetica\">", kUnreachable},
        {"shorter than 10 characters", "2.3.9", kUnreachable},
        {"an empty page", "", kUnreachable},
        // The page is read to its end: neither a run of blanks nor a long page cuts it short.
        {"blanks before the markers", QByteArray(3000, ' ') + pageWith("2.3.8"), kOffered},
        {"markers far into the page", padding + "x" + padding + pageWith("2.3.8"), kOffered},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Check check;
        check.server.serve(c.page);
        check.prompts.answerNext(Answer::Cancel);
        check.run(check.server.address());
        EXPECT_EQ(check.prompts.messages, QStringList{c.message});
        EXPECT_EQ(check.prompts.buttons, QList<int>{c.message == kOffered ? Buttons::OKCancel : Buttons::OKOnly});
        EXPECT_TRUE(check.opener.opened.isEmpty());
        ASSERT_EQ(check.server.requests.size(), 1);
        EXPECT_TRUE(check.server.requests[0].contains("\r\nUser-Agent: HTTP Generic\r\n"))
            << check.server.requests[0].toStdString();
    }
}

TEST(UpdateCheck, OkOpensThePageInTheBrowserAndCancelOpensNothing)
{
    Check check;
    check.server.serve(pageWith("2.3.10"));
    check.prompts.answerNext(Answer::OK);
    check.run(check.server.address());
    EXPECT_EQ(check.prompts.messages, QStringList{kOffered});
    EXPECT_EQ(check.opener.opened, QStringList{check.server.address()});

    check.prompts.answerNext(Answer::Cancel);
    check.run(check.server.address());
    EXPECT_EQ(check.opener.opened.size(), 1);
}

TEST(UpdateCheck, AServerThatCannotBeReachedOrAnswersWithAnErrorIsUnreachable)
{
    QString closedPort;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
        closedPort = QStringLiteral("http://127.0.0.1:%1/version.html").arg(probe.serverPort());
    }
    Check refused;
    refused.run(closedPort);
    EXPECT_EQ(refused.prompts.messages, QStringList{kUnreachable});

    // The server's own error page is no update page, whatever it holds.
    Check missing;
    missing.server.serve(pageWith("9.9.9"), 404);
    missing.run(missing.server.address());
    EXPECT_EQ(missing.prompts.messages, QStringList{kUnreachable});
    EXPECT_TRUE(missing.opener.opened.isEmpty());
}

TEST(UpdateCheck, AServerThatNeverAnswersEndsAtTheTimeLimitAsUnreachable)
{
    Check check(300);
    check.server.keepSilent();
    check.run(check.server.address());
    EXPECT_EQ(check.server.requests.size(), 1);
    EXPECT_EQ(check.prompts.messages, QStringList{kUnreachable});
}

TEST(UpdateCheck, VersionsArePaddedPartByPartToFourDigits)
{
    ScriptedPrompts prompts;
    NetworkPageFetcher fetcher;
    FakeUrlOpener opener;
    UpdateCheck check(prompts, fetcher, opener, "http://127.0.0.1/", "2.3.7");
    const std::pair<QString, QString> cases[] = {
        {"2.3.7", "0002.0003.0007"},
        {"2.3.10", "0002.0003.0010"},
        {"15.0.12345", "0015.0000.12345"},
        {"007.1.0", "0007.0001.0000"},
        {"2.4", ""},
        {"", ""},
    };
    for (const auto& [version, padded] : cases)
        EXPECT_EQ(check.PadVersionString(version), padded) << version.toStdString();
    // Four characters without a dot have no first part to take: no version, and nothing to say.
    EXPECT_EQ(check.PadVersionString("2010"), "");
    EXPECT_TRUE(prompts.messages.isEmpty());
}

TEST(UpdateCheck, VersionPartsOfAnyLengthCompareAsWholeNumbers)
{
    const QByteArray manyDigits = "1" + QByteArray(9999, '0');
    const struct {
        const char* what;
        QString own;
        QByteArray published;
        QString message;
    } cases[] = {
        {"five digits against four", "2.3.9999", "2.3.10000", kOffered},
        {"four digits against five", "2.3.10000", "2.3.9999", kUpToDate},
        {"a part of 10,000 digits", "2.3.7", "2.3." + manyDigits, kOffered},
        {"leading zeros count for nothing", "2.3.7", "2.3.000000000000000007", kUpToDate},
        {"a further part is newer", "2.3.7", "2.3.7.0", kOffered},
        {"10,000 digits without a dot are no version", "2.3.7", manyDigits, kUnreachable},
        {"four digits without a dot are no version", "2.3.7", "2010", kUnreachable},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Check check;
        check.server.serve(pageWith(c.published));
        check.prompts.answerNext(Answer::Cancel);
        check.run(check.server.address(), c.own);
        EXPECT_EQ(check.prompts.messages, QStringList{c.message});
        EXPECT_TRUE(check.opener.opened.isEmpty());
    }
}

TEST(UpdateCheck, APageLongerThanAnyVersionPageIsNotReadToItsEnd)
{
    // The version at the very end, where only a page read whole would find it.
    const QByteArray tail = pageWith("2.3.8");
    const auto pageOf = [&](qint64 size) { return QByteArray(size - tail.size(), ' ') + tail; };
    const struct {
        const char* what;
        QByteArray page;
        bool lengthAnnounced;
        QString message;
    } cases[] = {
        {"2 MB, its length announced", pageOf(2 * 1024 * 1024), true, kUnreachable},
        {"2 MB, its length not announced", pageOf(2 * 1024 * 1024), false, kUnreachable},
        {"one byte past the bound", pageOf(NetworkPageFetcher::kDefaultMaxBytes + 1), false, kUnreachable},
        {"at the bound", pageOf(NetworkPageFetcher::kDefaultMaxBytes), false, kOffered},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Check check;
        check.server.serve(c.page, 200, c.lengthAnnounced);
        check.prompts.answerNext(Answer::Cancel);
        check.run(check.server.address());
        EXPECT_EQ(check.prompts.messages, QStringList{c.message});
        EXPECT_TRUE(check.opener.opened.isEmpty());
    }
}

TEST(UpdateCheck, TheEnvironmentVariableNamesAnotherUpdatePage)
{
    const QByteArray saved = qgetenv(kUpdatePageVariable);
    qunsetenv(kUpdatePageVariable);
    EXPECT_EQ(updatePageAddressFromEnvironment(), kUpdatePageAddress);
    qputenv(kUpdatePageVariable, "  ");
    EXPECT_EQ(updatePageAddressFromEnvironment(), kUpdatePageAddress);
    qputenv(kUpdatePageVariable, "http://mirror.example.com/tools/treewright.html");
    EXPECT_EQ(updatePageAddressFromEnvironment(), "http://mirror.example.com/tools/treewright.html");
    if (saved.isNull())
        qunsetenv(kUpdatePageVariable);
    else
        qputenv(kUpdatePageVariable, saved);

    // The messages name the mirror's site.
    ScriptedPrompts prompts;
    FakeUrlOpener opener;
    struct NoPage : PageFetcher {
        QByteArray fetch(const QString&) override { return {}; }
    } fetcher;
    UpdateCheck(prompts, fetcher, opener, "http://mirror.example.com/tools/treewright.html", "2.3.7").CheckForUpdatedVersion();
    EXPECT_EQ(prompts.messages, QStringList{"Unable to contact application home page to check for version.  You can access the "
                                            "home page and check for updated versions of all Brenmoor Talvo tools by going to "
                                            "mirror.example.com"});
}

} // namespace
