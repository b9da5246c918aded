// The temporary file, checked writes, the final rename and the flushes that make it durable.
#include "SafeWriter.h"

#include "FileError.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <filesystem>
#include <optional>
#include <random>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Reason = FileError::Reason;

// Text is handed to the system in pieces of this size.
constexpr std::size_t kChunk = std::size_t{64} * 1024;
// An old content is copied through a buffer of this size.
constexpr std::size_t kCopyBuffer = std::size_t{16} * 1024;
// Temporary names tried before giving up.
constexpr int kNameAttempts = 100;
// A new file gets these permissions, less what the umask takes away.
constexpr mode_t kNewFileMode = 0666;
constexpr mode_t kModeBits = 07777;
constexpr mode_t kOwnerOnly = S_IRUSR | S_IWUSR;
// As many links as the system itself follows in one name.
constexpr int kMaxLinkHops = 40;

std::string FolderOf(const std::string& path) {
    const std::string folder = std::filesystem::path(path).parent_path().string();
    return folder.empty() ? "." : folder;
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

// The file that name finally points to: saving through a link writes that file and keeps the
// link. A link that points nowhere names the file to be made.
std::string FollowLinks(const std::string& name) {
    std::string path = name;
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat status {};
        if (lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
            return path;
        }
        path = LinkDestination(path);
    }
    throw FileError::FromErrno(ELOOP, "cannot save to " + name);
}

// The target as it is now: nothing for a file yet to be made. Only a plain file that its owner
// may write is replaced; replacing by rename would pass over anything else.
std::optional<struct stat> Inspect(const std::string& target) {
    if (target.empty()) {
        throw FileError(Reason::NotFound, "no file name was given");
    }
    struct stat status {};
    if (lstat(target.c_str(), &status) != 0) {
        if (errno == ENOENT) {
            return std::nullopt;
        }
        const int error = errno;
        throw FileError::FromErrno(error, "cannot save to " + target);
    }
    if (S_ISDIR(status.st_mode)) {
        throw FileError(Reason::IsFolder, "cannot save to " + target + ": it is a folder");
    }
    if (!S_ISREG(status.st_mode)) {
        throw FileError(Reason::NotRegularFile,
                        "cannot save to " + target + ": it is a pipe, a device or a socket");
    }
    // Marked read-only, or not writable by this user: left as it is, even where the folder
    // would allow replacing it.
    if ((status.st_mode & S_IWUSR) == 0 ||
        faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
        throw FileError(Reason::PermissionDenied, "cannot save to " + target + ": it is read-only");
    }
    return status;
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

// Makes a rename or a new name in folder durable. A folder that cannot be opened or flushed
// (EACCES, EINVAL) leaves nothing more to do.
bool SyncFolder(const std::string& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return errno == EACCES;
    }
    const bool synced = fsync(fd) == 0 || errno == EINVAL;
    const int error = errno;
    close(fd);
    errno = error;
    return synced;
}

void CloseIfOpen(int& fd) {
    if (fd >= 0) {
        close(std::exchange(fd, -1));
    }
}

} // namespace

SafeWriter::SafeWriter(const std::string& target)
    : target_(FollowLinks(target)), folder_(FolderOf(target_)) {
    const std::optional<struct stat> existing = Inspect(target_);
    if (existing && existing->st_nlink > 1) {
        BeginInPlace();
    } else {
        BeginReplacement(existing);
    }
}

SafeWriter::~SafeWriter() {
    if (!finished_) {
        Abandon();
    }
}

