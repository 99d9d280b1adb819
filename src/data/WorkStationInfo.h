#pragma once

#include <QString>

class SystemIdentity;

// Who runs the program on which machine; read once when created and again on Refresh. The change
// log's header names ComputerName, Domain and UserName. The other members stay empty or 0 here:
// this system has no workstation service that would fill them, and nothing reads them.
class WorkStationInfo {
public:
    // The identity must outlive this object; Refresh reads it again.
    explicit WorkStationInfo(const SystemIdentity& identity);

    void Refresh();

    QString ComputerName() const { return m_computerName; }
    QString Domain() const { return m_domain; }
    QString LanRoot() const { return m_lanRoot; }
    qint32 LoggedOnUsers() const { return m_loggedOnUsers; }
    qint32 PlatformId() const { return m_platformId; }
    qint32 VerMajor() const { return m_verMajor; }
    qint32 VerMinor() const { return m_verMinor; }
    QString LogonDomain() const { return m_logonDomain; }
    QString LogonServer() const { return m_logonServer; }
    QString OtherDomains() const { return m_otherDomains; }
    QString UserName() const { return m_userName; }

private:
    const SystemIdentity& m_identity;
    QString m_computerName;
    QString m_domain;
    QString m_lanRoot;
    qint32 m_loggedOnUsers = 0;
    qint32 m_platformId = 0;
    qint32 m_verMajor = 0;
    qint32 m_verMinor = 0;
    QString m_logonDomain;
    QString m_logonServer;
    QString m_otherDomains;
    QString m_userName;
};
