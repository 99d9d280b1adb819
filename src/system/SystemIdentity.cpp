#include "system/SystemIdentity.h"

#include <climits>
#include <netdb.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

QString hostName()
{
    char buffer[HOST_NAME_MAX + 1] = {};
    if (gethostname(buffer, sizeof buffer - 1) != 0)
        return QString();
    return QString::fromLocal8Bit(buffer);
}

// The fully qualified name as the resolver gives it (the hosts file first on a usual set-up).
QString canonicalName(const QString& host)
{
    if (host.isEmpty())
        return QString();
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_flags = AI_CANONNAME;
    addrinfo* result = nullptr;
    if (getaddrinfo(host.toLocal8Bit().constData(), nullptr, &hints, &result) != 0 || !result)
        return QString();
    const QString name = result->ai_canonname ? QString::fromLocal8Bit(result->ai_canonname) : QString();
    freeaddrinfo(result);
    return name;
}

QString nisDomain()
{
    char buffer[256] = {};
    if (getdomainname(buffer, sizeof buffer - 1) != 0)
        return QString();
    return QString::fromLocal8Bit(buffer);
}

QString domainPart(const QString& name)
{
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot + 1);
}

} // namespace

QString SystemNames::computerFromHostName(const QString& hostName)
{
    // "(none)" is what the kernel reports for a name nobody set.
    if (hostName == QLatin1String("(none)"))
        return QString();
    return hostName.section(QLatin1Char('.'), 0, 0);
}

QString SystemNames::domainFrom(const QString& hostName, const QString& canonicalName, const QString& nisDomain)
{
    QString domain = domainPart(hostName);
    if (domain.isEmpty())
        domain = domainPart(canonicalName);
    if (domain.isEmpty() && nisDomain != QLatin1String("(none)"))
        domain = nisDomain;
    return domain;
}

QString LinuxSystemIdentity::computerName() const
{
    return SystemNames::computerFromHostName(hostName());
}

QString LinuxSystemIdentity::domain() const
{
    const QString host = hostName();
    // The resolver is asked only when the host name carries no domain of its own.
    const QString canonical = domainPart(host).isEmpty() ? canonicalName(host) : QString();
    return SystemNames::domainFrom(host, canonical, nisDomain());
}

QString LinuxSystemIdentity::userName() const
{
    // The login name tells who sat down even when the program runs under another account; a
    // desktop start has no login terminal, so the account the program runs as answers then.
    std::vector<char> login(LOGIN_NAME_MAX + 1, '\0');
    if (getlogin_r(login.data(), login.size() - 1) == 0 && login[0] != '\0')
        return QString::fromLocal8Bit(login.data());
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_name)
        return QString::fromLocal8Bit(found->pw_name);
    return qEnvironmentVariable("USER");
}