void SafeWriter::BeginReplacement(const std::optional<struct stat>& existing) {
    if (!existing) {
        out_ = CreateTemporary(kNewFileMode);
        return;
    }
    // Made for its owner alone until it has the target's owner and group, so that nobody the
    // target keeps out can read it even for a moment.
    out_ = CreateTemporary(kOwnerOnly);
    mode_t mode = existing->st_mode & kModeBits;
    if (fchown(out_, existing->st_uid, existing->st_gid) != 0) {
        if (errno != EPERM) {
            Fail(errno, "cannot keep the owner of");
        }
        // Not allowed to give the file away: the group at least, where the caller is in it.
        if (fchown(out_, static_cast<uid_t>(-1), existing->st_gid) != 0) {
            if (errno != EPERM) {
                Fail(errno, "cannot keep the group of");
            }
            // The file's group is not the target's: it gets none of the target's group rights.
            mode &= ~static_cast<mode_t>(S_IRWXG);
        }
    }
    if (fchmod(out_, mode) != 0) {
        Fail(errno, "cannot keep the permissions of");
    }
}

// Other names share the target's content, and a rename would part them from it: the target is
// rewritten in place, after its old content has been copied aside onto the disk.
void SafeWriter::BeginInPlace() {
    inPlace_ = true;
    out_ = open(target_.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK);
    if (out_ < 0) {
        Fail(errno, "cannot open");
    }
    copy_ = CreateTemporary(kOwnerOnly); // only this program reads it back
    if (!CopyContent(out_, copy_) || fsync(copy_) != 0 || !SyncFolder(folder_)) {
        Fail(errno, "cannot copy aside the old content of");
    }
    rewriting_ = true;
    if (ftruncate(out_, 0) != 0) {
        Fail(errno, "could not write");
    }
}

// O_EXCL makes the name ours alone; the mode, less the umask, is the widest it will ever be.
int SafeWriter::CreateTemporary(mode_t mode) {
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        // Not derived from the target's name: a name near the system's length limit would
        // leave no room for a suffix.
        const std::string candidate =
            folder_ + "/.tessaly-" + std::to_string(random() % 1000000000ULL) + ".tmp";
        const int fd =
            open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
        if (fd >= 0) {
            temporary_ = candidate;
            return fd;
        }
        if (errno != EEXIST) {
            Fail(errno, "cannot create a file in the folder of");
        }
    }
    Fail(EEXIST, "no free temporary name in the folder of");
}

void SafeWriter::WriteLine(std::string_view text) {
    pending_.append(text);
    pending_.append("\r\n");
    if (pending_.size() >= kChunk) {
        Flush();
    }
}

void SafeWriter::Flush() {
    if (!WriteAll(out_, pending_, written_)) {
        Fail(errno, "could not write");
    }
    written_ += static_cast<off_t>(pending_.size());
    pending_.clear();
}

void SafeWriter::Commit() {
    Flush();
    if (fsync(out_) != 0) {
        Fail(errno, "could not write");
    }
    if (inPlace_) {
        // Every byte is on the disk: the copy has served its purpose.
        rewriting_ = false;
        Abandon();
        return;
    }
    if (close(std::exchange(out_, -1)) != 0) {
        Fail(errno, "could not write");
    }
    if (rename(temporary_.c_str(), target_.c_str()) != 0) {
        Fail(errno, "could not replace");
    }
    finished_ = true;
    if (!SyncFolder(folder_)) {
        const int error = errno;
        throw FileError::FromErrno(error, "the file is written, but the folder it is in could "
                                          "not be flushed to the disk: " +
                                              folder_);
    }
}

void SafeWriter::Fail(int error, const char* what) {
    const FileError failure = FileError::FromErrno(error, what + (" " + target_));
    if (!Abandon()) {
        throw FileError(failure.reason(), std::string(failure.what()) +
                                              "; the old content could not be put back and is "
                                              "kept in " +
                                              temporary_);
    }
    throw failure;
}

bool SafeWriter::Restore() noexcept {
    return ftruncate(out_, 0) == 0 && CopyContent(copy_, out_) && fsync(out_) == 0;
}

bool SafeWriter::Abandon() noexcept {
    const bool restored = !rewriting_ || Restore();
    CloseIfOpen(out_);
    CloseIfOpen(copy_);
    if (restored && !temporary_.empty()) {
        unlink(temporary_.c_str());
    }
    finished_ = true;
    return restored;
}
