// Reading and writing G3D files. Numbers go through to_chars and from_chars, which never look
// at the C locale that Qt sets from the environment.
#include "G3dFile.h"

#include "FileError.h"
#include "FloatRange.h"
#include "MsgBox.h"
#include "NumberText.h"
#include "SafeWriter.h"
#include "c3dObj.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace G3dFile {

namespace {

using Reason = FileError::Reason;

constexpr std::string_view kHeader = "G3DModel";
constexpr const char* kInvalidFile = " Invalid File ";
// Lines are read through a buffer of this size.
constexpr std::size_t kReadBuffer = std::size_t{16} * 1024;
// A message quotes at most this many bytes of a file.
constexpr std::size_t kQuotedLength = 40;

// The length of the well-formed UTF-8 character at the start of text, 0 for a byte that is not
// text: a stray continuation byte, a cut sequence, an over-long form or a surrogate.
std::size_t Utf8Length(std::string_view text) {
    struct Lead {
        unsigned char first, last; // the range of lead bytes
        std::size_t length;
        unsigned char low, high; // the range of the byte after the lead
    };
    static constexpr std::array<Lead, 7> kLeads{{{0xC2, 0xDF, 2, 0x80, 0xBF},
                                                 {0xE0, 0xE0, 3, 0xA0, 0xBF},
                                                 {0xE1, 0xEC, 3, 0x80, 0xBF},
                                                 {0xED, 0xED, 3, 0x80, 0x9F},
                                                 {0xEE, 0xEF, 3, 0x80, 0xBF},
                                                 {0xF0, 0xF0, 4, 0x90, 0xBF},
                                                 {0xF1, 0xF4, 4, 0x80, 0xBF}}};
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    for (const Lead& lead : kLeads) {
        if (byte(0) < lead.first || byte(0) > lead.last || text.size() < lead.length ||
            byte(1) < lead.low || byte(1) > lead.high) {
            continue;
        }
        for (std::size_t i = 2; i < lead.length; ++i) {
            if ((byte(i) & 0xC0) != 0x80) {
                return 0;
            }
        }
        return byte(0) == 0xF4 && byte(1) > 0x8F ? 0 : lead.length;
    }
    return 0;
}

// Whether the well-formed character at the start of text, length bytes long, is one that shows
// nothing itself but changes what is around it: a C1 control, or a mark of writing direction
// that could turn the rest of a message around.
bool Invisible(std::string_view text, std::size_t length) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned>(text[i]) & 0xFFU; };
    if (length == 2) {
        return byte(0) == 0xC2 && byte(1) < 0xA0; // U+0080 to U+009F
    }
    if (length != 3 || byte(0) != 0xE2) {
        return false;
    }
    const unsigned low = (byte(1) & 0x3FU) << 6U | (byte(2) & 0x3FU); // U+2000 + low
    return low == 0x0E || low == 0x0F || (low >= 0x2A && low <= 0x2E) ||
           (low >= 0x66 && low <= 0x69);
}

// Text of the file as a message quotes it: short, with every byte that is not printable text
// written as \xNN, so that a file that is no text at all still shows what it holds.
std::string Escaped(char byte) {
    std::array<char, sizeof "\\xFF"> escaped{};
    std::snprintf(escaped.data(), escaped.size(), "\\x%02X", static_cast<unsigned char>(byte));
    return escaped.data();
}

std::string Quoted(std::string_view text) {
    std::string quoted = "'";
    std::size_t shown = 0;
    while (shown < text.size()) {
        const auto byte = static_cast<unsigned char>(text[shown]);
        const std::size_t length = byte < 0x80 ? 1 : Utf8Length(text.substr(shown));
        const std::size_t step = std::max<std::size_t>(length, 1);
        if (shown + step > kQuotedLength) {
            break;
        }
        if (byte >= 0x20 && byte != 0x7F && length > 0 && !Invisible(text.substr(shown), length)) {
            quoted.append(text.substr(shown, length));
        } else {
            for (const char hidden : text.substr(shown, step)) {
                quoted += Escaped(hidden);
            }
        }
        shown += step;
    }
    return quoted + (shown < text.size() ? "...'" : "'");
}

std::string LongerThan(const char* what, std::size_t limit) {
    return std::string(what) + " is longer than " + std::to_string(limit) + " bytes";
}

