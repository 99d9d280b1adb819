#include "environment/StartupHook.h"

#include "fakes/FakeProcess.h"
#include "system/ProgramFolder.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

const QString kAddress = "https://mirror.example.com/treewright/version.html";

TEST(StartupHook, StartsTestBatWithVersionAndAddressAsSeparateArguments)
{
    QTemporaryDir dir;
    const ProgramFolder folder(dir.path());
    FakeProcessLauncher launcher;

    RunTestBatch(folder, "1.0.0", kAddress, launcher); // no batch file: nothing, silently
    EXPECT_TRUE(launcher.starts.isEmpty());

    QFile batch(folder.file("test.bat"));
    ASSERT_TRUE(batch.open(QIODevice::WriteOnly));
    batch.write("#!/bin/sh\n");
    batch.close();
    RunTestBatch(folder, "1.0.0", kAddress, launcher); // present but not executable: not started
    EXPECT_TRUE(launcher.starts.isEmpty());

    batch.setPermissions(batch.permissions() | QFile::ExeOwner);
    RunTestBatch(folder, "1.0.0", kAddress, launcher);
    ASSERT_EQ(launcher.starts.size(), 1);
    EXPECT_EQ(launcher.starts[0].program, folder.file("test.bat"));
    EXPECT_EQ(launcher.starts[0].arguments, QStringList({"1.0.0", kAddress}));
}
