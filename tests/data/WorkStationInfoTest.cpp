#include "data/WorkStationInfo.h"

#include "system/SystemIdentity.h"

#include <QSysInfo>
#include <gtest/gtest.h>

TEST(WorkStationInfo, ReadsTheIdentityWhenCreatedAndAgainOnRefresh)
{
    FixedSystemIdentity identity("TALVOSRV", "WORKGROUP", "jsmith");
    WorkStationInfo info(identity);
    EXPECT_EQ(info.ComputerName(), QStringLiteral("TALVOSRV"));
    EXPECT_EQ(info.Domain(), QStringLiteral("WORKGROUP"));
    EXPECT_EQ(info.UserName(), QStringLiteral("jsmith"));
    EXPECT_EQ(info.LanRoot(), QString());
    EXPECT_EQ(info.LogonDomain(), QString());
    EXPECT_EQ(info.LoggedOnUsers(), 0);
    EXPECT_EQ(info.PlatformId(), 0);

    identity.set("NEWNAME", "", "");
    EXPECT_EQ(info.ComputerName(), QStringLiteral("TALVOSRV")) << "read once, kept until Refresh";
    info.Refresh();
    EXPECT_EQ(info.ComputerName(), QStringLiteral("NEWNAME"));
    EXPECT_EQ(info.Domain(), QString());
    EXPECT_EQ(info.UserName(), QString());
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

TEST(SystemNames, TheLinuxSystemNamesThisMachineAndItsUser)
{
    LinuxSystemIdentity system;
    WorkStationInfo info(system);
    EXPECT_EQ(info.ComputerName(), QSysInfo::machineHostName().section('.', 0, 0));
    EXPECT_FALSE(info.UserName().isEmpty());
    EXPECT_FALSE(info.Domain().startsWith('.'));
}
