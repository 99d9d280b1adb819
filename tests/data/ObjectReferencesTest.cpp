#include "data/ObjectReferences.h"

#include "data/RecordsetCache.h"
#include "db/Connection.h"
#include "db/Sqlite.h"
#include "fixtures/FixtureSite.h"
#include "server/ServerFunctions.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

bool same(const Variant& a, const QString& id)
{
    return !a.isNull() && a.textOrEmpty().compare(id, Qt::CaseInsensitive) == 0;
}

QString line(const std::vector<Variant>& row)
{
    QStringList cells;
    for (const Variant& v : row)
        cells << (v.isNull() ? QStringLiteral("<null>") : v.textOrEmpty());
    return cells.join('|');
}

QStringList lines(const TextTable& table)
{
    QStringList out;
    for (int r = 0; r < table.rowCount(); ++r) {
        std::vector<Variant> row;
        for (int c = 0; c < table.columnCount(); ++c)
            row.push_back(table.value(r, c));
        out << line(row);
    }
    return out;
}

// The references as a person would find them with the tables on paper: every subscriber and
// every handler looked at in alias order, each asked where its links lead. Only single-table
// reads, no joins, no indexes.
class PlainWalk {
public:
    explicit PlainWalk(const QString& databasePath)
    {
        SqliteDb db(databasePath, SqliteDb::Mode::ReadWrite);
        auto rows = [&](const char* sql) {
            std::vector<std::vector<Variant>> out;
            Statement st(db, QString::fromLatin1(sql));
            while (st.step()) {
                std::vector<Variant> row;
                for (int c = 0; c < st.columnCount(); ++c)
                    row.push_back(st.column(c));
                out.push_back(row);
            }
            return out;
        };
        for (const auto& h : rows("SELECT CallHandlerObjectID, Alias, TextName, IsPrimary, RecipientObjectID, "
                                  "AfterMessageObjectID FROM CallHandler ORDER BY Alias"))
            handlers.push_back({h[0].toText(), h[1], h[2], h[3].toInt64() == 1, h[4], h[5], {}, false, false, Variant::null()});
        auto handler = [&](const Variant& id) -> Handler* {
            for (Handler& h : handlers)
                if (same(id, h.id))
                    return &h;
            return nullptr;
        };
        for (const auto& k : rows("SELECT ParentObjectID, DestinationObjectID FROM MenuEntry"))
            if (Handler* h = handler(k[0])) {
                h->hasKeys = true;
                h->destinations.push_back(k[1]);
            }
        for (const auto& g : rows("SELECT ParentObjectID, DestinationObjectID FROM MessagingRule"))
            if (Handler* h = handler(g[0])) {
                h->hasGreetings = true;
                h->destinations.push_back(g[1]);
            }
        // A subscriber's own handler shows the subscriber's extension.
        for (const auto& x :
             rows("SELECT ParentObjectID, ParentObjectIDType, DTMFAccessID FROM DTMFAccessID WHERE IsPrimaryID = 1"))
            for (Handler& h : handlers)
                if (h.primary ? same(h.recipient, x[0].toText()) && x[1].toInt64() == 1 : same(x[0], h.id))
                    h.extension = x[2];
        for (const auto& s : rows("SELECT SubscriberObjectID, Alias, DisplayName, FirstName, LastName, SubscriberType, "
                                  "ExitObjectID FROM Subscriber ORDER BY Alias")) {
            Subscriber sub{s, nullptr};
            for (Handler& h : handlers)
                if (h.primary && same(h.recipient, s[0].toText()))
                    sub.own = &h;
            subscribers.push_back(sub);
        }
    }

    QStringList subscribersOf(const QString& id) const
    {
        QStringList out;
        for (const Subscriber& s : subscribers) {
            const Variant& type = s.row[5];
            if (!s.own || type.isNull() || (type.toInt64() != 1 && type.toInt64() != 3) || !counts(*s.own))
                continue;
            if (leadsTo(*s.own, id) || same(s.row[6], id))
                out << line({s.row[1], s.row[2], s.own->extension, s.row[3], s.row[4], s.own->id});
        }
        return out;
    }

    QStringList callHandlersOf(const QString& id) const
    {
        QStringList out;
        for (const Handler& h : handlers)
            if (!h.primary && counts(h) && leadsTo(h, id))
                out << line({h.alias, h.name, h.extension, h.id});
        return out;
    }

private:
    struct Handler {
        QString id;
        Variant alias, name;
        bool primary;
        Variant recipient, afterMessage;
        std::vector<Variant> destinations; // of its keys and greetings
        bool hasKeys, hasGreetings;
        Variant extension;
    };
    struct Subscriber {
        std::vector<Variant> row;
        const Handler* own;
    };

    static bool counts(const Handler& h) { return h.hasKeys && h.hasGreetings; }
    static bool leadsTo(const Handler& h, const QString& id)
    {
        return same(h.afterMessage, id)
               || std::any_of(h.destinations.begin(), h.destinations.end(), [&](const Variant& d) { return same(d, id); });
    }

    std::vector<Handler> handlers;
    std::vector<Subscriber> subscribers;
};

