// Temporary file, checked writes and the final rename.
#include "SafeWriter.h"

#include <random>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Replacing a link replaces the file it points to, not the link.
fs::path ResolveTarget(const fs::path& target) {
    std::error_code ec;
    if (fs::is_symlink(target, ec)) {
        fs::path real = fs::canonical(target, ec);
        if (!ec) {
            return real;
        }
    }
    return target;
}

fs::path UnusedTemporaryBeside(const fs::path& target) {
    std::random_device seed;
    std::mt19937_64 random(seed());
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    for (int attempt = 0; attempt < 100; ++attempt) {
        // Not derived from the target's name: a name near the system's length limit would
        // leave no room for a suffix.
        fs::path candidate =
            folder / (".tessaly-" + std::to_string(random() % 1000000000ULL) + ".tmp");
        std::error_code ec;
        if (!fs::exists(candidate, ec) && !ec) {
            return candidate;
        }
    }
    throw std::runtime_error("no free temporary name beside " + target.string());
}

} // namespace

SafeWriter::SafeWriter(const std::string& target)
    : target_(ResolveTarget(fs::path(target))), temporary_(UnusedTemporaryBeside(target_)) {
    if (target_.filename().empty()) {
        throw std::runtime_error("not a file name: " + target);
    }
    // Replacing by rename would pass over a file that is not to be written.
    std::error_code ec;
    const auto existing = fs::status(target_, ec);
    if (!ec && fs::exists(existing) &&
        (fs::is_directory(existing) ||
         (existing.permissions() & fs::perms::owner_write) == fs::perms::none)) {
        throw std::runtime_error(target + " cannot be replaced: it is a folder or read-only");
    }
    out_.open(temporary_, std::ios::binary | std::ios::trunc);
    if (!out_) {
        throw std::runtime_error("cannot create a file in the folder of " + target);
    }
}

SafeWriter::~SafeWriter() {
    if (!committed_) {
        out_.close();
        std::error_code ignored;
        fs::remove(temporary_, ignored);
    }
}

void SafeWriter::check(const char* what) {
    if (!out_) {
        throw std::runtime_error(std::string("could not ") + what + " " + target_.string());
    }
}

void SafeWriter::WriteLine(std::string_view text) {
    out_.write(text.data(), static_cast<std::streamsize>(text.size()));
    out_.write("\r\n", 2);
    check("write");
}

void SafeWriter::Commit() {
    out_.flush();
    check("write");
    out_.close();
    check("finish writing");
    std::error_code ec;
    const auto status = fs::status(target_, ec);
    if (!ec && fs::is_regular_file(status)) {
        // The new file keeps the permissions of the one it replaces.
        fs::permissions(temporary_, status.permissions(), ec);
    }
    fs::rename(temporary_, target_, ec);
    if (ec) {
        throw std::runtime_error("could not replace " + target_.string() + ": " + ec.message());
    }
    committed_ = true;
}
