// The temporary file or the backup, checked writes, the final rename and the flushes that make
// each step durable.
#include "SafeWriter.h"

#include "FileError.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
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
// The temporary file of a save is the target's name, hidden, with this after it.
constexpr std::string_view kTemporarySuffix = ".tessaly-tmp";
// The backup name Unix editors use.
constexpr std::string_view kBackupSuffix = "~";
// A shortened name ends in "-" and the 16 hex digits of a hash of the whole.
constexpr std::size_t kHashLength = 17;

std::string FolderOf(const std::string& path) {
    const std::string folder = std::filesystem::path(path).parent_path().string();
    return folder.empty() ? "." : folder;
}

std::string NameOf(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

// name and suffix as one name that a folder can hold; a name too long keeps its start, or with
// keepEnd its end, and a hash of the whole.
std::string WithSuffix(const std::string& name, std::string_view suffix, bool keepEnd = false) {
    if (name.size() + suffix.size() <= NAME_MAX) {
        return name + std::string(suffix);
    }
    std::array<char, kHashLength + 1> hash{};
    std::snprintf(hash.data(), hash.size(), "-%016zx", std::hash<std::string>{}(name));
    const std::size_t kept = NAME_MAX - suffix.size() - kHashLength;
    return (keepEnd ? hash.data() + name.substr(name.size() - kept)
                    : name.substr(0, kept) + hash.data()) +
           std::string(suffix);
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

// Only a plain file that its owner may write is replaced: anything else would be passed over.
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
    if (faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
        const int error = errno;
        throw FileError::FromErrno(error, "cannot save to " + target);
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

// The user's cache folder for this program's backups.
std::string CacheFolder() {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache != nullptr && cache[0] == '/') {
        return std::string(cache) + "/tessaly";
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') {
        throw FileError(Reason::Other, "no folder for a backup: HOME is not set");
    }
    return std::string(home) + "/.cache/tessaly";
}

// The folder of file and the one above it, made for the user alone where they are missing;
// true when one was made.
bool MakeFoldersFor(const std::string& file) {
    const std::string folder = FolderOf(file);
    bool made = false;
    for (const std::string& step : {FolderOf(folder), folder}) {
        if (mkdir(step.c_str(), S_IRWXU) == 0) {
            made = true;
        } else if (errno != EEXIST) {
            const int error = errno;
            throw FileError::FromErrno(error, "cannot make the folder " + step + " for a backup");
        }
    }
    return made;
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
// the whole file system of file, a file in it, or with every file system when file is -1; one
// whose file system has nothing to flush for folders (EINVAL) needs nothing more.
bool SyncFolder(const std::string& folder, int file) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        if (errno != EACCES) {
            return false;
        }
        if (file < 0) {
            sync();
            return true;
        }
        return syncfs(file) == 0;
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

SafeWriter::SafeWriter(const std::string& target) {
    Target resolved = Resolve(target);
    target_ = std::move(resolved.path);
    folder_ = FolderOf(target_);
    std::string hidden(1, '.');
    hidden += NameOf(target_);
    temporary_ = folder_ + "/" + WithSuffix(hidden, kTemporarySuffix);
    if (!resolved.status) {
        CreateTemporary(kNewFileMode);
        return;
    }
    const struct stat& existing = *resolved.status;
    RequireWritablePlainFile(target_, existing);
    if (!MayChangeFolder(folder_)) {
        BeginInPlace(false);
    } else if (existing.st_nlink > 1) {
        BeginInPlace(true);
    } else {
        BeginReplacement(existing);
    }
}

SafeWriter::~SafeWriter() {
    if (!finished_) {
        Abandon();
    }
}

std::string SafeWriter::BackupName(const std::string& target, bool besideTheFile) {
    if (besideTheFile) {
        return FolderOf(target) + "/" + WithSuffix(NameOf(target), kBackupSuffix);
    }
    // The folder as the system finds it, so that two names of one file give one backup.
    std::error_code unresolved;
    std::filesystem::path folder = std::filesystem::canonical(FolderOf(target), unresolved);
    if (unresolved) {
        folder = std::filesystem::absolute(FolderOf(target), unresolved);
    }
    std::string flat; // "!" doubled, so that no two paths give one name
    for (const char c : (folder / NameOf(target)).string()) {
        flat += c == '/' ? "!" : c == '!' ? "!!" : std::string(1, c);
    }
    return CacheFolder() + "/" + WithSuffix(flat, kBackupSuffix, true);
}

void SafeWriter::BeginReplacement(const struct stat& existing) {
    // Made for its owner alone until it has the target's owner and group, so that nobody the
    // target keeps out can read it even for a moment.
    CreateTemporary(kOwnerOnly);
    if (fchown(out_, existing.st_uid, existing.st_gid) != 0) {
        if (errno != EPERM) {
            Fail(errno, "cannot keep the owner of");
        }
        // The new file could not be given the target's owner or group: the target is rewritten
        // instead, so that its owner keeps it.
        CloseIfOpen(out_);
        if (unlink(temporary_.c_str()) != 0) {
            Fail(errno, "cannot remove the temporary file of");
        }
        temporary_.clear();
        BeginInPlace(true);
        return;
    }
    if (fchmod(out_, existing.st_mode & kModeBits) != 0) {
        Fail(errno, "cannot keep the permissions of");
    }
}

void SafeWriter::BeginInPlace(bool backupBeside) {
    inPlace_ = true;
    backup_ = BackupName(target_, backupBeside);
    // A folder made for the backup is on the disk only once its parent is flushed too.
    flushAll_ = !backupBeside && MakeFoldersFor(backup_);
    out_ = open(target_.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK);
    if (out_ < 0) {
        Fail(errno, "cannot open");
    }
    Lock(out_);
    MakeBackup();
    rewriting_ = true;
    if (ftruncate(out_, 0) != 0) {
        Fail(errno, "could not write");
    }
}

// The whole old content in a file of its own, on the disk before the target is touched.
void SafeWriter::MakeBackup() {
    // A backup left by an earlier save is replaced, and a link of that name is never followed.
    if (unlink(backup_.c_str()) != 0 && errno != ENOENT) {
        Fail(errno, "cannot replace the old backup of");
    }
    backupFd_ =
        open(backup_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, kOwnerOnly);
    if (backupFd_ < 0) {
        Fail(errno, "cannot make a backup of");
    }
    const auto durable = [this] {
        return flushAll_ ? syncfs(backupFd_) == 0 : SyncFolder(FolderOf(backup_), backupFd_);
    };
    if (!CopyContent(out_, backupFd_) || fsync(backupFd_) != 0 || !durable()) {
        Fail(errno, "cannot make a backup of");
    }
}

void SafeWriter::CreateTemporary(mode_t mode) {
    RemoveLeftover();
    out_ = open(temporary_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
    if (out_ < 0) {
        const int error = errno;
        temporary_.clear();
        Fail(error, "cannot create a file in the folder of");
    }
    Lock(out_);
}

// What an interrupted save of the same target left under the temporary name goes first; a file
// that another save still holds is left to it.
void SafeWriter::RemoveLeftover() {
    const int fd = open(temporary_.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0 && errno == ENOENT) {
        return;
    }
    // One that cannot be opened, being another user's or a link, is removed all the same.
    if (fd < 0 && errno != EACCES && errno != ELOOP) {
        Fail(errno, "cannot remove an earlier temporary file beside");
    }
    const bool held = fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    if (fd >= 0) {
        close(fd);
    }
    if (held) {
        temporary_.clear(); // the other save's
        Fail(EWOULDBLOCK, "another save is writing");
    }
    if (unlink(temporary_.c_str()) != 0 && errno != ENOENT) {
        Fail(errno, "cannot remove an earlier temporary file beside");
    }
}

// Another save of the same target, here or in another editor, waits for none: it fails instead
// of taking the file this one is writing.
void SafeWriter::Lock(int fd) {
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        Fail(errno, errno == EWOULDBLOCK ? "another save is writing" : "cannot lock");
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
        FinishInPlace();
        return;
    }
    if (close(std::exchange(out_, -1)) != 0) {
        Fail(errno, "could not write");
    }
    if (rename(temporary_.c_str(), target_.c_str()) != 0) {
        Fail(errno, "could not replace");
    }
    finished_ = true;
    if (!SyncFolder(folder_, -1)) {
        const int error = errno;
        throw WrittenBut(error, "the folder it is in could not be flushed to the disk: " + folder_);
    }
}

// Every byte of the new content is on the disk: the backup has served its purpose.
void SafeWriter::FinishInPlace() {
    rewriting_ = false;
    finished_ = true;
    CloseIfOpen(out_);
    CloseIfOpen(backupFd_);
    if (unlink(backup_.c_str()) != 0) {
        const int error = errno;
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
    return ftruncate(out_, 0) == 0 && CopyContent(backupFd_, out_) && fsync(out_) == 0;
}

bool SafeWriter::Abandon() noexcept {
    const bool restored = !rewriting_ || Restore();
    const bool madeBackup = backupFd_ >= 0;
    CloseIfOpen(out_);
    CloseIfOpen(backupFd_);
    if (!inPlace_ && !temporary_.empty()) {
        unlink(temporary_.c_str());
    }
    if (restored && madeBackup) {
        unlink(backup_.c_str());
    }
    finished_ = true;
    return restored;
}
