#pragma once

#include "system/Process.h"

#include <QList>
#include <QStringList>

// The process's end, made observable: ending throws ProcessEnded, which no step handler of the
// program catches, so the code after a shutdown never runs in a test either.
struct ProcessEnded {
    int exitCode;
};

class FakeProcessControl : public ProcessControl {
public:
    bool setNiceness(int niceness) override
    {
        nicenessSet << niceness;
        return true;
    }
    [[noreturn]] void endProcess(int exitCode) override { throw ProcessEnded{exitCode}; }

    QList<int> nicenessSet;
};

class FakeProcessLauncher : public ProcessLauncher {
public:
    struct Start {
        QString program;
        QStringList arguments;
    };
    bool startDetached(const QString& program, const QStringList& arguments, const QString&) override
    {
        starts.push_back({program, arguments});
        return true;
    }
    QList<Start> starts;
};
