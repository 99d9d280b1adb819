#pragma once

#include "runtime/Variant.h"

#include <QString>

// How the tree reads the cached recordsets: the key column it finds call handlers by, and flag
// columns, where Null counts as not set.
namespace CacheFields {

inline const QString CallHandlerObjectID = QStringLiteral("CallHandlerObjectID");

inline bool isSet(const Variant& value)
{
    return !value.isNull() && !value.isEmpty() && value.toBool();
}

} // namespace CacheFields
