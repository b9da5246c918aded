// Runs the whole process on one core for as long as an instance lives, so that a case that draws
// on several threads shows what the same work costs when one core is all there is.
#pragma once

#include <sched.h>

// The affinity of a thread is its own: pinning only the calling thread would leave the threads
// the process already runs (Qt's own among them) free to run on the other cores. So every thread
// of the process is pinned, the calling thread first; threads started later from it, the
// redraw's among them, inherit its affinity. On destruction every thread gets the process's former
// affinity back.
class OneCore {
public:
    OneCore();
    ~OneCore();
    OneCore(const OneCore&) = delete;
    OneCore& operator=(const OneCore&) = delete;

    // The core everything runs on: the first the process was allowed.
    int core() const { return core_; }

private:
    cpu_set_t before_;
    int core_ = 0;
};

// The number of cores the process may run on, as nproc counts them.
int AllowedCores();
