// Writes a text file so that the file it replaces survives any failure on the way.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

// The text goes to a temporary file in the target's folder; Commit checks that every byte was
// written and only then renames it over the target. Without a successful Commit the temporary
// file is removed and the target is left exactly as it was.
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
    void check(const char* what);

    std::filesystem::path target_;
    std::filesystem::path temporary_;
    std::ofstream out_;
    bool committed_ = false;
};
