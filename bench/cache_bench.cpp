// Times the recordset cache on a large site against the floor, the same thirteen queries read
// through the SQLite C API alone (FloorRead.h), and against the sqlite3 shell running them.
//   cache_bench [SERVER_ROOT]           (without a root, a large site is written to a temporary folder)
//   cache_bench SERVER_ROOT --opens N   only opens the cache N times, each time printed: for timing
//                                       or profiling the open from outside, beside floor_reader
//   cache_bench SERVER_ROOT --fresh N   the first open of a fresh process against the floor read by
//                                       a fresh process, N pairs in turn (floor_reader beside this)
#include "FloorRead.h"
#include "Median.h"
#include "data/RecordsetCache.h"
#include "db/Connection.h"
#include "db/Sqlite.h"
#include "server/ServerFunctions.h"
#include "server/SiteWriter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <sys/resource.h>
#include <vector>

using bench::median;

namespace {

template <typename F>
std::vector<double> timeRuns(int runs, F&& f)
{
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    return ms;
}

// CPU time of the process: on a machine shared with other work it moves less than the wall clock.
double cpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

long minorFaults()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir temp;
    QString root = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (root.isEmpty()) {
        root = temp.filePath(QStringLiteral("large"));
        std::printf("writing the large site to %s ...\n", qPrintable(root));
        writeLargeSite(root);
    }
    const QString db = QFileInfo(root + QStringLiteral("/TalvoDb.sqlite3")).absoluteFilePath();
    const QString connectionString = ConnectionFactory::connectionStringFor(QStringLiteral("BENCH"));
    ConnectionFactory factory(root, registerServerFunctions);
    const int runs = 7;

    if (argc > 3 && QByteArray(argv[2]) == "--fresh") {
        // Each side prints its time first on its line; the pairs share whatever the machine does.
        const auto firstMs = [](const QString& program, const QStringList& arguments) {
            QProcess p;
            p.start(program, arguments);
            p.waitForFinished(-1);
            bool ok = false;
            const double ms = p.readAllStandardOutput().split(' ').value(0).toDouble(&ok);
            return ok && p.exitCode() == 0 ? ms : -1.0;
        };
        const QString self = QCoreApplication::applicationFilePath();
        const QString floorReader = QCoreApplication::applicationDirPath() + QStringLiteral("/floor_reader");
        std::vector<double> opens, floors, ratios;
        for (int i = std::max(1, atoi(argv[3])); i > 0; --i) {
            const double open = firstMs(self, {root, QStringLiteral("--opens"), QStringLiteral("1")});
            const double floor = firstMs(floorReader, {root});
            if (open < 0 || floor < 0) {
                std::fprintf(stderr, "a run failed\n");
                return 1;
            }
            opens.push_back(open);
            floors.push_back(floor);
            ratios.push_back(open / floor);
            std::printf("first open %.1f ms, floor %.1f ms, ratio %.2f\n", open, floor, ratios.back());
        }
        std::printf("medians of %zu pairs of fresh processes: first open %.1f ms, floor %.1f ms, ratio %.2f (target <= 1.15)\n",
                    ratios.size(), median(opens), median(floors), median(ratios));
        return 0;
    }
    if (argc > 3 && QByteArray(argv[2]) == "--opens") {
        for (int i = std::max(1, atoi(argv[3])); i > 0; --i) {
            RecordsetCache cache(factory);
            QElapsedTimer t;
            const long faults = minorFaults();
            t.start();
            if (!cache.OpenDatabaseRecordsets(connectionString)) {
                std::fprintf(stderr, "the cache did not open\n");
                return 1;
            }
            std::printf("%.1f ms, %ld page faults\n", t.nsecsElapsed() / 1e6, minorFaults() - faults);
        }
        return 0;
    }

