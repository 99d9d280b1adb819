#include "tree/TreeExport.h"

#include "tree/TreeFixture.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <unistd.h>

namespace {

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

// The demo site's main window, started; exports go to a temporary folder.
class TreeExportTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(t.load()); }

    // File > "Export tree information to file" with the given answer to the save dialog.
    void exportTo(const QString& path)
    {
        t.f.fileDialogs.chooseNext(path);
        t.f.control<QAction>("ExportTree")->trigger();
    }
    QString target(const char* name = "AudioTextTree.TXT") const { return dir.filePath(QString::fromLatin1(name)); }
    QStringList& messages() { return t.messages(); }

    TreeFixture t;
    QTemporaryDir dir;
};

TEST_F(TreeExportTest, WritesTheTreeAsShownWithTheClosedRowsMarked)
{
    // Sales opened, and in it Support, whose key 9 leads back to Sales.
    t.grid().setCollapsed(t.row({"1"}), false);
    t.grid().setCollapsed(t.row({"1", "9"}), false);

    exportTo(target());
    EXPECT_EQ(messages(), QStringList{"Output complete."});
    ASSERT_EQ(t.f.fileDialogs.requests.size(), 1u);
    const SaveFileRequest& asked = t.f.fileDialogs.requests[0];
    EXPECT_EQ(asked.title, "Select Export Tree File Name");
    EXPECT_EQ(asked.fileName, "AudioTextTree.TXT");
    EXPECT_EQ(asked.folder, QDir::homePath());
    EXPECT_EQ(asked.filter, "Text File (*.txt)");

    // The golden file is kept with plain line feeds; the export ends every line with CR LF.
    QByteArray expected = readFile(QStringLiteral(TW_TEST_SOURCE_DIR "/golden/TreeExport.txt"));
    expected.replace("\n", "\r\n");
    const QByteArray written = readFile(target());
    EXPECT_EQ(QString::fromUtf8(written), QString::fromUtf8(expected));

    // A second export writes the same indentation, and the tree is as it was.
    const int rows = t.grid().rowCount();
    exportTo(target("again.txt"));
    EXPECT_EQ(readFile(target("again.txt")), written);
    EXPECT_EQ(t.grid().rowCount(), rows);
}

TEST_F(TreeExportTest, AClosedRootIsOneMarkedLine)
{
    t.grid().setCollapsed(0, true);
    exportTo(target());
    EXPECT_EQ(readFile(target()), "Export of Audio Text Tree on: 12/10/2026 9:30:00 AM\r\n\r\n+Opening Greeting\r\n");
}

TEST_F(TreeExportTest, CancelAShortNameOrKeepingAnExistingFileWritesNothing)
{
    exportTo(QString()); // Cancel in the dialog
    EXPECT_TRUE(messages().isEmpty());

    exportTo("/a/b");
    EXPECT_EQ(messages(), QStringList{"Invalid text file name.  Please choose a valid file name."});

    messages().clear();
    {
        QFile existing(target());
        ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
        existing.write("keep me");
    }
    t.f.prompts.answerNext(Answer::Cancel);
    exportTo(target());
    EXPECT_EQ(messages(), QStringList{"Overwrite " + target() + "?"});
    EXPECT_EQ(readFile(target()), "keep me");

    messages().clear();
    t.f.prompts.answerNext(Answer::OK);
    exportTo(target());
    EXPECT_EQ(messages(), (QStringList{"Overwrite " + target() + "?", "Output complete."}));
    EXPECT_TRUE(readFile(target()).startsWith("Export of Audio Text Tree on: "));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"AudioTextTree.TXT"});
}

TEST_F(TreeExportTest, AFileThatCannotBeWrittenStopsTheExportAndLeavesNoFile)
{
    struct Case {
        QString path;
        const char* message;
    };
    QDir(dir.path()).mkdir("readonly");
    QFile::setPermissions(dir.filePath("readonly"), QFile::ReadOwner | QFile::ExeOwner);
    QFile(dir.filePath("plainfile")).open(QIODevice::WriteOnly);
    QDir(dir.path()).mkpath("taken/AudioTextTree.TXT");
    std::vector<Case> cases{
        {dir.filePath("plainfile/AudioTextTree.TXT"), "Error in Export Tree function:Path not found"},
        {dir.filePath("taken/AudioTextTree.TXT"), "Error in Export Tree function:Path/File access error"},
    };
    // Write permission means nothing to a process with administrator rights.
    if (::access(QFile::encodeName(dir.filePath("readonly")).constData(), W_OK) != 0)
        cases.push_back({dir.filePath("readonly/AudioTextTree.TXT"), "Error in Export Tree function:Permission denied"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        messages().clear();
        exportTo(c.path);
        EXPECT_EQ(messages(), QStringList{c.message});
        EXPECT_FALSE(QFileInfo(c.path).isFile());
        const QFileInfo folder(QFileInfo(c.path).path());
        if (folder.isDir()) {
            EXPECT_EQ(QDir(folder.filePath()).entryList(QDir::Files | QDir::Hidden), QStringList());
        }
    }
}

} // namespace
