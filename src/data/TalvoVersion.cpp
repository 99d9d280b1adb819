#include "data/TalvoVersion.h"

#include "data/RegistryAPI.h"
#include "runtime/RuntimeError.h"

#include <tuple>

namespace {

const QString VersionKey = QStringLiteral("Software\\Halvane\\");

quint32 readDWord(const RegistryStore& registry, const QString& valueName)
{
    const Variant value = QueryRegistryValue(registry, HKEY_LOCAL_MACHINE, VersionKey, valueName, RegistryType::DWord, Variant());
    return value.type() == Variant::Type::Integer ? static_cast<quint32>(value.toInt64()) : 0;
}

// The setup stores major, minor and build as binary-coded decimal: hex digits 0012 mean 12.
qint16 decimalDigits(const QString& digits)
{
    for (const QChar c : digits)
        if (!c.isDigit())
            throwError(ErrorNumber::TypeMismatch, QStringLiteral("Type mismatch"));
    return static_cast<qint16>(digits.toInt());
}

} // namespace

TalvoVersionInfo GetTalvoVersion(const RegistryStore& registry)
{
    const QString version =
        QStringLiteral("%1").arg(readDWord(registry, QStringLiteral("Version Number")), 8, 16, QLatin1Char('0')).toUpper();
    const quint32 build = readDWord(registry, QStringLiteral("Build Number"));
    const QString buildDigits = QStringLiteral("%1").arg(build, 8, 16, QLatin1Char('0')).toUpper();

    TalvoVersionInfo info;
    info.Major = decimalDigits(version.left(4));
    info.Minor = decimalDigits(version.right(4));
    info.Build = decimalDigits(buildDigits.left(4));
    info.Revision = static_cast<qint16>(static_cast<quint16>(build & 0xFFFFu));
    return info;
}

bool IsTalvoVersionAtLeast(const TalvoVersionInfo& serverVersion, qint16 major, qint16 minor, qint16 build, qint16 revision)
{
    return std::tie(serverVersion.Major, serverVersion.Minor, serverVersion.Build, serverVersion.Revision)
           >= std::tie(major, minor, build, revision);
}

QString talvoVersionText(const TalvoVersionInfo& version)
{
    return QStringLiteral("%1.%2(%3.%4)").arg(version.Major).arg(version.Minor).arg(version.Build).arg(version.Revision);
}
