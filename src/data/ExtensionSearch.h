#pragma once

#include "runtime/RuntimeError.h"

#include <QString>
#include <optional>
#include <vector>

class RecordsetCache;
class SharedState;

// One object that already answers to an extension.
struct ExtensionMatch {
    QString Alias;
    QString DisplayName; // TextName or DisplayName, by kind
    QString TypeName;    // "Call Handler", "Subscriber in the dialing domain", ...
    qint16 TypeCode = 0;
    QString ObjectID;
};

// What one search found, in the order searched. A search that could not be completed keeps what
// it found before the failure and carries the failure: its answer is never "free".
struct ExtensionMatches {
    std::vector<ExtensionMatch> matches;
    std::optional<RuntimeError> failure;

    // The number of objects found; 0 means nothing uses the extension (when there is no failure).
    int upperBound() const { return static_cast<int>(matches.size()); }
    bool complete() const { return !failure.has_value(); }
};

// Every object of the dialing domain that uses the extension (blanks around it are not part of
// it): call handlers other than subscribers' own, interview handlers, public distribution lists,
// locations and directory handlers of the cached recordsets, then the subscribers by every
// extension they have, of the whole dialing domain when the local location names one, else the
// local ones. Digits compare as text ("007" is not "7").
//
// The cached call handler, interview handler, distribution list, location and directory handler
// recordsets end without a filter; the call handler, interview handler and directory handler
// recordsets end on the row they stood on (or their first row when they had none), the other two
// on their first row. A failure is written to the change log and ends the search; a Null field is
// logged too and leaves that field empty.
ExtensionMatches findAllDTMFIDMatches(SharedState& state, const QString& id);

// Reads again the cached objects the search looks at, each kept on the row it stood on, so that
// an extension another program gave out since they were read is found. The extension table is
// not read again: a row of it changed elsewhere must still stop an editor's write. Raises the
// first failure once all have been tried.
void refreshSearchedObjects(RecordsetCache& cache);
