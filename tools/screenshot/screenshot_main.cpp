// treewright-screenshot <file.png>: writes a fresh demo site into a temporary folder, starts the
// real main window on it offscreen, selects the Sales call handler and opens its branch, and saves
// the window as a picture. The README's picture is made with it.

#include "app/Assembly.h"
#include "audio/device/QtAudioDevice.h"
#include "data/SharedState.h"
#include "mainwindow/frmMain.h"
#include "runtime/UserPrompts.h"
#include "server/FileServerState.h"
#include "server/ServerFunctions.h"
#include "server/SiteWriter.h"
#include "system/Clock.h"
#include "system/PageFetcher.h"
#include "system/Process.h"
#include "system/SystemIdentity.h"
#include "system/UrlOpener.h"
#include "tree/TreeRowModel.h"
#include "widgets/OutlineGrid.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPixmap>
#include <QTemporaryDir>
#include <cstdio>

namespace {

// No one is there to answer a box: each is printed and answered with its first button.
class PrintedPrompts : public UserPrompts {
public:
    int msgBox(const QString& text, int buttons, const QString&) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        ++shown;
        return (buttons & 7) == Buttons::YesNo || (buttons & 7) == Buttons::YesNoCancel ? Answer::Yes : Answer::OK;
    }
    QString inputBox(const QString& prompt, const QString&, const QString&) override
    {
        std::fprintf(stderr, "input box: %s\n", qPrintable(prompt));
        return QString();
    }
    int shown = 0;
};

// Nothing leaves the machine while the picture is made.
class NoPages : public PageFetcher {
public:
    QByteArray fetch(const QString&) override { return {}; }
};
class NoBrowser : public UrlOpener {
public:
    bool openUrl(const QString&) override { return false; }
};

int childRow(const OutlineGrid& grid, int parent, const QString& alias)
{
    for (int row = grid.firstChildRow(parent); row >= 0; row = grid.nextSiblingRow(row))
        if (grid.cellText(row, TreeColumn::ChildAlias) == alias)
            return row;
    return -1;
}

void press(QWidget* widget, Qt::Key key)
{
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &down);
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &up);
    QApplication::processEvents();
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Treewright"));
    if (argc != 2) {
        std::fprintf(stderr, "usage: treewright-screenshot <file.png>\n");
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);

    QTemporaryDir temp;
    const QString root = temp.filePath(QStringLiteral("demo-site"));
    writeDemoSite(root);

    PrintedPrompts prompts;
    SystemClock clock;
    FixedSystemIdentity identity(QStringLiteral("TALVOSRV"), QStringLiteral("brightwater.local"), QStringLiteral("admin"));
    FileServerState serverState(root);
    SystemProcessControl process;
    SystemProcessLauncher launcher;
    NoBrowser browser;
    NoPages pages;
    const RunEnvironment environment{root,
                                     ProgramFolder(temp.path()),
                                     prompts,
                                     clock,
                                     identity,
                                     serverState,
                                     process,
                                     launcher,
                                     registerServerFunctions,
                                     QStringLiteral(TW_VERSION),
                                     [] { return makeSystemAudioDevice(); },
                                     browser,
                                     pages,
                                     QString()};
    SharedState state(environment);
    Assembly program(state);
    frmMain& window = program.window();
    window.Form_Load(QApplication::arguments());
    window.show();
    QApplication::processEvents();

    OutlineGrid& grid = program.treeGrid();
    const int sales = childRow(grid, 0, QStringLiteral("1"));
    if (sales < 0) {
        std::fprintf(stderr, "the demo tree has no key 1 under its root\n");
        return 1;
    }
    grid.setRow(sales);
    QApplication::processEvents();
    if (QWidget* tree = window.findChild<QWidget*>(QStringLiteral("ATTree")))
        press(tree, Qt::Key_Right);
    QApplication::processEvents();

    if (!window.grab().save(output)) {
        std::fprintf(stderr, "could not write %s\n", qPrintable(output));
        return 1;
    }
    std::printf("wrote %s (%dx%d)\n", qPrintable(output), window.width(), window.height());
    return prompts.shown == 0 ? 0 : 1;
}
