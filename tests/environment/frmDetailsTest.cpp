#include "environment/frmDetails.h"

#include "fakes/ScriptedPrompts.h"
#include "widgets/Twips.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <gtest/gtest.h>

namespace {

struct HelpWindow {
    HelpWindow()
        : window(ProgramFolder(dir.path()), prompts)
    {
    }
    void writePage(const QByteArray& html) const
    {
        QFile page(dir.filePath("Treewright.htm"));
        ASSERT_TRUE(page.open(QIODevice::WriteOnly));
        page.write(html);
    }
    QTextBrowser* browser() const { return window.findChild<QTextBrowser*>("browserHelp"); }

    QTemporaryDir dir;
    ScriptedPrompts prompts;
    frmDetails window;
};

TEST(frmDetails, ShowsTheHelpPageBesideTheProgram)
{
    HelpWindow help;
    help.writePage("<html><head><title>Treewright Help</title></head><body><h1>Using the tree</h1></body></html>");
    help.window.Form_Load();
    EXPECT_EQ(help.window.windowTitle(), "Treewright Help");
    EXPECT_EQ(help.browser()->source(), QUrl::fromLocalFile(help.dir.filePath("Treewright.htm")));
    EXPECT_TRUE(help.browser()->toPlainText().contains("Using the tree"));
    EXPECT_TRUE(help.prompts.messages.isEmpty());
}

TEST(frmDetails, WithoutItsPageTheWindowSaysWhereThePageWasLookedFor)
{
    HelpWindow help;
    help.window.Form_Load();
    const QString text = help.browser()->toPlainText();
    EXPECT_TRUE(text.contains("The help page is missing")) << text.toStdString();
    EXPECT_TRUE(text.contains(help.dir.filePath("Treewright.htm"))) << text.toStdString();
    help.window.show();
    help.window.close();
    EXPECT_FALSE(help.window.isVisible());
    EXPECT_TRUE(help.prompts.messages.isEmpty());
}

TEST(frmDetails, TheWindowKeepsItsSmallestSizeAndTheBrowserFillsItLessTheMargins)
{
    HelpWindow help;
    help.window.show();
    for (const QSize size : {QSize(20, 20), QSize(900, 700)}) {
        help.window.resize(size);
        QApplication::processEvents();
        const double width = help.window.outerWidthTwips();
        const double height = help.window.outerHeightTwips();
        EXPECT_GE(width, 2500 - 15);
        EXPECT_GE(height, 2400 - 15);
        const QRect placed = Twips::toPixels(100, 1, width - 200, height - 400, &help.window);
        EXPECT_EQ(help.browser()->geometry(), placed) << size.width();
    }
}

TEST(frmDetails, TheProgramsOwnHelpPageReads)
{
    HelpWindow help;
    QFile page(TW_HELP_PAGE);
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    help.writePage(page.readAll());
    help.window.Form_Load();
    EXPECT_EQ(help.browser()->documentTitle(), "Treewright Help");
    const QString text = help.browser()->toPlainText();
    for (const char* heading : {"The tree", "The property pane", "Changing where a link leads", "The change log"})
        EXPECT_TRUE(text.contains(heading)) << heading;
}

} // namespace
