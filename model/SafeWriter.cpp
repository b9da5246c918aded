// The new file or the backup, checked writes, the final rename and the flushes that make each
// step durable; the lock that keeps two saves of one file apart.
#include "SafeWriter.h"

#include "Backups.h"
#include "FileError.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <optional>
#include <random>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Reason = FileError::Reason;

// Text is handed to the system in pieces of this size.
constexpr std::size_t kChunk = std::size_t{64} * 1024;
// An old content is copied through a buffer of this size.
constexpr std::size_t kCopyBuffer = std::size_t{16} * 1024;
// A new file gets these permissions, less what the umask takes away.
constexpr mode_t kNewFileMode = 0666;
constexpr mode_t kModeBits = 07777;
constexpr mode_t kOwnerOnly = S_IRUSR | S_IWUSR;
// As many links as the system itself follows in one name.
constexpr int kMaxLinkHops = 40;
// A name for a new file is tried this many times before the save gives up: every backup name up
// to "<name>.~999~", or random names, all taken.
constexpr int kNameTries = 1000;
// The letters of a random name, and how many it has: too many names to guess.
constexpr std::string_view kRandomLetters =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
constexpr std::size_t kRandomLength = 8;
// Where a file without a name can be reached by a name, to give it one.
constexpr const char* kOwnFiles = "/proc/self/fd/";

std::string NameOf(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

// The message of a save that reached the disk but could not be finished.
FileError WrittenBut(int error, const std::string& detail) {
    return FileError(Reason::Written,
                     "the file is saved, but " + detail + ": " + std::strerror(error));
}

// Where the symbolic link at path points, relative to the link's folder.
std::string LinkDestination(const std::string& path) {
    std::string destination(PATH_MAX, '\0');
    const ssize_t length = readlink(path.c_str(), destination.data(), destination.size());
    if (length < 0 || length == PATH_MAX) {
        const int error = length < 0 ? errno : ENAMETOOLONG;
        throw FileError::FromErrno(error, "cannot follow the link " + path);
    }
    destination.resize(static_cast<std::size_t>(length));
    return (std::filesystem::path(path).parent_path() / destination).string();
}

// The file a name finally points to, and what it is now: nothing for a file yet to be made.
// Saving through a link writes that file and keeps the link.
struct Target {
    std::string path;
    std::optional<struct stat> status;
};

Target Resolve(const std::string& name) {
    if (name.empty()) {
        throw FileError(Reason::NotFound, "no file name was given");
    }
    std::string path = name;
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat status {};
        if (lstat(path.c_str(), &status) != 0) {
            const int error = errno;
            if (error == ENOENT) {
                return {path, std::nullopt};
            }
            throw FileError::FromErrno(error, "cannot save to " + path);
        }
        if (!S_ISLNK(status.st_mode)) {
            return {path, status};
        }
        path = LinkDestination(path);
    }
    throw FileError::FromErrno(ELOOP, "cannot save to " + name);
}

// Only a plain file that its owner may write is replaced: anything else would be passed over. It
// is not even opened otherwise, since opening a device can change it.
// A file marked read-only is left as it is, even where the folder would allow replacing it.
void RequireWritablePlainFile(const std::string& target, const struct stat& status) {
    if (S_ISDIR(status.st_mode)) {
        throw FileError(Reason::IsFolder, "cannot save to " + target + ": it is a folder");
    }
    if (!S_ISREG(status.st_mode)) {
        throw FileError(Reason::NotRegularFile,
                        "cannot save to " + target + ": it is a pipe, a device or a socket");
    }
    if ((status.st_mode & S_IWUSR) == 0) {
        throw FileError(Reason::PermissionDenied, "cannot save to " + target + ": it is read-only");
    }
}

// Whether this user may add and remove names in folder.
bool MayChangeFolder(const std::string& folder) {
    if (faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0) {
        return true;
    }
    const int error = errno;
    if (error == EACCES) {
        return false;
    }
    throw FileError::FromErrno(error, "cannot save into the folder " + folder);
}

// Writes all of bytes at offset, past interruptions and short writes; false with errno set on
// failure.
bool WriteAll(int fd, std::string_view bytes, off_t offset) noexcept {
    while (!bytes.empty()) {
        const ssize_t written = pwrite(fd, bytes.data(), bytes.size(), offset);
        if (written < 0 && errno != EINTR) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(std::max<ssize_t>(written, 0)));
        offset += std::max<ssize_t>(written, 0);
    }
    return true;
}

// Copies the whole content of from to the start of to; false with errno set on failure.
bool CopyContent(int from, int to) noexcept {
    std::array<char, kCopyBuffer> buffer{};
    off_t offset = 0;
    for (;;) {
        const ssize_t got = pread(from, buffer.data(), buffer.size(), offset);
        if (got == 0) {
            return true;
        }
        if (got < 0 && errno != EINTR) {
            return false;
        }
        if (got > 0) {
            if (!WriteAll(to, {buffer.data(), static_cast<std::size_t>(got)}, offset)) {
                return false;
            }
            offset += got;
        }
    }
}

