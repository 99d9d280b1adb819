#pragma once

#include <QString>
#include <QtGlobal>

class RegistryStore;

// The server version; written Major.Minor(Build.Revision), e.g. 4.0(2.120).
struct TalvoVersionInfo {
    qint16 Major = 0;
    qint16 Minor = 0;
    qint16 Build = 0;
    qint16 Revision = 0;
};

// Reads the version the server's setup recorded. Missing values read as 0, so a server without
// them is 0.0(0.0). A major, minor or build part whose digits are not decimal raises 13
// "Type mismatch".
TalvoVersionInfo GetTalvoVersion(const RegistryStore& registry);

// True when serverVersion is at least the given version, comparing the parts in order as
// signed numbers.
bool IsTalvoVersionAtLeast(const TalvoVersionInfo& serverVersion, qint16 major, qint16 minor, qint16 build, qint16 revision);

// "Major.Minor(Build.Revision)".
QString talvoVersionText(const TalvoVersionInfo& version);
