// The demo site: a small company's auto attendant, written from the tables below.
#include "server/SiteBuilder.h"
#include "server/SiteWriter.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <vector>

namespace SiteWriting {
namespace {

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

} // namespace

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

} // namespace SiteWriting
