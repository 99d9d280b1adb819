#include "environment/EnvironmentServices.h"

#include "data/SharedState.h"
#include "environment/LanguageCodes.h"
#include "environment/StartupHook.h"

void EnvironmentServices::RunTestBatch()
{
    ::RunTestBatch(m_state.environment.programFolder, m_state.environment.programVersion, m_state.environment.launcher);
}

QString EnvironmentServices::GetLanguageCode(qint32 lcid) const
{
    return LanguageCodes::GetLanguageCode(lcid);
}

QString EnvironmentServices::GetLanguageNameFromCode(const QString& code) const
{
    return LanguageCodes::GetLanguageNameFromCode(code);
}
