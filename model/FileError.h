// A G3D file that could not be read or written, with the reason sorted so that the window can
// put it into words of its own.
#pragma once

#include <stdexcept>
#include <string>

class FileError : public std::runtime_error {
public:
    enum class Reason {
        NotFound,         // the file, or the folder it is to go into, does not exist
        PermissionDenied, // the system refuses access
        DiskFull,         // no space left, or the quota is reached
        IsFolder,         // the name is a folder
        NotRegularFile,   // a pipe, a device or a socket
        BadContent,       // the file is not a model, or a line of it is not what it should be
        Other,            // anything else; the text says what
    };

    // detail says what went wrong in words a person can act on; line is the line of the file
    // it concerns, 0 for none. The text is "line N: detail", or the detail alone.
    FileError(Reason reason, const std::string& detail, long line = 0);

    // The reason for a failed system call's errno.
    static FileError FromErrno(int error, const std::string& detail);

    Reason reason() const noexcept { return reason_; }
    long line() const noexcept { return line_; }

private:
    Reason reason_;
    long line_;
};
