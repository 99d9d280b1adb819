// Times showing a call handler on the demo site whose standard greeting is a long sound file,
// against the same handler with its short demo greeting, as the tree shows it on a row change
// (the pane's page to the front, the cache read again, the handler loaded, its greeting bound and
// loaded into the media control). The long files are sparse: a gigabyte of samples, over the
// bound of what a recording may hold, and 256 MB, within it. Also given: how much the process's
// peak memory grew over all the showings.
//   greeting_sound_bench [RUNS]   (30 by default)
// Uses the system's sound output as the program does (a null sink will do); without one, loading
// reads the file all the same and then finds nothing to play on, which the figures say.
#include "Median.h"
#include "StartWindow.h"
#include "app/Assembly.h"
#include "audio/device/QtAudioDevice.h"
#include "data/SharedState.h"
#include "db/Sqlite.h"
#include "fixtures/LongSound.h"
#include "mainwindow/frmMain.h"
#include "pane/PropertyPane.h"
#include "server/SiteWriter.h"
#include "support/UnattendedRun.h"
#include "system/SharedFileSystem.h"
#include "widgets/SonotropeCtrl.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

using bench::median;

namespace {

constexpr qint16 kCallHandler = 3;

QString handlerId(SqliteDb& db, const char* alias)
{
    return db.scalar(QStringLiteral("SELECT CallHandlerObjectID FROM CallHandler WHERE Alias = ?"), {QString::fromLatin1(alias)})
        .toText();
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 30;
    QTemporaryDir temp;
    const QString root = QDir(temp.path()).filePath(QStringLiteral("demo"));
    writeDemoSite(root);

    UnattendedRun run(root, temp.path(), systemAudioDevices());
    SharedState& state = run.state();
    Assembly program(state);
    frmMain& window = program.window();
    if (!bench::startWindow(window, state))
        return 1;

    SqliteDb db(state.connections.databasePath(state.ConnectionString), SqliteDb::Mode::ReadWrite);
    const QString sales = handlerId(db, DemoSite::Sales);
    const QString elsewhere = handlerId(db, DemoSite::Operator);
    if (sales.isEmpty() || elsewhere.isEmpty()) {
        std::fprintf(stderr, "the demo site has no handlers salesch and operatorch\n");
        return 1;
    }
    const QString greeting = localPathFromStored(
        state.StreamFilesPath
            + db.scalar(QStringLiteral("SELECT StreamPath FROM MessagingRule WHERE ParentObjectID = ? AND Alias = 'Standard'"),
                        {sales})
                  .toText(),
        QString());

    // The three files lie beside the greeting's; each is renamed into its place before it is shown.
    const struct {
        const char* label;
        QString file;
    } kinds[] = {{"short demo greeting", greeting + QStringLiteral(".short")},
                 {"256 MB, within the bound", greeting + QStringLiteral(".256mb")},
                 {"1 GB, over the bound", greeting + QStringLiteral(".1gb")}};
    if (!QFile::rename(greeting, kinds[0].file) || !writeLongSilentWav(kinds[1].file, qint64(1) << 27)
        || !writeLongSilentWav(kinds[2].file, qint64(1) << 29)) {
        std::fprintf(stderr, "cannot make the greeting files beside %s\n", qPrintable(greeting));
        return 1;
    }

    PropertyPane& pane = program.pane();
    auto* handlerTabs = window.findChild<QTabWidget*>(QStringLiteral("tabHandlerInfo"));
    if (handlerTabs)
        handlerTabs->setCurrentIndex(2); // the greetings
    const auto show = [&](const QString& id) {
        pane.ShowNodeTypeTab(kCallHandler);
        state.cache.RequeryAllRecordsets();
        pane.LoadTabInfo(id, kCallHandler);
        QApplication::processEvents();
    };

    std::vector<double> ms[3];
    QString status[3];
    const long peakBefore = peakMemoryKb();
    for (int i = 0; i < runs; ++i) {
        // The order turns from run to run, so that no kind always comes first.
        for (int j = 0; j < 3; ++j) {
            const int k = (i + j) % 3;
            show(elsewhere);
            QFile::rename(kinds[k].file, greeting);
            QElapsedTimer t;
            t.start();
            show(sales);
            ms[k].push_back(double(t.nsecsElapsed()) / 1e6);
            if (auto* control = window.findChild<SonotropeCtrl*>(QStringLiteral("SotrHandlerGreeting")))
                status[k] = control->statusText();
            QFile::rename(greeting, kinds[k].file);
        }
    }
    const long growthKb = peakMemoryKb() - peakBefore;
    QFile::rename(kinds[0].file, greeting);

    const double reference = median(ms[0]);
    std::printf("showing the call handler salesch, median of %d (a shared machine: other builds add noise)\n", runs);
    for (int k = 0; k < 3; ++k)
        std::printf("  %-26s %8.2f ms = %.3f x the short greeting (target <= 1.1)   media control: %s\n", kinds[k].label,
                    median(ms[k]), median(ms[k]) / reference, qPrintable(status[k]));
    std::printf("  peak memory growth over all showings: %.1f MB (target < 20 MB)\n", growthKb / 1024.0);
    std::printf("message boxes shown: %d\n", run.boxesShown());
    return 0;
}
