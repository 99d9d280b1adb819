#include "server/FileServerState.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(FileServerState, ReadsTheDecimalNumberAndCountsAnythingElseAsStopped)
{
    const struct {
        const char* contents; // nullptr: no file at all
        int expected;
    } cases[] = {
        {nullptr, 0},      {"32", 32},  {"32\r\n", 32},
        {"  4 \n", 4},     {"", 0},     {"running", 0},
        {"32 running", 0}, {"0x20", 0}, {"99999999999999999999", 0},
    };
    for (const auto& c : cases) {
        QTemporaryDir root;
        if (c.contents) {
            QFile file(root.filePath(QStringLiteral("state")));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(c.contents);
        }
        FileServerState state(root.path());
        EXPECT_EQ(state.state(), c.expected) << (c.contents ? c.contents : "(missing)");
    }
}

TEST(FileServerState, UnreadableStateCountsAsStopped)
{
    QTemporaryDir root;
    ASSERT_TRUE(QDir(root.path()).mkdir(QStringLiteral("state")));
    EXPECT_EQ(FileServerState(root.path()).state(), 0);
    EXPECT_EQ(FileServerState(root.filePath(QStringLiteral("no such root"))).state(), 0);
}

} // namespace
