#pragma once

#include "db/Connection.h"
#include "db/Sqlite.h"

#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

// A database file of its own in a temporary folder, made from a schema and then opened as the
// program opens its database; removed with the object.
class ScratchDatabase {
public:
    // Runs the schema on a new file and `fill` on the same database, then opens `conn` on it.
    void create(const QString& schema, const std::function<void(SqliteDb&)>& fill = {})
    {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath(QStringLiteral("t.sqlite3"));
        {
            SqliteDb db(path, SqliteDb::Mode::Create);
            db.exec(schema);
            if (fill)
                fill(db);
        }
        conn = std::make_shared<Connection>(path, nullptr);
    }

    QTemporaryDir dir;
    QString path;
    std::shared_ptr<Connection> conn;
};
