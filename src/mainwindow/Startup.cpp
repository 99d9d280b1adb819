// The start-up of the whole program: the main window's load event.
#include "data/ProcessLifetime.h"
#include "data/RegistryAPI.h"
#include "data/SharedState.h"
#include "environment/EnvironmentOperations.h"
#include "mainwindow/frmMain.h"
#include "pane/PaneOperations.h"
#include "runtime/ErrorHandling.h"
#include "system/ServerState.h"
#include "system/SystemIdentity.h"

#include <QAction>
#include <QDateTime>
#include <QMenu>

void frmMain::Form_Load(const QStringList& commandLine)
{
    SharedState& s = m_state;
    UserPrompts& prompts = s.prompts;
    // One error handler for every step: its message, then the next step.
    const StepErrors loadErrors(QStringLiteral("error in form load routine:"));
    auto step = [&](auto&& body) { return runStep(prompts, loadErrors, body); };

    step([&] { SetProcessPriority(s.environment.process, PriorityClass::BelowNormal); });

    int serverState = 0;
    step([&] { serverState = s.environment.serverState.state(); });
    if (serverState != ServerState::Running) {
        prompts.msgBox(QStringLiteral("Talvo must be running.  Please start Talvo and try again."));
        ShutDownApplication(s);
    }

    step([&] { s.ServerVersion = GetTalvoVersion(s.registry); });
    if (!IsTalvoVersionAtLeast(s.ServerVersion, 4, 0, 1, 0)) {
        prompts.msgBox(
            QStringLiteral("Talvo version earlier than 4.0(1) detected... this application only runs on Talvo 4.0(1) or later."));
        ShutDownApplication(s);
    }
    if (s.ServerVersion.Major > 4) {
        prompts.msgBox(QStringLiteral("This version of Treewright has not been tested with versions of Talvo greater than 4.x.  "
                                      "Please obtain an updated version of TWR."));
        ShutDownApplication(s);
    }

    step([&] { s.changeLog.OpenSessionLog(s.changeLog.GenerateNewLogFileName()); });
    step([&] { s.ServerName = s.environment.identity.computerName(); });
    s.ConnectionString = ConnectionFactory::connectionStringFor(s.ServerName);
    // The call handlers' list, loaded twice below, needs nothing of the cache: it is read while
    // the cache opens.
    if (m_parts.objectList)
        step([&] { m_parts.objectList->readListAhead(0); });
    step([&] { s.cache.OpenDatabaseRecordsets(s.ConnectionString); });

    if (m_parts.pane)
        step([&] { m_parts.pane->ShowDirectoryHandlerTabs(); });
    // Only the arguments count: a program installed under a folder named "Schedules" is not
    // started for the schedule editor.
    if (commandLine.mid(1).join(QLatin1Char(' ')).contains(QLatin1String("Schedules"), Qt::CaseInsensitive)) {
        mnuSchedules->setVisible(true);
    }
    if (m_parts.objectList)
        step([&] { m_parts.objectList->ChooseObjectType(0); });

    if (m_parts.references)
        step([&] { m_parts.references->ClearReferences(); });
    if (m_parts.tree)
        step([&] { m_parts.tree->ClearTree(); });

    Recordset& ch = s.cache.rsCallHandler;
    step([&] { ch.moveFirst(); });
    step([&] { ch.find(QStringLiteral("Alias"), QStringLiteral("openinggreetingch")); });
    bool missing = true;
    step([&] { missing = ch.isEOF(); });
    if (missing) {
        prompts.msgBox(QStringLiteral("Error! Could not locate opening greeting handler.  Exiting"));
        ShutDownApplication(s);
    }

    step([&] {
        s.StreamFilesPath = QueryRegistryValue(s.registry, HKEY_LOCAL_MACHINE, QStringLiteral("Software\\Halvane\\Sorvic\\1.0\\"),
                                               QStringLiteral("Root Path"), 1, QString())
                                .textOrEmpty()
                            + QStringLiteral("Stream Files\\");
    });
    s.random.seed(static_cast<quint32>(QDateTime::currentMSecsSinceEpoch()));
    if (m_parts.pane)
        for (auto which : {PaneOperations::MediaControl::HandlerGreetings, PaneOperations::MediaControl::SubscriberGreetings,
                           PaneOperations::MediaControl::InterviewerQuestions})
            step([&] { m_parts.pane->CreateMediaControl(which); });

    if (m_parts.pane)
        step([&] { m_parts.pane->PopulateControls(); });
    if (m_parts.objectList)
        step([&] { m_parts.objectList->LoadGridView(); });
    step([&] {
        const QString root = ch.field(QStringLiteral("CallHandlerObjectID")).toText();
        if (!m_parts.tree)
            return;
        m_parts.tree->setTreeRoot(root, 3);
        // The window shows its tree without waiting for the opening greeting's references.
        const auto addRoot = [&] { m_parts.tree->AddNewNode(root, 3); };
        if (m_parts.references)
            m_parts.references->DeferLoadsDuring(addRoot);
        else
            addRoot();
    });
    if (m_parts.environment)
        step([&] { m_parts.environment->RunTestBatch(); });
}