// A coordinate's text as a float; a FileError on the given line says what is wrong with it.
float ReadCoordinate(std::string_view text, long line) {
    text = NumberText::TrimBlanks(text);
    if (text.empty()) {
        throw FileError(Reason::BadContent, "a number is missing", line);
    }
    const auto value = NumberText::ParseDecimal(text);
    if (!value) {
        throw FileError(Reason::BadContent, Quoted(text) + " is not a number", line);
    }
    const auto narrowed = NarrowToFloat(*value);
    if (!narrowed) {
        throw FileError(Reason::BadContent, Quoted(text) + " is too large for a coordinate", line);
    }
    return *narrowed;
}

// A coordinate plus the centre, as a point's absolute position; an overflow is an error.
float Absolute(float offset, float centre, long line) {
    const float sum = offset + centre;
    if (!std::isfinite(sum)) {
        throw FileError(Reason::BadContent,
                        "the point lies beyond the float range at the model's centre", line);
    }
    return sum;
}

// Appends the point of a point line, taken as offsets from obj's centre.
void AppendPoint(c3dObj& obj, std::string_view text, long line) {
    const auto c1 = text.find(',');
    const auto c2 = c1 == std::string_view::npos ? c1 : text.find(',', c1 + 1);
    if (c2 == std::string_view::npos) {
        throw FileError(Reason::BadContent, "expected three numbers separated by commas", line);
    }
    const float x = ReadCoordinate(text.substr(0, c1), line);
    const float y = ReadCoordinate(text.substr(c1 + 1, c2 - c1 - 1), line);
    const float z = ReadCoordinate(text.substr(c2 + 1), line);
    if (obj.nPoints() >= c3dObj::kMaxPoints) {
        throw FileError(Reason::BadContent,
                        "a model holds at most " + std::to_string(c3dObj::kMaxPoints) + " points",
                        line);
    }
    obj.AddPoint(Absolute(x, obj.GetCX(), line), Absolute(y, obj.GetCY(), line),
                 Absolute(z, obj.GetCZ(), line));
}

// Refuses a model that a file could not hold so that it reads back the same.
void RequireWritable(const c3dObj& obj) {
    if (obj.ObjName.size() > kMaxNameLine) {
        throw FileError(Reason::Other, LongerThan("the model's name", kMaxNameLine) +
                                           ", more than a G3D file holds");
    }
    // A line feed would end the name's line early. A carriage return is kept: the reader takes
    // only the one before the line feed as part of the line end, so any name it can produce,
    // "name\r" included, is written back as it was read.
    if (obj.ObjName.find('\n') != std::string::npos) {
        throw FileError(Reason::Other,
                        "the model's name holds a line break, which a G3D file cannot hold");
    }
    for (int32_t i = 0; i < obj.nPoints(); ++i) {
        const auto index = static_cast<int16_t>(i);
        if (!std::isfinite(obj.GetX(index)) || !std::isfinite(obj.GetY(index)) ||
            !std::isfinite(obj.GetZ(index))) {
            throw FileError(Reason::Other, "point " + std::to_string(i + 1) +
                                               " lies beyond the float range and cannot be saved");
        }
    }
}

// A point's line: its offsets from the centre.
std::string PointLine(const c3dObj& obj, int16_t i) {
    return NumberText::Format(obj.GetX(i)) + ',' + NumberText::Format(obj.GetY(i)) + ',' +
           NumberText::Format(obj.GetZ(i));
}

// Only plain files are read: a folder holds no lines, and a pipe or a device could hold up the
// open or never end.
void RequirePlainFile(const struct stat& status, const std::string& fileName) {
    if (S_ISDIR(status.st_mode)) {
        throw FileError(Reason::IsFolder, fileName + " is a folder, not a model file");
    }
    if (!S_ISREG(status.st_mode)) {
        throw FileError(Reason::NotRegularFile,
                        fileName + " is not a plain file but a pipe, a device or a socket");
    }
}

// errno, read before the message is put together, which may change it.
[[noreturn]] void ThrowCannotOpen(const std::string& fileName) {
    const int error = errno;
    throw FileError::FromErrno(error, "cannot open " + fileName);
}

