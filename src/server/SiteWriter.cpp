#include "server/SiteWriter.h"

#include "audio/WavFile.h"
#include "db/Sqlite.h"
#include "runtime/RuntimeError.h"
#include "server/ServerFunctions.h"
#include "server/TalvoSchema.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// "Path/File access error", what the runtime reports for a folder it cannot use.
constexpr int PathFileAccessError = 75;

const QString kDatabaseFile = QStringLiteral("TalvoDb.sqlite3");
const QString kStreamFolder = QStringLiteral("Stream Files");
const QString kDisabled = QStringLiteral("1993-01-02 00:00:00"); // TimeExpires of a switched-off rule

const std::array<QString, 12> kKeyAliases = {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                                             QStringLiteral("4"), QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("7"),
                                             QStringLiteral("8"), QStringLiteral("9"), QStringLiteral("*"), QStringLiteral("#")};
const std::array<QString, 6> kGreetingAliases = {QStringLiteral("Standard"),  QStringLiteral("Off Hours"), QStringLiteral("Busy"),
                                                 QStringLiteral("Alternate"), QStringLiteral("Internal"),  QStringLiteral("Error")};
enum GreetingIndex { Standard, OffHours, Busy, Alternate, Internal, Error };
const std::array<QString, 3> kTransferAliases = {QStringLiteral("Standard"), QStringLiteral("Off Hours"),
                                                 QStringLiteral("Alternate")};
enum TransferIndex { TransferStandard, TransferOffHours, TransferAlternate };
constexpr int kStar = 10;
constexpr int kPound = 11;

Variant textOrNull(const QString& text)
{
    return text.isEmpty() ? Variant::null() : Variant(text);
}

Variant numberOrNull(int value, bool present)
{
    return present ? Variant(value) : Variant::null();
}

// A link as the server stores it: action, conversation, destination and its object type.
struct Link {
    int action = 0;
    QString conversation;
    QString objectId;
    int objectType = 0; // 0: none stored

    static Link ignore() { return {0, {}, {}, 0}; }
    static Link hangUp() { return {1, {}, {}, 0}; }
    static Link takeMessage() { return {4, {}, {}, 0}; }
    static Link skipGreeting() { return {5, {}, {}, 0}; }
    static Link signIn() { return {2, QStringLiteral("SubSignIn"), {}, 0}; }
    static Link greetingsAdministrator() { return {2, QStringLiteral("GreetingsAdministrator"), {}, 0}; }
    // A link to a subscriber names the subscriber's own call handler.
    static Link greeting(const QString& handlerId) { return {2, QStringLiteral("PHGreeting"), handlerId, 3}; }
    static Link transfer(const QString& handlerId) { return {2, QStringLiteral("PHTransfer"), handlerId, 3}; }
    static Link interview(const QString& id) { return {2, QStringLiteral("CHInterview"), id, 5}; }
    static Link directory(const QString& id) { return {2, QStringLiteral("AD"), id, 6}; }

    void bindTo(Statement& st, int first) const
    {
        st.bind(first, action);
        st.bind(first + 1, textOrNull(conversation));
        st.bind(first + 2, textOrNull(objectId));
        st.bind(first + 3, numberOrNull(objectType, objectType != 0));
    }
};

struct Greeting {
    Link after = Link::takeMessage();
    bool enabled = true;
    int playWhat = 0; // 0 system, 1 recording, 2 blank
    QString streamPath;
    int ignoreDigits = 0;
    int reprompts = 0;
};

struct Transfer {
    bool enabled = true;
    int action = 0; // 1 ring the phone, 0 straight to the greeting
    QString extension;
    int transferType = 1; // 1 supervised, 0 release
    int rings = 4;
};

struct Owner {
    QString id;
    int type = 0; // 1 subscriber, 2 distribution list
};

struct Handler {
    QString id;
    QString alias;
    QString textName;
    bool primary = false;
    Owner owner;
    Owner recipient;
    Link afterMessage = Link::hangUp();
    int maxMsgLen = 300;
    int editMsg = 1;
    int sendUrgent = 2;
    QString schedule;
    int language = 0; // 0: Null, the server's default phone language
    int oneKeyDelay = 1500;
    int undeletable = 0;
    QString locationId;
    QString extension; // stored as the handler's own primary extension (not for subscribers' handlers)
    std::array<Link, 12> keys{};
    std::array<bool, 12> locked{};
    std::array<Greeting, 6> greetings{};
    std::array<Transfer, 3> transfers{};
};

struct Subscriber {
    QString id;
    QString alias;
    QString firstName;
    QString lastName;
    int type = 1;
    QString directoryId;
    QString cosId;
    QString homeServer = QStringLiteral("MAIL01");
    int switchId = 0;
    Link exit = Link::hangUp();
    QString locationId;
};

struct InterviewHandler {
    QString id;
    QString alias;
    QString textName;
    int language = 0;
    Owner owner;
    Owner recipient;
    Link afterMessage = Link::hangUp();
    QString locationId;
    int undeletable = 0;
    QString extension;
};

struct DirectoryHandler {
    QString id;
    QString alias;
    QString textName;
    int language = 1033;
    QString applicationId;
    int searchScope = 1;
    QString searchScopeId;
    int startDialDelay = 5;
    int endDialDelay = 2;
    int maxMatches = 8;
    int tries = 3;
    int menuStyle = 1;
    int sayExtension = 1;
    int searchByFirstName = 0;
    int useStarToExit = 1;
    QString locationId;
    Owner owner;
    Link exit, noInput, noSelection, zero;
    QString extension;
};

QByteArray dayBitmap(int firstQuarter, int endQuarter)
{
    QByteArray bytes(12, '\0');
    for (int q = firstQuarter; q < endQuarter; ++q)
        bytes[q / 8] = static_cast<char>(static_cast<unsigned char>(bytes[q / 8]) | (0x80 >> (q % 8)));
    return bytes;
}

QByteArray hours(int fromHour, int toHour)
{
    return dayBitmap(fromHour * 4, toHour * 4);
}

