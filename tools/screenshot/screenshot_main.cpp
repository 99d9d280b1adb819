// treewright-screenshot <file.png>: writes a fresh demo site into a temporary folder, starts the
// real main window on it offscreen, selects the Sales call handler and opens its branch, and saves
// the window as a picture. The README's picture is made with it.

#include "app/Assembly.h"
#include "data/SharedState.h"
#include "mainwindow/frmMain.h"
#include "server/SiteWriter.h"
#include "support/UnattendedRun.h"
#include "tree/TreeRowModel.h"
#include "widgets/OutlineGrid.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPixmap>
#include <QTemporaryDir>
#include <cstdio>

namespace {

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

    UnattendedRun run(root, temp.path());
    SharedState& state = run.state();
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
    return run.boxesShown() == 0 ? 0 : 1;
}