// A descriptor of the plain file fileName, open for reading.
int OpenPlainFile(const std::string& fileName) {
    struct stat status {};
    if (stat(fileName.c_str(), &status) != 0) {
        ThrowCannotOpen(fileName);
    }
    RequirePlainFile(status, fileName);
    // Not blocking, so that a pipe put in the file's place meanwhile cannot hold the open up;
    // what was opened is checked once more.
    const int fd = open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        ThrowCannotOpen(fileName);
    }
    try {
        if (fstat(fd, &status) != 0) {
            ThrowCannotOpen(fileName);
        }
        RequirePlainFile(status, fileName);
    } catch (...) {
        close(fd);
        throw;
    }
    return fd;
}

// The lines of an open file, read through a buffer of fixed size; closes the file.
class LineReader {
public:
    LineReader(int fd, const std::string& fileName) : fd_(fd), fileName_(fileName) {}
    ~LineReader() { close(fd_); }
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    enum class Status { Read, End, TooLong };

    // The next line without its LF or CR LF end, if it is at most limit bytes long; an over-long
    // line is read no further. An LF at the very end of the file starts no further line.
    Status Next(std::string& line, std::size_t limit) {
        line.clear();
        if (pos_ == end_ && !Fill()) {
            return Status::End;
        }
        ++number_;
        // The byte past the limit may be the CR of a CR LF end.
        const std::size_t room = limit + 1;
        for (;;) {
            const char* start = buffer_.data() + pos_;
            const auto* lf = static_cast<const char*>(std::memchr(start, '\n', end_ - pos_));
            const auto length =
                static_cast<std::size_t>((lf != nullptr ? lf : buffer_.data() + end_) - start);
            if (line.size() + length > room) {
                return Status::TooLong;
            }
            line.append(start, length);
            pos_ += length;
            if (lf != nullptr) {
                ++pos_;
                break;
            }
            if (!Fill()) {
                break;
            }
        }
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        return line.size() > limit ? Status::TooLong : Status::Read;
    }

    // The number of the line Next read last, counted from 1.
    long number() const { return number_; }

private:
    bool Fill() {
        ssize_t got = 0;
        do {
            got = read(fd_, buffer_.data(), buffer_.size());
        } while (got < 0 && errno == EINTR);
        if (got < 0) {
            const int error = errno;
            throw FileError::FromErrno(error, "could not read " + fileName_ + " to its end");
        }
        pos_ = 0;
        end_ = static_cast<std::size_t>(got);
        return got > 0;
    }

    int fd_;
    const std::string& fileName_;
    std::array<char, kReadBuffer> buffer_{};
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    long number_ = 0;
};

} // namespace

void Save(const c3dObj& obj, const std::string& fileName) {
    RequireWritable(obj);
    SafeWriter out(fileName);
    out.WriteLine(kHeader);
    out.WriteLine(obj.ObjName);
    for (int32_t i = 0; i < obj.nPoints(); ++i) {
        out.WriteLine(PointLine(obj, static_cast<int16_t>(i)));
    }
    out.Commit();
}

bool Load(c3dObj& obj, const std::string& fileName) {
    using Status = LineReader::Status;
    LineReader lines(OpenPlainFile(fileName), fileName);
    std::string line;
    const Status header = lines.Next(line, kMaxHeaderLine);
    if (header == Status::End) {
        throw FileError(Reason::BadContent, "the file is empty", 1);
    }
    // A first line too long for the header is no header either.
    if (header == Status::TooLong || NumberText::TrimBlanks(line) != kHeader) {
        MsgBox::Current().Show(kInvalidFile, MsgBox::Icon::Critical, MsgBox::kTitle);
        return false;
    }
    const Status name = lines.Next(line, kMaxNameLine);
    if (name == Status::End) {
        throw FileError(Reason::BadContent, "the file ends before the model's name", 2);
    }
    if (name == Status::TooLong) {
        throw FileError(Reason::BadContent, LongerThan("the model's name", kMaxNameLine), 2);
    }
    obj.ObjName = line;
    for (Status status; (status = lines.Next(line, kMaxPointLine)) != Status::End;) {
        if (status == Status::TooLong) {
            throw FileError(Reason::BadContent,
                            LongerThan("the line", kMaxPointLine) + ", far too long for a point",
                            lines.number());
        }
        if (!NumberText::TrimBlanks(line).empty()) {
            AppendPoint(obj, line, lines.number());
        }
    }
    return true;
}

} // namespace G3dFile
