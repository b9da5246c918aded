// Whole files written and read back as bytes, with the standard library alone so that the tests
// of every layer can use them.
#pragma once

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>

// Writes bytes as the whole content of the file; throws where it cannot.
inline void WriteBytes(const std::string& file, std::string_view bytes) {
    // A new file rather than a truncated one: ext4 flushes a truncated file when it is closed.
    std::error_code ignored;
    std::filesystem::remove(file, ignored);
    std::ofstream out(file, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + file);
    }
}

// The file's bytes; throws where it cannot be read.
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
