#pragma once

class ProcessControl;
class SharedState;

// Priority classes the program passes, as the system numbers them.
namespace PriorityClass {
constexpr int Idle = 0x40;
constexpr int Normal = 0x20;
constexpr int High = 0x80;
constexpr int RealTime = 0x100;
constexpr int BelowNormal = 0x4000;
constexpr int AboveNormal = 0x8000;
} // namespace PriorityClass

// Sets the priority class of the program's own process; True when it was set.
bool SetProcessPriority(ProcessControl& process, int priorityClass);

// Ends every run: the log's trailer, the cache closed, the process ended. Every failure on the
// way is passed over, so the process always ends.
[[noreturn]] void ShutDownApplication(SharedState& state);
