#include "support/UnattendedRun.h"

#include "audio/AudioDevice.h"
#include "server/ServerFunctions.h"
#include "server/SiteWriter.h"

#include <QDir>
#include <cstdio>

UnattendedRun::UnattendedRun(const QString& serverRoot, const QString& programFolder,
                             std::function<std::unique_ptr<AudioDevice>()> audioDevices)
    : m_identity(QStringLiteral("TALVOSRV"), QStringLiteral("bench.local"), QStringLiteral("admin")),
      m_serverState(serverRoot)
{
    m_environment = std::make_unique<RunEnvironment>(RunEnvironment{
        serverRoot, ProgramFolder(programFolder), *this, m_clock, m_identity, m_serverState, m_process, m_launcher,
        registerServerFunctions, QStringLiteral("1.0.0"),
        audioDevices ? std::move(audioDevices) : [] { return std::unique_ptr<AudioDevice>(); }, *this, *this, *this, QString()});
    m_state = std::make_unique<SharedState>(*m_environment);
}

UnattendedRun::~UnattendedRun()
{
    m_state.reset();
}

int UnattendedRun::msgBox(const QString& text, int buttons, const QString&)
{
    std::fprintf(stderr, "message box: %s\n", qPrintable(text));
    ++m_boxes;
    return (buttons & 7) == Buttons::YesNo || (buttons & 7) == Buttons::YesNoCancel ? Answer::Yes : Answer::OK;
}

QString UnattendedRun::inputBox(const QString& prompt, const QString&, const QString&)
{
    std::fprintf(stderr, "input box: %s\n", qPrintable(prompt));
    return QString();
}

QString benchmarkSite(int argc, char** argv, const QString& temporaryFolder)
{
    if (argc > 1)
        return QString::fromLocal8Bit(argv[1]);
    const QString root = QDir(temporaryFolder).filePath(QStringLiteral("large"));
    std::printf("writing the large site to %s ...\n", qPrintable(root));
    writeLargeSite(root);
    return root;
}
