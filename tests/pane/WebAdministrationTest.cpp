#include "pane/WebAdministration.h"

#include "fixtures/PaneFixture.h"

#include <QLabel>
#include <QTextDocumentFragment>

namespace {

TEST(WebAdministration, AddressesEscapeOnlyTheIdsBracesAndHyphens)
{
    using Page = WebAdministration::HandlerPage;
    const QString id = QStringLiteral("{0a1B2c3D-4e5F-6a7B-8c9D-0e1f2a3b4c5d}");
    const QString escaped = QStringLiteral("%7B0a1B2c3D%2D4e5F%2D6a7B%2D8c9D%2D0e1f2a3b4c5d%7D");
    EXPECT_EQ(WebAdministration::handlerAddress("TALVOSRV", Page::CallHandler, id),
              "HTTP://TALVOSRV/Web/SA/FrameASP/HandFrame.asp?id=%01%0703%3A" + escaped + "&NavWidth=150");
    EXPECT_EQ(WebAdministration::handlerAddress("TALVOSRV", Page::Interviewer, id),
              "HTTP://TALVOSRV/Web/SA/FrameASP/IntHFrame.asp?id=%01%0705%3A" + escaped + "&NavWidth=150");
    EXPECT_EQ(WebAdministration::handlerAddress("TALVOSRV", Page::DirectoryHandler, id),
              "HTTP://TALVOSRV/Web/SA/FrameASP/DirHFrame.asp?id=%01%0706%3A" + escaped + "&NavWidth=150");
    EXPECT_EQ(WebAdministration::subscriberAddress("TALVOSRV", "10001"),
              "HTTP://TALVOSRV/Web/SA/FrameASP/SubsFrame.asp?DirID=10001&NavWidth=150");
    EXPECT_EQ(WebAdministration::subscriberAddress("TALVOSRV", ""),
              "HTTP://TALVOSRV/Web/SA/FrameASP/SubsFrame.asp?DirID=&NavWidth=150");
}

// The demo site's window: each page's link opens the page of the object its recordset stands on.
TEST(WebAdministration, EachPagesLinkOpensItsObjectsPage)
{
    PaneFixture t;
    t.start();
    RecordsetCache& cache = t.f.state->cache;
    const auto escaped = [](QString id) { return id.replace("{", "%7B").replace("}", "%7D").replace("-", "%2D"); };
    const auto position = [](Recordset& rs, const char* alias) {
        rs.moveFirst();
        ASSERT_TRUE(rs.find("Alias", alias)) << alias;
    };
    const auto click = [&](const char* name, const char* caption) {
        QLabel* link = t.f.control<QLabel>(name);
        EXPECT_EQ(QTextDocumentFragment::fromHtml(link->text()).toPlainText(), caption);
        emit link->linkActivated(QStringLiteral("#"));
        return t.f.urlOpener.opened.value(t.f.urlOpener.opened.size() - 1);
    };
    const QString server = "HTTP://TALVOSRV/Web/SA/FrameASP/";

    position(cache.rsCallHandler, "salesch");
    EXPECT_EQ(click("lblSACallHandlerJump", "Open SA web page for this call handler"),
              server + "HandFrame.asp?id=%01%0703%3A" + escaped(t.handlerId("salesch")) + "&NavWidth=150");

    position(cache.rsInterviewHandler, "customerfeedback");
    const QString interviewer = cache.rsInterviewHandler.field("InterviewHandlerObjectID").toText();
    EXPECT_EQ(click("lblSAInterviewerJump", "Open SA web page for this Interviewer"),
              server + "IntHFrame.asp?id=%01%0705%3A" + escaped(interviewer) + "&NavWidth=150");

    position(cache.rsNameLookupHandler, "companydirectory");
    const QString directory = cache.rsNameLookupHandler.field("NameLookupHandlerObjectID").toText();
    EXPECT_EQ(click("lblSADirectoryHandlerJump", "Open SA web page for this directory handler"),
              server + "DirHFrame.asp?id=%01%0706%3A" + escaped(directory) + "&NavWidth=150");

    position(cache.rsSubscriber, "amoreno");
    EXPECT_EQ(click("lblSASubscriberJump", "Open SA web page for this subscriber"),
              server + "SubsFrame.asp?DirID=10001&NavWidth=150");
    EXPECT_EQ(t.f.urlOpener.opened.size(), 4);
    EXPECT_TRUE(t.f.prompts.messages.isEmpty()) << t.f.prompts.messages.join('|').toStdString();
}

} // namespace
