#include "system/SharedFileSystem.h"

#include "runtime/RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>

namespace {

void writeFile(const QString& path, const QByteArray& content)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void expectFileError(const std::function<void()>& operation, int number, const QString& description)
{
    try {
        operation();
        ADD_FAILURE() << "no error raised, expected " << number;
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), number);
        EXPECT_EQ(e.description(), description);
    }
}

class SharedFileSystemTest : public ::testing::Test {
protected:
    QString at(const QString& name) const { return dir.filePath(name); }
    QTemporaryDir dir;
    SharedFileSystem fs;
};

} // namespace

TEST(StoredPath, MapsToALocalPath)
{
    struct Case {
        const char* stored;
        const char* folder;
        const char* local;
    } cases[] = {
        {"greeting.wav", "/srv/stream", "/srv/stream/greeting.wav"},
        {"CallHandlers\\mr_x.wav", "/srv/stream/", "/srv/stream/CallHandlers/mr_x.wav"},
        {"C:\\Talvo\\Stream Files\\x.wav", "/srv/stream", "/Talvo/Stream Files/x.wav"},
        {"d:\\x.wav", "/srv/stream", "/x.wav"},
        {"/var/talvo/x.wav", "/srv/stream", "/var/talvo/x.wav"},
        {"\\Talvo\\x.wav", "/srv/stream", "/Talvo/x.wav"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(localPathFromStored(QString::fromUtf8(c.stored), QString::fromUtf8(c.folder)), QString::fromUtf8(c.local))
            << c.stored;
}

TEST(SharedFileSystemNames, GetFileNameGivesTheLastComponent)
{
    const std::pair<const char*, const char*> cases[] = {
        {"c:\\Talvo\\Stream Files\\mr_x.wav", "mr_x.wav"},
        {"/srv/stream/a b.wav", "a b.wav"},
        {"mixed/folder\\name.txt", "name.txt"},
        {"plain.wav", "plain.wav"},
        {"logs\\old\\", "old"},
        {"C:name.wav", "name.wav"},
        {"C:\\", ""},
        {"", ""},
    };
    for (const auto& [path, name] : cases)
        EXPECT_EQ(SharedFileSystem::GetFileName(QString::fromUtf8(path)), QString::fromUtf8(name)) << path;
}

TEST_F(SharedFileSystemTest, FileExistsOnlyForFilesAndNeverRaises)
{
    writeFile(at("f.wav"), "x");
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
    ASSERT_TRUE(QFile::link(at("f.wav"), at("good-link")));
    ASSERT_TRUE(QFile::link(at("nothing"), at("broken-link")));

    EXPECT_TRUE(fs.FileExists(at("f.wav")));
    EXPECT_TRUE(fs.FileExists(at("good-link")));
    EXPECT_FALSE(fs.FileExists(at("folder")));
    EXPECT_FALSE(fs.FileExists(at("missing.wav")));
    EXPECT_FALSE(fs.FileExists(at("broken-link")));
    EXPECT_FALSE(fs.FileExists(at("f.wav/inside")));
    EXPECT_FALSE(fs.FileExists(QString()));
    EXPECT_TRUE(fs.folderExists(at("folder")));
    EXPECT_FALSE(fs.folderExists(at("f.wav")));
}

TEST_F(SharedFileSystemTest, CreateFolderMakesOneLevelAndRefusesWhatIsInTheWay)
{
    fs.createFolder(at("logs"));
    EXPECT_TRUE(fs.folderExists(at("logs")));

    writeFile(at("blocker"), "x");
    expectFileError([&] { fs.createFolder(at("logs")); }, 58, "File already exists");
    expectFileError([&] { fs.createFolder(at("blocker")); }, 58, "File already exists");
    expectFileError([&] { fs.createFolder(at("missing/logs")); }, 76, "Path not found");
    expectFileError([&] { fs.createFolder(at("blocker/logs")); }, 76, "Path not found");
    EXPECT_EQ(readFile(at("blocker")), QByteArray("x"));
}

TEST_F(SharedFileSystemTest, FolderFilesListsFilesWithTheirDates)
{
    writeFile(at("b.txt"), "b");
    writeFile(at(".hidden"), "h");
    writeFile(at("a.log"), "a");
    ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
    ASSERT_TRUE(QFile::link(at("sub"), at("folder-link")));
    ASSERT_TRUE(QFile::link(at("gone"), at("c-broken")));
    const QDateTime stamp(QDate(2004, 1, 22), QTime(0, 0, 1));
    {
        QFile f(at("a.log"));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(stamp, QFileDevice::FileModificationTime));
    }

    const QList<FolderFile> files = fs.folderFiles(dir.path());
    QStringList names;
    for (const FolderFile& f : files)
        names << f.name();
    EXPECT_EQ(names, QStringList({".hidden", "a.log", "b.txt", "c-broken"}));
    EXPECT_EQ(files.at(1).path(), at("a.log"));
    EXPECT_EQ(files.at(1).dateLastModified(), stamp);
    expectFileError([&] { files.at(3).dateLastModified(); }, 53, "File not found");

    expectFileError([&] { fs.folderFiles(at("missing")); }, 76, "Path not found");
    expectFileError([&] { fs.folderFiles(at("b.txt")); }, 76, "Path not found");
}

TEST_F(SharedFileSystemTest, CopyFileReplacesOnlyWithOverwrite)
{
    writeFile(at("empty.wav"), "RIFF-new");
    writeFile(at("greeting.wav"), "RIFF-old");

    expectFileError([&] { fs.CopyFile(at("empty.wav"), at("greeting.wav"), false); }, 58, "File already exists");
    EXPECT_EQ(readFile(at("greeting.wav")), QByteArray("RIFF-old"));

    fs.CopyFile(at("empty.wav"), at("greeting.wav"), true);
    EXPECT_EQ(readFile(at("greeting.wav")), QByteArray("RIFF-new"));
    fs.CopyFile(at("empty.wav"), at("fresh.wav"), false);
    EXPECT_EQ(readFile(at("fresh.wav")), QByteArray("RIFF-new"));
    EXPECT_EQ(readFile(at("empty.wav")), QByteArray("RIFF-new"));

    expectFileError([&] { fs.CopyFile(at("missing.wav"), at("x.wav"), true); }, 53, "File not found");
    // A pipe as the source would hold the copy until some writer came.
    ASSERT_EQ(::mkfifo(QFile::encodeName(at("pipe.wav")).constData(), 0600), 0);
    expectFileError([&] { fs.CopyFile(at("pipe.wav"), at("x.wav"), true); }, 53, "File not found");
    ASSERT_TRUE(QFile::remove(at("pipe.wav")));
    expectFileError([&] { fs.CopyFile(at("empty.wav"), at("missing/x.wav"), true); }, 76, "Path not found");
    // No half-written copies are left behind by the failures or the successes.
    EXPECT_EQ(fs.folderFiles(dir.path()).size(), 3);
}

TEST_F(SharedFileSystemTest, WriteWholeFileReplacesInOneStepOrLeavesTheOldFile)
{
    fs.writeWholeFile(at("export.txt"), "first\r\n");
    EXPECT_EQ(readFile(at("export.txt")), QByteArray("first\r\n"));
    fs.writeWholeFile(at("export.txt"), "second");
    EXPECT_EQ(readFile(at("export.txt")), QByteArray("second"));

    QDir(dir.path()).mkdir("taken.txt");
    expectFileError([&] { fs.writeWholeFile(at("taken.txt"), "x"); }, 75, "Path/File access error");
    expectFileError([&] { fs.writeWholeFile(at("missing/x.txt"), "x"); }, 76, "Path not found");
    expectFileError([&] { fs.writeWholeFile(at("export.txt/x.txt"), "x"); }, 76, "Path not found");
    EXPECT_EQ(readFile(at("export.txt")), QByteArray("second"));
    EXPECT_EQ(fs.folderFiles(dir.path()).size(), 1);
}

TEST_F(SharedFileSystemTest, DeleteFileHonoursReadOnlyUnlessForced)
{
    writeFile(at("old.txt"), "x");
    writeFile(at("target.wav"), "t");
    ASSERT_TRUE(QFile::setPermissions(at("old.txt"), QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    ASSERT_TRUE(QFile::link(at("target.wav"), at("link.wav")));

    expectFileError([&] { fs.DeleteFile(at("old.txt"), false); }, 70, "Permission denied");
    EXPECT_TRUE(fs.FileExists(at("old.txt")));
    fs.DeleteFile(at("old.txt"), true);
    EXPECT_FALSE(fs.FileExists(at("old.txt")));

    // Deleting a link removes the link, never what it leads to.
    fs.DeleteFile(at("link.wav"), true);
    EXPECT_FALSE(QFileInfo(at("link.wav")).isSymLink());
    EXPECT_TRUE(fs.FileExists(at("target.wav")));

    expectFileError([&] { fs.DeleteFile(at("old.txt"), true); }, 53, "File not found");
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
    expectFileError([&] { fs.DeleteFile(at("folder"), true); }, 53, "File not found");
}

TEST_F(SharedFileSystemTest, OpenForAppendAddsToTheEndAndNeverWaitsOnAPipe)
{
    writeFile(at("log.txt"), "first\r\n");
    {
        const auto file = fs.openForAppend(at("log.txt"));
        EXPECT_EQ(file->append("second\r\n"), 0);
        EXPECT_EQ(readFile(at("log.txt")), QByteArray("first\r\nsecond\r\n")) << "nothing is held back";
    }
    EXPECT_EQ(fs.openForAppend(at("new.txt"))->append("x"), 0);
    EXPECT_EQ(readFile(at("new.txt")), QByteArray("x"));

    expectFileError([&] { fs.openForAppend(at("missing/log.txt")); }, 76, "Path not found");
    // A pipe nobody reads would hold the open for ever.
    ASSERT_EQ(::mkfifo(QFile::encodeName(at("pipe")).constData(), 0600), 0);
    expectFileError([&] { fs.openForAppend(at("pipe")); }, 75, "Path/File access error");
    if (QFileInfo::exists("/dev/full")) {
        EXPECT_EQ(fs.openForAppend("/dev/full")->append("x"), ENOSPC);
    }
}

TEST_F(SharedFileSystemTest, ReadRegularFileRefusesWhatIsNoFileOrTooLarge)
{
    writeFile(at("small"), "0123456789");
    writeFile(at("empty"), "");
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(at("pipe")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(at("small"), at("link-to-file")));
    ASSERT_TRUE(QFile::link("/dev/zero", at("link-to-zero")));

    const struct {
        const char* name;
        qint64 maxBytes;
        std::optional<QByteArray> expected;
        int whyNot;
    } cases[] = {
        {"small", 10, QByteArray("0123456789"), 0},
        {"small", 9, std::nullopt, EFBIG},
        {"empty", 0, QByteArray(), 0},
        {"link-to-file", 100, QByteArray("0123456789"), 0},
        {"missing", 100, std::nullopt, ENOENT},
        {"folder", 100, std::nullopt, EINVAL},
        {"pipe", 100, std::nullopt, EINVAL}, // without a writer an ordinary open would wait for ever
        {"link-to-zero", 100, std::nullopt, EINVAL},
    };
    for (const auto& c : cases) {
        int whyNot = 0;
        EXPECT_EQ(readRegularFile(at(c.name), c.maxBytes, &whyNot), c.expected) << c.name;
        EXPECT_EQ(whyNot, c.whyNot) << c.name;
    }
}
