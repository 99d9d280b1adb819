#include "server/ServerFunctions.h"

#include "runtime/RuntimeError.h"

#include <QSet>
#include <QString>
#include <memory>
#include <sqlite3.h>

namespace {

using LocationSet = QSet<QString>;

QString foldedText(sqlite3_value* value)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
    return QString::fromUtf8(text, sqlite3_value_bytes(value)).toCaseFolded();
}

// The ids of every location in scope, case-folded. Returns false with SQLite's message on failure.
bool loadScope(sqlite3* db, LocationSet& scope, QString& error)
{
    static const char* const sql = "SELECT LocationObjectID FROM Location WHERE UnDeletable = 1 "
                                   "UNION ALL "
                                   "SELECT g.LocationObjectID FROM GlobalLocation g JOIN Location l ON l.UnDeletable = 1 "
                                   "WHERE coalesce(l.DialingDomainName, '') <> '' AND g.DialingDomainName = l.DialingDomainName";
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK) {
        error = QString::fromUtf8(sqlite3_errmsg(db));
        return false;
    }
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW)
        if (sqlite3_column_type(st, 0) != SQLITE_NULL)
            scope.insert(foldedText(sqlite3_column_value(st, 0)));
    if (rc != SQLITE_DONE)
        error = QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_finalize(st);
    return rc == SQLITE_DONE;
}

void locationInScope(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    if (argc < 1 || sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_int(context, 0);
        return;
    }
    // The scope is read once per statement and kept with the constant second argument, so a
    // query over thousands of rows does not read the locations again for each.
    auto* scope = argc > 1 ? static_cast<LocationSet*>(sqlite3_get_auxdata(context, 1)) : nullptr;
    if (!scope) {
        auto fresh = std::make_unique<LocationSet>();
        QString error;
        if (!loadScope(sqlite3_context_db_handle(context), *fresh, error)) {
            const QByteArray message = (QStringLiteral("fn_LocationInScope: ") + error).toUtf8();
            sqlite3_result_error(context, message.constData(), static_cast<int>(message.size()));
            return;
        }
        const bool inScope = fresh->contains(foldedText(argv[0]));
        if (argc > 1)
            sqlite3_set_auxdata(context, 1, fresh.release(), [](void* p) { delete static_cast<LocationSet*>(p); });
        sqlite3_result_int(context, inScope ? 1 : 0);
        return;
    }
    sqlite3_result_int(context, scope->contains(foldedText(argv[0])) ? 1 : 0);
}

} // namespace

void registerServerFunctions(sqlite3* db)
{
    const int rc =
        sqlite3_create_function_v2(db, "fn_LocationInScope", 2, SQLITE_UTF8, nullptr, locationInScope, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        throwError(ErrorNumber::ProviderFailure,
                   QStringLiteral("Cannot register fn_LocationInScope: ") + QString::fromUtf8(sqlite3_errmsg(db)));
}
