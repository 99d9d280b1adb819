// The large site for benchmarks: sizes given, names and links made up by number.
#include "server/SiteBuilder.h"
#include "server/SiteWriter.h"

#include <algorithm>
#include <iterator>
#include <vector>

namespace SiteWriting {
namespace {

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

} // namespace

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

} // namespace SiteWriting
