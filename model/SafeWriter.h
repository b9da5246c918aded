// Writes a text file so that the file it replaces survives any failure on the way. All of the
// model's file writing goes through here.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <sys/stat.h>

// The target is the file the name finally points to through any symbolic links; the links stay.
// Normally the text goes to a temporary file in the target's folder, created with the target's
// permissions and never wider; Commit checks that every byte reached the disk and only then
// renames it over the target, so that after a crash the target holds its old content or the
// new, never a part. A target with other hard links is rewritten in place instead, so that
// every name shows the new content; its old content is first copied aside onto the disk and
// put back if the rewrite fails. Without a successful Commit the target keeps its old content
// and the temporary file is removed. Every failure is a FileError.
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
    void BeginReplacement(const std::optional<struct stat>& existing);
    void BeginInPlace();
    int CreateTemporary(mode_t mode);
    void Flush();
    // Abandons the save and throws the FileError for a failed call.
    // what is a plain literal, so that building the message cannot change errno before it is read.
    [[noreturn]] void Fail(int error, const char* what);
    // Puts the old content back from its copy; false when even that fails.
    bool Restore() noexcept;
    // Leaves the target as it was and removes what this writer made; false when the old content
    // could not be put back, and its copy is kept.
    bool Abandon() noexcept;

    std::string target_;
    std::string folder_;
    // The new file, or for a rewrite in place the copy of the old content.
    std::string temporary_;
    // Where the text goes: the new file, or the target itself.
    int out_ = -1;
    int copy_ = -1;
    off_t written_ = 0;
    std::string pending_;
    bool inPlace_ = false;
    // The target's old content is gone from it and must be put back on failure.
    bool rewriting_ = false;
    bool finished_ = false;
};
