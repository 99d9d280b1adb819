// Times the creation of a call handler from a template on a large site against an open of the
// recordset cache plus the requery that the creation causes.
//   creation_bench [SERVER_ROOT] [RUNS]   (without a root, a large site is written to a temporary folder)
#include "data/SharedState.h"
#include "db/Sqlite.h"
#include "dialogs/HandlerCreation.h"
#include "tools/support/UnattendedRun.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

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

    std::vector<double> requeries, creations;
    for (int i = 0; i < runs; ++i) {
        // A requery after a change of its own size: what the creation's requery costs.
        // Through the cache's own connection, as the creation writes, to the same four tables.
        SqliteDb& shared = state.cache.rsCallHandler.activeConnection()->db();
        for (const char* table : {"CallHandler", "MenuEntry", "MessagingRule", "ContactRule"})
            shared.execute(
                QStringLiteral("UPDATE %1 SET Alias = Alias WHERE rowid = (SELECT max(rowid) FROM %1)").arg(QLatin1String(table)));
        t.restart();
        state.cache.RequeryAllRecordsets();
        requeries.push_back(t.nsecsElapsed() / 1e6);

        t.restart();
        const QString id = createCallHandler(state, templateId, QStringLiteral("Bench Handler %1").arg(i), QString());
        creations.push_back(t.nsecsElapsed() / 1e6);
        if (id.isEmpty()) {
            std::fprintf(stderr, "creation %d failed\n", i);
            return 1;
        }
    }
    const double requery = median(requeries);
    const double creation = median(creations);
    const double own = std::max(0.0, creation - requery);
    std::printf("cache open: %.1f ms, requery: %.1f ms (median of %d)\n", open, requery, runs);
    std::printf("call handler creation with its requery: %.1f ms; without it: %.2f ms = %.2f %% of open + requery (limit 5 %%)\n",
                creation, own, 100.0 * own / (open + requery));
    return 0;
}
