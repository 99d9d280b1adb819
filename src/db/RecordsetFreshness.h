#pragma once

#include "db/ChangeTracking.h"

#include <QStringList>
#include <optional>

class RecordsetIndexes;
class RecordsetRows;
class RecordsetSource;

// Whether a recordset's rows are still what the database holds, told by the database's change
// counters as they stood when the rows were read, without reading the rows again; and a few
// rows changed elsewhere read again in place.
class RecordsetFreshness {
public:
    struct Counters {
        qint64 dataVersion = -1;
        qint64 totalChanges = -1;
        // The tables the source reads and their change counters: a change on another connection
        // reloads only the recordsets whose tables it touched.
        QStringList tables;
        std::optional<ChangeTracking::Stamp> stamp;
        std::optional<qint64> rowChange; // the row journal's newest entry
    };
    // The counters after a write of the recordset's own.
    struct OwnWrite {
        std::optional<ChangeTracking::Stamp> stamp;
        std::optional<qint64> rowChange;
    };

    RecordsetFreshness(const RecordsetSource& source, RecordsetRows& rows, RecordsetIndexes& indexes);

    // Taken before a read of the source: a change that lands meanwhile makes the next requery
    // read again, never the other way round.
    Counters countersBeforeRead() const;
    void rowsRead(Counters counters);

    // Whether the next requery has anything to read again.
    bool changedSinceRead();
    // After a few rows of the source's one table changed elsewhere: reads just those rows again,
    // in place. Anything the rows' places could depend on (a row come or gone, an ordering
    // column changed) is left to a read of everything. False when nothing was refreshed.
    bool refreshChangedRows();

    // A row may differ from the database: the next requery reads everything again.
    void markStale() { m_stale = true; }

    // Inside an own write's transaction, before it writes: whether the source's tables stand as
    // they did when the rows were read, so that the only change after this is the write itself.
    bool unchangedSinceRead() const;
    OwnWrite ownWrite() const;
    // The counters after an own write, whose row was read back, stand for the rows; not when a
    // row may differ from the database.
    void adopt(const OwnWrite& write);

private:
    const RecordsetSource& m_source;
    RecordsetRows& m_rows;
    RecordsetIndexes& m_indexes;
    Counters m_read;
    bool m_stale = false;
};
