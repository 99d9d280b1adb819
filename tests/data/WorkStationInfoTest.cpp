#include "data/WorkStationInfo.h"

#include "data/ChangeLog.h"
#include "data/SharedState.h"
#include "fakes/ScriptedPrompts.h"
#include "fixtures/SiteState.h"
#include "system/Clock.h"
#include "system/SharedFileSystem.h"
#include "system/SystemIdentity.h"

#include <QFile>
#include <QRegularExpression>
#include <QSysInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// The line of a change log's header that names who runs the program on which machine.
QString workStationLine(const QString& logText)
{
    return logText.split(QStringLiteral("\r\n")).value(3);
}

TEST(WorkStationInfo, TheRunsChangeLogNamesTheMachineDomainAndUserItStartedWith)
{
    SiteState site;
    site.identity.set("TALVOSRV", "corp.example", "jsmith");
    SharedState& state = site.buildState();
    // The machine answers otherwise later in the run: the log still names the start's.
    site.identity.set("RENAMED", "", "someone");
    state.changeLog.OpenSessionLog(state.changeLog.GenerateNewLogFileName());
    EXPECT_EQ(workStationLine(site.changeLogText()),
              "User logged in on computer named: TALVOSRV in domain=corp.example as user with alias=jsmith");
}

TEST(WorkStationInfo, OnLinuxTheChangeLogNamesThisMachineAndTheUserRunningTheProgram)
{
    QTemporaryDir home;
    SharedFileSystem fileSystem;
    FixedClock clock(QDateTime(QDate(2026, 12, 10), QTime(9, 30, 0)));
    LinuxSystemIdentity system;
    WorkStationInfo workStation(system);
    ScriptedPrompts prompts;
    ChangeLog log(ProgramFolder(home.path()), fileSystem, clock, workStation, "1.0.0", prompts);
    const QString fileName = log.GenerateNewLogFileName();
    log.OpenSessionLog(fileName);
    QFile file(fileName);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString line = workStationLine(QString::fromUtf8(file.readAll()));

    const QRegularExpression expected("^User logged in on computer named: "
                                      + QRegularExpression::escape(QSysInfo::machineHostName().section('.', 0, 0))
                                      + " in domain=([^.\\s]\\S*)? as user with alias=\\S+$");
    EXPECT_TRUE(expected.match(line).hasMatch()) << line.toStdString();
    EXPECT_TRUE(prompts.messages.isEmpty()) << prompts.messages.join('|').toStdString();
}

TEST(SystemNames, ComputerAndDomainFromWhatLinuxOffers)
{
    struct Case {
        const char* host;
        const char* canonical;
        const char* nis;
        const char* computer;
        const char* domain;
    } cases[] = {
        {"talvosrv", "talvosrv.corp.example", "(none)", "talvosrv", "corp.example"},
        {"talvosrv.lab.example", "other.example.org", "NISDOM", "talvosrv", "lab.example"},
        {"talvosrv", "talvosrv", "NISDOM", "talvosrv", "NISDOM"},
        {"talvosrv", "", "(none)", "talvosrv", ""},
        {"talvosrv", "", "", "talvosrv", ""},
        {"(none)", "", "(none)", "", ""},
        {"", "", "", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SystemNames::computerFromHostName(c.host), QString::fromUtf8(c.computer)) << c.host;
        EXPECT_EQ(SystemNames::domainFrom(c.host, c.canonical, c.nis), QString::fromUtf8(c.domain))
            << c.host << " / " << c.canonical << " / " << c.nis;
    }
}

} // namespace
