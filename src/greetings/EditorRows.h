#pragma once

#include <QString>

class Recordset;
class RecordsetCache;

// How the greeting and transfer-rule editors reach their rows. The shared recordsets may stand
// anywhere by the time an editor runs (the tree narrows rsMessagingRule to the handler it opens,
// lookups move rsCallHandler), so every write first goes back to the handler the page shows.
namespace EditorRows {

// rsCallHandler on the handler, rsMessagingRule and rsContactRule narrowed to its greetings and
// rules. A handler gone from the cache raises "no current record".
void positionOnHandler(RecordsetCache& cache, const QString& handlerId);

// rsMessagingRule on the handler's greeting of that index, or past its end when there is none.
void findGreeting(RecordsetCache& cache, const QString& handlerId, int index);
// rsMessagingRule on the handler's greeting with that row id, or past its end.
void findGreetingById(RecordsetCache& cache, const QString& handlerId, const QString& messagingRuleObjectID);
// rsContactRule on the handler's transfer rule of that index, or past its end.
void findTransferRule(RecordsetCache& cache, const QString& handlerId, int index);

// A control that agrees with its column's stored value (clicked or typed into agreement with what
// another program stored) now shows that value, which is what the next write of the column is
// checked against. Never fails.
void showsStored(Recordset& rs, const QString& column);

// The text that the switched-off date is written as.
inline const QString SwitchedOff = QStringLiteral("1/2/93");

} // namespace EditorRows