// Writes the rows of one site into a fresh database with prepared statements, in one transaction.
class SiteBuilder {
public:
    SiteBuilder(const QString& databasePath, quint64 seed)
        : m_db(databasePath, SqliteDb::Mode::Create),
          m_rng(seed)
    {
        registerServerFunctions(m_db.handle());
        // A new file: nothing to lose if the machine fails while it is written.
        m_db.exec(QStringLiteral("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; PRAGMA cache_size = -65536;"));
        createTalvoSchema(m_db);
        m_db.exec(QStringLiteral("BEGIN"));
        // Indexes are quicker built once over all rows than kept up to date row by row.
        Statement indexes(m_db, QStringLiteral("SELECT name, sql FROM sqlite_schema WHERE type = 'index' AND sql IS NOT NULL"));
        while (indexes.step()) {
            m_droppedIndexes << indexes.column(1).toText();
            m_dropStatements << QStringLiteral("DROP INDEX \"%1\"").arg(indexes.column(0).toText());
        }
        for (const QString& drop : std::as_const(m_dropStatements))
            m_db.exec(drop);
        m_callHandler =
            prepare("INSERT INTO CallHandler (CallHandlerObjectID, Alias, TextName, IsPrimary, AdministratorObjectID, "
                    "AdministratorObjectIDType, RecipientObjectID, RecipientObjectIDType, AfterMessageAction, "
                    "AfterMessageConversation, AfterMessageObjectID, AfterMessageObjectIDType, MaxMsgLen, EditMsg, "
                    "SendUrgentMsg, ScheduleObjectName, Language, OneKeyDelay, Undeletable, LocationObjectID, "
                    "ContactRuleAlternate) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, "
                    "?17, ?18, ?19, ?20, ?21)");
        m_menuEntry = prepare("INSERT INTO MenuEntry (MenuEntryObjectID, ParentObjectID, Alias, Action, ConversationName, "
                              "DestinationObjectID, DestinationObjectIDType, Locked) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)");
        m_messagingRule =
            prepare("INSERT INTO MessagingRule (MessagingRuleObjectID, ParentObjectID, Alias, Action, ConversationName, "
                    "DestinationObjectID, DestinationObjectIDType, IgnoreDigits, PlayWhat, Reprompts, RepromptDelay, "
                    "TimeExpires, StreamPath) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13)");
        m_contactRule = prepare("INSERT INTO ContactRule (ContactRuleObjectID, ParentObjectID, Alias, Action, TransferType, "
                                "TransferRings, Extension, TimeExpires, SwitchID, PlayWhat, RNAAction) "
                                "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)");
        m_extension = prepare("INSERT INTO DTMFAccessID (DTMFAccessObjectID, DTMFAccessID, ParentObjectID, ParentObjectIDType, "
                              "IsPrimaryID) VALUES (?1, ?2, ?3, ?4, ?5)");
        m_subscriber =
            prepare("INSERT INTO Subscriber (SubscriberObjectID, Alias, DisplayName, FirstName, LastName, SubscriberType, "
                    "DirectoryID, COSObjectID, HomeServer, switchid, ExitAction, ExitConversation, ExitObjectID, "
                    "ExitObjectIDType, LocationObjectID) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, "
                    "?14, ?15)");
        m_globalSubscriber = prepare("INSERT INTO GlobalSubscriber (SubscriberObjectID, Alias, DisplayName, LocationObjectID) "
                                     "VALUES (?1, ?2, ?3, ?4)");
        m_question = prepare("INSERT INTO InterviewQuestion (InterviewQuestionObjectID, ParentObjectID, ParentObjectIDType, "
                             "ParentAlias, Alias, StreamText, StreamPath, MaxMsgLength, UID) "
                             "VALUES (?1, ?2, 5, ?3, ?4, ?5, ?6, ?7, ?8)");
    }

    void commit()
    {
        m_callHandler.reset();
        m_menuEntry.reset();
        m_messagingRule.reset();
        m_contactRule.reset();
        m_extension.reset();
        m_subscriber.reset();
        m_globalSubscriber.reset();
        m_question.reset();
        for (const QString& create : std::as_const(m_droppedIndexes))
            m_db.exec(create);
        m_db.exec(QStringLiteral("COMMIT"));
        m_db.exec(QStringLiteral("ANALYZE; PRAGMA journal_mode = DELETE;"));
    }

    SqliteDb& db() { return m_db; }

    // Ids come from a seeded generator, so a site is the same every time it is written.
    QString newId()
    {
        const quint64 a = m_rng();
        const quint64 b = m_rng();
        return QStringLiteral("{%1-%2-%3-%4-%5}")
            .arg(a >> 32, 8, 16, QLatin1Char('0'))
            .arg((a >> 16) & 0xFFFF, 4, 16, QLatin1Char('0'))
            .arg(a & 0xFFFF, 4, 16, QLatin1Char('0'))
            .arg(b >> 48, 4, 16, QLatin1Char('0'))
            .arg(b & 0xFFFFFFFFFFFFull, 12, 16, QLatin1Char('0'))
            .toUpper();
    }

    int random(int below) { return static_cast<int>(m_rng() % static_cast<quint64>(below)); }

    void addExtension(const QString& digits, const QString& parentId, int parentType, bool primary)
    {
        run(*m_extension, {newId(), digits, parentId, parentType, primary ? 1 : 0});
    }

    void addLocation(const QString& id, const QString& alias, const QString& name, bool local, const QString& domain)
    {
        m_db.execute(QStringLiteral("INSERT INTO Location (LocationObjectID, Alias, TextName, UnDeletable, "
                                    "DialingDomainName) VALUES (?1, ?2, ?3, ?4, ?5)"),
                     {id, alias, name, local ? 1 : 0, textOrNull(domain)});
        m_db.execute(QStringLiteral("INSERT INTO GlobalLocation (LocationObjectID, TextName, DialingDomainName) "
                                    "VALUES (?1, ?2, ?3)"),
                     {id, name, textOrNull(domain)});
    }

    QString addCos(const QString& name)
    {
        const QString id = newId();
        m_db.execute(QStringLiteral("INSERT INTO COS (COSObjectID, TextName) VALUES (?1, ?2)"), {id, name});
        return id;
    }

    // Days from Monday to Sunday.
    void addSchedule(const QString& name, int ignoreHolidays, const std::array<QByteArray, 7>& days)
    {
        std::vector<Variant> values{newId(), name, ignoreHolidays};
        for (const QByteArray& day : days)
            values.emplace_back(day);
        m_db.execute(QStringLiteral("INSERT INTO Schedule (ScheduleObjectID, DisplayName, IgnoreHolidays, Monday, "
                                    "Tuesday, Wednesday, Thursday, Friday, Saturday, Sunday) "
                                    "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)"),
                     values);
    }

    void addDistributionList(const QString& id, const QString& alias, const QString& name, const QString& extension)
    {
        m_db.execute(QStringLiteral("INSERT INTO DistributionList (SystemDListObjectID, Alias, DisplayName) "
                                    "VALUES (?1, ?2, ?3)"),
                     {id, alias, name});
        if (!extension.isEmpty())
            addExtension(extension, id, 2, true);
    }

    // The subscriber with its extensions and its directory entry; its own call handler is added
    // separately (addHandler with primary set).
    void addSubscriber(const Subscriber& s, const QStringList& extensions)
    {
        const QString displayName = s.firstName + QLatin1Char(' ') + s.lastName;
        Statement& st = *m_subscriber;
        st.bindAll({s.id, s.alias, displayName, s.firstName, s.lastName, s.type, textOrNull(s.directoryId), textOrNull(s.cosId),
                    s.homeServer, s.switchId});
        s.exit.bindTo(st, 11);
        st.bind(15, textOrNull(s.locationId));
        step(st);
        run(*m_globalSubscriber, {s.id, s.alias, displayName, textOrNull(s.locationId)});
        for (int i = 0; i < extensions.size(); ++i)
            addExtension(extensions[i], s.id, 1, i == 0);
    }

    void addHandler(const Handler& h)
    {
        const QString alternateRuleId = newId();
        Statement& st = *m_callHandler;
        st.bindAll({h.id, h.alias, h.textName, h.primary ? 1 : 0, textOrNull(h.owner.id),
                    numberOrNull(h.owner.type, h.owner.type != 0), textOrNull(h.recipient.id),
                    numberOrNull(h.recipient.type, h.recipient.type != 0)});
        h.afterMessage.bindTo(st, 9);
        st.bind(13, h.maxMsgLen);
        st.bind(14, h.editMsg);
        st.bind(15, h.sendUrgent);
        st.bind(16, textOrNull(h.schedule));
        st.bind(17, numberOrNull(h.language, h.language != 0));
        st.bind(18, h.oneKeyDelay);
        st.bind(19, h.undeletable);
        st.bind(20, textOrNull(h.locationId));
        st.bind(21, alternateRuleId);
        step(st);

        for (int k = 0; k < 12; ++k) {
            Statement& me = *m_menuEntry;
            me.bindAll({newId(), h.id, kKeyAliases[k]});
            h.keys[k].bindTo(me, 4);
            me.bind(8, h.locked[k] ? 1 : 0);
            step(me);
        }
        for (int g = 0; g < 6; ++g) {
            const Greeting& greeting = h.greetings[g];
            Statement& mr = *m_messagingRule;
            mr.bindAll({newId(), h.id, kGreetingAliases[g]});
            greeting.after.bindTo(mr, 4);
            mr.bind(8, greeting.ignoreDigits);
            mr.bind(9, greeting.playWhat);
            mr.bind(10, greeting.reprompts);
            mr.bind(11, 2);
            mr.bind(12, greeting.enabled ? Variant::null() : Variant(kDisabled));
            mr.bind(13, textOrNull(greeting.streamPath));
            step(mr);
        }
        for (int t = 0; t < 3; ++t) {
            const Transfer& transfer = h.transfers[t];
            run(*m_contactRule, {t == TransferAlternate ? alternateRuleId : newId(), h.id, kTransferAliases[t], transfer.action,
                                 transfer.transferType, transfer.rings, textOrNull(transfer.extension),
                                 transfer.enabled ? Variant::null() : Variant(kDisabled), 0, 0, 0});
        }
        if (!h.primary && !h.extension.isEmpty())
            addExtension(h.extension, h.id, 3, true);
    }

