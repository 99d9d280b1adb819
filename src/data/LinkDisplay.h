#pragma once

#include <QString>
#include <QtGlobal>

class RecordsetCache;
class UserPrompts;

// The property pane's text of a link: "Take Message", "Ring phone for: Sales", ... A link the
// system does not know shows its message and gives "(Error)". rsCallHandler, rsSubscriber and
// (for an interview link) rsInterviewHandler end on the rows they stood on; one that stood past
// its end ends on its first row.
QString ConstructActionString(RecordsetCache& cache, UserPrompts& prompts, const QString& strConversationName, qint16 iAction,
                              const QString& strDestinationObjectID);

// Whether an owner or recipient id names a subscriber or a public distribution list; these codes
// are this lookup's own, not those the ObjectIDType columns store.
namespace OwnerObjectType {
constexpr qint16 Neither = 0;
constexpr qint16 Subscriber = 1;
constexpr qint16 DistributionList = 3;
} // namespace OwnerObjectType

// Leaves rsSubscriber on the subscriber found, else past its end with rsDistributionList on the
// list found (or past its end): callers read DisplayName of the row of the kind returned.
qint16 GetOwnerObjectType(RecordsetCache& cache, const QString& strObjectID);
