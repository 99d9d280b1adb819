#include "db/RecordsetPosition.h"

#include "runtime/RuntimeError.h"

namespace {

bool sameKey(const Variant& a, const Variant& b)
{
    return !a.isNull() && !b.isNull() && a.textOrEmpty().compare(b.textOrEmpty(), Qt::CaseInsensitive) == 0;
}

} // namespace

RecordsetPosition::RecordsetPosition(Recordset& rs, const QString& keyColumn)
    : m_rs(rs),
      m_keyColumn(keyColumn)
{
    if (m_rs.isOpen() && !m_rs.isEOF() && !m_rs.isBOF()) {
        m_bookmark = m_rs.bookmark();
        m_key = m_rs.field(m_keyColumn);
    }
}

void RecordsetPosition::restore()
{
    if (!m_rs.isOpen())
        return;
    if (!m_bookmark) {
        if (!m_rs.isEOF()) {
            m_rs.moveLast();
            if (!m_rs.isEOF())
                m_rs.moveNext();
        }
        return;
    }
    try {
        m_rs.setBookmark(*m_bookmark);
        if (sameKey(m_rs.field(m_keyColumn), m_key))
            return;
    } catch (const RuntimeError&) {
        // the rows were read anew: the bookmark names no row any more
    }
    m_rs.moveFirst();
    m_rs.find(m_keyColumn, m_key);
}

void RecordsetPosition::restoreQuietly() noexcept
{
    try {
        restore();
    } catch (...) {
    }
}
