#include "dialogs/PatternSearch.h"

#include "data/SharedState.h"
#include "db/Query.h"
#include "runtime/ErrorHandling.h"
#include "widgets/BoundGrid.h"
#include "widgets/PendingEvents.h"

#include <QApplication>
#include <QCursor>
#include <optional>

QString likePattern(const QString& typed)
{
    QString pattern;
    pattern.reserve(typed.size());
    for (const QChar c : typed) {
        if (c == QLatin1Char('*'))
            pattern += QLatin1Char('%');
        else {
            if (c == QLatin1Char('%') || c == QLatin1Char('_') || c == QLatin1Char('\\'))
                pattern += QLatin1Char('\\');
            pattern += c;
        }
    }
    return pattern;
}

SearchQuery searchQuery(const QString& head, const QString& filter, const QString& tail, const QString& pattern)
{
    if (pattern.startsWith(QLatin1Char('*')))
        return {head + QLatin1Char(' ') + tail, {}};
    return {head + QLatin1Char(' ') + filter + QLatin1Char(' ') + tail, {likePattern(pattern)}};
}

void showSearchRows(SharedState& state, BoundGrid& grid, const SearchQuery& query, const QStringList& headers, int idColumn,
                    const QString& idKey, const StepErrors& errors)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    grid.setUpdatesEnabled(false);
    BoundGridModel& rows = grid.rows();
    std::optional<QueryResult> result;
    runStep(state.prompts, errors, [&] {
        rows.clearRows();
        auto connection = state.connections.open(state.ConnectionString);
        result = runQuery(connection->db(), query.sql, query.params);
    });
    if (result)
        runStep(state.prompts, errors, [&] { rows.bind(result->columns, std::move(result->rows)); });
    letPaintEventsRun();
    runStep(state.prompts, errors, [&] {
        for (int c = 0; c < headers.size(); ++c)
            rows.setCaption(c + 1, headers[c]);
        rows.setKey(2, QStringLiteral("DisplayName"));
        rows.setKey(idColumn, idKey);
        grid.setColumnHidden(0, true);
        grid.setColumnHidden(idColumn, true);
        grid.setCurrentDataRow(-1);
    });
    grid.setUpdatesEnabled(true);
    grid.viewport()->update();
    QApplication::restoreOverrideCursor();
}