    void addInterviewHandler(const InterviewHandler& ih)
    {
        std::vector<Variant> values{ih.id,
                                    ih.alias,
                                    ih.textName,
                                    numberOrNull(ih.language, ih.language != 0),
                                    textOrNull(ih.owner.id),
                                    numberOrNull(ih.owner.type, ih.owner.type != 0),
                                    textOrNull(ih.recipient.id),
                                    numberOrNull(ih.recipient.type, ih.recipient.type != 0),
                                    ih.afterMessage.action,
                                    textOrNull(ih.afterMessage.conversation),
                                    textOrNull(ih.afterMessage.objectId),
                                    numberOrNull(ih.afterMessage.objectType, ih.afterMessage.objectType != 0),
                                    textOrNull(ih.locationId),
                                    ih.undeletable};
        m_db.execute(QStringLiteral("INSERT INTO InterviewHandler (InterviewHandlerObjectID, Alias, TextName, Language, "
                                    "AdministratorObjectID, AdministratorObjectIDType, RecipientObjectID, "
                                    "RecipientObjectIDType, AfterMessageAction, AfterMessageConversation, "
                                    "AfterMessageObjectID, AfterMessageObjectIDType, LocationObjectID, Undeletable) "
                                    "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14)"),
                     values);
        if (!ih.extension.isEmpty())
            addExtension(ih.extension, ih.id, 5, true);
    }

    void addQuestion(const InterviewHandler& ih, int place, const QString& text, const QString& streamPath, int maxLength)
    {
        run(*m_question, {newId(), ih.id, ih.alias, place, text, textOrNull(streamPath), maxLength, ++m_lastUid});
    }

    void addDirectoryHandler(const DirectoryHandler& d)
    {
        Statement st(m_db, QStringLiteral("INSERT INTO NameLookupHandler (NameLookupHandlerObjectID, Alias, TextName, Language, "
                                          "ApplicationObjectID, SearchScope, SearchScopeObjectID, StartDialDelay, EndDialDelay, "
                                          "MaxMatches, Tries, MenuStyle, SayExtension, SearchByFirstName, UseStarToExit, "
                                          "LocationObjectID, AdministratorObjectID, AdministratorObjectIDType, UID, Undeletable, "
                                          "ExitAction, ExitConversation, ExitObjectID, ExitObjectIDType, NoInputAction, "
                                          "NoInputConversation, NoInputObjectID, NoInputObjectIDType, NoSelectionAction, "
                                          "NoSelectionConversation, NoSelectionObjectID, NoSelectionObjectIDType, ZeroAction, "
                                          "ZeroConversation, ZeroObjectID, ZeroObjectIDType) VALUES (?1, ?2, ?3, ?4, ?5, ?6, "
                                          "?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17, ?18, ?19, 0, ?20, ?21, ?22, ?23, "
                                          "?24, ?25, ?26, ?27, ?28, ?29, ?30, ?31, ?32, ?33, ?34, ?35)"));
        st.bindAll({d.id, d.alias, d.textName, numberOrNull(d.language, d.language != 0), textOrNull(d.applicationId),
                    d.searchScope, textOrNull(d.searchScopeId), d.startDialDelay, d.endDialDelay, d.maxMatches, d.tries,
                    d.menuStyle, d.sayExtension, d.searchByFirstName, d.useStarToExit, textOrNull(d.locationId),
                    textOrNull(d.owner.id), numberOrNull(d.owner.type, d.owner.type != 0), d.alias});
        d.exit.bindTo(st, 20);
        d.noInput.bindTo(st, 24);
        d.noSelection.bindTo(st, 28);
        d.zero.bindTo(st, 32);
        step(st);
        if (!d.extension.isEmpty())
            addExtension(d.extension, d.id, 6, true);
    }

private:
    std::unique_ptr<Statement> prepare(const char* sql) { return std::make_unique<Statement>(m_db, QString::fromUtf8(sql)); }

    static void step(Statement& st)
    {
        st.step();
        st.reset();
    }

    static void run(Statement& st, const std::vector<Variant>& values)
    {
        st.bindAll(values);
        step(st);
    }

    SqliteDb m_db;
    std::mt19937_64 m_rng;
    int m_lastUid = 0;
    QStringList m_droppedIndexes, m_dropStatements;
    std::unique_ptr<Statement> m_callHandler, m_menuEntry, m_messagingRule, m_contactRule, m_extension, m_subscriber,
        m_globalSubscriber, m_question;
};

// ---- The server root -----------------------------------------------------------------------

// A server root is first written into a hidden folder of its own and put in place when complete, so
// that a write that fails (a full disk) leaves the target as it was, missing or empty, and a second
// try is not refused as "not empty". A new target is written beside and renamed into place; an
// empty folder that was given is written inside and filled at the end, so that it stays the same
// folder (a shell may stand in it, it may be a mount point or the end of a link).
class StagedRoot {
public:
    explicit StagedRoot(const QString& dir)
    {
        const QFileInfo info(dir);
        if (info.exists() && !info.isDir())
            throwError(PathFileAccessError, QStringLiteral("\"%1\" exists and is not a folder.").arg(dir));
        if (info.exists() && !entries(dir).isEmpty())
            throwError(PathFileAccessError, QStringLiteral("\"%1\" is not empty; give a new or an empty folder.").arg(dir));

        m_target = QDir::cleanPath(QDir(dir).absolutePath());
        m_root = m_target.endsWith(QLatin1Char('/')) ? m_target : m_target + QLatin1Char('/');
        m_inside = info.exists();
        QString stagingPrefix;
        if (m_inside) {
            stagingPrefix = m_root + QStringLiteral(".talvo-site-");
        } else {
            const QFileInfo target(m_target);
            if (!QDir().mkpath(target.absolutePath()))
                throwError(PathFileAccessError, QStringLiteral("Cannot create the folder \"%1\".").arg(target.absolutePath()));
            stagingPrefix = target.absolutePath() + QStringLiteral("/.") + target.fileName() + QStringLiteral(".talvo-site-");
        }
        for (int attempt = 0; m_staging.isEmpty(); ++attempt) {
            const QString staging = stagingPrefix + QStringLiteral("%1-%2").arg(QCoreApplication::applicationPid()).arg(attempt);
            if (::mkdir(QFile::encodeName(staging).constData(), 0777) == 0) {
                m_staging = staging;
                continue;
            }
            const int error = errno;
            if (error != EEXIST || attempt > 100)
                throwError(PathFileAccessError, QStringLiteral("Cannot create the folder \"%1\": %2")
                                                    .arg(staging, QString::fromLocal8Bit(std::strerror(error))));
        }
    }
    ~StagedRoot()
    {
        if (!m_staging.isEmpty())
            QDir(m_staging).removeRecursively();
    }
    StagedRoot(const StagedRoot&) = delete;
    StagedRoot& operator=(const StagedRoot&) = delete;

