#include "system/Process.h"

#include <QProcess>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>

bool SystemProcessControl::setNiceness(int niceness)
{
    errno = 0;
    return setpriority(PRIO_PROCESS, 0, niceness) == 0;
}

void SystemProcessControl::endProcess(int exitCode)
{
    std::fflush(nullptr);
    // At once: no further window event runs and nothing is asked; every change is already written.
    std::_Exit(exitCode);
}

bool SystemProcessLauncher::startDetached(const QString& program, const QStringList& arguments, const QString& workingFolder)
{
    return QProcess::startDetached(program, arguments, workingFolder);
}
