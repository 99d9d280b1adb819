#pragma once

#include "data/SharedState.h"
#include "platform/Clock.h"
#include "platform/ServerState.h"
#include "platform/SystemIdentity.h"
#include "support/FakeProcess.h"
#include "support/FixtureSite.h"
#include "support/ScriptedPrompts.h"
#include "tree/CallFlowTree.h"
#include "tree/frmMain.h"

#include <QTemporaryDir>
#include <memory>

// A server state the test sets.
class SettableServerState : public ServerState {
public:
    int state() override { return value; }
    int value = 32;
};

// Everything the main window needs, on a fixture site, with scripted boxes, a fixed clock and
// identity, an observable process end and fake sound devices. The window is built by build(),
// so that a test can change the site or the environment first.
class MainWindowFixture {
public:
    MainWindowFixture();
    ~MainWindowFixture();

    frmMain& build();
    // Runs the start-up; true when it ran to its end, false when it ended the process.
    bool load(const QStringList& commandLine = {});

    void setVersion(quint32 versionNumber, quint32 buildNumber); // rewrites registry.reg's version values
    QStringList logFiles() const;
    // The run's change log, or the empty text unless exactly one log was written.
    QString changeLogText() const;

    FixtureSite site;
    QTemporaryDir programFolder;
    ScriptedPrompts prompts;
    FixedClock clock;
    FixedSystemIdentity identity;
    SettableServerState serverState;
    FakeProcessControl process;
    FakeProcessLauncher launcher;
    std::unique_ptr<RunEnvironment> environment;
    std::unique_ptr<SharedState> state;
    std::unique_ptr<frmMain> window;
    std::unique_ptr<CallFlowTree> tree; // the window's call-flow tree
    int exitCode = -1;
};
