#include "environment/StartupHook.h"

#include "platform/Process.h"
#include "platform/ProgramFolder.h"

#include <QFileInfo>

void RunTestBatch(const ProgramFolder& programFolder, const QString& programVersion, ProcessLauncher& launcher)
{
    try {
        const QFileInfo batch(programFolder.file(QStringLiteral("test.bat")));
        if (!batch.isFile() || !batch.isExecutable())
            return;
        // Arguments go to the program as they are; no shell sees them.
        launcher.startDetached(batch.absoluteFilePath(), {programVersion, kUpdatePageAddress}, programFolder.path());
    } catch (...) {
        // The hook never troubles the start-up.
    }
}
