// The wrapped calls. Each counts itself and, at the armed call, fails without doing anything or
// ends the process; a failing close still releases the descriptor, as Linux does.
#include "CallFaults.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What Arm set, and the name of the call made to fail.
struct {
    long at = 0;
    long counted = 0;
    CallFaults::Fault fault = CallFaults::Fault::Fail;
    int error = 0;
    const char* only = nullptr;
    const char* failed = "";
} armed;

// Whether the call named name is the one to fail; never returns at the one to end at.
bool Faulted(const char* name) {
    if (armed.at == 0 || (armed.only != nullptr && std::strcmp(name, armed.only) != 0)) {
        return false;
    }
    ++armed.counted;
    if (armed.counted < armed.at || (armed.counted > armed.at && armed.only == nullptr)) {
        return false;
    }
    if (armed.fault == CallFaults::Fault::Kill) {
        _exit(CallFaults::kKilled);
    }
    errno = armed.error;
    armed.failed = name;
    return true;
}

} // namespace

void CallFaults::Arm(long k, Fault fault, int error, const char* only) {
    armed = {k, 0, fault, error, only, ""};
}

long CallFaults::Disarm() {
    armed.at = 0;
    return armed.counted;
}

const char* CallFaults::Failed() {
    return armed.failed;
}

// NOLINTBEGIN(bugprone-reserved-identifier): the names the linker looks for
#define TESSALY_WRAP(result, name, params, args)                                                   \
    extern "C" result __real_##name params;                                                        \
    extern "C" result __wrap_##name params {                                                       \
        return Faulted(#name) ? -1 : __real_##name args;                                           \
    }

TESSALY_WRAP(int, lstat, (const char* p, struct stat* s), (p, s))
TESSALY_WRAP(int, stat, (const char* p, struct stat* s), (p, s))
TESSALY_WRAP(ssize_t, readlink, (const char* p, char* b, size_t n), (p, b, n))
TESSALY_WRAP(int, faccessat, (int d, const char* p, int m, int f), (d, p, m, f))
TESSALY_WRAP(int, mkdir, (const char* p, mode_t m), (p, m))
TESSALY_WRAP(ssize_t, pread, (int fd, void* b, size_t n, off_t o), (fd, b, n, o))
TESSALY_WRAP(ssize_t, pwrite, (int fd, const void* b, size_t n, off_t o), (fd, b, n, o))
TESSALY_WRAP(int, fsync, (int fd), (fd))
TESSALY_WRAP(int, ftruncate, (int fd, off_t n), (fd, n))
TESSALY_WRAP(int, fchown, (int fd, uid_t u, gid_t g), (fd, u, g))
TESSALY_WRAP(int, fchmod, (int fd, mode_t m), (fd, m))
TESSALY_WRAP(int, flock, (int fd, int op), (fd, op))
TESSALY_WRAP(int, rename, (const char* from, const char* to), (from, to))
TESSALY_WRAP(int, unlink, (const char* p), (p))

extern "C" int __real_open(const char* path, int flags, ...);
extern "C" int __wrap_open(const char* path, int flags, ...) {
    mode_t mode = 0;
    if ((flags & O_CREAT) != 0) {
        va_list rest;
        va_start(rest, flags);
        mode = va_arg(rest, mode_t);
        va_end(rest);
    }
    return Faulted("open") ? -1 : __real_open(path, flags, mode);
}

extern "C" int __real_close(int fd);
extern "C" int __wrap_close(int fd) {
    const bool faulted = Faulted("close");
    const int closed = __real_close(fd);
    return faulted ? -1 : closed;
}
// NOLINTEND(bugprone-reserved-identifier)
