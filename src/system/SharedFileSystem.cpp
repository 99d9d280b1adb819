#include "system/SharedFileSystem.h"

#include "runtime/RuntimeError.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

QByteArray native(const QString& path)
{
    return QFile::encodeName(path);
}

QString descriptionOf(int number)
{
    switch (number) {
    case FileErrorNumber::BadFileNameOrNumber:
        return QStringLiteral("Bad file name or number");
    case FileErrorNumber::FileNotFound:
        return QStringLiteral("File not found");
    case FileErrorNumber::DeviceIOError:
        return QStringLiteral("Device I/O error");
    case FileErrorNumber::FileAlreadyExists:
        return QStringLiteral("File already exists");
    case FileErrorNumber::DiskFull:
        return QStringLiteral("Disk full");
    case FileErrorNumber::PermissionDenied:
        return QStringLiteral("Permission denied");
    case FileErrorNumber::PathNotFound:
        return QStringLiteral("Path not found");
    default:
        return QStringLiteral("Path/File access error");
    }
}

[[noreturn]] void raise(int number)
{
    throwError(number, descriptionOf(number));
}

// Closes a descriptor on every path out of a function.
class Descriptor {
public:
    explicit Descriptor(int fd)
        : m_fd(fd)
    {
    }
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }
    // Closes now and reports whether the close succeeded (a late write error shows up here).
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

bool writeAll(int fd, const char* data, ssize_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

// Files are written beside their destination under a fresh name, then renamed over it: a reader
// never sees half a file and a failed write leaves the old destination untouched. The kernel
// applies the user's umask to the new file's permissions.
int createBeside(const QString& destination, QByteArray& temporary)
{
    for (int attempt = 0;; ++attempt) {
        temporary = native(destination) + ".tw-copy-" + QByteArray::number(::getpid()) + '-' + QByteArray::number(attempt);
        const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0)
            return fd;
        if (errno != EEXIST || attempt > 100)
            throwFileError(errno, FileErrorNumber::PathNotFound);
    }
}

bool isSeparator(QChar c)
{
    return c == QLatin1Char('/') || c == QLatin1Char('\\');
}

} // namespace

RuntimeError fileError(int errorNumber, int notFoundNumber)
{
    int number = FileErrorNumber::PathFileAccessError;
    switch (errorNumber) {
    case ENOENT:
        number = notFoundNumber;
        break;
    case ENOTDIR:
        number = FileErrorNumber::PathNotFound;
        break;
    case EEXIST:
        number = FileErrorNumber::FileAlreadyExists;
        break;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
    case EBUSY:
        number = FileErrorNumber::PermissionDenied;
        break;
    case ENOSPC:
    case EDQUOT:
        number = FileErrorNumber::DiskFull;
        break;
    case EIO:
        number = FileErrorNumber::DeviceIOError;
        break;
    case EBADF:
        number = FileErrorNumber::BadFileNameOrNumber;
        break;
    default:
        break;
    }
    return RuntimeError(number, descriptionOf(number));
}

void throwFileError(int errorNumber, int notFoundNumber)
{
    throw fileError(errorNumber, notFoundNumber);
}

QDateTime FolderFile::dateLastModified() const
{
    struct stat info {};
    if (::stat(native(m_path).constData(), &info) != 0)
        throwFileError(errno);
    return QDateTime::fromSecsSinceEpoch(info.st_mtim.tv_sec);
}

bool SharedFileSystem::FileExists(const QString& path) const
{
    return !path.isEmpty() && fileKindAt(path) == FileKind::Regular;
}

