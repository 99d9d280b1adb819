#pragma once

#include <QString>
#include <QStringList>

namespace SiteWriting {

// "Path/File access error", what the runtime reports for a folder it cannot use.
constexpr int PathFileAccessError = 75;

// A server root is first written into a hidden folder of its own and put in place when complete, so
// that a write that fails (a full disk) leaves the target as it was, missing or empty, and a second
// try is not refused as "not empty". A new target is written beside and renamed into place; an
// empty folder that was given is written inside and filled at the end, so that it stays the same
// folder (a shell may stand in it, it may be a mount point or the end of a link).
class StagedRoot {
public:
    explicit StagedRoot(const QString& dir);
    ~StagedRoot();
    StagedRoot(const StagedRoot&) = delete;
    StagedRoot& operator=(const StagedRoot&) = delete;

    // Where the files are written now, with a trailing "/".
    QString path() const { return m_staging + QLatin1Char('/'); }
    // The root as the registry names it, with a trailing "/".
    QString root() const { return m_root; }

    // Puts the written root in place; the target must still be missing or empty.
    void commit();

private:
    static QStringList entries(const QString& folder);
    static bool move(const QString& from, const QString& to);
    [[noreturn]] void fail(int error) const;
    // Moves the written files up into the given folder, the state last, so that the root reads as
    // running only once it is whole; a move that fails takes the others back.
    void fill();

    QString m_target; // absolute, without a trailing "/"
    QString m_root;   // the same with it
    QString m_staging;
    bool m_inside = false;
};

} // namespace SiteWriting
