#include "server/StagedRoot.h"

#include "runtime/RuntimeError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace SiteWriting {

StagedRoot::StagedRoot(const QString& dir)
{
    const QFileInfo info(dir);
    if (info.exists() && !info.isDir())
        throwError(PathFileAccessError, QStringLiteral("\"%1\" exists and is not a folder.").arg(dir));
    if (info.exists() && !entries(dir).isEmpty())
        throwError(PathFileAccessError, QStringLiteral("\"%1\" is not empty; give a new or an empty folder.").arg(dir));

    m_target = QDir::cleanPath(QDir(dir).absolutePath());
    m_root = m_target.endsWith(QLatin1Char('/')) ? m_target : m_target + QLatin1Char('/');
    m_inside = info.exists();
    QString stagingPrefix;
    if (m_inside) {
        stagingPrefix = m_root + QStringLiteral(".talvo-site-");
    } else {
        const QFileInfo target(m_target);
        if (!QDir().mkpath(target.absolutePath()))
            throwError(PathFileAccessError, QStringLiteral("Cannot create the folder \"%1\".").arg(target.absolutePath()));
        stagingPrefix = target.absolutePath() + QStringLiteral("/.") + target.fileName() + QStringLiteral(".talvo-site-");
    }
    for (int attempt = 0; m_staging.isEmpty(); ++attempt) {
        const QString staging = stagingPrefix + QStringLiteral("%1-%2").arg(QCoreApplication::applicationPid()).arg(attempt);
        if (::mkdir(QFile::encodeName(staging).constData(), 0777) == 0) {
            m_staging = staging;
            continue;
        }
        const int error = errno;
        if (error != EEXIST || attempt > 100)
            throwError(
                PathFileAccessError,
                QStringLiteral("Cannot create the folder \"%1\": %2").arg(staging, QString::fromLocal8Bit(std::strerror(error))));
    }
}

StagedRoot::~StagedRoot()
{
    if (!m_staging.isEmpty())
        QDir(m_staging).removeRecursively();
}

void StagedRoot::commit()
{
    if (m_inside)
        fill();
    else if (!move(m_staging, m_target))
        fail(errno);
    m_staging.clear();
}

QStringList StagedRoot::entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
}

bool StagedRoot::move(const QString& from, const QString& to)
{
    return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

void StagedRoot::fail(int error) const
{
    if (error == ENOTEMPTY || error == EEXIST)
        throwError(PathFileAccessError, QStringLiteral("\"%1\" is not empty; give a new or an empty folder.").arg(m_target));
    throwError(PathFileAccessError, QStringLiteral("Cannot put the written root in place at \"%1\": %2")
                                        .arg(m_target, QString::fromLocal8Bit(std::strerror(error))));
}

void StagedRoot::fill()
{
    if (entries(m_target) != QStringList{QFileInfo(m_staging).fileName()})
        fail(ENOTEMPTY);
    QStringList names = entries(m_staging);
    std::stable_partition(names.begin(), names.end(), [](const QString& name) { return name != QLatin1String("state"); });
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (move(path() + names[i], m_root + names[i]))
            continue;
        const int error = errno;
        while (i-- > 0)
            move(m_root + names[i], path() + names[i]);
        fail(error);
    }
    ::rmdir(QFile::encodeName(m_staging).constData());
}

} // namespace SiteWriting
