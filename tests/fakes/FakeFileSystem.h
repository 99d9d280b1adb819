#pragma once

#include "system/SharedFileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <memory>
#include <utility>

// The real file system, except that every write inside one folder fails as a read-only folder
// (EACCES) or a full disk (ENOSPC) makes it fail, for any account: root writes into read-only
// folders, and no test can fill a real disk. On the full disk a file can still be created, empty,
// and only its writes fail; a disk can fill up (or be freed) while a file is open.
class FakeFileSystem : public SharedFileSystem {
public:
    // An error number of 0 lets every write through again.
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
        if (inside(path) && m_errorNumber != ENOSPC)
            throwFileError(m_errorNumber, FileErrorNumber::PathNotFound);
        return std::make_unique<File>(*this, path, SharedFileSystem::openForAppend(path));
    }

private:
    class File : public AppendFile {
    public:
        File(const FakeFileSystem& fileSystem, const QString& path, std::unique_ptr<AppendFile> real)
            : m_fileSystem(fileSystem),
              m_path(path),
              m_real(std::move(real))
        {
        }
        int append(const QByteArray& bytes) override
        {
            return m_fileSystem.inside(m_path) ? m_fileSystem.m_errorNumber : m_real->append(bytes);
        }

    private:
        const FakeFileSystem& m_fileSystem;
        QString m_path;
        std::unique_ptr<AppendFile> m_real;
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
