#include "actions/ChosenLink.h"

#include <array>
#include <utility>

namespace {

const std::array<std::pair<const char*, const char*>, 6> kGreetingCodes = {{
    {"STD", "Standard"},
    {"OFF", "Off Hours"},
    {"BSY", "Busy"},
    {"ALT", "Alternate"},
    {"INT", "Internal"},
    {"ERR", "Error"},
}};

const std::array<std::pair<const char*, const char*>, 4> kDirectoryExits = {{
    {"DirExit", "Exit"},
    {"DirNoSelectionExit", "NoSelection"},
    {"DirZeroExit", "Zero"},
    {"DirNoInputExit", "NoInput"},
}};

} // namespace

LinkPlace linkPlaceOf(const QString& selector)
{
    if (selector == QLatin1String("AM"))
        return LinkPlace::AfterMessage;
    if (selector == QLatin1String("IntAM"))
        return LinkPlace::InterviewerAfterMessage;
    if (selector == QLatin1String("SubExit"))
        return LinkPlace::SubscriberExit;
    if (!directoryExitPrefix(selector).isEmpty())
        return LinkPlace::DirectoryExit;
    if (selector == QLatin1String("AG") || greetingAliasOfCode(selector))
        return LinkPlace::Greeting;
    return LinkPlace::Key;
}

std::optional<QString> greetingAliasOfCode(const QString& code)
{
    for (const auto& [c, alias] : kGreetingCodes)
        if (code == QLatin1String(c))
            return QString::fromLatin1(alias);
    return std::nullopt;
}

QString directoryExitPrefix(const QString& selector)
{
    for (const auto& [s, prefix] : kDirectoryExits)
        if (selector == QLatin1String(s))
            return QString::fromLatin1(prefix);
    return QString();
}
