#include "runtime/SlotGuard.h"

#include <QLoggingCategory>
#include <cstdlib>

namespace {
Q_LOGGING_CATEGORY(lcUnhandled, "treewright.unhandled")

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

void endOnInternalError(const std::exception& error)
{
    // Every change already written stays; the change log holds each line as it was written.
    qFatal("Treewright: internal error, the program ends: %s", error.what());
    std::abort(); // qFatal does not return; this keeps the promise to the compiler
}
