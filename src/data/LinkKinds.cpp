#include "data/LinkKinds.h"

#include <array>

namespace {

// A row that leads to an object has the object's type as its node type.
constexpr qint16 kLeaf = 0;
constexpr qint16 kCallHandler = LinkObjectType::CallHandler;
constexpr qint16 kInterviewer = LinkObjectType::Interviewer;
constexpr qint16 kDirectoryHandler = LinkObjectType::DirectoryHandler;

using namespace LinkAction;

const std::array<LinkKind, 10> kLinkKinds = {{
    {IgnoreKey, "", "Ignore Key", LinkTarget::None, false, kLeaf, "", nullptr},
    {HangUp, "", "Hang Up", LinkTarget::None, false, kLeaf, "", nullptr},
    {TakeMessage, "", "Take Message", LinkTarget::None, false, kLeaf, "", nullptr},
    {SkipGreeting, "", "Skip Greeting", LinkTarget::None, false, kLeaf, "", nullptr},
    {GoTo, "SubSignIn", "Route to Subscriber Sign In", LinkTarget::None, false, kLeaf, "", nullptr},
    {GoTo, "GreetingsAdministrator", "Route to Greetings Administrator", LinkTarget::None, false, kLeaf, "", nullptr},
    {GoTo, "AD", "Route to Alpha Directory", LinkTarget::DirectoryHandler, false, kDirectoryHandler, "", nullptr},
    {GoTo, "PHGreeting", "Send to greeting for: ", LinkTarget::CallHandler, true, kCallHandler, " - (Greeting)",
     "Error in ConstructActionString.  Can't find subscriber reference:"},
    {GoTo, "PHTransfer", "Ring phone for: ", LinkTarget::CallHandler, true, kCallHandler, " - (Ring Phone)", nullptr},
    {GoTo, "CHInterview", "Send to interviewer: ", LinkTarget::Interviewer, true, kInterviewer, "", nullptr},
}};

} // namespace

const LinkKind* findLinkKind(qint16 action, const QString& conversation)
{
    for (const LinkKind& kind : kLinkKinds) {
        if (kind.action != action)
            continue;
        if (action != LinkAction::GoTo || conversation == QLatin1String(kind.conversation))
            return &kind;
    }
    return nullptr;
}
