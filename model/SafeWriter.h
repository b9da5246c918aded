// Writes a text file so that the file it replaces survives any failure on the way. All of the
// model's file writing goes through here.
#pragma once

#include <string>
#include <string_view>

// The text goes to a temporary file in the target's folder, created with the target's
// permissions and never wider; Commit checks that every byte reached the disk and only then
// renames it over the target, so that after a crash the target holds its old content or the
// new, never a part. Without a successful Commit the temporary file is removed and the target
// is left exactly as it was. Every failure is a FileError.
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
    void CreateTemporary(unsigned mode);
    void Flush();
    // Removes what this writer made and throws the FileError for a failed call.
    [[noreturn]] void Fail(int error, const std::string& what);
    void Abandon() noexcept;

    std::string target_;
    std::string folder_;
    std::string temporary_;
    int out_ = -1;
    std::string pending_;
    bool finished_ = false;
};