    // Where the files are written now, with a trailing "/".
    QString path() const { return m_staging + QLatin1Char('/'); }
    // The root as the registry names it, with a trailing "/".
    QString root() const { return m_root; }

    // Puts the written root in place; the target must still be missing or empty.
    void commit()
    {
        if (m_inside)
            fill();
        else if (!move(m_staging, m_target))
            fail(errno);
        m_staging.clear();
    }

private:
    static QStringList entries(const QString& folder)
    {
        return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
    }
    static bool move(const QString& from, const QString& to)
    {
        return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
    }
    [[noreturn]] void fail(int error) const
    {
        if (error == ENOTEMPTY || error == EEXIST)
            throwError(PathFileAccessError, QStringLiteral("\"%1\" is not empty; give a new or an empty folder.").arg(m_target));
        throwError(PathFileAccessError, QStringLiteral("Cannot put the written root in place at \"%1\": %2")
                                            .arg(m_target, QString::fromLocal8Bit(std::strerror(error))));
    }

    // Moves the written files up into the given folder, the state last, so that the root reads as
    // running only once it is whole; a move that fails takes the others back.
    void fill()
    {
        if (entries(m_target) != QStringList{QFileInfo(m_staging).fileName()})
            fail(ENOTEMPTY);
        QStringList names = entries(m_staging);
        std::stable_partition(names.begin(), names.end(), [](const QString& name) { return name != QLatin1String("state"); });
        for (qsizetype i = 0; i < names.size(); ++i) {
            if (move(path() + names[i], m_root + names[i]))
                continue;
            const int error = errno;
            while (i-- > 0)
                move(m_root + names[i], path() + names[i]);
            fail(error);
        }
        ::rmdir(QFile::encodeName(m_staging).constData());
    }

    QString m_target; // absolute, without a trailing "/"
    QString m_root;   // the same with it
    QString m_staging;
    bool m_inside = false;
};

void writeFile(const QString& path, const QByteArray& contents)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(contents) != contents.size() || !file.flush())
        throwError(PathFileAccessError, QStringLiteral("Cannot write \"%1\": %2").arg(path, file.errorString()));
}

