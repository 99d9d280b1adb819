#pragma once

#include "data/SharedState.h"
#include "runtime/FileDialogs.h"
#include "runtime/UserPrompts.h"
#include "server/FileServerState.h"
#include "system/Clock.h"
#include "system/PageFetcher.h"
#include "system/Process.h"
#include "system/SystemIdentity.h"
#include "system/UrlOpener.h"

#include <QString>
#include <functional>
#include <memory>

// A run of the program with no one at the desk, for benchmarks and tools: every box is printed to
// standard error and answered with its first button, nothing is opened, fetched or saved through
// a dialog, and there is no sound unless sound devices are given. The program folder is a
// temporary one.
class UnattendedRun : public UserPrompts, public UrlOpener, public FileDialogs, public PageFetcher {
public:
    UnattendedRun(const QString& serverRoot, const QString& programFolder,
                  std::function<std::unique_ptr<AudioDevice>()> audioDevices = {});
    ~UnattendedRun() override;

    SharedState& state() { return *m_state; }
    int boxesShown() const { return m_boxes; }

    int msgBox(const QString& text, int buttons, const QString& title) override;
    QString inputBox(const QString& prompt, const QString& title, const QString& defaultText) override;
    bool openUrl(const QString&) override { return false; }
    QString saveFileName(const SaveFileRequest&) override { return QString(); }
    QByteArray fetch(const QString&) override { return {}; }

private:
    SystemClock m_clock;
    FixedSystemIdentity m_identity;
    FileServerState m_serverState;
    SystemProcessControl m_process;
    SystemProcessLauncher m_launcher;
    std::unique_ptr<RunEnvironment> m_environment;
    std::unique_ptr<SharedState> m_state;
    int m_boxes = 0;
};

// The server root a benchmark runs on: the first argument, or a large site written into the
// given temporary folder.
QString benchmarkSite(int argc, char** argv, const QString& temporaryFolder);
