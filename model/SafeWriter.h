// Writes a text file so that neither a failure nor a crash loses what the file it replaces held.
// All of the model's file writing goes through here.
#pragma once

#include <string>
#include <string_view>

#include <sys/stat.h>

// The target is the file the name finally points to through any symbolic links; the links stay.
//
// Normally the text goes to a temporary file beside the target, named after it and made for its
// owner alone, then given the target's owner, group and permissions. Commit flushes it to the
// disk and renames it over the target, so that after a crash the target holds its old content or
// the new one.
//
// A rename would part the target from what it has when it has other hard links and when the new
// file could not be given its owner or group (a file of another user, in a sticky folder or not);
// where the folder may not be written, there is no rename at all. Such a target is rewritten in
// place: its old content is first copied to a
// backup (see BackupName) and flushed to the disk, then the target is rewritten and flushed, and
// only then is the backup removed. A crash on this path leaves the target old or new, or the whole
// old content in the backup; a failure puts the old content back from it, and where even that
// fails, the backup stays and the error names it.
//
// Without a successful Commit the target keeps its old content, but for that last case, and the
// files this writer made are removed (a folder it made for a backup stays). A second save of the
// same target while one is writing fails rather than take its file. Every failure is a FileError;
// one whose reason is Written says that the new content is in place and what could not be
// finished.
class SafeWriter {
public:
    explicit SafeWriter(const std::string& target);
    ~SafeWriter();
    SafeWriter(const SafeWriter&) = delete;
    SafeWriter& operator=(const SafeWriter&) = delete;

    // Writes text and a CR LF line end.
    void WriteLine(std::string_view text);
    void Commit();

    // Where a rewrite in place keeps the old content of target (the file itself, past any
    // links): "<name>~" beside it, or, where its folder may not be written, in the user's cache
    // folder under the file's whole path with every "/" made a "!" (and every "!" doubled).
    // Never longer than a name may be: an over-long name keeps its start, or in the cache its
    // end, and a hash of the whole.
    static std::string BackupName(const std::string& target, bool besideTheFile);

private:
    void BeginReplacement(const struct stat& existing);
    void BeginInPlace(bool backupBeside);
    void MakeBackup();
    void FinishInPlace();
    // A fresh file of the given permissions at temporary_, replacing what an earlier save left.
    void CreateTemporary(mode_t mode);
    void RemoveLeftover();
    void Lock(int fd);
    void Flush();
    // Abandons the save and throws the FileError for a failed call.
    // what is a plain literal, so that building the message cannot change errno before it is read.
    [[noreturn]] void Fail(int error, const char* what);
    // Puts the old content back from the backup; false when even that fails.
    bool Restore() noexcept;
    // Leaves the target as it was and removes what this writer made; false when the old content
    // could not be put back, and the backup is kept.
    bool Abandon() noexcept;

    std::string target_;
    std::string folder_;
    std::string temporary_;
    std::string backup_;
    // Where the text goes: the temporary file, or the target itself.
    int out_ = -1;
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
