#include "db/Sqlite.h"

#include "runtime/RuntimeError.h"

#include <atomic>
#include <sqlite3.h>

Q_LOGGING_CATEGORY(lcDatabase, "treewright.db")

namespace {

QString fileOf(sqlite3* db)
{
    const char* file = db ? sqlite3_db_filename(db, "main") : nullptr;
    return QString::fromUtf8(file ? file : "");
}

[[noreturn]] void fail(sqlite3* db)
{
    if (!db)
        throw DatabaseError(QStringLiteral("out of memory"), SQLITE_NOMEM, QString());
    throw DatabaseError(QString::fromUtf8(sqlite3_errmsg(db)), sqlite3_extended_errcode(db), fileOf(db));
}

} // namespace

DatabaseError::DatabaseError(const QString& description, int sqliteCode, const QString& file)
    : RuntimeError(ErrorNumber::ProviderFailure, description),
      m_sqliteCode(sqliteCode),
      m_file(file)
{
}

QString DatabaseError::cause() const
{
    return QStringLiteral("%1 (SQLite code %2: %3) in %4")
        .arg(description(), QString::number(m_sqliteCode), QString::fromUtf8(sqlite3_errstr(m_sqliteCode)),
             m_file.isEmpty() ? QStringLiteral("(no file)") : m_file);
}

QString databaseCause(const RuntimeError& error)
{
    if (const auto* db = dynamic_cast<const DatabaseError*>(&error))
        return db->cause();
    return QStringLiteral("%1 (error %2)").arg(error.description(), QString::number(error.number()));
}

QString quoteIdentifier(const QString& name)
{
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

SqliteDb::SqliteDb(const QString& path, Mode mode)
    : m_path(path)
{
    const int access = mode == Mode::ReadOnly ? SQLITE_OPEN_READONLY
                       : mode == Mode::Create ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE
                                              : SQLITE_OPEN_READWRITE;
    const int flags = access | SQLITE_OPEN_NOMUTEX;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &m_db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = QStringLiteral("Cannot open database \"%1\": %2")
                                    .arg(path, m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("out of memory"));
        const int code = m_db ? sqlite3_extended_errcode(m_db) : rc;
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        throw DatabaseError(message, code, path);
    }
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, 5000);
}

SqliteDb::~SqliteDb()
{
    if (m_db)
        sqlite3_close_v2(m_db);
}

void SqliteDb::exec(const QString& sql)
{
    char* err = nullptr;
    if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &err) != SQLITE_OK) {
        const QString message = QString::fromUtf8(err ? err : "unknown error");
        sqlite3_free(err);
        throw DatabaseError(message, sqlite3_extended_errcode(m_db), m_path);
    }
}

int SqliteDb::execute(const QString& sql, const std::vector<Variant>& params)
{
    Statement st(*this, sql);
    st.bindAll(params);
    while (st.step()) {
    }
    return sqlite3_changes(m_db);
}

Variant SqliteDb::scalar(const QString& sql, const std::vector<Variant>& params)
{
    Statement st(*this, sql);
    st.bindAll(params);
    if (st.step() && st.columnCount() > 0)
        return st.column(0);
    return Variant::null();
}

qint64 SqliteDb::totalChanges() const
{
    return sqlite3_total_changes64(m_db);
}

qint64 SqliteDb::dataVersion()
{
    return scalar(QStringLiteral("PRAGMA data_version")).toInt64();
}

bool SqliteDb::inTransaction() const
{
    return sqlite3_get_autocommit(m_db) == 0;
}

void SqliteDb::setMemoryMapLimit(qint64 bytes)
{
    exec(QStringLiteral("PRAGMA mmap_size = %1").arg(bytes));
}

QString SqliteDb::lastError() const
{
    return QString::fromUtf8(sqlite3_errmsg(m_db));
}

