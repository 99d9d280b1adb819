// Times the recordset cache on a large site against the sqlite3 shell running the same queries.
//   cache_bench [SERVER_ROOT]   (without a root, a large site is written to a temporary folder)
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
#include <vector>

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

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

const char* kQueries[] = {
    "SELECT d.DtmfAccessId, c.* FROM Callhandler c LEFT JOIN (SELECT ParentObjectIDType, ParentObjectId, DtmfAccessId FROM "
    "DtmfAccessId WHERE IsPrimaryId = 1) d ON (c.CallhandlerObjectId = d.ParentObjectId AND c.IsPrimary=0) OR (c.RecipientObjectId "
    "= d.ParentObjectId AND d.ParentObjectIDType=1 AND c.IsPrimary=1)",
    "Select * from vw_MenuEntry order by ParentObjectID",
    "Select * from vw_MessagingRule order by ParentObjectID",
    "Select * from vw_ContactRule order by ParentObjectID",
    "Select * from vw_InterviewHandler order by InterviewHandlerObjectID",
    "Select * from vw_InterviewQuestion order by Alias",
    "Select * from vw_Subscriber order by SubscriberObjectID",
    "Select * from vw_DistributionList order by SystemDListObjectID",
    "SELECT * FROM DTMFAccessID",
    "Select * from vw_COS order by COSObjectID",
    "Select * from vw_Location order by LocationObjectID",
    "Select * from vw_NameLookupHandler",
    "Select * from vw_Schedule",
};

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
    const int runs = 5;

    // (b) the floor: the shell reads every row of the same queries, output thrown away
    QString script = QStringLiteral(".output /dev/null\n");
    for (const char* q : kQueries)
        script += QString::fromLatin1(q) + QStringLiteral(";\n");
    const auto shell = timeRuns(runs, [&] {
        QProcess p;
        p.setStandardOutputFile(QProcess::nullDevice());
        p.start(QStringLiteral("sqlite3"), {db});
        p.write(script.toUtf8());
        p.closeWriteChannel();
        p.waitForFinished(-1);
    });

    // (a) opening the cache
    const long before = residentKiB();
    std::vector<double> opens;
    for (int i = 0; i < runs; ++i) {
        RecordsetCache cache(factory);
        QElapsedTimer t;
        t.start();
        if (!cache.OpenDatabaseRecordsets(connectionString)) {
            std::fprintf(stderr, "the cache did not open\n");
            return 1;
        }
        opens.push_back(t.nsecsElapsed() / 1e6);
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
    int flip = 0;
    std::vector<double> changed;
    for (int i = 0; i < runs; ++i) {
        other.execute(QStringLiteral("UPDATE MenuEntry SET Locked = ? WHERE rowid = 1"), {Variant(++flip % 2)});
        changed.push_back(timeRuns(1, [&] { cache.RequeryAllRecordsets(); })[0]);
    }

    const double a = median(opens), b = median(shell), c = median(unchanged), d = median(changed);
    const double fileKiB = QFileInfo(db).size() / 1024.0;
    const double cacheKiB = double(open - before);
    std::printf("medians of %d runs\n", runs);
    std::printf("(a) OpenDatabaseRecordsets            %9.1f ms\n", a);
    std::printf("(b) sqlite3 shell, same 13 queries    %9.1f ms   a/b = %.2f (target <= 1.5)\n", b, a / b);
    std::printf("(c) requery, nothing changed          %9.3f ms   c/a = %.3f%% (target <= 1%%)\n", c, 100 * c / a);
    std::printf("(d) requery after one MenuEntry change %8.1f ms   d/a = %.2f (target <= 1)\n", d, d / a);
    std::printf("(e) resident memory of the open cache %9.0f KiB, database file %.0f KiB, ratio %.2f (target <= 3)\n", cacheKiB,
                fileKiB, cacheKiB / fileKiB);
    return 0;
}