QString regText(const QString& text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    escaped.replace(QLatin1Char('"'), QStringLiteral("\\\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

// The machine's values that the program reads, as a registry export writes them, into the folder;
// they name the root where it will be used.
void writeRegistry(const QString& folder, const QString& root)
{
    const QString hklm = QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Halvane");
    QStringList lines{
        QStringLiteral("Windows Registry Editor Version 5.00"),
        QString(),
        QStringLiteral("[%1]").arg(hklm),
        QStringLiteral("\"Version Number\"=dword:00040000"),
        QStringLiteral("\"Build Number\"=dword:00020078"),
        QString(),
        QStringLiteral("[%1\\Sorvic\\1.0]").arg(hklm),
        QStringLiteral("\"Root Path\"=") + regText(root),
        QString(),
        QStringLiteral("[%1\\Sorvic Setup\\1.0\\Properties]").arg(hklm),
        QStringLiteral("\"TUILanguageDefault\"=\"ENU\""),
        QString(),
        QStringLiteral("[%1\\QLM\\1.0\\initialization\\integrations\\integration1]").arg(hklm),
        QStringLiteral("\"DisplayName\"=\"Main Office PBX\""),
        QString(),
        QStringLiteral("[%1\\QLM\\1.0\\initialization\\integrations\\integration2]").arg(hklm),
        QStringLiteral("\"DisplayName\"=\"Branch SIP Gateway\""),
        QString(),
    };
    writeFile(folder + QStringLiteral("registry.reg"), lines.join(QStringLiteral("\r\n")).toUtf8());
}

void writeState(const QString& folder)
{
    writeFile(folder + QStringLiteral("state"), QByteArrayLiteral("32\n"));
}

QString streamFolder(const QString& root)
{
    const QString folder = root + kStreamFolder;
    if (!QDir().mkpath(folder))
        throwError(PathFileAccessError, QStringLiteral("Cannot create the folder \"%1\".").arg(folder));
    return folder + QLatin1Char('/');
}

// One audible file per stored greeting or question name, each with its own pitch.
void writeStreamFiles(SqliteDb& db, const QString& folder)
{
    Statement st(db, QStringLiteral("SELECT StreamPath FROM MessagingRule WHERE coalesce(StreamPath, '') <> '' "
                                    "UNION SELECT StreamPath FROM InterviewQuestion WHERE coalesce(StreamPath, '') <> '' "
                                    "ORDER BY 1"));
    int n = 0;
    while (st.step())
        writeWavFile(folder + st.column(0).toText(), toneWav(1200, 330.0 + 22.0 * (n++ % 24)));
}

// ---- The demo site ---------------------------------------------------------------------------

// Part of a sound file's name, so that two recordings of one greeting get different files.
int fileNumber(SiteBuilder& b)
{
    return 10000 + b.random(90000);
}

QString greetingFile(const QString& handlerAlias, int greeting, int number)
{
    return QStringLiteral("mr_%1_%2_%3.wav").arg(handlerAlias, kGreetingAliases[greeting]).arg(number);
}

// A handler with the usual defaults: every key ignored but # (skip the greeting), the standard
// greeting recorded, off-hours and error greetings played by the system, the rest switched off.
Handler baseHandler(SiteBuilder& b, const QString& alias, const QString& name, const QString& locationId)
{
    Handler h;
    h.id = b.newId();
    h.alias = alias;
    h.textName = name;
    h.locationId = locationId;
    h.schedule = QStringLiteral("All Hours");
    h.keys.fill(Link::ignore());
    h.keys[kPound] = Link::skipGreeting();
    h.greetings[Standard].playWhat = 1;
    h.greetings[Standard].streamPath = greetingFile(alias, Standard, fileNumber(b));
    h.greetings[Alternate].enabled = false;
    h.greetings[Internal].enabled = false;
    h.greetings[Busy].enabled = false;
    h.transfers[TransferAlternate].enabled = false;
    return h;
}

// A subscriber's own call handler: owned by the subscriber and taking its messages, key 0 to the
// given handler, * to sign-in, every transfer rule ringing the subscriber's extension.
Handler subscribersOwnHandler(SiteBuilder& b, const Subscriber& s, const QString& handlerId, const QString& locationId,
                              const QString& goodbye, const QString& keyZeroTarget, const QString& extension)
{
    Handler h = baseHandler(b, s.alias + QStringLiteral("_ch"), s.firstName + QLatin1Char(' ') + s.lastName, locationId);
    h.id = handlerId;
    h.primary = true;
    h.owner = h.recipient = Owner{s.id, 1};
    h.afterMessage = Link::greeting(goodbye);
    h.schedule = QStringLiteral("All Hours");
    h.keys[0] = Link::transfer(keyZeroTarget);
    h.keys[kStar] = Link::signIn();
    for (Transfer& t : h.transfers) {
        t.action = 1;
        t.extension = extension;
    }
    return h;
}

// The demo's objects, named so that its tables can refer to each other. The ids of Opening to
// SupportTeam are drawn in this order.
enum DemoObject {
    NoObject,
    Gone, // deleted since it was linked to: a new id at each use
    Location,
    CosStandard,
    CosManagers,
    CosOperators,
    Opening,
    Operator,
    Sales,
    Support,
    Goodbye,
    Feedback,
    InterviewTemplate,
    Directory,
    AllEmployees,
    SupportTeam,
    Alice,
    Ben,
    Chloe,
    Daniel,
    Emma,
    Farid,
    Grace,
    Hugo,
    Isabel,
    Jonas,
};

// A link of the demo's tables: one without a destination, or one to a demo object. A default one
// keeps what the handler has.
struct DemoLink {
    constexpr DemoLink() = default;
    constexpr DemoLink(Link (*fixed)())
        : fixed(fixed)
    {
    }
    constexpr DemoLink(Link (*toObject)(const QString&), DemoObject object)
        : toObject(toObject),
          object(object)
    {
    }
    bool given() const { return fixed || toObject; }

    Link (*fixed)() = nullptr;
    Link (*toObject)(const QString&) = nullptr;
    DemoObject object = NoObject;
};

enum class Switch { Unchanged, On, Off };

// A change to one greeting of a handler; a recorded greeting gets a sound file of its own.
struct DemoGreeting {
    GreetingIndex greeting = Standard;
    Switch enabled = Switch::Unchanged;
    bool recorded = false;
    DemoLink after{};
    int ignoreDigits = 0;
    int reprompts = 0;
};

struct DemoPerson {
    DemoObject person = NoObject;
    const char* alias = "";
    const char* first = "";
    const char* last = "";
    const char* extension = "";
    DemoObject cos = CosStandard;
    int type = 1;
    int switchId = 0;
    DemoLink exit{Link::greeting, Opening};
    const char* directLine = "";           // a second extension
    std::vector<DemoGreeting> greetings{}; // of the subscriber's own call handler
};

struct DemoKey {
    int key = 0; // 0 to 9, kStar, kPound
    DemoLink link{};
};

// What the call and interview handlers of the demo have in common.
struct DemoHandlerBasics {
    DemoObject handler = NoObject;
    const char* alias = "";
    const char* name = "";
    DemoObject owner = NoObject;
    DemoObject recipient = NoObject;
    int language = 0;
    int undeletable = 0;
    const char* extension = "";
    DemoLink afterMessage{};
};

// A call handler: baseHandler's defaults with these changes.
struct DemoHandler {
    DemoHandlerBasics basics;
    const char* schedule = "All Hours";
    std::vector<DemoKey> keys{};
    int lockedKey = -1;
    std::vector<DemoGreeting> greetings{};
    DemoObject rings = NoObject; // the subscriber whose extension the standard transfer rule rings
};

struct DemoQuestion {
    const char* text = "";
    int answerSeconds = 30;
};

struct DemoInterview {
    DemoHandlerBasics basics;
    std::vector<DemoQuestion> questions{};
};

struct DemoDirectory {
    DemoObject handler = NoObject;
    const char* alias = "";
    const char* name = "";
    DemoObject owner = NoObject;
    const char* extension = "";
    DemoLink exit{}, noInput{}, noSelection{}, zero{};
};

struct DemoList {
    DemoObject list = NoObject;
    const char* alias = "";
    const char* name = "";
    const char* extension = "";
};

struct Hours {
    int from = 0;
    int to = 0;
};
constexpr Hours kClosed{0, 0};
constexpr Hours kAllDay{0, 24};
constexpr Hours kOffice{8, 17};
constexpr Hours kExtended{7, 19};

struct DemoSchedule {
    const char* name = "";
    int ignoreHolidays = 0;
    Hours days[7]; // Monday to Sunday
};

const std::pair<DemoObject, const char*> kDemoClassesOfService[] = {
    {CosStandard, "Standard Users"}, {CosManagers, "Managers"}, {CosOperators, "Operators"}};

const DemoSchedule kDemoSchedules[] = {
    {"Weekdays", 0, {kOffice, kOffice, kOffice, kOffice, kOffice, kClosed, kClosed}},
    {"All Hours", 1, {kAllDay, kAllDay, kAllDay, kAllDay, kAllDay, kAllDay, kAllDay}},
    {"Extended Hours", 0, {kExtended, kExtended, kExtended, kExtended, kExtended, {9, 13}, kClosed}},
};

// In the order of their directory ids, 10001 up.
const DemoPerson kDemoPeople[] = {
    {.person = Alice,
     .alias = DemoSite::Receptionist,
     .first = "Alice",
     .last = "Moreno",
     .extension = "2001",
     .cos = CosOperators},
    {.person = Ben, .alias = "bcarter", .first = "Ben", .last = "Carter", .extension = "2002"},
    {.person = Chloe, .alias = "cnovak", .first = "Chloe", .last = "Novak", .extension = "2003"},
    {.person = Daniel, .alias = "dokafor", .first = "Daniel", .last = "Okafor", .extension = "2004"},
    {.person = Emma, .alias = "elindqvist", .first = "Emma", .last = "Lindqvist", .extension = "2005"},
    {.person = Farid,
     .alias = "fhaddad",
     .first = "Farid",
     .last = "Haddad",
     .extension = "2006",
     .cos = CosManagers,
     .directLine = "5000",
     .greetings = {{.greeting = Alternate, .enabled = Switch::On, .recorded = true}}}, // away on business
    {.person = Grace, .alias = "gwhitfield", .first = "Grace", .last = "Whitfield", .extension = "2007"},
    {.person = Hugo,
     .alias = "hbrandt",
     .first = "Hugo",
     .last = "Brandt",
     .extension = "2008",
     .switchId = 1, // on the branch gateway
     .exit = {Link::hangUp}},
    {.person = Isabel, .alias = "iferreira", .first = "Isabel", .last = "Ferreira", .extension = "2009"},
    {.person = Jonas, .alias = "jpetrov", .first = "Jonas", .last = "Petrov", .extension = "2010", .type = 3},
};

const DemoList kDemoLists[] = {
    {AllEmployees, "allemployees", "All Employees", "500"},
    {SupportTeam, "supportteam", "Support Team", "501"},
};

const DemoHandler kDemoHandlers[] = {
    {.basics = {.handler = Opening,
                .alias = DemoSite::OpeningGreeting,
                .name = "Opening Greeting",
                .owner = Alice,
                .recipient = Alice,
                .language = 1033,
                .undeletable = 1},
     .schedule = "Weekdays",
     .keys = {{0, {Link::transfer, Operator}},
              {1, {Link::greeting, Sales}},
              {2, {Link::greeting, Support}},
              {3, {Link::interview, Feedback}},
              {4, {Link::directory, Directory}},
              {5, {Link::transfer, Farid}},
              {8, {Link::greetingsAdministrator}},
              {9, {Link::greeting, Goodbye}},
              {kStar, {Link::signIn}}},
     .lockedKey = 8,
     .greetings = {{.greeting = Standard, .after = {Link::transfer, Operator}},
                   {.greeting = OffHours, .recorded = true},
                   // The holiday message, switched off until needed.
                   {.greeting = Alternate, .enabled = Switch::Off, .recorded = true, .after = {Link::hangUp}},
                   {.greeting = Error, .after = {Link::transfer, Operator}}}},
    {.basics = {.handler = Operator,
                .alias = DemoSite::Operator,
                .name = "Operator",
                .owner = Alice,
                .recipient = Alice,
                .undeletable = 1,
                .extension = "110",
                .afterMessage = {Link::greeting, Goodbye}},
     .schedule = "Weekdays",
     .rings = Alice},
    // Sales and support send callers to each other: the demo's one cycle.
    {.basics = {.handler = Sales,
                .alias = DemoSite::Sales,
                .name = "Sales",
                .owner = Farid,
                .recipient = Ben,
                .extension = "120",
                .afterMessage = {Link::greeting, Goodbye}},
     .schedule = "Extended Hours",
     .keys = {{0, {Link::transfer, Operator}},
              {1, {Link::transfer, Ben}},
              {2, {Link::transfer, Chloe}},
              {3, {Link::greeting, Isabel}},
              {7, {Link::interview, Gone}}, // a survey that was deleted
              {9, {Link::greeting, Support}}},
     .greetings = {{.greeting = OffHours, .recorded = true}}},
    {.basics = {.handler = Support,
                .alias = DemoSite::Support,
                .name = "Support",
                .owner = Daniel,
                .recipient = SupportTeam,
                .language = 1033,
                .extension = "130",
                .afterMessage = {Link::directory, Gone}}, // a directory that was removed
     .schedule = "Extended Hours",
     .keys = {{0, {Link::takeMessage}},
              {1, {Link::transfer, Daniel}},
              {2, {Link::transfer, Emma}},
              {3, {Link::transfer, Gone}}, // a handler that no longer exists
              {4, {Link::transfer, Jonas}},
              {9, {Link::greeting, Sales}}},
     .greetings = {{.greeting = Busy, .enabled = Switch::On, .reprompts = 1}}},
    {.basics = {.handler = Goodbye,
                .alias = DemoSite::Goodbye,
                .name = "Goodbye",
                .owner = Alice,
                .recipient = Alice,
                .undeletable = 1,
                .extension = "190"},
     .keys = {{kPound, {Link::ignore}}},
     .greetings = {{.greeting = Standard, .after = {Link::hangUp}, .ignoreDigits = 1},
                   {.greeting = OffHours, .after = {Link::hangUp}}}},
};

const DemoInterview kDemoInterviews[] = {
    {.basics = {.handler = InterviewTemplate,
                .alias = DemoSite::TemplateInterview,
                .name = "Default Interview Handler",
                .owner = Alice,
                .recipient = Alice,
                .undeletable = 1}},
    {.basics = {.handler = Feedback,
                .alias = DemoSite::FeedbackInterview,
                .name = "Customer Feedback",
                .owner = Farid,
                .recipient = SupportTeam,
                .language = 1033,
                .extension = "300",
                .afterMessage = {Link::greeting, Goodbye}},
     .questions = {{"Please say your name.", 30},
                   {"Please say the number we can call you back on.", 30},
                   {"Please tell us about your experience with Brightwater.", 90}}},
};

const DemoDirectory kDemoDirectories[] = {
    {.handler = Directory,
     .alias = DemoSite::Directory,
     .name = "Company Directory",
     .owner = Alice,
     .extension = "400",
     .exit = {Link::greeting, Opening},
     .noInput = {Link::greeting, Opening},
     .noSelection = {Link::transfer, Operator},
     .zero = {Link::transfer, Operator}},
};

QString latin(const char* text)
{
    return QString::fromLatin1(text);
}

const DemoPerson& demoPerson(DemoObject person)
{
    return *std::find_if(std::begin(kDemoPeople), std::end(kDemoPeople), [&](const DemoPerson& p) { return p.person == person; });
}

// The ids of the demo's objects, drawn from the builder as the tables name them.
class DemoIds {
public:
    explicit DemoIds(SiteBuilder& b)
        : m_b(b)
    {
    }

    const QString& draw(DemoObject object) { return m_ids[object] = m_b.newId(); }
    void set(DemoObject object, const QString& id) { m_ids[object] = id; }
    // The subscriber's id, then its own call handler's.
    void drawSubscriber(DemoObject person)
    {
        draw(person);
        m_ownHandlers[person] = m_b.newId();
    }

    QString id(DemoObject object) { return object == Gone ? m_b.newId() : m_ids.at(object); }
    // Where a link to the object leads: a link to a subscriber names the subscriber's own call handler.
    QString destination(DemoObject object)
    {
        const auto own = m_ownHandlers.find(object);
        return own != m_ownHandlers.end() ? own->second : id(object);
    }
    // Owners are subscribers or distribution lists.
    Owner owner(DemoObject object) { return Owner{id(object), m_ownHandlers.contains(object) ? 1 : 2}; }

    Link link(const DemoLink& to) { return to.fixed ? to.fixed() : to.toObject(destination(to.object)); }
    void relink(Link& link, const DemoLink& to)
    {
        if (to.given())
            link = this->link(to);
    }

private:
    SiteBuilder& m_b;
    std::map<DemoObject, QString> m_ids, m_ownHandlers;
};

void changeGreetings(SiteBuilder& b, DemoIds& ids, Handler& h, const std::vector<DemoGreeting>& changes)
{
    for (const DemoGreeting& change : changes) {
        Greeting& g = h.greetings[change.greeting];
        if (change.recorded) {
            g.playWhat = 1;
            g.streamPath = greetingFile(h.alias, change.greeting, fileNumber(b));
        }
        if (change.enabled != Switch::Unchanged)
            g.enabled = change.enabled == Switch::On;
        ids.relink(g.after, change.after);
        g.ignoreDigits = change.ignoreDigits;
        g.reprompts = change.reprompts;
    }
}

// Call and interview handlers.
template <typename AnyHandler>
void setBasics(AnyHandler& h, const DemoHandlerBasics& row, DemoIds& ids, const QString& location)
{
    h.id = ids.id(row.handler);
    h.alias = latin(row.alias);
    h.textName = latin(row.name);
    h.owner = ids.owner(row.owner);
    h.recipient = ids.owner(row.recipient);
    h.language = row.language;
    h.undeletable = row.undeletable;
    h.locationId = location;
    h.extension = latin(row.extension);
    ids.relink(h.afterMessage, row.afterMessage);
}

Subscriber demoSubscriber(DemoIds& ids, const DemoPerson& p, int number)
{
    Subscriber s;
    s.id = ids.id(p.person);
    s.alias = latin(p.alias);
    s.firstName = latin(p.first);
    s.lastName = latin(p.last);
    s.type = p.type;
    s.directoryId = QStringLiteral("100%1").arg(number, 2, 10, QLatin1Char('0'));
    s.cosId = ids.id(p.cos);
    s.switchId = p.switchId;
    s.exit = ids.link(p.exit);
    s.locationId = ids.id(Location);
    return s;
}

// The location, the classes of service and the schedules.
void writeDemoSetup(SiteBuilder& b, DemoIds& ids)
{
    const QString location = ids.draw(Location);
    b.addLocation(location, latin(DemoSite::LocalLocation), QStringLiteral("Brightwater Headquarters"), true,
                  latin(DemoSite::DialingDomain));
    b.addExtension(QStringLiteral("7999"), location, 9, true);
    for (const auto& [cos, name] : kDemoClassesOfService)
        ids.set(cos, b.addCos(latin(name)));
    for (const DemoSchedule& schedule : kDemoSchedules) {
        std::array<QByteArray, 7> days;
        for (int d = 0; d < 7; ++d)
            days[d] = hours(schedule.days[d].from, schedule.days[d].to);
        b.addSchedule(latin(schedule.name), schedule.ignoreHolidays, days);
    }
}

// The subscribers, the distribution lists, then the subscribers' own call handlers.
void writeDemoPeople(SiteBuilder& b, DemoIds& ids)
{
    const int people = int(std::size(kDemoPeople));
    for (int i = 0; i < people; ++i) {
        const DemoPerson& p = kDemoPeople[i];
        QStringList extensions{latin(p.extension)};
        if (*p.directLine)
            extensions << latin(p.directLine);
        b.addSubscriber(demoSubscriber(ids, p, i + 1), extensions);
    }
    for (const DemoList& list : kDemoLists)
        b.addDistributionList(ids.id(list.list), latin(list.alias), latin(list.name), latin(list.extension));
    for (int i = 0; i < people; ++i) {
        const DemoPerson& p = kDemoPeople[i];
        Handler h = subscribersOwnHandler(b, demoSubscriber(ids, p, i + 1), ids.destination(p.person), ids.id(Location),
                                          ids.id(Goodbye), ids.id(Operator), latin(p.extension));
        h.greetings[OffHours].enabled = false;
        h.transfers[TransferOffHours].action = 0;
        h.transfers[TransferAlternate].enabled = true;
        changeGreetings(b, ids, h, p.greetings);
        b.addHandler(h);
    }
}

void writeDemoCallHandlers(SiteBuilder& b, DemoIds& ids)
{
    const QString location = ids.id(Location);
    for (const DemoHandler& row : kDemoHandlers) {
        Handler h = baseHandler(b, latin(row.basics.alias), latin(row.basics.name), location);
        setBasics(h, row.basics, ids, location);
        h.schedule = latin(row.schedule);
        for (const DemoKey& key : row.keys)
            ids.relink(h.keys[key.key], key.link);
        if (row.lockedKey >= 0)
            h.locked[row.lockedKey] = true;
        if (row.rings != NoObject) {
            h.transfers[TransferStandard].action = 1;
            h.transfers[TransferStandard].extension = latin(demoPerson(row.rings).extension);
        }
        changeGreetings(b, ids, h, row.greetings);
        b.addHandler(h);
    }
}

void writeDemoInterviews(SiteBuilder& b, DemoIds& ids)
{
    for (const DemoInterview& row : kDemoInterviews) {
        InterviewHandler ih;
        setBasics(ih, row.basics, ids, ids.id(Location));
        b.addInterviewHandler(ih);
        int place = 0;
        for (const DemoQuestion& q : row.questions) {
            ++place;
            b.addQuestion(ih, place, latin(q.text), QStringLiteral("iq_%1_%2_%3.wav").arg(ih.alias).arg(place).arg(fileNumber(b)),
                          q.answerSeconds);
        }
    }
}

void writeDemoDirectories(SiteBuilder& b, DemoIds& ids)
{
    for (const DemoDirectory& row : kDemoDirectories) {
        DirectoryHandler d;
        d.id = ids.id(row.handler);
        d.alias = latin(row.alias);
        d.textName = latin(row.name);
        d.applicationId = b.newId();
        d.searchScopeId = d.locationId = ids.id(Location);
        d.owner = ids.owner(row.owner);
        d.exit = ids.link(row.exit);
        d.noInput = ids.link(row.noInput);
        d.noSelection = ids.link(row.noSelection);
        d.zero = ids.link(row.zero);
        d.extension = latin(row.extension);
        b.addDirectoryHandler(d);
    }
}

// The order of the steps is the order in which ids and file numbers are drawn: it decides every id
// of the site.
void writeDemoContent(SiteBuilder& b)
{
    DemoIds ids(b);
    writeDemoSetup(b, ids);
    // Ids first: the handlers link to each other in both directions.
    for (int object = Opening; object <= SupportTeam; ++object)
        ids.draw(DemoObject(object));
    for (const DemoPerson& p : kDemoPeople)
        ids.drawSubscriber(p.person);
    writeDemoPeople(b, ids);
    writeDemoCallHandlers(b, ids);
    writeDemoInterviews(b, ids);
    writeDemoDirectories(b, ids);
}

// ---- The large site --------------------------------------------------------------------------

const char* const kFirstNames[] = {"Ada",   "Bruno", "Carla", "Dmitri", "Elena", "Felix", "Gina",  "Hamid", "Ines",
                                   "Jakob", "Kira",  "Leon",  "Maya",   "Nils",  "Olga",  "Pavel", "Quinn", "Rosa",
                                   "Sami",  "Tara",  "Umar",  "Vera",   "Wim",   "Xenia", "Yusuf", "Zoe"};
const char* const kLastNames[] = {"Albers",   "Brooks", "Castillo", "Dahl",     "Eriksen", "Fontaine",  "Gallo",
                                  "Hartmann", "Ibsen",  "Janssen",  "Kowalski", "Larsen",  "Mendes",    "Nakamura",
                                  "Oliveira", "Park",   "Quist",    "Rossi",    "Schmidt", "Takahashi", "Ueda",
                                  "Varga",    "Weber",  "Young",    "Zeller"};

QString numbered(const char* prefix, int n, int width)
{
    return QString::fromLatin1(prefix) + QStringLiteral("%1").arg(n, width, 10, QLatin1Char('0'));
}

// Extensions by kind: a leading digit per kind and a running number, so no two objects share one.
QString extensionOf(int kind, int n)
{
    return QString::number(kind) + QStringLiteral("%1").arg(n, 5, 10, QLatin1Char('0'));
}

void shareGreetingFiles(Handler& h)
{
    for (int g = 0; g < 6; ++g)
        h.greetings[g].streamPath = QStringLiteral("shared_%1.wav").arg(kGreetingAliases[g]);
}

void writeLargeContent(SiteBuilder& b, const LargeSiteSizes& sizes)
{
    const int subscribers = std::max(0, sizes.subscribers);
    const int handlers = std::max(1, sizes.callHandlers);         // the opening greeting at least
    const int interviews = std::max(1, sizes.interviewHandlers);  // the template at least
    const int directories = std::max(1, sizes.directoryHandlers); // the template at least
    const int lists = std::max(0, sizes.distributionLists);

    const QString location = b.newId();
    b.addLocation(location, QStringLiteral("largesite-hq"), QStringLiteral("Large Site Headquarters"), true,
                  QStringLiteral("largesite.local"));
    b.addExtension(QStringLiteral("999999"), location, 9, true);
    const std::array<QString, 3> cos = {b.addCos(QStringLiteral("Standard Users")), b.addCos(QStringLiteral("Managers")),
                                        b.addCos(QStringLiteral("Operators"))};
    const QByteArray none(12, '\0');
    const QByteArray all(12, '\xFF');
    const QByteArray office = hours(8, 17);
    b.addSchedule(QStringLiteral("Weekdays"), 0, {office, office, office, office, office, none, none});
    b.addSchedule(QStringLiteral("All Hours"), 1, {all, all, all, all, all, all, all});

    std::vector<QString> handlerIds(handlers), subscriberIds(subscribers), ownHandlerIds(subscribers), interviewIds(interviews),
        directoryIds(directories), listIds(lists);
    for (auto* ids : {&handlerIds, &subscriberIds, &ownHandlerIds, &interviewIds, &directoryIds, &listIds})
        for (QString& id : *ids)
            id = b.newId();
    const QString opening = handlerIds[0];
    const QString goodbye = handlerIds.size() > 1 ? handlerIds[1] : opening;

    for (int i = 0; i < lists; ++i)
        b.addDistributionList(listIds[i], numbered("dl", i, 4), numbered("Distribution List ", i, 4), extensionOf(6, i));

    for (int i = 0; i < subscribers; ++i) {
        Subscriber s;
        s.id = subscriberIds[i];
        s.alias = numbered("sub", i, 5);
        s.firstName = QString::fromLatin1(kFirstNames[i % std::size(kFirstNames)]);
        s.lastName = QString::fromLatin1(kLastNames[(i / std::size(kFirstNames)) % std::size(kLastNames)]);
        s.type = i % 25 == 24 ? 3 : 1;
        s.directoryId = QString::number(100000 + i);
        s.cosId = cos[i % 3];
        s.switchId = i % 2;
        s.exit = Link::greeting(opening);
        s.locationId = location;
        const QString extension = extensionOf(2, i);
        b.addSubscriber(s, {extension});

        Handler h = subscribersOwnHandler(b, s, ownHandlerIds[i], location, goodbye, opening, extension);
        shareGreetingFiles(h);
        b.addHandler(h);
    }

    // The call handlers form a tree of menus below the opening greeting; where a menu has no
    // further menus its keys ring subscribers.
    for (int i = 0; i < handlers; ++i) {
        Handler h = baseHandler(b, i == 0 ? QStringLiteral("openinggreetingch") : numbered("ch", i, 4),
                                i == 0 ? QStringLiteral("Opening Greeting") : numbered("Menu ", i, 4), location);
        h.id = handlerIds[i];
        if (subscribers > 0) {
            h.owner = Owner{subscriberIds[i % subscribers], 1};
            h.recipient = Owner{subscriberIds[(i * 7) % subscribers], 1};
        } else if (lists > 0) {
            h.owner = h.recipient = Owner{listIds[i % lists], 2};
        }
        h.schedule = i % 2 ? QStringLiteral("Weekdays") : QStringLiteral("All Hours");
        h.language = i % 3 ? 1033 : 0;
        h.undeletable = i == 0;
        if (i > 0)
            h.extension = extensionOf(3, i);
        for (int k = 1; k <= 9; ++k) {
            const int child = 9 * i + k;
            if (child < handlers)
                h.keys[k] = Link::greeting(handlerIds[child]);
            else if (subscribers > 0)
                h.keys[k] = Link::transfer(ownHandlerIds[(i * 9 + k) % subscribers]);
        }
        h.keys[0] = Link::takeMessage();
        if (i % 25 == 0)
            h.keys[kStar] = Link::interview(interviewIds[(i / 25) % interviews]);
        if (i % 40 == 0)
            h.keys[8] = Link::directory(directoryIds[(i / 40) % directories]);
        h.afterMessage = i == 1 ? Link::hangUp() : Link::greeting(goodbye);
        shareGreetingFiles(h);
        b.addHandler(h);
    }

    for (int i = 0; i < interviews; ++i) {
        InterviewHandler ih;
        ih.id = interviewIds[i];
        ih.alias = i == 0 ? QStringLiteral("interviewtemplate") : numbered("ih", i, 4);
        ih.textName = i == 0 ? QStringLiteral("Default Interview Handler") : numbered("Interview ", i, 4);
        ih.language = 1033;
        if (subscribers > 0)
            ih.owner = ih.recipient = Owner{subscriberIds[i % subscribers], 1};
        ih.afterMessage = Link::greeting(goodbye);
        ih.locationId = location;
        ih.undeletable = i == 0;
        if (i > 0)
            ih.extension = extensionOf(4, i);
        b.addInterviewHandler(ih);
        for (int q = 1; q <= 3; ++q)
            b.addQuestion(ih, q, QStringLiteral("Question %1").arg(q), QStringLiteral("shared_question.wav"), 30);
    }

    for (int i = 0; i < directories; ++i) {
        DirectoryHandler d;
        d.id = directoryIds[i];
        d.alias = numbered("dir", i, 3);
        d.textName = numbered("Directory ", i, 3);
        d.applicationId = b.newId();
        d.searchScopeId = location;
        d.locationId = location;
        if (subscribers > 0)
            d.owner = Owner{subscriberIds[i % subscribers], 1};
        d.exit = d.noInput = d.noSelection = Link::greeting(opening);
        d.zero = Link::transfer(opening);
        d.extension = extensionOf(5, i);
        b.addDirectoryHandler(d);
    }
}

template <typename Content>
void writeSite(const QString& dir, quint64 seed, Content content)
{
    StagedRoot root(dir);
    const QString streams = streamFolder(root.path());
    {
        SiteBuilder builder(root.path() + kDatabaseFile, seed);
        content(builder);
        builder.commit();
        writeStreamFiles(builder.db(), streams);
    }
    writeRegistry(root.path(), root.root());
    writeState(root.path());
    root.commit();
}

const char* const kHelp = "Usage: talvo-site DIR\n"
                          "       talvo-site --large [SIZE OPTIONS] DIR\n"
                          "\n"
                          "Writes a stand-in Talvo server root into DIR, which must be a new or an empty folder:\n"
                          "registry.reg (the registry values the program reads), state (32: running),\n"
                          "TalvoDb.sqlite3 (the configuration database) and \"Stream Files/\" (greeting recordings).\n"
                          "Point the program at it with TALVO_ROOT=DIR.\n"
                          "\n"
                          "Without --large it writes the demo site: a small company's auto attendant with an opening\n"
                          "greeting, operator, sales and support menus, ten subscribers, an interview handler, a\n"
                          "directory handler, distribution lists, schedules and classes of service.\n"
                          "\n"
                          "--large writes a large site for benchmarks. Its greetings and questions share seven\n"
                          "sound files instead of one file each. It always holds the opening greeting and the\n"
                          "interview and directory handler templates. Sizes (defaults in brackets):\n"
                          "  --subscribers N          [20000]\n"
                          "  --call-handlers N        [5000]  besides the subscribers' own handlers\n"
                          "  --interview-handlers N   [200]\n"
                          "  --directory-handlers N   [50]\n"
                          "  --distribution-lists N   [500]\n"
                          "\n"
                          "  --help                   shows this text\n"
                          "\n"
                          "Exit codes: 0 written, 1 the folder was refused or could not be written, 2 bad arguments.\n";

} // namespace

void writeDemoSite(const QString& dir)
{
    writeSite(dir, 20240601, writeDemoContent);
}

void writeLargeSite(const QString& dir, const LargeSiteSizes& sizes)
{
    writeSite(dir, 20240602, [&](SiteBuilder& b) { writeLargeContent(b, sizes); });
}

int runTalvoSite(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    bool large = false;
    LargeSiteSizes sizes;
    QString dir;
    const std::pair<const char*, int*> sizeOptions[] = {
        {"--subscribers", &sizes.subscribers},
        {"--call-handlers", &sizes.callHandlers},
        {"--interview-handlers", &sizes.interviewHandlers},
        {"--directory-handlers", &sizes.directoryHandlers},
        {"--distribution-lists", &sizes.distributionLists},
    };
    const auto usageError = [&](const QString& message) {
        err << "talvo-site: " << message << "\nTry talvo-site --help.\n";
        err.flush();
        return 2;
    };

    bool sizeGiven = false;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            out << kHelp;
            out.flush();
            return 0;
        }
        if (arg == QLatin1String("--large")) {
            large = true;
            continue;
        }
        int* size = nullptr;
        for (const auto& [name, target] : sizeOptions)
            if (arg == QLatin1String(name))
                size = target;
        if (size) {
            bool ok = false;
            const int value = i + 1 < arguments.size() ? arguments[i + 1].toInt(&ok) : 0;
            if (!ok || value < 0)
                return usageError(QStringLiteral("%1 needs a number of 0 or more.").arg(arg));
            *size = value;
            sizeGiven = true;
            ++i;
            continue;
        }
        if (arg.startsWith(QLatin1Char('-')) && arg.size() > 1)
            return usageError(QStringLiteral("unknown option %1.").arg(arg));
        if (!dir.isEmpty())
            return usageError(QStringLiteral("give one folder only."));
        dir = arg;
    }
    if (dir.isEmpty())
        return usageError(QStringLiteral("give the folder to write the server root into."));
    if (sizeGiven && !large)
        return usageError(QStringLiteral("size options belong to --large."));

    try {
        QElapsedTimer timer;
        timer.start();
        if (large)
            writeLargeSite(dir, sizes);
        else
            writeDemoSite(dir);
        out << (large ? "Wrote the large site into " : "Wrote the demo site into ") << QDir(dir).absolutePath()
            << QStringLiteral(" in %1 s.\n").arg(timer.elapsed() / 1000.0, 0, 'f', 1);
        out.flush();
        return 0;
    } catch (const RuntimeError& e) {
        err << "talvo-site: " << e.description() << "\n";
        err.flush();
        return 1;
    }
}
