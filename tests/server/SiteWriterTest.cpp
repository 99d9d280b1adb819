#include "server/SiteWriter.h"

#include "ServerTestSupport.h"
#include "audio/WavFile.h"
#include "fixtures/FixtureSite.h"
#include "runtime/RuntimeError.h"
#include "server/FileServerState.h"
#include "system/RegistryStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

qint64 count(SqliteDb& db, const QString& sql, const std::vector<Variant>& params = {})
{
    return db.scalar(sql, params).toInt64();
}

// Handlers whose keys, greetings or transfer rules are not exactly the full set.
QStringList handlersWithoutTheirRules(SqliteDb& db)
{
    return columnTexts(
        queryRows(db, QStringLiteral(
                          "SELECT c.Alias FROM CallHandler c WHERE "
                          "(SELECT count(DISTINCT Alias) FROM MenuEntry m WHERE m.ParentObjectID = c.CallHandlerObjectID "
                          "   AND Alias IN ('0','1','2','3','4','5','6','7','8','9','*','#')) <> 12 "
                          "OR (SELECT count(*) FROM MenuEntry m WHERE m.ParentObjectID = c.CallHandlerObjectID) <> 12 "
                          "OR (SELECT count(DISTINCT Alias) FROM MessagingRule r WHERE r.ParentObjectID = c.CallHandlerObjectID "
                          "   AND Alias IN ('Standard','Off Hours','Busy','Alternate','Internal','Error')) <> 6 "
                          "OR (SELECT count(*) FROM MessagingRule r WHERE r.ParentObjectID = c.CallHandlerObjectID) <> 6 "
                          "OR (SELECT count(DISTINCT Alias) FROM ContactRule r WHERE r.ParentObjectID = c.CallHandlerObjectID "
                          "   AND Alias IN ('Standard','Off Hours','Alternate')) <> 3 "
                          "OR (SELECT count(*) FROM ContactRule r WHERE r.ParentObjectID = c.CallHandlerObjectID) <> 3")),
        0);
}

// Subscribers whose own handler is missing or does not name them as owner and recipient.
QStringList subscribersWithoutTheirHandler(SqliteDb& db)
{
    return columnTexts(
        queryRows(db, QStringLiteral(
                          "SELECT s.Alias FROM Subscriber s WHERE NOT EXISTS (SELECT 1 FROM CallHandler c WHERE c.IsPrimary = 1 "
                          "AND c.RecipientObjectID = s.SubscriberObjectID AND c.RecipientObjectIDType = 1 "
                          "AND c.AdministratorObjectID = s.SubscriberObjectID AND c.AdministratorObjectIDType = 1)")),
        0);
}

// Link destinations (keys, greetings, after-message, exits) that name no object at all.
const QString kAllObjectIds =
    QStringLiteral("SELECT CallHandlerObjectID FROM CallHandler UNION SELECT InterviewHandlerObjectID FROM InterviewHandler "
                   "UNION SELECT NameLookupHandlerObjectID FROM NameLookupHandler");

TEST(DemoSite, RootHoldsRegistryStateDatabaseAndRecordings)
{
    FixtureSite site;
    const QString root = QDir(site.rootPath()).absolutePath() + QLatin1Char('/');

    const RegistryStore registry = RegistryStore::load(root + QStringLiteral("registry.reg"));
    const QString halvane = QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Halvane\\");
    const auto text = [&](const QString& key, const QString& name) {
        const auto value = registry.value(halvane + key, name);
        return value && value->type == RegistryValueType::Text ? value->text : QStringLiteral("(missing)");
    };
    const auto version = registry.value(halvane, QStringLiteral("Version Number"));
    const auto build = registry.value(halvane, QStringLiteral("Build Number"));
    ASSERT_TRUE(version && build);
    EXPECT_EQ(version->dword, 0x00040000u);
    EXPECT_EQ(build->dword, 0x00020078u);
    EXPECT_EQ(text(QStringLiteral("Sorvic\\1.0\\"), QStringLiteral("Root Path")), root);
    EXPECT_EQ(text(QStringLiteral("Sorvic Setup\\1.0\\Properties"), QStringLiteral("TUILanguageDefault")), QStringLiteral("ENU"));
    EXPECT_EQ(text(QStringLiteral("QLM\\1.0\\initialization\\integrations\\integration1"), QStringLiteral("DisplayName")),
              QStringLiteral("Main Office PBX"));
    EXPECT_EQ(text(QStringLiteral("QLM\\1.0\\initialization\\integrations\\integration2"), QStringLiteral("DisplayName")),
              QStringLiteral("Branch SIP Gateway"));

    EXPECT_EQ(FileServerState(root).state(), ServerState::Running);

    auto db = openServerDb(site.databasePath());
    EXPECT_EQ(db->scalar(QStringLiteral("PRAGMA integrity_check")), Variant("ok"));

    // Every stored greeting and question name has its sound file.
    const QStringList names = columnTexts(queryRows(*db, QStringLiteral("SELECT StreamPath FROM MessagingRule WHERE StreamPath IS "
                                                                        "NOT NULL UNION SELECT StreamPath FROM InterviewQuestion")),
                                          0);
    EXPECT_GE(names.size(), 20);
    for (const QString& name : names) {
        const WavData wav = readWavFile(site.streamFilesPath() + name);
        EXPECT_GT(wav.samples.size(), 8000) << name.toStdString();
    }
    EXPECT_EQ(QDir(site.streamFilesPath()).entryList(QDir::Files).size(), names.size());
}

