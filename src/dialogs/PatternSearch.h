#pragma once

#include "runtime/Variant.h"

#include <QString>
#include <QStringList>
#include <vector>

class BoundGrid;
class SharedState;
class StepErrors;

// The search of the search dialogs and of the Get dialogs' pick tabs. "*" is the only wildcard
// the administrator types: a pattern that begins with it finds every row, any other "*" matches
// any run of characters, and everything else (also "%", "_", quotes) stands for itself. The
// pattern is always bound.
struct SearchQuery {
    QString sql;
    std::vector<Variant> params;
};

// head, then the filter (a condition on ?1, e.g. "AND (TextName LIKE ?1 ESCAPE '\')") unless the
// pattern begins with "*", then tail.
SearchQuery searchQuery(const QString& head, const QString& filter, const QString& tail, const QString& pattern);

// The LIKE pattern (escape character "\") for a typed text.
QString likePattern(const QString& typed);

// Fills the grid with the rows of the query, read on a connection of its own: the header texts
// of columns 1, 2, ..., column 0 and the id column hidden, column 2 keyed "DisplayName", the id
// column keyed idKey, the header row current. Each failing step reports through errors and the
// next step runs; the grid keeps its header row only when the query fails.
void showSearchRows(SharedState& state, BoundGrid& grid, const SearchQuery& query, const QStringList& headers, int idColumn,
                    const QString& idKey, const StepErrors& errors);
