#include "data/WorkStationInfo.h"

#include "system/SystemIdentity.h"

WorkStationInfo::WorkStationInfo(const SystemIdentity& identity)
    : m_identity(identity)
{
    Refresh();
}

void WorkStationInfo::Refresh()
{
    m_computerName = m_identity.computerName();
    m_domain = m_identity.domain();
    m_userName = m_identity.userName();
}