TEST(DemoSite, HoldsTheCompanysAutoAttendant)
{
    FixtureSite site;
    auto db = openServerDb(site.databasePath());
    SqliteDb& d = *db;

    EXPECT_EQ(d.scalar(QStringLiteral("SELECT TextName FROM CallHandler WHERE Alias = 'openinggreetingch' AND IsPrimary = 0")),
              Variant("Opening Greeting"));
    EXPECT_EQ(count(d, QStringLiteral("SELECT count(*) FROM CallHandler WHERE IsPrimary = 0")), 5);
    EXPECT_EQ(
        count(d, QStringLiteral("SELECT count(*) FROM Location WHERE UnDeletable = 1 AND DialingDomainName = 'brightwater.local'")),
        1);
    EXPECT_EQ(count(d, QStringLiteral("SELECT count(*) FROM Location")), 1);
    EXPECT_EQ(count(d, QStringLiteral("SELECT count(*) FROM GlobalLocation g JOIN Location l USING (LocationObjectID) "
                                      "WHERE g.DialingDomainName = l.DialingDomainName")),
              1);

    EXPECT_EQ(count(d, QStringLiteral("SELECT count(*) FROM Subscriber WHERE SubscriberType IN (1, 3)")), 10);
    EXPECT_EQ(count(d, QStringLiteral("SELECT count(*) FROM vw_Subscriber s JOIN GlobalSubscriber g USING (SubscriberObjectID) "
                                      "JOIN vw_Subscriber_Global v USING (SubscriberObjectID) WHERE v.DTMFAccessID IS NOT NULL")),
              10);
    EXPECT_EQ(subscribersWithoutTheirHandler(d), QStringList());
    EXPECT_EQ(count(d, QStringLiteral("SELECT count(*) FROM Subscriber s WHERE NOT EXISTS "
                                      "(SELECT 1 FROM vw_COS c WHERE c.COSObjectID = s.COSObjectID)")),
              0);
    EXPECT_EQ(handlersWithoutTheirRules(d), QStringList());

    EXPECT_EQ(count(d, QStringLiteral("SELECT count(*) FROM InterviewHandler WHERE Undeletable = 1")), 1);
    EXPECT_EQ(count(d, QStringLiteral("SELECT count(*) FROM InterviewQuestion q JOIN InterviewHandler i "
                                      "ON i.InterviewHandlerObjectID = q.ParentObjectID WHERE i.Alias = 'customerfeedback' "
                                      "AND q.ParentAlias = i.Alias AND q.ParentObjectIDType = 5")),
              3);
    EXPECT_EQ(d.scalar(QStringLiteral("Select Alias from vw_NameLookupHandler")), Variant("companydirectory"));
    EXPECT_EQ(count(d, QStringLiteral("SELECT count(*) FROM vw_DistributionList WHERE DTMFAccessID IS NOT NULL")), 2);
    EXPECT_EQ(count(d, QStringLiteral("SELECT count(*) FROM COS")), 3);
    EXPECT_EQ(count(d, QStringLiteral("SELECT count(*) FROM Schedule WHERE length(Monday) = 12 AND length(Tuesday) = 12 AND "
                                      "length(Wednesday) = 12 AND length(Thursday) = 12 AND length(Friday) = 12 AND "
                                      "length(Saturday) = 12 AND length(Sunday) = 12")),
              3);
    // Every handler names an existing schedule.
    EXPECT_EQ(count(d, QStringLiteral("SELECT count(*) FROM CallHandler c WHERE NOT EXISTS "
                                      "(SELECT 1 FROM Schedule s WHERE s.DisplayName = c.ScheduleObjectName)")),
              0);
}

