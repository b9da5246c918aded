// Helpers for the file tests: a private temporary folder, whole-file reads and writes, open file
// descriptors, a message box that records, and a snapshot of a model.
#pragma once

#include "MsgBox.h"
#include "c3dObj.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace filetest {

namespace fs = std::filesystem;

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
public:
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "tessaly-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot create a temporary folder");
        }
        path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const fs::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

    // The names in the folder, sorted.
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& entry : fs::directory_iterator(path_)) {
            out.push_back(entry.path().filename().string());
        }
        std::sort(out.begin(), out.end());
        return out;
    }

private:
    fs::path path_;
};

inline void WriteBytes(const std::string& file, const std::string& bytes) {
    // A new file rather than a truncated one: ext4 flushes a truncated file when it is closed.
    std::error_code ignored;
    fs::remove(file, ignored);
    std::ofstream out(file, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + file);
    }
}

inline std::string ReadBytes(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + file);
    }
    std::string bytes;
    char chunk[65536];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        bytes.append(chunk, static_cast<std::size_t>(in.gcount()));
    }
    return bytes;
}

inline std::size_t OpenDescriptors() {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
}

class RecordingMsgBox final : public MsgBox {
public:
    struct Shown {
        std::string text;
        Icon icon;
        std::string title;
    };
    RecordingMsgBox() { MsgBox::Install(this); }
    ~RecordingMsgBox() override { MsgBox::Install(nullptr); }
    RecordingMsgBox(const RecordingMsgBox&) = delete;
    RecordingMsgBox& operator=(const RecordingMsgBox&) = delete;

    void Show(const std::string& text, Icon icon, const std::string& title) override {
        shown.push_back({text, icon, title});
    }
    std::vector<Shown> shown;
};

// Everything of a model that its operations can change.
struct Snapshot {
    std::string name;
    float cx, cy, cz;
    std::vector<Point3D> points;

    explicit Snapshot(const c3dObj& obj)
        : name(obj.ObjName), cx(obj.GetCX()), cy(obj.GetCY()), cz(obj.GetCZ()) {
        for (int16_t i = 0; i < obj.nPoints(); ++i) {
            points.push_back({obj.GetX(i), obj.GetY(i), obj.GetZ(i)});
        }
    }
    bool operator==(const Snapshot& other) const {
        if (name != other.name || cx != other.cx || cy != other.cy || cz != other.cz ||
            points.size() != other.points.size()) {
            return false;
        }
        for (std::size_t i = 0; i < points.size(); ++i) {
            const Point3D& a = points[i];
            const Point3D& b = other.points[i];
            if (a.x != b.x || a.y != b.y || a.z != b.z) {
                return false;
            }
        }
        return true;
    }
};

inline std::ostream& operator<<(std::ostream& os, const Snapshot& s) {
    os << "name '" << s.name << "', centre (" << s.cx << ", " << s.cy << ", " << s.cz << "), "
       << s.points.size() << " points";
    return os;
}

} // namespace filetest
