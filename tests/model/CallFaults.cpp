// The wrapped calls. Each counts itself and, at the armed call, fails without doing anything, ends
// the process or runs what was armed; a failing close still releases the descriptor, as Linux
// does. While a power cut is tracked, the calls that change a file or a folder note first what a
// power cut would put back.
#include "CallFaults.h"

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <filesystem>
#include <limits>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

// NOLINTBEGIN(bugprone-reserved-identifier): the names the linker looks for
extern "C" {
int __real_open(const char* path, int flags, ...);
int __real_close(int fd);
int __real_stat(const char* p, struct stat* s);
int __real_lstat(const char* p, struct stat* s);
int __real_fstat(int fd, struct stat* s);
ssize_t __real_pread(int fd, void* b, size_t n, off_t o);
ssize_t __real_pwrite(int fd, const void* b, size_t n, off_t o);
int __real_ftruncate(int fd, off_t n);
int __real_fsync(int fd);
int __real_syncfs(int fd);
int __real_flock(int fd, int op);
int __real_mkdir(const char* p, mode_t m);
int __real_rename(const char* from, const char* to);
int __real_linkat(int fromFolder, const char* from, int toFolder, const char* to, int flags);
int __real_unlink(const char* p);
}

namespace {

// What Arm set, and the name of the call made to fail.
struct {
    long at = 0;
    long counted = 0;
    CallFaults::Fault fault = CallFaults::Fault::Fail;
    int error = 0;
    const char* only = nullptr;
    const char* failed = "";
    std::function<void()> run;
} armed;

bool likeNfs = false;
bool nfsLocks = false;

// ---- what a power cut would put back ----

using Key = std::pair<dev_t, ino_t>;

Key KeyOf(const struct stat& status) {
    return {status.st_dev, status.st_ino};
}

// A file's content on the disk, opened anew so that it can be put back after the program closed
// the file; how much of it a truncation since has cut off.
struct OnDisk {
    int fd = -1;
    std::string content;
    std::size_t shortest = 0;
};

// A folder's entry changed since its folder was last flushed: name made (no from, no stash),
// renamed here from from, or removed; what name held before is kept as stash.
struct Change {
    Key folder;
    std::string name;
    std::string from;
    std::string stash;
};

bool tracking = false;
std::map<Key, OnDisk> files;
std::vector<Change> changes;
int stashes = 0;

Key FolderOf(const std::string& name) {
    struct stat status {};
    __real_stat(std::filesystem::path(name).parent_path().c_str(), &status);
    return KeyOf(status);
}

void BeforeChange(int fd, std::size_t length) {
    struct stat status {};
    if (!tracking || __real_fstat(fd, &status) != 0) {
        return;
    }
    auto [file, first] = files.try_emplace(KeyOf(status));
    if (first) {
        const std::string self = "/proc/self/fd/" + std::to_string(fd);
        file->second.fd = __real_open(self.c_str(), O_RDWR | O_CLOEXEC);
        file->second.content.resize(static_cast<std::size_t>(status.st_size));
        __real_pread(fd, file->second.content.data(), file->second.content.size(), 0);
        file->second.shortest = file->second.content.size();
    }
    file->second.shortest = std::min(file->second.shortest, length);
}

// What name holds now, kept under another name in its folder until the change is flushed.
std::string Stash(const char* name) {
    struct stat status {};
    if (!tracking || __real_lstat(name, &status) != 0) {
        return {};
    }
    const std::string stash =
        std::filesystem::path(name).parent_path() / (".power-cut-" + std::to_string(++stashes));
    return link(name, stash.c_str()) == 0 ? stash : std::string();
}

int Changed(int result, const char* name, const char* from, const std::string& stash) {
    if (result == 0 && tracking) {
        changes.push_back({FolderOf(name), name, from != nullptr ? from : "", stash});
    } else if (!stash.empty()) {
        __real_unlink(stash.c_str());
    }
    return result;
}

// Forgets the changes flushed: those of folder, or every one.
void Flushed(const Key* folder) {
    std::erase_if(changes, [&](const Change& change) {
        const bool flushed = folder == nullptr || change.folder == *folder;
        if (flushed && !change.stash.empty()) {
            __real_unlink(change.stash.c_str());
        }
        return flushed;
    });
}

int AfterFsync(int result, int fd) {
    struct stat status {};
    if (result == 0 && tracking && __real_fstat(fd, &status) == 0) {
        if (const Key folder = KeyOf(status); S_ISDIR(status.st_mode)) {
            Flushed(&folder);
        } else if (const auto file = files.find(KeyOf(status)); file != files.end()) {
            __real_close(file->second.fd);
            files.erase(file);
        }
    }
    return result;
}

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
        CallFaults::CutPower();
        _exit(CallFaults::kKilled);
    }
    if (armed.fault == CallFaults::Fault::Run) {
        armed.at = 0;
        std::exchange(armed.run, {})();
        return false;
    }
    errno = armed.error;
    armed.failed = name;
    return true;
}

} // namespace

void CallFaults::Arm(long k, Fault fault, int error, const char* only, std::function<void()> run) {
    armed = {k, 0, fault, error, only, "", std::move(run)};
}

long CallFaults::Disarm() {
    armed.at = 0;
    return armed.counted;
}