bool SharedFileSystem::folderExists(const QString& path) const
{
    if (path.isEmpty())
        return false;
    struct stat info {};
    return ::stat(native(path).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

void SharedFileSystem::createFolder(const QString& path) const
{
    if (path.isEmpty())
        raise(FileErrorNumber::PathNotFound);
    if (::mkdir(native(path).constData(), 0777) != 0)
        throwFileError(errno, FileErrorNumber::PathNotFound);
}

QList<FolderFile> SharedFileSystem::folderFiles(const QString& folder) const
{
    DIR* dir = ::opendir(native(folder).constData());
    if (!dir)
        throwFileError(errno, FileErrorNumber::PathNotFound);
    const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    QList<FolderFile> files;
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const QString name = QFile::decodeName(entry->d_name);
        if (name == QLatin1String(".") || name == QLatin1String(".."))
            continue;
        const QString path = prefix + name;
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            // A link counts as what it leads to; one that leads nowhere is listed as a file.
            struct stat info {};
            isFolder = ::stat(native(path).constData(), &info) == 0 && S_ISDIR(info.st_mode);
        }
        if (!isFolder)
            files.append(FolderFile(name, path));
        errno = 0;
    }
    const int readError = errno;
    ::closedir(dir);
    if (readError != 0)
        throwFileError(readError, FileErrorNumber::PathNotFound);
    std::sort(files.begin(), files.end(), [](const FolderFile& a, const FolderFile& b) { return a.name() < b.name(); });
    return files;
}

void SharedFileSystem::CopyFile(const QString& source, const QString& destination, bool overwrite) const
{
    Descriptor in(openRegularFile(source));
    if (in.get() < 0) {
        if (errno == EINVAL)
            raise(FileErrorNumber::FileNotFound);
        throwFileError(errno);
    }

    struct stat destinationInfo {};
    if (::stat(native(destination).constData(), &destinationInfo) == 0) {
        if (S_ISDIR(destinationInfo.st_mode))
            raise(FileErrorNumber::PermissionDenied);
        if (!overwrite)
            raise(FileErrorNumber::FileAlreadyExists);
    }

    QByteArray temporary;
    Descriptor outFile(createBeside(destination, temporary));
    auto fail = [&](int error) {
        ::unlink(temporary.constData());
        throwFileError(error);
    };

    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(in.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(errno);
        }
        if (n == 0)
            break;
        if (!writeAll(outFile.get(), buffer, n))
            fail(errno);
    }
    if (!outFile.close())
        fail(errno);
    const QByteArray target = native(destination);
    if (overwrite) {
        if (::rename(temporary.constData(), target.constData()) != 0)
            fail(errno);
        return;
    }
    // Without overwrite a destination that appeared meanwhile must survive: a hard link never
    // replaces one.
    if (::link(temporary.constData(), target.constData()) == 0) {
        ::unlink(temporary.constData());
        return;
    }
    if (errno == EEXIST)
        fail(EEXIST);
    // A file system without hard links: the check above is as good as it gets.
    if (::rename(temporary.constData(), target.constData()) != 0)
        fail(errno);
}

void SharedFileSystem::writeWholeFile(const QString& path, const QByteArray& contents) const
{
    if (path.isEmpty())
        raise(FileErrorNumber::PathNotFound);
    QByteArray temporary;
    Descriptor out(createBeside(path, temporary));
    auto fail = [&](int error) {
        ::unlink(temporary.constData());
        throwFileError(error, FileErrorNumber::PathNotFound);
    };
    if (!writeAll(out.get(), contents.constData(), contents.size()))
        fail(errno);
    if (!out.close())
        fail(errno);
    if (::rename(temporary.constData(), native(path).constData()) != 0)
        fail(errno);
}

void SharedFileSystem::DeleteFile(const QString& path, bool force) const
{
    struct stat info {};
    if (path.isEmpty() || ::lstat(native(path).constData(), &info) != 0)
        raise(FileErrorNumber::FileNotFound);
    if (S_ISDIR(info.st_mode))
        raise(FileErrorNumber::FileNotFound);
    // Read-only is the missing write permission of the owner, as the file's attribute was.
    if (!force && !S_ISLNK(info.st_mode) && (info.st_mode & S_IWUSR) == 0)
        raise(FileErrorNumber::PermissionDenied);
    if (::unlink(native(path).constData()) != 0)
        throwFileError(errno);
}

