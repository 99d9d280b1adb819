#pragma once

#include "db/Recordset.h"
#include "db/RecordsetPosition.h"

#include <vector>

// A shared recordset's filter and row, put back when the scope ends: the action editors look rows
// up in recordsets whose current rows belong to the property pane's editors.
class RecordsetSpot {
public:
    RecordsetSpot(Recordset& rs, const QString& keyColumn)
        : m_rs(rs),
          m_filter(rs.filter()),
          m_position(rs, keyColumn)
    {
    }
    ~RecordsetSpot()
    {
        try {
            if (!sameFilter())
                m_rs.setFilter(m_filter);
        } catch (...) {
        }
        m_position.restoreQuietly();
    }
    RecordsetSpot(const RecordsetSpot&) = delete;
    RecordsetSpot& operator=(const RecordsetSpot&) = delete;

private:
    bool sameFilter() const
    {
        const std::vector<Criterion>& now = m_rs.filter();
        if (now.size() != m_filter.size())
            return false;
        for (size_t i = 0; i < now.size(); ++i)
            if (now[i].column.compare(m_filter[i].column, Qt::CaseInsensitive) != 0
                || now[i].value.textOrEmpty().compare(m_filter[i].value.textOrEmpty(), Qt::CaseInsensitive) != 0)
                return false;
        return true;
    }

    Recordset& m_rs;
    std::vector<Criterion> m_filter;
    RecordsetPosition m_position;
};
