// Backup names: numbered, fitted to the longest name a folder takes, and found again.
#include "Backups.h"

#include "FileError.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <system_error>

#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

// A shortened name ends in "-" and the 16 hex digits of a hash of the whole.
constexpr std::size_t kHashLength = 17;

std::string CacheFolder() {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache != nullptr && cache[0] == '/') {
        return std::string(cache) + "/tessaly";
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') {
        throw FileError(FileError::Reason::Other, "no folder for a backup: HOME is not set");
    }
    return std::string(home) + "/.cache/tessaly";
}

// The number N of a name that ends in ".~N~", or 0.
int NumberOf(const std::string& name) {
    int n = 0;
    const std::size_t mark = name.rfind(".~");
    if (mark != std::string::npos && name.size() > mark + 3) {
        std::from_chars(name.data() + mark + 2, name.data() + name.size() - 1, n);
    }
    return n;
}

} // namespace

namespace Backups {

std::string FolderOf(const std::string& path) {
    const std::string folder = fs::path(path).parent_path().string();
    return folder.empty() ? "." : folder;
}

std::string Name(const std::string& target, bool besideTheFile, int n) {
    const std::string suffix = n == 0 ? "~" : ".~" + std::to_string(n) + "~";
    const std::string name = fs::path(target).filename().string();
    if (besideTheFile) {
        return FolderOf(target) + "/" + WithSuffix(name, suffix);
    }
    // The folder as the system finds it, so that two names of one file give one backup.
    std::error_code unresolved;
    fs::path folder = fs::canonical(FolderOf(target), unresolved);
    if (unresolved) {
        folder = fs::absolute(FolderOf(target), unresolved);
    }
    // "!" and "%" escaped as in a web address, so that no two paths give one name.
    std::string flat;
    for (const char c : (folder / name).string()) {
        flat += c == '/' ? "!" : c == '!' ? "%21" : c == '%' ? "%25" : std::string(1, c);
    }
    return CacheFolder() + "/" + WithSuffix(flat, suffix, true);
}

std::string Newest(const std::string& name) {
    std::string newest;
    fs::file_time_type newestTime{};
    try {
        const std::string target = fs::canonical(name).string();
        for (const bool beside : {true, false}) {
            const std::string first = Name(target, beside);
            std::error_code unreadable;
            for (const auto& entry : fs::directory_iterator(FolderOf(first), unreadable)) {
                const std::string found = entry.path().string();
                const int n = NumberOf(found);
                if (found != first && (n == 0 || found != Name(target, beside, n))) {
                    continue;
                }
                // A backup gone since, or a broken link: passed over, the search goes on.
                std::error_code gone;
                const fs::file_time_type time = entry.last_write_time(gone);
                if (!gone && (newest.empty() || time > newestTime)) {
                    newest = found;
                    newestTime = time;
                }
            }
        }
    } catch (const std::exception&) {
        // The file itself gone, or no cache folder: what was found stands.
    }
    return newest;
}

bool MakeFolderFor(const std::string& backup) {
    const std::string folder = FolderOf(backup);
    bool made = false;
    for (const std::string& step : {FolderOf(folder), folder}) {
        if (mkdir(step.c_str(), S_IRWXU) == 0) {
            made = true;
        } else if (errno != EEXIST) {
            const int error = errno;
            throw FileError::FromErrno(error, "cannot make the folder " + step + " for a backup");
        }
    }
    return made;
}

std::string WithSuffix(const std::string& name, std::string_view suffix, bool keepEnd) {
    if (name.size() + suffix.size() <= NAME_MAX) {
        return name + std::string(suffix);
    }
    std::array<char, kHashLength + 1> hash{};
    std::snprintf(hash.data(), hash.size(), "-%016zx", std::hash<std::string>{}(name));
    const std::size_t kept = NAME_MAX - suffix.size() - kHashLength;
    return (keepEnd ? hash.data() + name.substr(name.size() - kept)
                    : name.substr(0, kept) + hash.data()) +
           std::string(suffix);
}

} // namespace Backups
