#include "db/Sqlite.h"

#include "runtime/RuntimeError.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// A text with a second statement must never run only its first one: "UPDATE ...; DELETE ..."
// would report success for half of what it says.
TEST(Statement, RefusesATextWithASecondStatement)
{
    QTemporaryDir dir;
    SqliteDb db(dir.filePath("s.sqlite3"), SqliteDb::Mode::Create);
    db.exec("CREATE TABLE T(A INTEGER); INSERT INTO T VALUES (1), (2);");

    const char* refused[] = {
        "UPDATE T SET A = 5; DELETE FROM T",
        "UPDATE T SET A = 5;DELETE FROM T;",
        "UPDATE T SET A = 5; -- then\n DELETE FROM T",
        "UPDATE T SET A = 5; not even SQL",
    };
    for (const char* sql : refused) {
        try {
            db.execute(sql);
            ADD_FAILURE() << sql << " ran";
        } catch (const DatabaseError& e) {
            EXPECT_EQ(e.number(), ErrorNumber::ProviderFailure) << sql;
            EXPECT_TRUE(e.description().startsWith("The command text holds more than one statement")) << sql;
        }
        EXPECT_EQ(db.scalar("SELECT group_concat(A) FROM T").toText(), "1,2") << sql;
    }

    // Blanks, comments and empty statements after the one statement are no second statement.
    const char* accepted[] = {"UPDATE T SET A = A + 1;", "UPDATE T SET A = A + 1 ;  \n", "UPDATE T SET A = A + 1; -- done",
                              "UPDATE T SET A = A + 1;;", "UPDATE T SET A = A + 1 /* done */"};
    for (const char* sql : accepted)
        EXPECT_EQ(db.execute(sql), 2) << sql;
    EXPECT_EQ(db.scalar("SELECT group_concat(A) FROM T").toText(), "6,7");
}

TEST(Statement, AFailureCarriesSQLitesCodeAndFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("s.sqlite3");
    SqliteDb db(path, SqliteDb::Mode::Create);
    db.exec("CREATE TABLE T(A INTEGER NOT NULL)");
    try {
        db.execute("INSERT INTO T VALUES (NULL)");
        FAIL() << "no error";
    } catch (const DatabaseError& e) {
        EXPECT_EQ(e.description(), "NOT NULL constraint failed: T.A"); // what the program shows stays SQLite's text
        EXPECT_EQ(e.sqliteCode(), 1299);                               // SQLITE_CONSTRAINT_NOTNULL
        EXPECT_EQ(e.file(), path);
        EXPECT_EQ(e.cause(), "NOT NULL constraint failed: T.A (SQLite code 1299: constraint failed) in " + path);
    }
    EXPECT_EQ(quoteIdentifier(R"(Odd"Name)"), R"("Odd""Name")");
}

} // namespace