// Makes a rename or a new name in folder durable. A folder that may not be read is flushed with
// the whole file system of file, a file in it; one whose file system has nothing to flush for
// folders (EINVAL) needs nothing more.
bool SyncFolder(const std::string& folder, int file) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return errno == EACCES && syncfs(file) == 0;
    }
    const bool synced = fsync(fd) == 0 || errno == EINVAL;
    const int error = errno;
    close(fd);
    errno = error;
    return synced;
}

// The file systems that give no working lock (NFS without its lock service, for one): there a save
// goes on without one rather than not at all. NFS's lock, an fcntl lock underneath, wants a file
// open for writing, or gives EBADF.
bool NoLocksHere(int error) {
    return error == ENOLCK || error == EOPNOTSUPP || error == ENOSYS || error == EBADF;
}

// A name beside target that nobody can guess in advance: no other user can plant a link there.
std::string RandomName(const std::string& target) {
    std::random_device random;
    std::string hidden(1, '.');
    hidden += NameOf(target);
    std::string letters(1, '.');
    for (std::size_t i = 0; i < kRandomLength; ++i) {
        letters += kRandomLetters[random() % kRandomLetters.size()];
    }
    return Backups::FolderOf(target) + "/" + Backups::WithSuffix(hidden, letters);
}

// Makes a file or a link by make under the first of name(0), name(1), ... that is free, passing
// over every name taken, by whatever and whoever; make gives false with errno set when it fails.
// Gives the name made, or "" with errno set.
template <typename Name, typename Make>
std::string UnderFreeName(const Name& name, const Make& make) {
    for (int n = 0; n < kNameTries; ++n) {
        std::string tried = name(n);
        if (make(tried)) {
            return tried;
        }
        if (errno != EEXIST) {
            return {};
        }
    }
    return {};
}

void CloseIfOpen(int& fd) {
    if (fd >= 0) {
        close(std::exchange(fd, -1));
    }
}

} // namespace

SafeWriter::SafeWriter(const std::string& target) {
    const Target resolved = Resolve(target);
    target_ = resolved.path;
    folder_ = Backups::FolderOf(target_);
    if (resolved.status) {
        RequireWritablePlainFile(target_, *resolved.status);
    }
    try {
        if (!resolved.status) {
            CreateTemporary(kNewFileMode);
        } else if (const struct stat existing = OpenAndLock(); !MayChangeFolder(folder_)) {
            BeginInPlace(false);
        } else if (existing.st_nlink > 1) {
            BeginInPlace(true);
        } else {
            BeginReplacement(existing);
        }
    } catch (...) {
        if (!finished_) {
            Abandon();
        }
        throw;
    }
}

SafeWriter::~SafeWriter() {
    if (!finished_) {
        Abandon();
    }
}

// The target stays open and locked from here to the last step, and so does the new file that is
// renamed over it. The lock is on the file itself, so that every save of it meets the same lock,
// whoever makes it and whichever way it goes; a save that opened the file just before another
// renamed a new one over it finds that it no longer has the target, and fails as if it had met
// the lock.
struct stat SafeWriter::OpenAndLock() {
    targetFd_ = open(target_.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK);
    if (targetFd_ < 0) {
        Fail(errno, "cannot open");
    }
    Lock(targetFd_);
    struct stat opened {};
    struct stat named {};
    if (fstat(targetFd_, &opened) != 0 || lstat(target_.c_str(), &named) != 0) {
        Fail(errno, "cannot open");
    }
    if (opened.st_dev != named.st_dev || opened.st_ino != named.st_ino) {
        Fail(EWOULDBLOCK, "another save is writing");
    }
    return opened;
}

void SafeWriter::Lock(int fd) {
    if (flock(fd, LOCK_EX | LOCK_NB) != 0 && !NoLocksHere(errno)) {
        Fail(errno, errno == EWOULDBLOCK ? "another save is writing" : "cannot lock");
    }
}

void SafeWriter::BeginReplacement(const struct stat& existing) {
    // Made for its owner alone until it has the target's owner and group, so that nobody the
    // target keeps out can read it even for a moment.
    CreateTemporary(kOwnerOnly);
    if (fchown(temporaryFd_, existing.st_uid, existing.st_gid) != 0) {
        if (errno != EPERM) {
            Fail(errno, "cannot keep the owner of");
        }
        // The new file could not be given the target's owner or group: the target is rewritten
        // instead, so that its owner keeps it.
        CloseIfOpen(temporaryFd_);
        if (!temporary_.empty() && unlink(temporary_.c_str()) != 0) {
            Fail(errno, "cannot remove the temporary file of");
        }
        temporary_.clear();
        BeginInPlace(true);
        return;
    }
    if (fchmod(temporaryFd_, existing.st_mode & kModeBits) != 0) {
        Fail(errno, "cannot keep the permissions of");
    }
}

void SafeWriter::BeginInPlace(bool backupBeside) {
    inPlace_ = true;
    // A folder made for the backup is on the disk only once its parent is flushed too.
    flushAll_ = !backupBeside && Backups::MakeFolderFor(Backups::Name(target_, false));
    MakeBackup(backupBeside);
    rewriting_ = true;
    if (ftruncate(targetFd_, 0) != 0) {
        Fail(errno, "could not write");
    }
}

