// libFuzzer target for the G3D reader. Every input is written to a real file and loaded with
// LoadFileEx into three models that already hold points: one with an everyday centre, one with
// a centre near the ends of the float range and one two points short of the 32,767-point limit.
// The outcome is then checked against a reading of the same bytes made here, independently of
// the reader:
//  - the centre and the points that were there before are untouched;
//  - nPoints stays within 0..32767 and every appended offset is finite;
//  - a file without the header shows " Invalid File " once and changes nothing; a first line
//    longer than its bound is no header;
//  - an empty file, one that ends before the name line or one whose name line is longer than
//    its bound is an error and changes nothing;
//  - otherwise the name is line 2 and exactly the point lines before the first bad one were
//    appended, with the offsets the file's numbers give; a bad line (a line longer than its
//    bound among them, blank or not) is an error, no bad line is no error;
//  - the file is closed again whichever way the load ends.
// Any difference aborts, which libFuzzer reports as a finding.
#include "FileBytes.h"
#include "G3dFile.h"
#include "RecordingMsgBox.h"
#include "TempFolder.h"
#include "c3dObj.h"

#include <array>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fcntl.h>
#include <optional>
#include <string>
#include <string_view>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "g3d fuzz: invariant broken: %s\n", what.c_str());
    std::fflush(stderr);
    std::abort();
}

// Stands in for the real message box from its first use on.
RecordingMsgBox& Messages() {
    static RecordingMsgBox box;
    return box;
}

// The only message a load may show is the loader's own " Invalid File ".
int InvalidFileMessages() {
    for (const RecordingMsgBox::Message& m : Messages().messages) {
        if (m.text != " Invalid File " || m.icon != MsgBox::Icon::Critical ||
            m.title != "Tessaly") {
            Fail("message '" + m.text + "' captioned '" + m.title + "'");
        }
    }
    return static_cast<int>(Messages().messages.size());
}

// The lowest file descriptor not in use; it moves when a load leaves its file open.
int LowestFreeDescriptor() {
    const int fd = open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        Fail("cannot open /dev/null");
    }
    close(fd);
    return fd;
}

// ---- an independent reading of the input ----

std::string_view TrimSpaces(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text;
}

// Lines end at LF; a CR right before the LF belongs to the line end. A last line without LF
// still counts; an LF at the very end starts no further line.
std::vector<std::string_view> SplitLines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    while (!bytes.empty()) {
        const auto lf = bytes.find('\n');
        std::string_view line = bytes.substr(0, lf);
        bytes.remove_prefix(lf == std::string_view::npos ? bytes.size() : lf + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(line);
    }
    return lines;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// What a coordinate's text must read as.
struct Coordinate {
    enum class Kind { Number, NotANumber };
    Kind kind = Kind::NotANumber;
    float value = 0.0f;
};

// Blanks, an optional sign, digits with an optional decimal point (at least one digit), an
// optional exponent with at least one digit, blanks. Read in double precision, then rounded to a
// float; a value that rounds to infinity is not a number, one too small even for a double is a
// zero of its sign.
Coordinate ReadCoordinate(std::string_view text) {
    text = TrimSpaces(text);
    std::size_t i = 0;
    const auto digitsFrom = [&](std::size_t& pos) {
        const std::size_t start = pos;
        while (pos < text.size() && IsDigit(text[pos])) {
            ++pos;
        }
        return pos - start;
    };
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    std::size_t mantissaDigits = digitsFrom(i);
    if (i < text.size() && text[i] == '.') {
        ++i;
        mantissaDigits += digitsFrom(i);
    }
    if (mantissaDigits == 0) {
        return {};
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            ++i;
        }
        if (digitsFrom(i) == 0) {
            return {};
        }
    }
    if (i != text.size()) {
        return {};
    }
    // The process never changes its C locale, so strtod reads "." as the decimal mark; below the
    // double range it gives a zero of the sign or a subnormal, which the float rounds to zero.
    const std::string copy(text);
    const double value = std::strtod(copy.c_str(), nullptr);
    if (!std::isfinite(value)) {
        return {};
    }
    // Half a step above the largest float rounds to infinity.
    const double limit = static_cast<double>(FLT_MAX) + 0x1p103;
    if (std::fabs(value) >= limit) {
        return {};
    }
    return {Coordinate::Kind::Number, static_cast<float>(value)};
}

