#pragma once

#include "db/Sqlite.h"
#include "runtime/Variant.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <memory>
#include <random>
#include <vector>

struct LargeSiteSizes;

// The rows of a site as the site writers build them, and the builder that stores them. Shared by
// the demo site and the large site; nothing outside the site writers uses it.
namespace SiteWriting {

inline const QString kDisabled = QStringLiteral("1993-01-02 00:00:00"); // TimeExpires of a switched-off rule

inline const std::array<QString, 12> kKeyAliases = {
    QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("5"),
    QStringLiteral("6"), QStringLiteral("7"), QStringLiteral("8"), QStringLiteral("9"), QStringLiteral("*"), QStringLiteral("#")};
inline const std::array<QString, 6> kGreetingAliases = {QStringLiteral("Standard"), QStringLiteral("Off Hours"),
                                                        QStringLiteral("Busy"),     QStringLiteral("Alternate"),
                                                        QStringLiteral("Internal"), QStringLiteral("Error")};
enum GreetingIndex { Standard, OffHours, Busy, Alternate, Internal, Error };
inline const std::array<QString, 3> kTransferAliases = {QStringLiteral("Standard"), QStringLiteral("Off Hours"),
                                                        QStringLiteral("Alternate")};
enum TransferIndex { TransferStandard, TransferOffHours, TransferAlternate };
constexpr int kStar = 10;
constexpr int kPound = 11;

Variant textOrNull(const QString& text);
Variant numberOrNull(int value, bool present);

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

    void bindTo(Statement& st, int first) const;
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

// A schedule's day with the hours from `fromHour` up to `toHour` set.
QByteArray hours(int fromHour, int toHour);

// Writes the rows of one site into a fresh database with prepared statements, in one transaction.
class SiteBuilder {
public:
    SiteBuilder(const QString& databasePath, quint64 seed);
    ~SiteBuilder();
    SiteBuilder(const SiteBuilder&) = delete;
    SiteBuilder& operator=(const SiteBuilder&) = delete;

    void commit();

    SqliteDb& db() { return m_db; }

    // Ids come from a seeded generator, so a site is the same every time it is written.
    QString newId();
    int random(int below) { return static_cast<int>(m_rng() % static_cast<quint64>(below)); }

    void addExtension(const QString& digits, const QString& parentId, int parentType, bool primary);
    void addLocation(const QString& id, const QString& alias, const QString& name, bool local, const QString& domain);
    QString addCos(const QString& name);
    // Days from Monday to Sunday.
    void addSchedule(const QString& name, int ignoreHolidays, const std::array<QByteArray, 7>& days);
    void addDistributionList(const QString& id, const QString& alias, const QString& name, const QString& extension);
    // The subscriber with its extensions and its directory entry; its own call handler is added
    // separately (addHandler with primary set).
    void addSubscriber(const Subscriber& s, const QStringList& extensions);
    void addHandler(const Handler& h);
    void addInterviewHandler(const InterviewHandler& ih);
    void addQuestion(const InterviewHandler& ih, int place, const QString& text, const QString& streamPath, int maxLength);
    void addDirectoryHandler(const DirectoryHandler& d);

private:
    std::unique_ptr<Statement> prepare(const char* sql);
    static void step(Statement& st);
    static void run(Statement& st, const std::vector<Variant>& values);

    SqliteDb m_db;
    std::mt19937_64 m_rng;
    int m_lastUid = 0;
    QStringList m_droppedIndexes, m_dropStatements;
    std::unique_ptr<Statement> m_callHandler, m_menuEntry, m_messagingRule, m_contactRule, m_extension, m_subscriber,
        m_globalSubscriber, m_question;
};

// The handler defaults both sites start from. Each draws from the builder's generator (ids and
// sound-file numbers), so the order of the calls decides the site's ids.

// A handler with the usual defaults: every key ignored but # (skip the greeting), the standard
// greeting recorded, off-hours and error greetings played by the system, the rest switched off.
Handler baseHandler(SiteBuilder& b, const QString& alias, const QString& name, const QString& locationId);

// A subscriber's own call handler: owned by the subscriber and taking its messages, key 0 to the
// given handler, * to sign-in, every transfer rule ringing the subscriber's extension.
Handler subscribersOwnHandler(SiteBuilder& b, const Subscriber& s, const QString& handlerId, const QString& locationId,
                              const QString& goodbye, const QString& keyZeroTarget, const QString& extension);

// Part of a sound file's name, so that two recordings of one greeting get different files.
int fileNumber(SiteBuilder& b);
QString greetingFile(const QString& handlerAlias, int greeting, int number);

// What each site puts into the builder.
void writeDemoContent(SiteBuilder& b);
void writeLargeContent(SiteBuilder& b, const LargeSiteSizes& sizes);

} // namespace SiteWriting
