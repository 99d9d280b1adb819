#include "system/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <gtest/gtest.h>

namespace {

// Sets TREEWRIGHT_HOME for one test and puts the old value back.
class HomeVariable {
public:
    explicit HomeVariable(const QByteArray* value)
        : m_wasSet(qEnvironmentVariableIsSet("TREEWRIGHT_HOME")),
          m_old(qgetenv("TREEWRIGHT_HOME"))
    {
        if (value)
            qputenv("TREEWRIGHT_HOME", *value);
        else
            qunsetenv("TREEWRIGHT_HOME");
    }
    ~HomeVariable()
    {
        if (m_wasSet)
            qputenv("TREEWRIGHT_HOME", m_old);
        else
            qunsetenv("TREEWRIGHT_HOME");
    }

private:
    bool m_wasSet;
    QByteArray m_old;
};

} // namespace

TEST(ProgramFolder, HomeVariableWinsOverTheExecutablesFolder)
{
    const QByteArray absolute("/opt/treewright-home/");
    const QByteArray relative("relative/home");
    const QByteArray empty;
    {
        HomeVariable home(&absolute);
        EXPECT_EQ(ProgramFolder::fromEnvironment().path(), QStringLiteral("/opt/treewright-home"));
        EXPECT_EQ(ProgramFolder::fromEnvironment().file("logs"), QStringLiteral("/opt/treewright-home/logs"));
    }
    {
        HomeVariable home(&relative);
        EXPECT_EQ(ProgramFolder::fromEnvironment().path(), QDir::current().absoluteFilePath("relative/home"));
    }
    for (const QByteArray* value : {static_cast<const QByteArray*>(nullptr), &empty}) {
        HomeVariable home(value);
        EXPECT_EQ(ProgramFolder::fromEnvironment().path(), QCoreApplication::applicationDirPath());
    }
}
