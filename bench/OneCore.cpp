// Pinning every thread of the process through /proc/self/task.
#include "OneCore.h"

#include <cerrno>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <sys/types.h>
#include <system_error>

namespace {

cpu_set_t Affinity() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) != 0) {
        throw std::system_error(errno, std::generic_category(), "sched_getaffinity");
    }
    return set;
}

int FirstCore(const cpu_set_t& set) {
    for (int core = 0; core < CPU_SETSIZE; ++core) {
        if (CPU_ISSET(core, &set)) {
            return core;
        }
    }
    throw std::runtime_error("the process may run on no core");
}

// A thread that ended since the folder was read has nothing left to pin; any other failure is one.
void SetEveryThread(const cpu_set_t& set) {
    if (sched_setaffinity(0, sizeof set, &set) != 0) {
        throw std::system_error(errno, std::generic_category(), "sched_setaffinity");
    }
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        const auto tid = static_cast<pid_t>(std::stol(task.path().filename().string()));
        if (sched_setaffinity(tid, sizeof set, &set) != 0 && errno != ESRCH) {
            throw std::system_error(errno, std::generic_category(), "sched_setaffinity");
        }
    }
}

} // namespace

OneCore::OneCore() : before_(Affinity()), core_(FirstCore(before_)) {
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(core_, &one);
    SetEveryThread(one);
}

OneCore::~OneCore() {
    try {
        SetEveryThread(before_);
    } catch (const std::exception&) {
        // A destructor must not throw; the threads stay on one core, which only slows them.
    }
}

int AllowedCores() {
    const cpu_set_t set = Affinity();
    return CPU_COUNT(&set);
}