// ---- one load, checked ----

bool SameFloat(float a, float b) {
    return std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b);
}

std::string Describe(const Point3D& p) {
    return "(" + std::to_string(p.x) + ", " + std::to_string(p.y) + ", " + std::to_string(p.z) +
           ")";
}

Point3D PointAt(const c3dObj& obj, int32_t i) {
    const auto index = static_cast<int16_t>(i);
    return {obj.GetX(index), obj.GetY(index), obj.GetZ(index)};
}

void RequirePoint(const c3dObj& obj, int32_t i, const Point3D& expected, const char* what) {
    const Point3D got = PointAt(obj, i);
    if (!SameFloat(got.x, expected.x) || !SameFloat(got.y, expected.y) ||
        !SameFloat(got.z, expected.z)) {
        Fail(std::string(what) + ": point " + std::to_string(i) + " is " + Describe(got) +
             ", expected " + Describe(expected));
    }
}

// A model to load into: its centre and the points it holds before the load. Every input loads
// into the same model, which is put back afterwards by deleting what the load appended.
struct Setup {
    Setup(std::array<float, 3> centreOf, std::vector<Point3D> points)
        : centre(centreOf), before(std::move(points)) {
        for (const Point3D& p : before) {
            model.AddPoint(p.x, p.y, p.z);
        }
        model.SetCxyz(centre[0], centre[1], centre[2]);
        model.ObjName = kName;
    }

    void PutBack() {
        while (model.nPoints() > static_cast<int32_t>(before.size())) {
            model.DeletePoint(c3dObj::kMaxPoints);
        }
        model.ObjName = kName;
    }

    static constexpr const char* kName = "before";
    std::array<float, 3> centre;
    std::vector<Point3D> before;
    c3dObj model;
};

// The point that a point line adds, or nothing when the load must stop at it.
std::optional<Point3D> PointOfLine(std::string_view line, const Setup& setup, int32_t count) {
    const auto c1 = line.find(',');
    const auto c2 = c1 == std::string_view::npos ? c1 : line.find(',', c1 + 1);
    if (c2 == std::string_view::npos || count >= c3dObj::kMaxPoints) {
        return std::nullopt;
    }
    const std::array<Coordinate, 3> read{ReadCoordinate(line.substr(0, c1)),
                                         ReadCoordinate(line.substr(c1 + 1, c2 - c1 - 1)),
                                         ReadCoordinate(line.substr(c2 + 1))};
    std::array<float, 3> offset{};
    for (std::size_t k = 0; k < 3; ++k) {
        if (read[k].kind == Coordinate::Kind::NotANumber) {
            return std::nullopt;
        }
        // The file's offset goes to the absolute position and back.
        const float absolute = read[k].value + setup.centre[k];
        if (!std::isfinite(absolute)) {
            return std::nullopt;
        }
        offset[k] = absolute - setup.centre[k];
    }
    return Point3D{offset[0], offset[1], offset[2]};
}

