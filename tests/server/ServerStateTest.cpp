#include "server/FileServerState.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utility>

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

TEST(FileServerState, AnythingButASmallRegularFileCountsAsStoppedAtOnce)
{
    QTemporaryDir folder, pipe, device, link, large;
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("state")));
    // Nobody writes into the pipe: an ordinary open would wait for ever.
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe.filePath(QStringLiteral("state"))).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), device.filePath(QStringLiteral("state"))));
    QFile running(link.filePath(QStringLiteral("running")));
    ASSERT_TRUE(running.open(QIODevice::WriteOnly));
    running.write("32\n");
    running.close();
    ASSERT_TRUE(QFile::link(running.fileName(), link.filePath(QStringLiteral("state"))));
    QFile padded(large.filePath(QStringLiteral("state")));
    ASSERT_TRUE(padded.open(QIODevice::WriteOnly));
    padded.write("32" + QByteArray(100, ' '));
    padded.close();

    const std::pair<QString, int> cases[] = {
        {folder.path(), 0}, {folder.filePath(QStringLiteral("no such root")), 0},
        {pipe.path(), 0},   {device.path(), 0},
        {large.path(), 0},  {link.path(), ServerState::Running},
    };
    for (const auto& [root, expected] : cases)
        EXPECT_EQ(FileServerState(root).state(), expected) << root.toStdString();
}

} // namespace