const char* CallFaults::Failed() {
    return armed.failed;
}

void CallFaults::LikeNfs(bool withLocks) {
    likeNfs = true;
    nfsLocks = withLocks;
}

void CallFaults::TrackPowerCut() {
    tracking = true;
}

void CallFaults::CutPower() {
    if (!tracking) {
        return;
    }
    tracking = false;
    for (const auto& [key, file] : files) {
        __real_ftruncate(file.fd, 0);
        __real_pwrite(file.fd, file.content.data(), file.shortest, 0);
    }
    for (auto change = changes.rbegin(); change != changes.rend(); ++change) {
        std::error_code gone;
        if (!change->from.empty()) {
            __real_rename(change->name.c_str(), change->from.c_str());
        } else if (change->stash.empty()) {
            std::filesystem::remove_all(change->name, gone);
        }
        if (!change->stash.empty()) {
            __real_rename(change->stash.c_str(), change->name.c_str());
        }
    }
}

#define TESSALY_WRAP(result, name, params, args)                                                   \
    extern "C" result __real_##name params;                                                        \
    extern "C" result __wrap_##name params {                                                       \
        return Faulted(#name) ? -1 : __real_##name args;                                           \
    }

TESSALY_WRAP(int, lstat, (const char* p, struct stat* s), (p, s))
TESSALY_WRAP(int, stat, (const char* p, struct stat* s), (p, s))
TESSALY_WRAP(int, fstat, (int fd, struct stat* s), (fd, s))
TESSALY_WRAP(ssize_t, readlink, (const char* p, char* b, size_t n), (p, b, n))
TESSALY_WRAP(int, faccessat, (int d, const char* p, int m, int f), (d, p, m, f))
TESSALY_WRAP(ssize_t, pread, (int fd, void* b, size_t n, off_t o), (fd, b, n, o))
TESSALY_WRAP(int, fchown, (int fd, uid_t u, gid_t g), (fd, u, g))
TESSALY_WRAP(int, fchmod, (int fd, mode_t m), (fd, m))

extern "C" ssize_t __wrap_pwrite(int fd, const void* b, size_t n, off_t o) {
    if (Faulted("pwrite")) {
        return -1;
    }
    BeforeChange(fd, std::numeric_limits<std::size_t>::max());
    return __real_pwrite(fd, b, n, o);
}

extern "C" int __wrap_ftruncate(int fd, off_t n) {
    if (Faulted("ftruncate")) {
        return -1;
    }
    BeforeChange(fd, static_cast<std::size_t>(n));
    return __real_ftruncate(fd, n);
}

extern "C" int __wrap_fsync(int fd) {
    return Faulted("fsync") ? -1 : AfterFsync(__real_fsync(fd), fd);
}

extern "C" int __wrap_syncfs(int fd) {
    if (Faulted("syncfs")) {
        return -1;
    }
    const int result = __real_syncfs(fd);
    if (result == 0 && tracking) {
        for (const auto& [key, file] : files) {
            __real_close(file.fd);
        }
        files.clear();
        Flushed(nullptr);
    }
    return result;
}

extern "C" int __wrap_flock(int fd, int op) {
    if (likeNfs && !nfsLocks) {
        errno = ENOLCK;
        return -1;
    }
    return Faulted("flock") ? -1 : __real_flock(fd, op);
}

extern "C" int __wrap_mkdir(const char* p, mode_t m) {
    return Faulted("mkdir") ? -1 : Changed(__real_mkdir(p, m), p, nullptr, {});
}

// What a rename or unlink replaces is stashed before the call: an argument's order of evaluation
// is the compiler's.
extern "C" int __wrap_rename(const char* from, const char* to) {
    if (Faulted("rename")) {
        return -1;
    }
    const std::string replaced = Stash(to);
    return Changed(__real_rename(from, to), to, from, replaced);
}

extern "C" int __wrap_linkat(int fromFolder, const char* from, int toFolder, const char* to,
                             int flags) {
    return Faulted("linkat")
               ? -1
               : Changed(__real_linkat(fromFolder, from, toFolder, to, flags), to, nullptr, {});
}

extern "C" int __wrap_unlink(const char* p) {
    if (Faulted("unlink")) {
        return -1;
    }
    const std::string removed = Stash(p);
    return Changed(__real_unlink(p), p, nullptr, removed);
}

extern "C" int __wrap_open(const char* path, int flags, ...) {
    mode_t mode = 0;
    if ((flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE) {
        va_list rest;
        va_start(rest, flags);
        mode = va_arg(rest, mode_t);
        va_end(rest);
    }
    if (Faulted("open")) {
        return -1;
    }
    if (likeNfs && (flags & O_TMPFILE) == O_TMPFILE) {
        errno = EOPNOTSUPP;
        return -1;
    }
    struct stat status {};
    if ((flags & O_CREAT) == 0 || __real_lstat(path, &status) == 0) {
        return __real_open(path, flags, mode);
    }
    const int fd = __real_open(path, flags, mode);
    Changed(fd >= 0 ? 0 : -1, path, nullptr, {});
    return fd;
}

extern "C" int __wrap_close(int fd) {
    const bool faulted = Faulted("close");
    const int closed = __real_close(fd);
    return faulted ? -1 : closed;
}
// NOLINTEND(bugprone-reserved-identifier)