void CheckLoad(const std::vector<std::string_view>& lines, Setup& setup, const std::string& path) {
    c3dObj& obj = setup.model;
    const auto n0 = static_cast<int32_t>(setup.before.size());

    Messages().messages.clear();
    const int freeBefore = LowestFreeDescriptor();
    bool threw = false;
    try {
        obj.LoadFileEx(path);
    } catch (const std::exception&) {
        threw = true;
    }
    if (LowestFreeDescriptor() != freeBefore) {
        Fail("the load left a file open");
    }

    // What holds whatever the file held.
    if (obj.GetCX() != setup.centre[0] || obj.GetCY() != setup.centre[1] ||
        obj.GetCZ() != setup.centre[2]) {
        Fail("the load moved the centre");
    }
    const int32_t count = obj.nPoints();
    if (count < n0 || count > c3dObj::kMaxPoints) {
        Fail("nPoints " + std::to_string(count) + " after a load into " + std::to_string(n0));
    }
    // Of a large model, a sample: every 1024th point and the last.
    const int32_t step = n0 > 64 ? 1024 : 1;
    for (int32_t i = 0; i < n0; i += step) {
        RequirePoint(obj, i, setup.before[static_cast<std::size_t>(i)], "a point from before");
    }
    if (n0 > 0) {
        RequirePoint(obj, n0 - 1, setup.before.back(), "the last point from before");
    }
    for (int32_t i = n0; i < count; ++i) {
        const Point3D p = PointAt(obj, i);
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) {
            Fail("point " + std::to_string(i) + " is not finite: " + Describe(p));
        }
    }

    const bool headerMissing = !lines.empty() && (lines[0].size() > G3dFile::kMaxHeaderLine ||
                                                  TrimSpaces(lines[0]) != "G3DModel");
    if (const int shown = InvalidFileMessages(); shown != (headerMissing ? 1 : 0)) {
        Fail(std::to_string(shown) + " messages shown");
    }
    const bool nameMissing = lines.size() < 2 || lines[1].size() > G3dFile::kMaxNameLine;
    if (headerMissing || nameMissing) {
        if (threw == headerMissing) {
            Fail(headerMissing ? "a file without the header is an error"
                               : "a file without a name line loaded");
        }
        if (count != n0 || obj.ObjName != Setup::kName) {
            Fail("a refused file changed the model");
        }
        return;
    }
    if (obj.ObjName != lines[1]) {
        Fail("the name is not line 2");
    }

    int32_t next = n0;
    for (std::size_t n = 2; n < lines.size(); ++n) {
        const bool tooLong = lines[n].size() > G3dFile::kMaxPointLine;
        if (!tooLong && TrimSpaces(lines[n]).empty()) {
            continue;
        }
        const std::optional<Point3D> point =
            tooLong ? std::nullopt : PointOfLine(lines[n], setup, next);
        if (!point) {
            if (!threw) {
                Fail("line " + std::to_string(n + 1) + " is bad but the load did not fail");
            }
            if (count != next) {
                Fail("the failed load kept " + std::to_string(count - n0) + " points, expected " +
                     std::to_string(next - n0));
            }
            return;
        }
        if (count <= next) {
            Fail("line " + std::to_string(n + 1) + " was not appended");
        }
        RequirePoint(obj, next, *point, "a point of the file");
        ++next;
    }
    if (threw) {
        Fail("the load failed on a good file");
    }
    if (count != next) {
        Fail("the load appended " + std::to_string(count - n0) + " points, expected " +
             std::to_string(next - n0));
    }
}

// Offsets 0, -1, 2, -3, ... on every axis: kMaxPoints - 2 of them leave room for two more.
std::vector<Point3D> NearlyFull() {
    std::vector<Point3D> points(c3dObj::kMaxPoints - 2);
    for (std::size_t i = 0; i < points.size(); ++i) {
        const float v = static_cast<float>(i % 2 == 0 ? i : -i);
        points[i] = {v, v, v};
    }
    return points;
}

// An everyday centre; one near the ends of the float range, where offsets overflow; and a model
// with room for two more points, where the third point line of a file meets the limit.
std::array<Setup, 3>& Setups() {
    static std::array<Setup, 3> setups{
        Setup{{100.0f, -50.0f, 25.0f}, {{10.0f, -10.0f, 0.0f}, {-0.5f, 2.25f, 1e-3f}}},
        Setup{{-2.5e38f, 3.0e38f, 1e-3f}, {{1.0f, -2.0f, 3.0f}, {-4.5f, 0.0f, 1e30f}}},
        Setup{{0.0f, 0.0f, 0.0f}, NearlyFull()},
    };
    return setups;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static const TempFolder folder;
    static const std::string path = folder.file("input.g3d");
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    WriteBytes(path, bytes);
    const std::vector<std::string_view> lines = SplitLines(bytes);
    for (Setup& setup : Setups()) {
        CheckLoad(lines, setup, path);
        setup.PutBack();
    }
    return 0;
}
