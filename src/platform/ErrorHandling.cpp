#include "platform/ErrorHandling.h"

QString procedureErrorText(const RuntimeError& e, const QString& procedure, const QString& ownerKind, const QString& owner)
{
    return QStringLiteral("(error):%1 (%2) in procedure %3 of %4 %5")
        .arg(e.number())
        .arg(e.description(), procedure, ownerKind, owner);
}
