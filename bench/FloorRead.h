#pragma once

// The floor for opening the recordset cache: the thirteen source queries run through the SQLite
// C API alone, every row stepped and every column read, nothing kept. Shared by floor_reader and
// cache_bench so that both read exactly the same way.
#include <cstdint>
#include <cstdio>
#include <sqlite3.h>

namespace floor_read {

inline const char* const kQueries[] = {
    "SELECT d.DtmfAccessId, c.* FROM Callhandler c LEFT JOIN (SELECT ParentObjectIDType, ParentObjectId, DtmfAccessId FROM "
    "DtmfAccessId WHERE IsPrimaryId = 1) d ON (c.CallhandlerObjectId = d.ParentObjectId AND c.IsPrimary=0) OR (c.RecipientObjectId "
    "= d.ParentObjectId AND d.ParentObjectIDType=1 AND c.IsPrimary=1)",
    "Select * from vw_MenuEntry order by ParentObjectID",
    "Select * from vw_MessagingRule order by ParentObjectID",
    "Select * from vw_ContactRule order by ParentObjectID",
    "Select * from vw_InterviewHandler order by InterviewHandlerObjectID",
    "Select * from vw_InterviewQuestion order by Alias",
    "Select * from vw_Subscriber order by SubscriberObjectID",
    "Select * from vw_DistributionList order by SystemDListObjectID",
    "SELECT * FROM DTMFAccessID",
    "Select * from vw_COS order by COSObjectID",
    "Select * from vw_Location order by LocationObjectID",
    "Select * from vw_NameLookupHandler",
    "Select * from vw_Schedule",
};

struct Result {
    bool ok = false;
    long long rows = 0;
    long long cells = 0;
    std::uint64_t checksum = 0; // keeps every read from being optimised away
};

// Opens the file with the connection's flags, reads the thirteen sources and closes it again.
inline Result readAll(const char* databasePath)
{
    Result r;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(databasePath, &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "floor: cannot open %s: %s\n", databasePath, db ? sqlite3_errmsg(db) : "out of memory");
        sqlite3_close_v2(db);
        return r;
    }
    r.ok = true;
    for (const char* query : kQueries) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, query, -1, &st, nullptr) != SQLITE_OK) {
            std::fprintf(stderr, "floor: %s: %s\n", query, sqlite3_errmsg(db));
            r.ok = false;
            break;
        }
        const int columns = sqlite3_column_count(st);
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            ++r.rows;
            for (int c = 0; c < columns; ++c) {
                ++r.cells;
                switch (sqlite3_column_type(st, c)) {
                case SQLITE_INTEGER:
                    r.checksum += static_cast<std::uint64_t>(sqlite3_column_int64(st, c));
                    break;
                case SQLITE_FLOAT:
                    r.checksum += static_cast<std::uint64_t>(sqlite3_column_double(st, c));
                    break;
                case SQLITE_TEXT: {
                    const unsigned char* text = sqlite3_column_text(st, c);
                    const int n = sqlite3_column_bytes(st, c);
                    r.checksum += static_cast<std::uint64_t>(n) + (n > 0 ? text[0] : 0u);
                    break;
                }
                case SQLITE_BLOB: {
                    const void* blob = sqlite3_column_blob(st, c);
                    const int n = sqlite3_column_bytes(st, c);
                    r.checksum += static_cast<std::uint64_t>(n) + (n > 0 ? *static_cast<const unsigned char*>(blob) : 0u);
                    break;
                }
                default:
                    break;
                }
            }
        }
        if (rc != SQLITE_DONE) {
            std::fprintf(stderr, "floor: %s: %s\n", query, sqlite3_errmsg(db));
            r.ok = false;
        }
        sqlite3_finalize(st);
        if (!r.ok)
            break;
    }
    sqlite3_close_v2(db);
    return r;
}

} // namespace floor_read
