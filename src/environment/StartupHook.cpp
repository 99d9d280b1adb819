#include "environment/StartupHook.h"

#include "runtime/ErrorHandling.h"
#include "system/Process.h"
#include "system/ProgramFolder.h"

#include <QFileInfo>

void RunTestBatch(const ProgramFolder& programFolder, const QString& programVersion, const QString& updatePageAddress,
                  ProcessLauncher& launcher)
{
    // The hook never troubles the start-up.
    runStepSilently([&] {
        const QFileInfo batch(programFolder.file(QStringLiteral("test.bat")));
        if (!batch.isFile() || !batch.isExecutable())
            return;
        // Arguments go to the program as they are; no shell sees them.
        launcher.startDetached(batch.absoluteFilePath(), {programVersion, updatePageAddress}, programFolder.path());
    });
}