// The whole old content in a new file of its own, on the disk with its name before the target is
// touched. Made with O_EXCL, so that an existing file or link of that name is neither replaced
// nor followed.
void SafeWriter::MakeBackup(bool backupBeside) {
    backup_ = UnderFreeName([&](int n) { return Backups::Name(target_, backupBeside, n); },
                            [&](const std::string& name) {
                                backupFd_ = open(name.c_str(),
                                                 O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                                                 kOwnerOnly);
                                return backupFd_ >= 0;
                            });
    if (backup_.empty()) {
        Fail(errno, "cannot make a backup of");
    }
    const auto named = [this] {
        return flushAll_ ? syncfs(backupFd_) == 0
                         : SyncFolder(Backups::FolderOf(backup_), backupFd_);
    };
    if (!CopyContent(targetFd_, backupFd_) || fsync(backupFd_) != 0 || !named()) {
        Fail(errno, "cannot make a backup of");
    }
}

// A file without a name leaves nothing behind when the editor or the machine stops; where the file
// system cannot make one (NFS), or it could not be named later (no /proc), the file gets a random
// name at once.
void SafeWriter::CreateTemporary(mode_t mode) {
    std::error_code unknown;
    if (std::filesystem::is_directory(kOwnFiles, unknown)) {
        temporaryFd_ = open(folder_.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, mode);
        if (temporaryFd_ >= 0) {
            Lock(temporaryFd_);
            return;
        }
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
            Fail(errno, "cannot create a file in the folder of");
        }
    }
    temporary_ = UnderFreeName(
        [this](int) { return RandomName(target_); },
        [&](const std::string& name) {
            temporaryFd_ =
                open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
            return temporaryFd_ >= 0;
        });
    if (temporary_.empty()) {
        Fail(errno, "cannot create a file in the folder of");
    }
    Lock(temporaryFd_);
}

// A rename needs a name to start from: the finished file gets a random one.
void SafeWriter::NameTemporary() {
    const std::string self = kOwnFiles + std::to_string(temporaryFd_);
    temporary_ = UnderFreeName([this](int) { return RandomName(target_); },
                               [&](const std::string& name) {
                                   return linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(),
                                                 AT_SYMLINK_FOLLOW) == 0;
                               });
    if (temporary_.empty()) {
        Fail(errno, "could not replace");
    }
}

void SafeWriter::WriteLine(std::string_view text) {
    pending_.append(text);
    pending_.append("\r\n");
    if (pending_.size() >= kChunk) {
        Flush();
    }
}

void SafeWriter::Flush() {
    if (!WriteAll(Out(), pending_, written_)) {
        Fail(errno, "could not write");
    }
    written_ += static_cast<off_t>(pending_.size());
    pending_.clear();
}

void SafeWriter::Commit() {
    Flush();
    if (fsync(Out()) != 0) {
        Fail(errno, "could not write");
    }
    if (inPlace_) {
        FinishInPlace();
        return;
    }
    if (temporary_.empty()) {
        NameTemporary();
    }
    if (rename(temporary_.c_str(), target_.c_str()) != 0) {
        Fail(errno, "could not replace");
    }
    temporary_.clear();
    finished_ = true;
    const bool synced = SyncFolder(folder_, temporaryFd_);
    const int error = errno;
    Release();
    if (!synced) {
        throw WrittenBut(error, "the folder it is in could not be flushed to the disk: " + folder_);
    }
}

// Every byte of the new content is on the disk: the backup has served its purpose.
void SafeWriter::FinishInPlace() {
    rewriting_ = false;
    finished_ = true;
    const bool removed = unlink(backup_.c_str()) == 0;
    const int error = errno;
    Release();
    if (!removed) {
        throw WrittenBut(error,
                         "the copy of its old content, " + backup_ + ", could not be removed");
    }
}

void SafeWriter::Fail(int error, const char* what) {
    const FileError failure = FileError::FromErrno(error, what + (" " + target_));
    if (!Abandon()) {
        throw FileError(failure.reason(),
                        std::string(failure.what()) +
                            "; the old content could not be put back and is kept in " + backup_,
                        0, backup_);
    }
    throw failure;
}

bool SafeWriter::Restore() noexcept {
    return ftruncate(targetFd_, 0) == 0 && CopyContent(backupFd_, targetFd_) &&
           fsync(targetFd_) == 0;
}

bool SafeWriter::Abandon() noexcept {
    const bool restored = !rewriting_ || Restore();
    if (!temporary_.empty()) {
        unlink(temporary_.c_str());
    }
    if (restored && !backup_.empty()) {
        unlink(backup_.c_str());
    }
    Release();
    finished_ = true;
    return restored;
}

void SafeWriter::Release() noexcept {
    CloseIfOpen(backupFd_);
    CloseIfOpen(targetFd_);
    CloseIfOpen(temporaryFd_);
}
