#pragma once

#include <QString>
#include <QStringList>

class QTextStream;

// Writers of complete server roots: registry.reg, state, TalvoDb.sqlite3 and the stream-files
// folder. The target must be a new or an empty folder; anything else is refused with a
// RuntimeError and left untouched. The root is written into a hidden folder of its own (beside a
// new target, inside an empty one) and put in place once complete, so a write that fails half-way
// (a full disk) leaves the target as it was and nothing beside it.

// The demo site: a small company's auto attendant.
void writeDemoSite(const QString& dir);

struct LargeSiteSizes {
    int subscribers = 20000;
    int callHandlers = 5000; // besides the subscribers' own handlers
    int interviewHandlers = 200;
    int directoryHandlers = 50;
    int distributionLists = 500;
};

// A large site for benchmarks. Every handler, the subscribers' own included, has its full set of
// keys, greetings and transfer rules. Greetings and questions share a handful of sound files.
void writeLargeSite(const QString& dir, const LargeSiteSizes& sizes = LargeSiteSizes());

// The command line of talvo-site; returns the process's exit code.
int runTalvoSite(const QStringList& arguments, QTextStream& out, QTextStream& err);

// Names in the demo site that tests and examples refer to.
namespace DemoSite {
inline constexpr char OpeningGreeting[] = "openinggreetingch";
inline constexpr char Operator[] = "operatorch";
inline constexpr char Sales[] = "salesch";
inline constexpr char Support[] = "supportch";
inline constexpr char Goodbye[] = "goodbyech";
inline constexpr char FeedbackInterview[] = "customerfeedback";
inline constexpr char TemplateInterview[] = "interviewtemplate";
inline constexpr char Directory[] = "companydirectory";
inline constexpr char LocalLocation[] = "brightwater-hq";
inline constexpr char DialingDomain[] = "brightwater.local";
// The receptionist: first subscriber, extension 2001, own handler "amoreno_ch".
inline constexpr char Receptionist[] = "amoreno";
} // namespace DemoSite
