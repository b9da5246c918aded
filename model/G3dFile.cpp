// Reading and writing G3D files. Numbers go through to_chars and from_chars, which never look
// at the C locale that Qt sets from the environment.
#include "G3dFile.h"

#include "FloatRange.h"
#include "MsgBox.h"
#include "SafeWriter.h"
#include "c3dObj.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace G3dFile {

namespace {

constexpr std::string_view kHeader = "G3DModel";
constexpr const char* kInvalidFile = " Invalid File ";
constexpr int kSignificantDigits = 7;

std::string_view TrimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// One line without its LF or CR LF end; false at the end of the file.
bool ReadLine(std::istream& in, std::string& line) {
    if (!std::getline(in, line)) {
        return false;
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return true;
}

std::runtime_error FileError(const std::string& file, long line, const std::string& what) {
    return std::runtime_error(file + ", line " + std::to_string(line) + ": " + what);
}

float ParseCoordinate(std::string_view text, const std::string& file, long line) {
    const auto value = ParseNumber(text);
    if (!value) {
        throw FileError(file, line, "not a number: '" + std::string(text.substr(0, 40)) + "'");
    }
    return *value;
}

// A coordinate plus the centre, as a point's absolute position; an overflow is an error.
float Absolute(float offset, float centre, const std::string& file, long line) {
    const float sum = offset + centre;
    if (!std::isfinite(sum)) {
        throw FileError(file, line, "the point lies beyond the float range");
    }
    return sum;
}

} // namespace

std::string FormatNumber(float value) {
    // A zero is written without a sign: negative zero is not a negative value, and a file must
    // not change when it is loaded and saved again (loading adds the centre, which clears it).
    if (value == 0.0f) {
        return "0";
    }
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::general, kSignificantDigits);
    std::string text(buffer.data(), result.ptr);
    for (char& ch : text) {
        if (ch == 'e') {
            ch = 'E';
        }
    }
    return text;
}

std::optional<float> ParseNumber(std::string_view text) {
    text = TrimBlanks(text);
    // from_chars takes no plus sign of its own.
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
            return std::nullopt;
        }
    }
    if (text.empty()) {
        return std::nullopt;
    }
    double value = 0.0;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value, std::chars_format::general);
    if (result.ec != std::errc{} || result.ptr != end) {
        return std::nullopt;
    }
    return NarrowToFloat(value);
}

void Save(const c3dObj& obj, const std::string& fileName) {
    // A line feed would end the name's line early. A carriage return is kept: the reader takes
    // only the one before the line feed as part of the line end, so any name it can produce,
    // "name\r" included, is written back as it was read.
    if (obj.ObjName.find('\n') != std::string::npos) {
        throw std::runtime_error("the model's name holds a line feed");
    }
    for (int16_t i = 0; i < obj.nPoints(); ++i) {
        if (!std::isfinite(obj.GetX(i)) || !std::isfinite(obj.GetY(i)) ||
            !std::isfinite(obj.GetZ(i))) {
            throw std::runtime_error("a point lies beyond the float range and cannot be saved");
        }
    }
    SafeWriter out(fileName);
    out.WriteLine(kHeader);
    out.WriteLine(obj.ObjName);
    std::string line;
    for (int16_t i = 0; i < obj.nPoints(); ++i) {
        line = FormatNumber(obj.GetX(i));
        line += ',';
        line += FormatNumber(obj.GetY(i));
        line += ',';
        line += FormatNumber(obj.GetZ(i));
        out.WriteLine(line);
    }
    out.Commit();
}

void Load(c3dObj& obj, const std::string& fileName) {
    std::error_code ec;
    // A folder, a pipe or a device would fail or never end; only plain files are read.
    const auto status = std::filesystem::status(fileName, ec);
    if (!ec && !std::filesystem::is_regular_file(status)) {
        throw std::runtime_error(fileName + " is not a plain file");
    }
    std::ifstream in(fileName, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot open " + fileName);
    }
    std::string line;
    if (!ReadLine(in, line)) {
        throw FileError(fileName, 1, "the file is empty");
    }
    if (TrimBlanks(line) != kHeader) {
        MsgBox::Current().Show(kInvalidFile, MsgBox::Icon::Critical, MsgBox::kTitle);
        return;
    }
    if (!ReadLine(in, line)) {
        throw FileError(fileName, 2, "the file ends before the model's name");
    }
    obj.ObjName = line;

    long lineNo = 2;
    while (ReadLine(in, line)) {
        ++lineNo;
        if (TrimBlanks(line).empty()) {
            continue;
        }
        const std::string_view text(line);
        const auto c1 = text.find(',');
        const auto c2 = c1 == std::string_view::npos ? c1 : text.find(',', c1 + 1);
        if (c2 == std::string_view::npos) {
            throw FileError(fileName, lineNo, "a point needs x,y,z");
        }
        const float x = ParseCoordinate(text.substr(0, c1), fileName, lineNo);
        const float y = ParseCoordinate(text.substr(c1 + 1, c2 - c1 - 1), fileName, lineNo);
        const float z = ParseCoordinate(text.substr(c2 + 1), fileName, lineNo);
        obj.AddPoint(Absolute(x, obj.GetCX(), fileName, lineNo),
                     Absolute(y, obj.GetCY(), fileName, lineNo),
                     Absolute(z, obj.GetCZ(), fileName, lineNo));
    }
    if (in.bad()) {
        throw FileError(fileName, lineNo + 1, "the file could not be read to its end");
    }
}

} // namespace G3dFile
