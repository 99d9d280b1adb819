#include "fixtures/MainWindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

// Runs the handler while the modal window it opens is up: the test's hands on that window, then
// whatever closes it.
void whileModal(const std::function<void(QWidget*)>& inside)
{
    QTimer::singleShot(0, [inside] {
        QWidget* modal = QApplication::activeModalWidget();
        inside(modal);
    });
}

TEST(frmMainHelpMenu, TheHelpMenuHoldsItsCommandsInOrder)
{
    MainWindowFixture f;
    ASSERT_TRUE(f.load());
    QStringList names;
    QStringList captions;
    for (QAction* action : f.control<QMenu>("Help")->actions()) {
        names << action->objectName();
        captions << action->text().remove('&');
    }
    EXPECT_EQ(names, QStringList({"ShowHelp", "seperator33", "HelpAbout", "mnuCheckForUpdatedVersion"}));
    EXPECT_EQ(captions, QStringList({"Help", "", "About Treewright", "Check for updated version"}));
    EXPECT_EQ(f.window->menuBar()->actions().last(), f.control<QMenu>("Help")->menuAction());
}

TEST(frmMainHelpMenu, HelpShowsTheHelpPageModallyAndReadsItAgainAtEachOpening)
{
    MainWindowFixture f;
    ASSERT_TRUE(f.load());
    QFile page(f.programFolder.filePath("Treewright.htm"));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.write("<html><body><p>First text</p></body></html>");
    page.close();

    for (const char* expected : {"First text", "Second text"}) {
        QString seen;
        whileModal([&](QWidget* modal) {
            ASSERT_NE(modal, nullptr);
            EXPECT_EQ(modal->objectName(), "frmDetails");
            seen = modal->findChild<QTextBrowser*>("browserHelp")->toPlainText();
            modal->close();
        });
        f.control<QAction>("ShowHelp")->trigger();
        EXPECT_TRUE(seen.contains(expected)) << seen.toStdString();
        ASSERT_TRUE(page.open(QIODevice::WriteOnly | QIODevice::Truncate));
        page.write("<html><body><p>Second text</p></body></html>");
        page.close();
    }
    EXPECT_EQ(f.window->findChild<QWidget*>("frmDetails"), nullptr) << "closing the help window ends it";
    EXPECT_TRUE(f.prompts.messages.isEmpty());
}

TEST(frmMainHelpMenu, AboutShowsTheVersionAndOkKeepsTheBoxForTheNextOpening)
{
    MainWindowFixture f;
    ASSERT_TRUE(f.load());
    QPointer<QWidget> first;
    whileModal([&](QWidget* modal) {
        ASSERT_NE(modal, nullptr);
        first = modal;
        EXPECT_EQ(modal->objectName(), "frmAbout");
        EXPECT_EQ(modal->findChild<QLabel*>("lblVersion")->text(), " 1.0 Build 0");
        modal->findChild<QPushButton*>("cmdOK")->click();
    });
    f.control<QAction>("HelpAbout")->trigger();
    ASSERT_FALSE(first.isNull());
    EXPECT_FALSE(first->isVisible());

    // OK kept it: the same box comes back. Closed with the window frame, it goes.
    QWidget* second = nullptr;
    whileModal([&](QWidget* modal) {
        second = modal;
        EXPECT_EQ(modal, first.data());
        modal->close();
    });
    f.control<QAction>("HelpAbout")->trigger();
    EXPECT_NE(second, nullptr);
    EXPECT_TRUE(first.isNull());
    EXPECT_TRUE(f.prompts.messages.isEmpty());
}

TEST(frmMainHelpMenu, CheckForUpdatedVersionRunsUnderTheWaitCursorAndOffersThePage)
{
    MainWindowFixture f;
    ASSERT_TRUE(f.load());
    f.pageFetcher.page = "<b>Version</b><font face=\"Helvetica\">1.0.1</font>";
    Qt::CursorShape duringFetch = Qt::ArrowCursor;
    f.pageFetcher.whileFetching = [&] { duringFetch = f.window->cursor().shape(); };
    f.prompts.answerNext(Answer::OK);

    f.control<QAction>("mnuCheckForUpdatedVersion")->trigger();
    EXPECT_EQ(f.pageFetcher.asked, QStringList{f.environment->updatePageAddress});
    EXPECT_EQ(duringFetch, Qt::WaitCursor);
    EXPECT_EQ(f.window->cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(f.prompts.messages, QStringList{"An updated version of this tool is available on updates.fixture.invalid.  Click OK "
                                              "to open the application home page now"});
    EXPECT_EQ(f.urlOpener.opened, QStringList{f.environment->updatePageAddress});
}

} // namespace
