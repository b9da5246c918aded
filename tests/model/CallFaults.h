// Faults at a chosen file-system call: the k-th call made while armed fails, or the process ends
// right there as if killed. The program's own code is unchanged: the test executable is linked
// with the linker's --wrap for each call below, so that its calls reach these first.
#pragma once

namespace CallFaults {

enum class Fault { Fail, Kill };

// The exit status of a process ended at a call.
inline constexpr int kKilled = 77;

// From now on the k-th call, counted from 1, fails with error or ends the process; with only set,
// just the calls of that name count, and every one from the k-th on fails.
void Arm(long k, Fault fault, int error, const char* only = nullptr);
// Stops counting, and returns how many calls were counted.
long Disarm();
// The name of the call that was made to fail, or "" when none was.
const char* Failed();

} // namespace CallFaults