namespace {

class DescriptorAppendFile : public AppendFile {
public:
    explicit DescriptorAppendFile(int fd)
        : m_fd(fd)
    {
    }
    int append(const QByteArray& bytes) override
    {
        errno = 0;
        return writeAll(m_fd.get(), bytes.constData(), bytes.size()) ? 0 : errno;
    }

private:
    Descriptor m_fd;
};

} // namespace

std::unique_ptr<AppendFile> SharedFileSystem::openForAppend(const QString& path) const
{
    const int fd = ::open(native(path).constData(), O_WRONLY | O_CREAT | O_APPEND | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0)
        throwFileError(errno, FileErrorNumber::PathNotFound);
    return std::make_unique<DescriptorAppendFile>(fd);
}

QString SharedFileSystem::GetFileName(const QString& path)
{
    qsizetype end = path.size();
    while (end > 0 && isSeparator(path.at(end - 1)))
        --end;
    qsizetype start = end;
    while (start > 0 && !isSeparator(path.at(start - 1)))
        --start;
    QString name = path.mid(start, end - start);
    // "C:" alone is a drive, and "C:name" a name on it.
    if (start == 0 && name.size() >= 2 && name.at(1) == QLatin1Char(':') && name.at(0).isLetter())
        name = name.mid(2);
    return name;
}

QString localPathFromStored(const QString& stored, const QString& folder)
{
    QString path = stored;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const qsizetype drive = stored.indexOf(QLatin1String(":\\"));
    if (drive >= 0) {
        QString rest = path.mid(drive + 2);
        while (rest.startsWith(QLatin1Char('/')))
            rest.remove(0, 1);
        return QLatin1Char('/') + rest;
    }
    if (path.startsWith(QLatin1Char('/')))
        return path;
    QString base = folder;
    base.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return base.endsWith(QLatin1Char('/')) ? base + path : base + QLatin1Char('/') + path;
}

FileKind fileKindAt(const QString& path)
{
    struct stat info {};
    if (path.isEmpty() || ::stat(native(path).constData(), &info) != 0)
        return FileKind::Absent;
    return S_ISREG(info.st_mode) ? FileKind::Regular : FileKind::Other;
}

int openRegularFile(const QString& path)
{
    if (fileKindAt(path) == FileKind::Other) {
        errno = EINVAL;
        return -1;
    }
    // Non-blocking, so that a pipe put in its place after the look cannot hold the open; reads of
    // a regular file never wait either way.
    Descriptor file(::open(native(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.get() < 0)
        return -1;
    struct stat info {};
    if (::fstat(file.get(), &info) != 0)
        return -1;
    if (!S_ISREG(info.st_mode)) {
        errno = EINVAL;
        return -1;
    }
    return file.release();
}

std::optional<QByteArray> readRegularFile(const QString& path, qint64 maxBytes, int* whyNot)
{
    const auto refuse = [&](int reason) -> std::optional<QByteArray> {
        if (whyNot)
            *whyNot = reason;
        return std::nullopt;
    };
    Descriptor file(openRegularFile(path));
    struct stat info {};
    if (file.get() < 0 || ::fstat(file.get(), &info) != 0)
        return refuse(errno);
    if (info.st_size > maxBytes)
        return refuse(EFBIG);

    // Read one byte past the bound: a file that grew meanwhile is still refused.
    QByteArray contents(static_cast<qsizetype>(info.st_size) + 1, Qt::Uninitialized);
    qsizetype filled = 0;
    for (;;) {
        if (filled == contents.size()) {
            if (filled > maxBytes)
                return refuse(EFBIG);
            contents.resize(std::min<qint64>(maxBytes + 1, filled * 2 + 4096));
        }
        const ssize_t n = ::read(file.get(), contents.data() + filled, static_cast<size_t>(contents.size() - filled));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return refuse(errno);
        }
        if (n == 0)
            break;
        filled += n;
    }
    if (filled > maxBytes)
        return refuse(EFBIG);
    contents.truncate(filled);
    return contents;
}
