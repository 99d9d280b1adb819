#include "environment/EnvironmentServices.h"

#include "data/SharedState.h"
#include "environment/StartupHook.h"

void EnvironmentServices::RunTestBatch()
{
    ::RunTestBatch(m_state.environment.programFolder, m_state.environment.programVersion, m_state.environment.launcher);
}
