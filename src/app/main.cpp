#include "app/Assembly.h"
#include "audio/device/QtAudioDevice.h"
#include "data/SharedState.h"
#include "dialogs/Dialogs.h"
#include "environment/UpdatePage.h"
#include "mainwindow/frmMain.h"
#include "server/FileServerState.h"
#include "server/ServerFunctions.h"
#include "system/Clock.h"
#include "system/PageFetcher.h"
#include "system/Process.h"
#include "system/SystemIdentity.h"
#include "widgets/QtDesktop.h"
#include "widgets/QtUserPrompts.h"

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
    QtUrlOpener urlOpener;
    QtFileDialogs fileDialogs;
    NetworkPageFetcher pageFetcher;
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
                                     [] { return makeSystemAudioDevice(); },
                                     urlOpener,
                                     fileDialogs,
                                     pageFetcher,
                                     updatePageAddressFromEnvironment()};
    SharedState state(environment);

    Dialogs dialogs(state);
    Assembly program(state, &dialogs);
    dialogs.setParent(&program.window());
    prompts.setParent(&program.window());
    fileDialogs.setParent(&program.window());
    program.window().Form_Load(QApplication::arguments());
    program.window().show();
    return app.exec();
}
