// Writes a text file so that neither a failure, a crash, a power cut nor a second save at the same
// time loses what the file it replaces held.
// All of the model's file writing goes through here.
#pragma once

#include <string>
#include <string_view>

#include <sys/stat.h>

// The target is the file the name finally points to through any symbolic links; the links stay.
//
// An existing target is opened and locked first, and stays locked until the last step is done, so
// that a second save of the same file, by this user or by another who may write it, fails instead
// of interleaving with this one. Where the file system has no working lock (NFS without its lock
// service), the save goes on without one: two saves at once then leave one of the two texts where
// they rename, and may mix them where they rewrite in place.
//
// Normally the text goes to a new file that has no name yet (or, where the file system cannot make
// one, a hidden name of random letters beside the target), made for its owner alone and then given
// the target's owner, group and permissions. Commit flushes it to the disk, names it and renames it
// over the target, then flushes the folder: after a crash or a power cut the target holds its old
// content or the new one.
//
// A rename would part the target from what it has when it has other hard links and when the new
// file could not be given its owner or group (a file of another user, in a sticky folder or not);
// where the folder may not be written, there is no rename at all. Such a target is rewritten in
// place: its old content is first copied to a new backup (see Backups::Name), and that backup, with
// its name, is flushed to the disk; then the target is rewritten and flushed, and only then is the
// backup removed. After a crash or a power cut on this path the target is old or new, or the whole
// old content is in the backup; a failure puts the old content back from it, and where even that
// fails, the backup stays and the error names it. The backup's removal is not flushed: a power cut
// just after may bring it back, whole.
//
// A save removes or replaces no file but the ones it made and, by its rename or rewrite, the
// target's old content: a backup that an earlier save, or anybody, left stays, and the next free
// name is taken instead. Without a successful Commit the target keeps its old content, unless it
// could not be put back (see above). Every failure is a FileError; one whose reason is
// Written says that the new content is in place and what could not be finished.
class SafeWriter {
public:
    explicit SafeWriter(const std::string& target);
    ~SafeWriter();
    SafeWriter(const SafeWriter&) = delete;
    SafeWriter& operator=(const SafeWriter&) = delete;

    // Writes text and a CR LF line end.
    void WriteLine(std::string_view text);
    void Commit();

private:
    struct stat OpenAndLock();
    void Lock(int fd);
    void BeginReplacement(const struct stat& existing);
    void BeginInPlace(bool backupBeside);
    void MakeBackup(bool backupBeside);
    void FinishInPlace();
    void CreateTemporary(mode_t mode);
    void NameTemporary();
    int Out() const { return inPlace_ ? targetFd_ : temporaryFd_; }
    void Flush();
    // Abandons the save and throws the FileError for a failed call.
    // what is a plain literal, so that building the message cannot change errno before it is read.
    [[noreturn]] void Fail(int error, const char* what);
    // Puts the old content back from the backup; false when even that fails.
    bool Restore() noexcept;
    // Leaves the target as it was and removes what this writer made; false when the old content
    // could not be put back, and the backup is kept.
    bool Abandon() noexcept;
    // Closes every file, the new one, which may be the target by now, last.
    void Release() noexcept;

    std::string target_;
    std::string folder_;
    // The new file's name beside the target, while it has one.
    std::string temporary_;
    // The backup this writer made, once it has made one.
    std::string backup_;
    int targetFd_ = -1;
    int temporaryFd_ = -1;
    int backupFd_ = -1;
    off_t written_ = 0;
    std::string pending_;
    bool inPlace_ = false;
    // The target's old content is gone from it and must be put back on failure.
    bool rewriting_ = false;
    bool finished_ = false;
    // The backup's folder was made for it: the whole file system is flushed to keep its name.
    bool flushAll_ = false;
};
