#include "data/SharedState.h"
#include "platform/AudioDevice.h"
#include "platform/Clock.h"
#include "platform/Process.h"
#include "platform/ServerState.h"
#include "platform/SystemIdentity.h"
#include "platform/UserPrompts.h"
#include "server/ServerFunctions.h"
#include "tree/CallFlowTree.h"
#include "tree/frmMain.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Treewright"));
    QApplication::setApplicationVersion(QStringLiteral(TW_VERSION));

    // Without TALVO_ROOT there is no server to find, and the start-up says the server is not running.
    const QString serverRoot = qEnvironmentVariable("TALVO_ROOT");
    QtUserPrompts prompts;
    SystemClock clock;
    LinuxSystemIdentity identity;
    FileServerState serverState(serverRoot);
    SystemProcessControl process;
    SystemProcessLauncher launcher;
    const RunEnvironment environment{serverRoot,
                                     ProgramFolder::fromEnvironment(),
                                     prompts,
                                     clock,
                                     identity,
                                     serverState,
                                     process,
                                     launcher,
                                     registerServerFunctions,
                                     QStringLiteral(TW_VERSION),
                                     [] { return makeSystemAudioDevice(); }};
    SharedState state(environment);

    frmMain window(state);
    CallFlowTree tree(state, window);
    window.setTree(&tree);
    prompts.setParent(&window);
    window.Form_Load(QApplication::arguments());
    window.show();
    return app.exec();
}
