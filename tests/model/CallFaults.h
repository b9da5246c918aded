// Faults at a chosen file-system call: the k-th call made while armed fails, the process ends
// right there as if killed, or something else runs there first. The program's own code is
// unchanged: the test executable is linked with the linker's --wrap for each call below, so that
// its calls reach these first.
#pragma once

#include <functional>

namespace CallFaults {

enum class Fault { Fail, Kill, Run };

// The exit status of a process ended at a call.
inline constexpr int kKilled = 77;

// From now on the k-th call, counted from 1, fails with error, ends the process, or runs run
// before it is made (with counting stopped); with only set, just the calls of that name count,
// and every one from the k-th on fails.
void Arm(long k, Fault fault, int error, const char* only = nullptr,
         std::function<void()> run = {});
// Stops counting, and returns how many calls were counted.
long Disarm();
// The name of the call that was made to fail, or "" when none was.
const char* Failed();

// From now on the calls behave as on NFS: no file without a name, and no lock unless withLocks
// (its lock service runs).
void LikeNfs(bool withLocks);

// From now on the calls keep what a power cut would take back: each file's content as of its
// last fsync, cut to its shortest length since (a truncation reaches the disk with the file
// system's journal, the data written after it need not), and each folder's entries as of its last
// flush. A process ended at a call then first puts that back, as does CutPower.
void TrackPowerCut();
void CutPower();

} // namespace CallFaults
