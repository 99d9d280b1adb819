#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <memory>
#include <optional>

class RuntimeError;

// Error numbers and descriptions the file operations raise; the program's messages quote them.
namespace FileErrorNumber {
constexpr int BadFileNameOrNumber = 52;
constexpr int FileNotFound = 53;
constexpr int DeviceIOError = 57;
constexpr int FileAlreadyExists = 58;
constexpr int DiskFull = 61;
constexpr int PermissionDenied = 70;
constexpr int PathFileAccessError = 75;
constexpr int PathNotFound = 76;
} // namespace FileErrorNumber

// The runtime error that matches a failed system call's errno (ENOENT gives the given not-found
// number), and the same raised.
RuntimeError fileError(int errorNumber, int notFoundNumber = FileErrorNumber::FileNotFound);
[[noreturn]] void throwFileError(int errorNumber, int notFoundNumber = FileErrorNumber::FileNotFound);

// One file of a folder listing. The date is read when asked for, so a file that vanished or whose
// link leads nowhere fails on its own and not the whole listing.
class FolderFile {
public:
    FolderFile(const QString& name, const QString& path)
        : m_name(name),
          m_path(path)
    {
    }
    // The name with its extension, without the folder.
    QString name() const { return m_name; }
    QString path() const { return m_path; }
    // Raises FileNotFound (or another file error) when the date cannot be read.
    QDateTime dateLastModified() const;

private:
    QString m_name;
    QString m_path;
};

// A file open for appending. Nothing is buffered: what append accepted has reached the system.
class AppendFile {
public:
    virtual ~AppendFile() = default;
    // Appends all bytes; returns 0, or the errno of the write that failed (part of the bytes may
    // have been written before it).
    virtual int append(const QByteArray& bytes) = 0;
};

// The program's one file-system object, kept by the run's shared state. Every failure raises
// RuntimeError with the runtime's number and description; FileExists and folderExists never raise.
// Paths are local paths; stored (possibly Windows) paths go through localPathFromStored first.
// Tests put a failing file system in its place.
class SharedFileSystem {
public:
    virtual ~SharedFileSystem() = default;

    // True when the path is not empty and names an existing file (not a folder).
    virtual bool FileExists(const QString& path) const;
    virtual bool folderExists(const QString& path) const;

    // Creates one folder; its parent must exist. An existing folder or file of that name raises
    // FileAlreadyExists, a missing parent PathNotFound.
    virtual void createFolder(const QString& path) const;

    // The files of a folder (not its subfolders), hidden ones included, sorted by name.
    virtual QList<FolderFile> folderFiles(const QString& folder) const;

    // Copies one file; with overwrite an existing destination is replaced, otherwise it raises
    // FileAlreadyExists. The destination is replaced in one step, so a failed copy leaves it as it was.
    virtual void CopyFile(const QString& source, const QString& destination, bool overwrite) const;

    // Writes a whole file, replacing one of that name. It is written beside it first and renamed
    // at the end, so a failure leaves the old file (or none) under that name, never half a file.
    void writeWholeFile(const QString& path, const QByteArray& contents) const;

    // Deletes one file; without force a read-only file raises PermissionDenied.
    virtual void DeleteFile(const QString& path, bool force) const;

    // Opens a file for appending, creating it when missing. The open never waits (a pipe without a
    // reader fails at once).
    virtual std::unique_ptr<AppendFile> openForAppend(const QString& path) const;

    // The last component of a path ("\" and "/" both separate), the whole text when it has no
    // folder part; trailing separators are passed over.
    static QString GetFileName(const QString& path);
};

// Maps a path as the server stores it to a local path. Backslashes separate folders. A value
// holding ":\" is a full Windows path and maps to the same path from the root, its drive dropped;
// one starting with "/" (or "\") is already a full path; anything else is a name inside the folder.
QString localPathFromStored(const QString& stored, const QString& folder);

// What lies at a name, looked at without opening it; links are followed. Absent covers a name
// that cannot be looked at.
enum class FileKind { Absent, Regular, Other };
FileKind fileKindAt(const QString& path);

// Opens a file for reading only when its name leads to a regular file, and never waits: nothing
// else is opened at all (a pipe would hold the open until a writer came, a device may act on
// being opened), and the open file is looked at again, since the name may have been pointed
// elsewhere in between. Returns the descriptor, which the caller closes, or -1 with errno set:
// the system's reason, or EINVAL for a name that leads to no regular file.
int openRegularFile(const QString& path);

// The whole contents of a regular file of at most maxBytes. Anything else (missing, unreadable, a
// folder, a pipe, a device, a larger file) gives nothing, and whyNot, when given, gets the reason
// as an errno value (EINVAL: no regular file, EFBIG: larger than maxBytes). Opened as
// openRegularFile does.
std::optional<QByteArray> readRegularFile(const QString& path, qint64 maxBytes, int* whyNot = nullptr);
