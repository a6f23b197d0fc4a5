// Whole files as bytes, for tests that prepare a file or check one byte for byte.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

// The bytes of file; empty when it cannot be read.
inline std::string ReadBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Replaces the contents of file with bytes, creating the file when it is missing.
inline void WriteBytes(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}