Statement::Statement(SqliteDb& db, const QString& sql)
    : m_db(db)
{
    const QByteArray text = sql.toUtf8();
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db.handle(), text.constData(), static_cast<int>(text.size()), &m_stmt, &tail) != SQLITE_OK)
        fail(db.handle());
    // Whatever follows the first statement must be blanks, comments or empty statements.
    const char* end = text.constData() + text.size();
    while (tail && tail < end) {
        sqlite3_stmt* next = nullptr;
        const char* rest = nullptr;
        const int rc = sqlite3_prepare_v2(db.handle(), tail, static_cast<int>(end - tail), &next, &rest);
        sqlite3_finalize(next);
        if (rc != SQLITE_OK || next) {
            sqlite3_finalize(m_stmt);
            m_stmt = nullptr;
            throw DatabaseError(QStringLiteral("The command text holds more than one statement: %1").arg(sql.trimmed()),
                                SQLITE_ERROR, db.path());
        }
        if (!rest || rest == tail)
            break;
        tail = rest;
    }
}

Statement::~Statement()
{
    sqlite3_finalize(m_stmt);
}

void Statement::bind(int index, const Variant& value)
{
    int rc = SQLITE_OK;
    switch (value.type()) {
    case Variant::Type::Empty:
    case Variant::Type::Null:
        rc = sqlite3_bind_null(m_stmt, index);
        break;
    case Variant::Type::Boolean:
        // True is stored as 1: the server's SQL compares flags with "= 1".
        rc = sqlite3_bind_int64(m_stmt, index, value.toBool() ? 1 : 0);
        break;
    case Variant::Type::Integer:
        rc = sqlite3_bind_int64(m_stmt, index, value.toInt64());
        break;
    case Variant::Type::Double:
        rc = sqlite3_bind_double(m_stmt, index, value.toDouble());
        break;
    case Variant::Type::Text: {
        const QByteArray utf8 = value.toText().toUtf8();
        rc = sqlite3_bind_text(m_stmt, index, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
        break;
    }
    case Variant::Type::Date: {
        const QByteArray utf8 = storedDateText(value.toDate()).toUtf8();
        rc = sqlite3_bind_text(m_stmt, index, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
        break;
    }
    case Variant::Type::Bytes: {
        const QByteArray bytes = value.toBytes();
        rc = sqlite3_bind_blob(m_stmt, index, bytes.constData(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
        break;
    }
    }
    if (rc != SQLITE_OK)
        fail(m_db.handle());
}

void Statement::bindAll(const std::vector<Variant>& values)
{
    for (size_t i = 0; i < values.size(); ++i)
        bind(static_cast<int>(i + 1), values[i]);
}

bool Statement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    fail(m_db.handle());
}

void Statement::reset()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

int Statement::columnCount() const
{
    return sqlite3_column_count(m_stmt);
}

QString Statement::columnName(int i) const
{
    return QString::fromUtf8(sqlite3_column_name(m_stmt, i));
}

Variant Statement::column(int i) const
{
    switch (sqlite3_column_type(m_stmt, i)) {
    case SQLITE_INTEGER:
        return Variant(static_cast<qint64>(sqlite3_column_int64(m_stmt, i)));
    case SQLITE_FLOAT:
        return Variant(sqlite3_column_double(m_stmt, i));
    case SQLITE_TEXT:
        return Variant(
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, i)), sqlite3_column_bytes(m_stmt, i)));
    case SQLITE_BLOB:
        return Variant(QByteArray(static_cast<const char*>(sqlite3_column_blob(m_stmt, i)), sqlite3_column_bytes(m_stmt, i)));
    default:
        return Variant::null();
    }
}

Savepoint::Savepoint(SqliteDb& db)
    : m_db(db)
{
    static std::atomic<int> counter{0};
    m_name = QStringLiteral("tw_sp_%1").arg(++counter);
    m_db.exec(QStringLiteral("SAVEPOINT ") + m_name);
}

Savepoint::~Savepoint()
{
    if (!m_open)
        return;
    try {
        m_db.exec(QStringLiteral("ROLLBACK TO ") + m_name);
        m_db.exec(QStringLiteral("RELEASE ") + m_name);
    } catch (const RuntimeError&) {
        // Nothing more can be done from a destructor; the connection reports it on its next use.
    }
}

void Savepoint::release()
{
    m_db.exec(QStringLiteral("RELEASE ") + m_name);
    m_open = false;
}

QString storedDateText(const QDateTime& value)
{
    return value.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}