// Every id the site holds, of every kind, and ids that match nothing or only without regard to case.
QStringList everyId(const FixtureSite& site)
{
    SqliteDb db(site.databasePath(), SqliteDb::Mode::ReadWrite);
    QStringList ids;
    for (const char* sql : {"SELECT CallHandlerObjectID FROM CallHandler", "SELECT InterviewHandlerObjectID FROM InterviewHandler",
                            "SELECT NameLookupHandlerObjectID FROM NameLookupHandler", "SELECT SubscriberObjectID FROM Subscriber",
                            "SELECT SystemDListObjectID FROM DistributionList", "SELECT LocationObjectID FROM Location"}) {
        Statement st(db, QString::fromLatin1(sql));
        while (st.step())
            ids << st.column(0).toText();
    }
    ids << ids.first().toLower() << QStringLiteral("{00000000-0000-0000-0000-000000000000}") << QString()
        << QStringLiteral("x') OR ('1'='1");
    return ids;
}

// Opens the cache on the site as it stands and holds every id's references against the walk.
void expectTheWalksReferences(const FixtureSite& site, int atLeast)
{
    ConnectionFactory connections(site.rootPath(), registerServerFunctions);
    RecordsetCache cache(connections);
    ASSERT_TRUE(cache.OpenDatabaseRecordsets(ConnectionFactory::connectionStringFor("TESTHOST")));
    const PlainWalk walk(site.databasePath());
    int found = 0;
    for (const QString& id : everyId(site)) {
        SCOPED_TRACE(id.toStdString());
        ReferenceFinder references(cache, id);
        const TextTable subscribers = references.subscribers();
        const TextTable handlers = references.callHandlers();
        EXPECT_EQ(lines(subscribers), walk.subscribersOf(id));
        EXPECT_EQ(lines(handlers), walk.callHandlersOf(id));
        found += subscribers.rowCount() + handlers.rowCount();
    }
    EXPECT_GE(found, atLeast) << "the site must hold references for the comparison to mean anything";
    cache.CloseDatabaseRecordsets();
}

TEST(ObjectReferences, TheDemoSitesAreThoseOfAPlainWalk)
{
    FixtureSite site;
    // Links that only the odd cases catch: a subscriber's exit alone, three keys of one handler
    // to the same place, a subscriber's own handler leading somewhere, a handler without
    // greetings, a handler without keys whose greeting leads somewhere, a link written in another
    // letter case, a subscriber of a type the panel leaves out.
    site.exec("UPDATE Subscriber SET ExitObjectID = (SELECT CallHandlerObjectID FROM CallHandler WHERE Alias = 'supportch') "
              "WHERE Alias = 'jpetrov'");
    site.exec("UPDATE MenuEntry SET DestinationObjectID = (SELECT CallHandlerObjectID FROM CallHandler WHERE Alias = 'goodbyech'), "
              "Action = 2 WHERE Alias IN ('1', '2', '3') AND ParentObjectID = (SELECT CallHandlerObjectID FROM CallHandler WHERE "
              "Alias = 'salesch')");
    site.exec("UPDATE CallHandler SET AfterMessageObjectID = (SELECT lower(CallHandlerObjectID) FROM CallHandler WHERE Alias = "
              "'goodbyech') WHERE IsPrimary = 1 AND RecipientObjectID = (SELECT SubscriberObjectID FROM Subscriber WHERE Alias = "
              "'fhaddad')");
    site.exec("DELETE FROM MessagingRule WHERE ParentObjectID = (SELECT CallHandlerObjectID FROM CallHandler WHERE Alias = "
              "'supportch')");
    site.exec("UPDATE MessagingRule SET DestinationObjectID = (SELECT CallHandlerObjectID FROM CallHandler WHERE Alias = "
              "'salesch'), Action = 2 WHERE Alias = 'Standard' AND ParentObjectID IN (SELECT CallHandlerObjectID FROM "
              "CallHandler WHERE Alias IN ('operatorch', 'goodbyech'))");
    site.exec("DELETE FROM MenuEntry WHERE ParentObjectID = (SELECT CallHandlerObjectID FROM CallHandler WHERE Alias = "
              "'operatorch')");
    site.exec("UPDATE Subscriber SET SubscriberType = 2 WHERE Alias = (SELECT min(Alias) FROM Subscriber)");
    expectTheWalksReferences(site, 10);
}

// A generated site as written has the large site's spread: no greeting leads anywhere, every
// subscriber leaves to the opening greeting, and the statistics say so. The opposite spread:
// every greeting and every exit leads to a handler of its own, with statistics gathered again,
// and once more with none at all.
TEST(ObjectReferences, GeneratedSitesOfEitherSpreadAreThoseOfAPlainWalk)
{
    FixtureSite site(LargeSiteSizes{120, 40, 4, 3, 6});
    expectTheWalksReferences(site, 200);

    site.exec(
        "UPDATE MessagingRule SET Action = 2, ConversationName = 'PHGreeting', DestinationObjectIDType = 3, "
        "DestinationObjectID = (SELECT CallHandlerObjectID FROM CallHandler c WHERE c.rowid = 1 + MessagingRule.rowid % 150)");
    site.exec("UPDATE Subscriber SET ExitObjectID = (SELECT CallHandlerObjectID FROM CallHandler c WHERE c.rowid = 1 + "
              "Subscriber.rowid % 97)");
    site.exec("ANALYZE");
    expectTheWalksReferences(site, 400);
    site.exec("DROP TABLE sqlite_stat1");
    expectTheWalksReferences(site, 400);
}

} // namespace
