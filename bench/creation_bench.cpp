// Times the creation of a call handler from a template on a large site: its own work, apart from
// the requery that it causes, against an open of the recordset cache.
//   creation_bench [SERVER_ROOT] [RUNS]   (without a root, a large site is written to a temporary folder)
#include "Median.h"
#include "data/SharedState.h"
#include "db/Sqlite.h"
#include "dialogs/HandlerCreation.h"
#include "support/UnattendedRun.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

using bench::median;

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir temp;
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 20;
    const QString root = benchmarkSite(argc, argv, temp.path());

    UnattendedRun run(root, temp.path());
    SharedState& state = run.state();
    state.ConnectionString = ConnectionFactory::connectionStringFor(QStringLiteral("BENCH"));
    state.ServerVersion = {4, 0, 2, 120};
    QTemporaryDir streams;
    state.StreamFilesPath = streams.path() + QLatin1Char('/');
    QFile wav(QDir(temp.path()).filePath(QStringLiteral("empty.wav")));
    if (!wav.open(QIODevice::WriteOnly) || wav.write(QByteArray(44, '\0')) != 44)
        return 1;
    wav.close();

    QElapsedTimer t;
    t.start();
    if (!state.cache.OpenDatabaseRecordsets(state.ConnectionString)) {
        std::fprintf(stderr, "the cache did not open\n");
        return 1;
    }
    const double open = t.nsecsElapsed() / 1e6;

    auto connection = state.connections.open(state.ConnectionString);
    const QString templateId =
        connection->db()
            .scalar(QStringLiteral("SELECT CallHandlerObjectID FROM CallHandler WHERE IsPrimary = 0 ORDER BY rowid DESC"))
            .toText();

    // A second program on the same site: its requery after each creation reads what the
    // creation's own requery reads, so the creation's own work is told apart from it.
    QTemporaryDir otherFolder;
    UnattendedRun other(root, otherFolder.path());
    other.state().ConnectionString = state.ConnectionString;
    if (!other.state().cache.OpenDatabaseRecordsets(other.state().ConnectionString)) {
        std::fprintf(stderr, "the second cache did not open\n");
        return 1;
    }

    std::vector<double> requeries, creations;
    for (int i = 0; i < runs; ++i) {
        t.restart();
        const QString id = createCallHandler(state, templateId, QStringLiteral("Bench Handler %1").arg(i), QString());
        creations.push_back(t.nsecsElapsed() / 1e6);
        if (id.isEmpty()) {
            std::fprintf(stderr, "creation %d failed\n", i);
            return 1;
        }
        t.restart();
        other.state().cache.RequeryAllRecordsets();
        requeries.push_back(t.nsecsElapsed() / 1e6);
    }
    const double requery = median(requeries);
    const double creation = median(creations);
    const double own = std::max(0.0, creation - requery);
    std::printf("cache open: %.1f ms, the requery a creation causes: %.1f ms (median of %d)\n", open, requery, runs);
    std::printf("call handler creation with its requery: %.1f ms; its own work: %.2f ms = %.2f %% of a cache open (limit 5 %%)\n",
                creation, own, 100.0 * own / open);
    return 0;
}