TEST(DemoSite, ShowsEveryKindOfLinkTheTreeDraws)
{
    FixtureSite site;
    auto db = openServerDb(site.databasePath());
    SqliteDb& d = *db;
    const auto keysOf = [&](const char* handler, const char* where) {
        return count(
            d,
            QStringLiteral("SELECT count(*) FROM MenuEntry m JOIN CallHandler c ON c.CallHandlerObjectID = m.ParentObjectID "
                           "WHERE c.Alias = ? AND ")
                + QString::fromLatin1(where),
            {handler});
    };
    // A key to a subscriber stores the subscriber's own handler, type 3.
    EXPECT_EQ(keysOf("openinggreetingch", "m.Alias = '5' AND m.Action = 2 AND m.ConversationName = 'PHTransfer' AND "
                                          "m.DestinationObjectIDType = 3 AND m.DestinationObjectID IN "
                                          "(SELECT CallHandlerObjectID FROM CallHandler WHERE IsPrimary = 1)"),
              1);
    EXPECT_EQ(keysOf("openinggreetingch", "m.Action = 2 AND m.ConversationName = 'CHInterview' AND m.DestinationObjectIDType = 5 "
                                          "AND m.DestinationObjectID IN (SELECT InterviewHandlerObjectID FROM InterviewHandler)"),
              1);
    EXPECT_EQ(keysOf("openinggreetingch", "m.Action = 2 AND m.ConversationName = 'AD' AND m.DestinationObjectIDType = 6 "
                                          "AND m.DestinationObjectID IN (SELECT NameLookupHandlerObjectID FROM NameLookupHandler)"),
              1);
    for (const char* fixed : {"m.Action = 0", "m.Action = 5", "m.ConversationName = 'SubSignIn'",
                              "m.ConversationName = 'GreetingsAdministrator'", "m.Locked = 1"})
        EXPECT_GE(keysOf("openinggreetingch", fixed), 1) << fixed;
    EXPECT_GE(count(d, QStringLiteral("SELECT count(*) FROM MenuEntry WHERE Action = 4")), 1);

    // The one cycle: sales and support link to each other.
    EXPECT_EQ(keysOf("salesch", "m.DestinationObjectID = (SELECT CallHandlerObjectID FROM CallHandler WHERE Alias = 'supportch')"),
              1);
    EXPECT_EQ(keysOf("supportch", "m.DestinationObjectID = (SELECT CallHandlerObjectID FROM CallHandler WHERE Alias = 'salesch')"),
              1);

    // Dangling links: a key to a handler, a key to an interview handler, an after-message to a directory.
    const QString dangling = QStringLiteral(" NOT IN (%1)").arg(kAllObjectIds);
    EXPECT_EQ(count(d, QStringLiteral("SELECT count(*) FROM MenuEntry WHERE DestinationObjectID") + dangling), 2);
    EXPECT_EQ(count(d, QStringLiteral("SELECT count(*) FROM CallHandler WHERE AfterMessageObjectID") + dangling), 1);
    EXPECT_EQ(count(d, QStringLiteral("SELECT count(*) FROM MessagingRule WHERE DestinationObjectID") + dangling), 0);
    EXPECT_EQ(count(d, QStringLiteral("SELECT count(*) FROM Subscriber WHERE ExitObjectID") + dangling), 0);
}

TEST(SiteWriter, RefusesAFolderThatIsNotEmptyOrNotAFolder)
{
    QTemporaryDir dir;
    QFile other(dir.filePath(QStringLiteral("notes.txt")));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write("keep me");
    other.close();

    EXPECT_THROW(writeDemoSite(dir.path()), RuntimeError);
    EXPECT_THROW(writeLargeSite(dir.path(), LargeSiteSizes{1, 1, 1, 1, 1}), RuntimeError);
    EXPECT_THROW(writeDemoSite(other.fileName()), RuntimeError);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{QStringLiteral("notes.txt")});

    // A hidden file counts as content too.
    QTemporaryDir hidden;
    QFile dot(hidden.filePath(QStringLiteral(".keep")));
    ASSERT_TRUE(dot.open(QIODevice::WriteOnly));
    dot.close();
    EXPECT_THROW(writeDemoSite(hidden.path()), RuntimeError);

    // An empty folder and a folder still to be made are written.
    QTemporaryDir empty;
    EXPECT_NO_THROW(writeDemoSite(empty.path()));
    EXPECT_NO_THROW(writeDemoSite(empty.filePath(QStringLiteral("new/deeper"))));
    EXPECT_TRUE(QFile::exists(empty.filePath(QStringLiteral("new/deeper/TalvoDb.sqlite3"))));
}

