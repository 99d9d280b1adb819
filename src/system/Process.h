#pragma once

#include <QString>
#include <QStringList>

// The program's own process: its priority and its end. Tests replace the end with one they can
// observe, since the real one never returns.
class ProcessControl {
public:
    virtual ~ProcessControl() = default;
    // Lowers (or raises) the scheduling priority of this process; false when refused.
    virtual bool setNiceness(int niceness) = 0;
    [[noreturn]] virtual void endProcess(int exitCode) = 0;
};

class SystemProcessControl : public ProcessControl {
public:
    bool setNiceness(int niceness) override;
    [[noreturn]] void endProcess(int exitCode) override;
};

// Starting other programs, detached, with their arguments passed as they are (never through a
// shell, so no argument is ever interpreted).
class ProcessLauncher {
public:
    virtual ~ProcessLauncher() = default;
    virtual bool startDetached(const QString& program, const QStringList& arguments, const QString& workingFolder) = 0;
};

class SystemProcessLauncher : public ProcessLauncher {
public:
    bool startDetached(const QString& program, const QStringList& arguments, const QString& workingFolder) override;
};
