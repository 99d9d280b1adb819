// Times the program's start-up on a large site against one full open of the recordset cache in
// the same process: from building the window to the tree's first paint (what the user waits
// for), and on to the references of the opening greeting filled; and those references at
// start-up against the same references loaded again later in the process, as a click on the
// row loads them. Each run is a process of its own, as a real start-up is: the benchmark starts
// itself once per run.
//   startup_bench [SERVER_ROOT] [RUNS]   (without a root, a large site is written to a temporary
//                                          folder; 5 runs by default)
#include "CacheOpenTime.h"
#include "app/Assembly.h"
#include "mainwindow/frmMain.h"
#include "support/UnattendedRun.h"
#include "tree/CallFlowTree.h"
#include "tree/ReferencesPanel.h"
#include "widgets/BoundGrid.h"
#include "widgets/OutlineGridView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

namespace {

// The moment of the first paint of a widget.
class FirstPaint : public QObject {
public:
    FirstPaint(QWidget* widget, const QElapsedTimer& clock)
        : m_clock(clock)
    {
        widget->installEventFilter(this);
    }
    bool seen() const { return m_ms >= 0; }
    double ms() const { return m_ms; }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && m_ms < 0)
            m_ms = m_clock.nsecsElapsed() / 1e6;
        return false;
    }

private:
    const QElapsedTimer& m_clock;
    double m_ms = -1;
};

// One start-up in this process; prints "startup PAINT REFERENCES OPEN AGAIN" in ms, AGAIN the
// opening greeting's references loaded once more.
int startOnce(const QString& root)
{
    QTemporaryDir temp;
    UnattendedRun run(root, temp.path());
    QElapsedTimer clock;
    clock.start();
    Assembly program(run.state());
    frmMain& window = program.window();
    auto* tree = window.findChild<OutlineGridView*>(QStringLiteral("ATTree"));
    auto* references = window.findChild<BoundGrid*>(QStringLiteral("gridSubscriberReferences"));
    if (!tree || !references) {
        std::fprintf(stderr, "the window has no tree or no references grid\n");
        return 1;
    }
    FirstPaint painted(tree->viewport(), clock);
    window.Form_Load(QStringList());
    window.show();
    while (!painted.seen() && clock.elapsed() < 60000)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    while (references->rows().rowCount() == 0 && clock.elapsed() < 60000)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    const double filled = clock.nsecsElapsed() / 1e6;
    if (!run.state().cache.rsCallHandler.isOpen() || references->rows().rowCount() == 0) {
        std::fprintf(stderr, "the window did not start\n");
        return 1;
    }
    const double open = bench::median(bench::freshCacheOpens(run.state(), 3));
    std::vector<double> again;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer t;
        t.start();
        program.references().LoadReferencesInfo(program.tree().TreeRootObjectID(), 3);
        again.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("startup %.1f %.1f %.1f %.1f\n", painted.ms(), filled, open, bench::median(again));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc > 2 && QByteArray(argv[1]) == "--once")
        return startOnce(QString::fromLocal8Bit(argv[2]));

    QTemporaryDir temp;
    const QString root = benchmarkSite(argc, argv, temp.path());
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 5;
    std::vector<double> paint, filled, open, paintRatio, filledRatio, atStart, again, againRatio;
    for (int i = 0; i < runs; ++i) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--once"), root});
        child.waitForFinished(-1);
        const QList<QByteArray> words = child.readAllStandardOutput().trimmed().split(' ');
        if (child.exitCode() != 0 || words.size() != 5 || words[0] != "startup") {
            std::fprintf(stderr, "run %d failed: %s\n", i + 1, child.readAllStandardError().constData());
            return 1;
        }
        paint.push_back(words[1].toDouble());
        filled.push_back(words[2].toDouble());
        open.push_back(words[3].toDouble());
        again.push_back(words[4].toDouble());
        paintRatio.push_back(paint.back() / open.back());
        filledRatio.push_back(filled.back() / open.back());
        atStart.push_back(filled.back() - paint.back());
        againRatio.push_back(atStart.back() / again.back());
        std::printf(
            "run %d: first paint of the tree %.1f ms, references filled %.1f ms, cache open %.1f ms, references again %.1f ms\n",
            i + 1, paint.back(), filled.back(), open.back(), again.back());
    }
    using bench::median;
    std::printf("medians of %d runs, each a process of its own\n", runs);
    std::printf("(a) OpenDatabaseRecordsets, later in the same process %9.1f ms\n", median(open));
    std::printf("(b) start-up to the tree's first paint               %9.1f ms   b/a = %.2f (target <= 1.15)\n", median(paint),
                median(paintRatio));
    std::printf("(c) start-up to the opening greeting's references     %9.1f ms   c/a = %.2f (target <= 1.3)\n", median(filled),
                median(filledRatio));
    std::printf(
        "(d) those references after the first paint          %9.1f ms, loaded again later %.1f ms, d = %.2f times as long\n",
        median(atStart), median(again), median(againRatio));
    return 0;
}
