// The temporary file, checked writes, the final rename and the flushes that make it durable.
#include "SafeWriter.h"

#include "FileError.h"

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
constexpr std::size_t kChunk = 64 * 1024;
// Temporary names tried before giving up.
constexpr int kNameAttempts = 100;
// A new file gets these permissions, less what the umask takes away.
constexpr mode_t kNewFileMode = 0666;
constexpr mode_t kModeBits = 07777;
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
        throw FileError::FromErrno(length < 0 ? errno : ENAMETOOLONG,
                                   "cannot follow the link " + path);
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
        throw FileError::FromErrno(errno, "cannot save to " + target);
    }
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
    return status;
}

// Writes all of bytes, past interruptions and short writes; false with errno set on failure.
bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno != EINTR) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(std::max<ssize_t>(written, 0)));
    }
    return true;
}

// Makes a rename or removal in folder durable. A file system that cannot flush a folder
// (EINVAL) has nothing more to do.
bool SyncFolder(const std::string& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool synced = fsync(fd) == 0 || errno == EINVAL;
    const int error = errno;
    close(fd);
    errno = error;
    return synced;
}

} // namespace

SafeWriter::SafeWriter(const std::string& target)
    : target_(FollowLinks(target)), folder_(FolderOf(target_)) {
    const std::optional<struct stat> existing = Inspect(target_);
    CreateTemporary(existing ? existing->st_mode & kModeBits : kNewFileMode);
    if (existing) {
        // The owner stays where the system lets it; chown before chmod, which it may undo.
        if (fchown(out_, existing->st_uid, existing->st_gid) != 0 && errno != EPERM) {
            Fail(errno, "cannot keep the owner of");
        }
        if (fchmod(out_, existing->st_mode & kModeBits) != 0) {
            Fail(errno, "cannot keep the permissions of");
        }
    }
}

SafeWriter::~SafeWriter() {
    if (!finished_) {
        Abandon();
    }
}

// O_EXCL makes the name ours alone; the mode, less the umask, is never wider than the target's.
void SafeWriter::CreateTemporary(unsigned mode) {
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        // Not derived from the target's name: a name near the system's length limit would
        // leave no room for a suffix.
        const std::string candidate =
            folder_ + "/.tessaly-" + std::to_string(random() % 1000000000ULL) + ".tmp";
        out_ = open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                    static_cast<mode_t>(mode));
        if (out_ >= 0) {
            temporary_ = candidate;
            return;
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
    if (!WriteAll(out_, pending_)) {
        Fail(errno, "could not write");
    }
    pending_.clear();
}

void SafeWriter::Commit() {
    Flush();
    if (fsync(out_) != 0) {
        Fail(errno, "could not write");
    }
    if (close(std::exchange(out_, -1)) != 0) {
        Fail(errno, "could not write");
    }
    if (rename(temporary_.c_str(), target_.c_str()) != 0) {
        Fail(errno, "could not replace");
    }
    finished_ = true;
    if (!SyncFolder(folder_)) {
        throw FileError::FromErrno(errno, "saved, but could not flush the folder of " + target_);
    }
}

void SafeWriter::Fail(int error, const std::string& what) {
    Abandon();
    finished_ = true;
    throw FileError::FromErrno(error, what + " " + target_);
}

void SafeWriter::Abandon() noexcept {
    if (out_ >= 0) {
        close(std::exchange(out_, -1));
    }
    if (!temporary_.empty()) {
        unlink(temporary_.c_str());
    }
}
