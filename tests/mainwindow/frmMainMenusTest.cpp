#include "fixtures/MainWindowFixture.h"

#include <QMenu>
#include <QMenuBar>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

// A menu as it shows: each item's caption without its accelerator, "-" for a separator, "(off)"
// after a disabled item; hidden items are left out.
QStringList shown(const QList<QAction*>& actions)
{
    QStringList items;
    for (const QAction* a : actions) {
        if (!a->isVisible())
            continue;
        QString caption = a->isSeparator() ? QStringLiteral("-") : a->text().remove(QLatin1Char('&'));
        if (!a->isSeparator() && !a->isEnabled())
            caption += QStringLiteral(" (off)");
        items << caption;
    }
    return items;
}

TEST(frmMainMenus, TheMenusHoldTheirItemsInOrder)
{
    MainWindowFixture f;
    ASSERT_TRUE(f.load());
    EXPECT_EQ(shown(f.window->menuBar()->actions()), (QStringList{"File", "Options", "Extensions", "Help"}));
    const QStringList file = shown(f.control<QMenu>("file")->actions());
    EXPECT_EQ(file.first(), "View Logs Directory");
    EXPECT_EQ(
        file.mid(file.indexOf("Delete selected object (off)")),
        (QStringList{"Delete selected object (off)", "-", "Export tree information to file", "Export handler details to file (off)",
                     "Export subscriber details to file (off)", "-", "Export selected tree to database (off)",
                     "Import audio text tree from database (off)", "-", "View Log File (off)", "-", "Exit"}));
    EXPECT_EQ(shown(f.control<QMenu>("Extensions")->actions()),
              (QStringList{"Find extension in database", "Show all available extensions in range", "-", "Find a transfer string"}));
    EXPECT_EQ(shown(f.control<QMenu>("Help")->actions()),
              (QStringList{"Help", "-", "About Treewright", "Check for updated version"}));
    EXPECT_FALSE(f.control<QAction>("mnuSchedules")->isVisible());
}

TEST(frmMainMenus, ViewLogsDirectoryOpensTheChangeLogsFolder)
{
    MainWindowFixture f;
    ASSERT_TRUE(f.load());
    f.control<QAction>("mnuViewLogs")->trigger();
    EXPECT_EQ(f.urlOpener.opened, QStringList{QUrl::fromLocalFile(QDir(f.programFolder.path()).filePath("logs")).toString()});
    EXPECT_TRUE(f.prompts.messages.isEmpty());
}

} // namespace