// Files of this process cannot grow past a size while it lives: a full disk that any account,
// root included, runs into, and that a test can empty again.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN); // the write fails instead of ending the process
        rlimit limit = m_saved;
        limit.rlim_cur = std::min(bytes, m_saved.rlim_max);
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_previousHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_saved{};
    void (*m_previousHandler)(int) = nullptr;
};

ino_t inodeOf(const QString& path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

TEST(SiteWriter, AWriteThatFailsLeavesNothingBehindAndTheRetryWorks)
{
    QTemporaryDir parent;
    ASSERT_TRUE(QDir(parent.path()).mkdir(QStringLiteral("empty")));
    for (const char* name : {"new", "empty"}) {
        const QString target = parent.filePath(QString::fromLatin1(name));
        QString out, err;
        QTextStream outStream(&out), errStream(&err);
        {
            const FileSizeLimit diskFull(64 * 1024); // the database is larger
            EXPECT_EQ(runTalvoSite({target}, outStream, errStream), 1) << name;
        }
        EXPECT_EQ(QDir(parent.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System),
                  QStringList({QStringLiteral("empty")}))
            << name << ": nothing half-written beside it";
        EXPECT_TRUE(QDir(parent.filePath(QStringLiteral("empty"))).isEmpty());
        const ino_t folderBefore = inodeOf(target);

        EXPECT_EQ(runTalvoSite({target}, outStream, errStream), 0) << name << ": " << err.toStdString();
        const RegistryStore registry = RegistryStore::load(target + QStringLiteral("/registry.reg"));
        const auto rootPath =
            registry.value(QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Halvane\\Sorvic\\1.0"), QStringLiteral("Root Path"));
        ASSERT_TRUE(rootPath) << name;
        EXPECT_EQ(rootPath->text, QDir(target).absolutePath() + QLatin1Char('/')) << name << ": names where it ended up";
        EXPECT_EQ(FileServerState(target).state(), ServerState::Running) << name;
        if (folderBefore != 0) {
            EXPECT_EQ(inodeOf(target), folderBefore) << "the folder given is filled, not replaced: a shell may stand in it";
        }
        QDir(target).removeRecursively();
        if (QString::fromLatin1(name) == QLatin1String("empty")) {
            ASSERT_TRUE(QDir(parent.path()).mkdir(QStringLiteral("empty")));
        }
    }
}

TEST(SiteWriter, CommandLineExplainsRefusesAndWrites)
{
    QTemporaryDir dir;
    QFile content(dir.filePath(QStringLiteral("x")));
    ASSERT_TRUE(content.open(QIODevice::WriteOnly));
    content.close();
    struct Case {
        QStringList arguments;
        int exitCode;
        const char* outputPart; // in stdout for 0, stderr otherwise
    };
    const Case cases[] = {
        {{QStringLiteral("--help")}, 0, "Usage: talvo-site DIR"},
        {{}, 2, "give the folder"},
        {{QStringLiteral("--bogus"), dir.filePath(QStringLiteral("a"))}, 2, "unknown option --bogus"},
        {{QStringLiteral("--subscribers"), QStringLiteral("5"), dir.filePath(QStringLiteral("a"))}, 2, "belong to --large"},
        {{QStringLiteral("--large"), QStringLiteral("--subscribers"), QStringLiteral("many"), dir.filePath(QStringLiteral("a"))},
         2,
         "--subscribers needs a number"},
        {{dir.path(), dir.filePath(QStringLiteral("b"))}, 2, "one folder only"},
        {{dir.path()}, 1, "is not empty"},
        {{dir.filePath(QStringLiteral("demo"))}, 0, "Wrote the demo site into"},
        {{QStringLiteral("--large"), QStringLiteral("--subscribers"), QStringLiteral("7"), QStringLiteral("--call-handlers"),
          QStringLiteral("3"), dir.filePath(QStringLiteral("large"))},
         0,
         "Wrote the large site into"},
    };
    for (const Case& c : cases) {
        QString out, err;
        QTextStream outStream(&out), errStream(&err);
        EXPECT_EQ(runTalvoSite(c.arguments, outStream, errStream), c.exitCode) << c.arguments.join(' ').toStdString();
        EXPECT_TRUE((c.exitCode == 0 ? out : err).contains(QString::fromLatin1(c.outputPart)))
            << c.arguments.join(' ').toStdString() << ": " << out.toStdString() << err.toStdString();
    }
    EXPECT_EQ(openServerDb(dir.filePath(QStringLiteral("large/TalvoDb.sqlite3")))
                  ->scalar(QStringLiteral("SELECT count(*) FROM Subscriber")),
              Variant(qint64(7)));
}

TEST(LargeSite, EveryObjectIsCompleteAndEveryExtensionIsUnique)
{
    const LargeSiteSizes sizes{120, 40, 4, 3, 6};
    FixtureSite site(sizes);
    auto db = openServerDb(site.databasePath());
    SqliteDb& d = *db;
    EXPECT_EQ(d.scalar(QStringLiteral("PRAGMA integrity_check")), Variant("ok"));
    EXPECT_EQ(count(d, QStringLiteral("SELECT count(*) FROM CallHandler")), 160);
    EXPECT_EQ(count(d, QStringLiteral("SELECT count(*) FROM CallHandler WHERE IsPrimary = 0")), 40);
    EXPECT_EQ(count(d, QStringLiteral("SELECT count(*) FROM Subscriber")), 120);
    EXPECT_EQ(count(d, QStringLiteral("SELECT count(*) FROM GlobalSubscriber")), 120);
    EXPECT_EQ(count(d, QStringLiteral("SELECT count(*) FROM InterviewHandler")), 4);
    EXPECT_EQ(count(d, QStringLiteral("SELECT count(*) FROM InterviewQuestion")), 12);
    EXPECT_EQ(count(d, QStringLiteral("SELECT count(*) FROM NameLookupHandler")), 3);
    EXPECT_EQ(count(d, QStringLiteral("SELECT count(*) FROM DistributionList")), 6);
    EXPECT_EQ(handlersWithoutTheirRules(d), QStringList());
    EXPECT_EQ(subscribersWithoutTheirHandler(d), QStringList());

    // What the program needs to start: the opening greeting, one local location, templates.
    EXPECT_EQ(count(d, QStringLiteral("SELECT count(*) FROM CallHandler WHERE Alias = 'openinggreetingch'")), 1);
    EXPECT_EQ(count(d, QStringLiteral("SELECT count(*) FROM Location WHERE UnDeletable = 1")), 1);
    EXPECT_EQ(count(d, QStringLiteral("SELECT count(*) FROM InterviewHandler WHERE Undeletable = 1")), 1);

    EXPECT_EQ(count(d, QStringLiteral("SELECT count(*) FROM (SELECT DTMFAccessID FROM DTMFAccessID GROUP BY DTMFAccessID "
                                      "HAVING count(*) > 1)")),
              0);
    // Subscribers (120), ordinary handlers but the opening greeting (39), interview handlers
    // but the template (3), directory handlers (3), lists (6) and the location.
    EXPECT_EQ(count(d, QStringLiteral("SELECT count(*) FROM DTMFAccessID")), 120 + 39 + 3 + 3 + 6 + 1);
    // Every link names an object that exists.
    const QString dangling = QStringLiteral(" NOT IN (%1)").arg(kAllObjectIds);
    EXPECT_EQ(count(d, QStringLiteral("SELECT count(*) FROM MenuEntry WHERE DestinationObjectID") + dangling), 0);
    EXPECT_EQ(count(d, QStringLiteral("SELECT count(*) FROM CallHandler WHERE AfterMessageObjectID") + dangling), 0);
    // Greetings share files that exist.
    for (const QString& name : columnTexts(queryRows(d, QStringLiteral("SELECT DISTINCT StreamPath FROM MessagingRule UNION "
                                                                       "SELECT StreamPath FROM InterviewQuestion")),
                                           0))
        EXPECT_TRUE(QFile::exists(site.streamFilesPath() + name)) << name.toStdString();
}

} // namespace
