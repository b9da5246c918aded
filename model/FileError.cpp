// Sorting system errors into the reasons the window words.
#include "FileError.h"

#include <cerrno>
#include <cstring>
#include <utility>

namespace {

std::string WithLine(const std::string& detail, long line) {
    return line > 0 ? "line " + std::to_string(line) + ": " + detail : detail;
}

FileError::Reason ReasonOf(int error) {
    switch (error) {
    case ENOENT:
        return FileError::Reason::NotFound;
    case ENOTDIR:
        return FileError::Reason::NotAFolder;
    case EACCES:
    case EPERM:
    case EROFS:
        return FileError::Reason::PermissionDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: // past the size limit of the file system or of the process
        return FileError::Reason::DiskFull;
    case EISDIR:
        return FileError::Reason::IsFolder;
    default:
        return FileError::Reason::Other;
    }
}

} // namespace

FileError::FileError(Reason reason, const std::string& detail, long line, std::string keptIn)
    : std::runtime_error(WithLine(detail, line)), reason_(reason), line_(line),
      keptIn_(std::move(keptIn)) {}

FileError FileError::FromErrno(int error, const std::string& detail) {
    return FileError(ReasonOf(error), detail + ": " + std::strerror(error));
}
