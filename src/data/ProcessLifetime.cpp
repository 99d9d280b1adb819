#include "data/ProcessLifetime.h"

#include "data/SharedState.h"
#include "runtime/ErrorHandling.h"
#include "system/Process.h"

#include <cstdlib>

bool SetProcessPriority(ProcessControl& process, int priorityClass)
{
    // Classes become nice values; a positive one is below normal.
    int niceness = 0;
    switch (priorityClass) {
    case PriorityClass::Idle:
        niceness = 19;
        break;
    case PriorityClass::BelowNormal:
        niceness = 5;
        break;
    case PriorityClass::Normal:
        niceness = 0;
        break;
    case PriorityClass::AboveNormal:
        niceness = -5;
        break;
    case PriorityClass::High:
        niceness = -10;
        break;
    case PriorityClass::RealTime:
        niceness = -20;
        break;
    default:
        return false;
    }
    return process.setNiceness(niceness);
}

void ShutDownApplication(SharedState& state)
{
    runStepSilently([&] { state.changeLog.CloseSessionLog(); });
    runStepSilently([&] { state.cache.CloseDatabaseRecordsets(); });
    state.environment.process.endProcess(0);
    std::abort(); // an ending that returned would let the caller run on
}
