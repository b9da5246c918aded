// A G3D file that could not be read or written, with the reason sorted so that the window can
// put it into words of its own.
#pragma once

#include <stdexcept>
#include <string>

class FileError : public std::runtime_error {
public:
    enum class Reason {
        NotFound,         // the file, or the folder it is to go into, does not exist
        NotAFolder,       // a part of the path that should be a folder is a file
        PermissionDenied, // the system refuses access
        DiskFull,         // no space left, or the quota is reached
        IsFolder,         // the name is a folder
        NotRegularFile,   // a pipe, a device or a socket
        BadContent,       // the file is not a model, or a line of it is not what it should be
        Other,            // anything else; the text says what
        Written,          // the save reached the disk, but a last step failed; the text says which
    };

    // detail says what went wrong in words a person can act on; line is the line of the file
    // it concerns, 0 for none. The text is "line N: detail", or the detail alone. keptIn names
    // the file that holds the user's old content when it could not be put back.
    FileError(Reason reason, const std::string& detail, long line = 0, std::string keptIn = {});

    // The reason for a failed system call's errno.
    static FileError FromErrno(int error, const std::string& detail);

    Reason reason() const noexcept { return reason_; }
    long line() const noexcept { return line_; }
    const std::string& keptIn() const noexcept { return keptIn_; }

private:
    Reason reason_;
    long line_;
    std::string keptIn_;
};
