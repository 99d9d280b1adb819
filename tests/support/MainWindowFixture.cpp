#include "support/MainWindowFixture.h"

#include "server/ServerFunctions.h"
#include "support/FakeAudioDevice.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

MainWindowFixture::MainWindowFixture()
    : clock(QDateTime(QDate(2026, 12, 10), QTime(9, 30, 0))), identity(QStringLiteral("TALVOSRV"), QStringLiteral("example.local"),
                                                                          QStringLiteral("admin"))
{
}

MainWindowFixture::~MainWindowFixture()
{
    tree.reset();
    window.reset();
    state.reset();
}

frmMain& MainWindowFixture::build()
{
    environment = std::make_unique<RunEnvironment>(RunEnvironment{site.rootPath(),
                                                                  ProgramFolder(programFolder.path()),
                                                                  prompts,
                                                                  clock,
                                                                  identity,
                                                                  serverState,
                                                                  process,
                                                                  launcher,
                                                                  registerServerFunctions,
                                                                  QStringLiteral("1.0.0"),
                                                                  [] { return std::make_unique<FakeAudioDevice>(); }});
    state = std::make_unique<SharedState>(*environment);
    window = std::make_unique<frmMain>(*state);
    tree = std::make_unique<CallFlowTree>(*state, *window);
    window->setTree(tree.get());
    return *window;
}

bool MainWindowFixture::load(const QStringList& commandLine)
{
    if (!window)
        build();
    try {
        window->Form_Load(commandLine);
        return true;
    } catch (const ProcessEnded& ended) {
        exitCode = ended.exitCode;
        return false;
    }
}

void MainWindowFixture::setVersion(quint32 versionNumber, quint32 buildNumber)
{
    QFile file(QDir(site.rootPath()).filePath(QStringLiteral("registry.reg")));
    file.open(QIODevice::ReadOnly);
    QString text = QString::fromUtf8(file.readAll());
    file.close();
    text.replace(QRegularExpression(QStringLiteral("\"Version Number\"=dword:[0-9a-fA-F]+")),
                 QStringLiteral("\"Version Number\"=dword:%1").arg(versionNumber, 8, 16, QLatin1Char('0')));
    text.replace(QRegularExpression(QStringLiteral("\"Build Number\"=dword:[0-9a-fA-F]+")),
                 QStringLiteral("\"Build Number\"=dword:%1").arg(buildNumber, 8, 16, QLatin1Char('0')));
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(text.toUtf8());
}

QStringList MainWindowFixture::logFiles() const
{
    return QDir(QDir(programFolder.path()).filePath(QStringLiteral("logs"))).entryList(QDir::Files);
}

QString MainWindowFixture::changeLogText() const
{
    const QStringList files = logFiles();
    if (files.size() != 1)
        return QString();
    QFile log(QDir(programFolder.path()).filePath(QStringLiteral("logs/") + files.first()));
    log.open(QIODevice::ReadOnly);
    return QString::fromUtf8(log.readAll());
}
