#include "db/RecordsetSource.h"

#include "db/Connection.h"
#include "db/Sqlite.h"
#include "runtime/RuntimeError.h"

#include <QRegularExpression>

void refuseUpdate(const QString& description)
{
    throwError(3251, description);
}

void RecordsetSource::open(const QString& text, std::shared_ptr<Connection> connection, const RecordsetOptions& options)
{
    m_text = text;
    m_connection = std::move(connection);
    m_options = options;
}

SqliteDb& RecordsetSource::db() const
{
    return m_connection->db();
}

bool RecordsetSource::ordersBy(const QString& column) const
{
    return m_options.orderedBy.contains(column, Qt::CaseInsensitive);
}

std::vector<Variant> RecordsetSource::readRow(const Variant& key) const
{
    Statement st(db(), QStringLiteral("SELECT * FROM (%1) WHERE %2 = ?").arg(m_text, quoteIdentifier(m_options.keyColumn)));
    st.bind(1, key);
    std::vector<Variant> values;
    if (st.step())
        for (int c = 0; c < st.columnCount(); ++c)
            values.push_back(st.column(c));
    return values;
}

QString RecordsetSource::writeTarget() const
{
    if (!m_options.writeTarget.isEmpty())
        return m_options.writeTarget;
    static const QRegularExpression single(
        QStringLiteral("^\\s*select\\s+.+?\\s+from\\s+([A-Za-z_][A-Za-z0-9_]*)\\s*(?:where\\b.*|order\\s+by\\b.*)?$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const auto m = single.match(m_text);
    if (!m.hasMatch() || m_text.contains(QLatin1String(" join "), Qt::CaseInsensitive))
        refuseUpdate(QStringLiteral("Insufficient base table information for updating or refreshing."));
    return m.captured(1);
}