    // (b) the shell reads every row of the same queries, output thrown away; it also prints, so
    // it is a reference, not the floor. A query that fails would make it faster: that stops the run.
    QString script = QStringLiteral(".bail on\n.output /dev/null\n");
    for (const char* q : floor_read::kQueries)
        script += QString::fromLatin1(q) + QStringLiteral(";\n");
    bool shellFailed = false;
    const auto shell = timeRuns(runs, [&] {
        QProcess p;
        p.setStandardOutputFile(QProcess::nullDevice());
        p.start(QStringLiteral("sqlite3"), {db});
        p.write(script.toUtf8());
        p.closeWriteChannel();
        p.waitForFinished(-1);
        if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
            std::fprintf(stderr, "the sqlite3 shell failed (exit code %d): %s\n", p.exitCode(),
                         p.readAllStandardError().constData());
            shellFailed = true;
        }
    });
    if (shellFailed)
        return 1;

    // (a) opening the cache, each run paired with (f) the floor, so both see the same machine
    const long before = residentKiB();
    std::vector<double> opens, floors, openCpu, floorCpu;
    const QByteArray dbPath = db.toLocal8Bit();
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer f;
        double cpu = cpuMs();
        f.start();
        if (!floor_read::readAll(dbPath.constData()).ok)
            return 1;
        floors.push_back(f.nsecsElapsed() / 1e6);
        floorCpu.push_back(cpuMs() - cpu);

        RecordsetCache cache(factory);
        QElapsedTimer t;
        cpu = cpuMs();
        const long faults = minorFaults();
        t.start();
        if (!cache.OpenDatabaseRecordsets(connectionString)) {
            std::fprintf(stderr, "the cache did not open\n");
            return 1;
        }
        opens.push_back(t.nsecsElapsed() / 1e6);
        openCpu.push_back(cpuMs() - cpu);
        std::printf("run %d: open %.1f ms (%ld page faults), floor %.1f ms\n", i + 1, opens.back(), minorFaults() - faults,
                    floors.back());
        cache.CloseDatabaseRecordsets();
    }

    RecordsetCache cache(factory);
    cache.OpenDatabaseRecordsets(connectionString);
    const long open = residentKiB();
    // The seven recordsets a requery puts back stand in the middle of their rows.
    for (Recordset* rs : {&cache.rsCallHandler, &cache.rsSubscriber, &cache.rsMessagingRule, &cache.rsNameLookupHandler,
                          &cache.rsContactRule, &cache.rsInterviewHandler, &cache.rsMenuentry}) {
        rs->moveFirst();
        for (int i = rs->recordCount() / 2; i > 0; --i)
            rs->moveNext();
    }

    // (c) a requery with nothing changed
    const auto unchanged = timeRuns(runs, [&] { cache.RequeryAllRecordsets(); });

    // (d) a requery after one menu entry changed through another connection
    SqliteDb other(db, SqliteDb::Mode::ReadWrite);
    std::vector<double> changed;
    for (int i = 0; i < runs; ++i) {
        other.execute(QStringLiteral("UPDATE MenuEntry SET Locked = 1 - coalesce(Locked, 0) WHERE rowid = 1"));
        const long faults = minorFaults();
        changed.push_back(timeRuns(1, [&] { cache.RequeryAllRecordsets(); })[0]);
        std::printf("requery after a change %d: %.1f ms (%ld page faults)\n", i + 1, changed.back(), minorFaults() - faults);
    }

    const double a = median(opens), b = median(shell), c = median(unchanged), d = median(changed), f = median(floors);
    std::vector<double> ratios, cpuRatios;
    for (size_t i = 0; i < opens.size(); ++i) {
        ratios.push_back(opens[i] / floors[i]);
        cpuRatios.push_back(openCpu[i] / floorCpu[i]);
    }
    const double fileKiB = QFileInfo(db).size() / 1024.0;
    const double cacheKiB = double(open - before);
    std::printf("medians of %d runs\n", runs);
    std::printf("(a) OpenDatabaseRecordsets            %9.1f ms\n", a);
    std::printf("(f) floor: C API reads the 13 queries %9.1f ms   a/f = %.2f, median of the paired ratios %.2f (target <= 1.15)\n",
                f, a / f, median(ratios));
    std::printf("    CPU time: open %.1f ms, floor %.1f ms, median of the paired ratios %.2f\n", median(openCpu), median(floorCpu),
                median(cpuRatios));
    std::printf("(b) sqlite3 shell, same 13 queries    %9.1f ms   a/b = %.2f\n", b, a / b);
    std::printf("(c) requery, nothing changed          %9.3f ms   c/a = %.3f%% (target <= 1%%)\n", c, 100 * c / a);
    std::printf("(d) requery after one MenuEntry change %8.1f ms   d/a = %.2f (target <= 1)\n", d, d / a);
    std::printf("(e) resident memory of the open cache %9.0f KiB, database file %.0f KiB, ratio %.2f (target <= 1.5)\n", cacheKiB,
                fileKiB, cacheKiB / fileKiB);
    return 0;
}
