#include "data/LinkKinds.h"

#include <array>

namespace {

constexpr qint16 kLeaf = 0;
constexpr qint16 kCallHandler = 3;
constexpr qint16 kInterviewer = 5;
constexpr qint16 kDirectoryHandler = 6;

const std::array<LinkKind, 10> kLinkKinds = {{
    {0, "", "Ignore Key", LinkTarget::None, false, kLeaf, "", nullptr},
    {1, "", "Hang Up", LinkTarget::None, false, kLeaf, "", nullptr},
    {4, "", "Take Message", LinkTarget::None, false, kLeaf, "", nullptr},
    {5, "", "Skip Greeting", LinkTarget::None, false, kLeaf, "", nullptr},
    {2, "SubSignIn", "Route to Subscriber Sign In", LinkTarget::None, false, kLeaf, "", nullptr},
    {2, "GreetingsAdministrator", "Route to Greetings Administrator", LinkTarget::None, false, kLeaf, "", nullptr},
    {2, "AD", "Route to Alpha Directory", LinkTarget::DirectoryHandler, false, kDirectoryHandler, "", nullptr},
    {2, "PHGreeting", "Send to greeting for: ", LinkTarget::CallHandler, true, kCallHandler, " - (Greeting)",
     "Error in ConstructActionString.  Can't find subscriber reference:"},
    {2, "PHTransfer", "Ring phone for: ", LinkTarget::CallHandler, true, kCallHandler, " - (Ring Phone)", nullptr},
    {2, "CHInterview", "Send to interviewer: ", LinkTarget::Interviewer, true, kInterviewer, "", nullptr},
}};

} // namespace

const LinkKind* findLinkKind(qint16 action, const QString& conversation)
{
    for (const LinkKind& kind : kLinkKinds) {
        if (kind.action != action)
            continue;
        if (action != 2 || conversation == QLatin1String(kind.conversation))
            return &kind;
    }
    return nullptr;
}
