#pragma once

#include "system/SharedFileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <memory>

// The real file system, except that every write inside one folder fails as a read-only folder
// (EACCES) or a full disk (ENOSPC) makes it fail, for any account: root writes into read-only
// folders, and no test can fill a real disk. On the full disk a file can still be created, empty,
// and only its writes fail.
class FakeFileSystem : public SharedFileSystem {
public:
    void failWritesIn(const QString& folder, int errorNumber)
    {
        m_folder = QFileInfo(folder).absoluteFilePath();
        m_errorNumber = errorNumber;
    }

    void createFolder(const QString& path) const override
    {
        failIfInside(path);
        SharedFileSystem::createFolder(path);
    }
    void CopyFile(const QString& source, const QString& destination, bool overwrite) const override
    {
        failIfInside(destination);
        SharedFileSystem::CopyFile(source, destination, overwrite);
    }
    void DeleteFile(const QString& path, bool force) const override
    {
        failIfInside(path);
        SharedFileSystem::DeleteFile(path, force);
    }
    std::unique_ptr<AppendFile> openForAppend(const QString& path) const override
    {
        if (!inside(path))
            return SharedFileSystem::openForAppend(path);
        if (m_errorNumber != ENOSPC)
            throwFileError(m_errorNumber, FileErrorNumber::PathNotFound);
        QFile empty(path);
        if (!empty.open(QIODevice::WriteOnly | QIODevice::Append))
            throwFileError(EACCES);
        return std::make_unique<FullDiskFile>();
    }

private:
    class FullDiskFile : public AppendFile {
    public:
        int append(const QByteArray&) override { return ENOSPC; }
    };

    bool inside(const QString& path) const { return m_errorNumber != 0 && QFileInfo(path).absolutePath() == m_folder; }
    void failIfInside(const QString& path) const
    {
        if (inside(path))
            throwFileError(m_errorNumber);
    }

    QString m_folder;
    int m_errorNumber = 0;
};
