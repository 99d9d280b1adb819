#include "system/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

ProgramFolder::ProgramFolder(const QString& path)
    : m_path(QDir::cleanPath(QDir(path).absolutePath()))
{
}

ProgramFolder ProgramFolder::fromEnvironment()
{
    const QString home = qEnvironmentVariable("TREEWRIGHT_HOME");
    if (!home.isEmpty())
        return ProgramFolder(home);
    if (QCoreApplication::instance())
        return ProgramFolder(QCoreApplication::applicationDirPath());
    // Without an application object (tools, early start-up) the kernel still knows the executable.
    return ProgramFolder(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section(QLatin1Char('/'), 0, -2));
}

QString ProgramFolder::file(const QString& name) const
{
    return m_path.endsWith(QLatin1Char('/')) ? m_path + name : m_path + QLatin1Char('/') + name;
}
