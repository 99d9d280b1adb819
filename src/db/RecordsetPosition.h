#pragma once

#include "db/Recordset.h"

#include <QString>
#include <optional>

// Where a recordset stands, so that it can be put back after lookups moved it: on its row, or
// past its end when it had no current row. A requery in between may have read the rows anew;
// the row is then found again by its key, and a row that is gone leaves the recordset at its end.
class RecordsetPosition {
public:
    RecordsetPosition(Recordset& rs, const QString& keyColumn);

    bool onRow() const { return m_bookmark.has_value(); }
    void restore();
    void restoreQuietly() noexcept; // for the paths where a failure has nowhere to go

private:
    Recordset& m_rs;
    QString m_keyColumn;
    std::optional<Recordset::Bookmark> m_bookmark;
    Variant m_key;
};
