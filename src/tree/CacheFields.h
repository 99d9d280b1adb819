#pragma once

#include <QString>

// The key column the tree finds call handlers by in the cached recordsets.
namespace CacheFields {

inline const QString CallHandlerObjectID = QStringLiteral("CallHandlerObjectID");

} // namespace CacheFields
