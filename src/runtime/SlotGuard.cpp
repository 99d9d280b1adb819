#include "runtime/SlotGuard.h"

#include <QLoggingCategory>

namespace {
Q_LOGGING_CATEGORY(lcUnhandled, "treewright.unhandled")

// The runtime's own number for a fault inside the program itself.
constexpr int InternalError = 51;

QString unhandledText(int number, const QString& description)
{
    return QStringLiteral("Run-time error '%1':\n\n%2").arg(number).arg(description);
}
} // namespace

void showUnhandledError(UserPrompts& prompts, const RuntimeError& error)
{
    qCWarning(lcUnhandled, "unhandled error %d: %s", error.number(), qUtf8Printable(error.description()));
    prompts.msgBox(unhandledText(error.number(), error.description()), Buttons::Critical);
}

void showUnhandledError(UserPrompts& prompts, const std::exception& error)
{
    // A fault of the program, not of the data: the administrator sees that something went wrong,
    // the details go to standard error for whoever looks into it.
    qCCritical(lcUnhandled, "internal error: %s", error.what());
    prompts.msgBox(unhandledText(InternalError, QStringLiteral("Internal error")), Buttons::Critical);
}
