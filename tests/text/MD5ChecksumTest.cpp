// CMD5Checksum: the RFC 1321 test suite, files of awkward sizes checked
// against the system's md5sum, input split at every kind of boundary, and
// files that cannot be read.
#include "text/MD5Checksum.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "platform/File.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

std::string Narrow(const CString& text) { return std::string(text.str().begin(), text.str().end()); }

std::string HashBytes(const std::string& bytes) {
    CMD5Checksum checksum;
    checksum.Update(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    return Narrow(checksum.Final());
}

// The first field of `md5sum FILE`.
std::string SystemMd5(const fs::path& file) {
    const std::string command = "md5sum '" + file.string() + "'";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return "popen failed";
    char line[256] = {};
    const bool read = std::fgets(line, sizeof line, pipe) != nullptr;
    pclose(pipe);
    return read ? std::string(line).substr(0, 32) : "md5sum printed nothing";
}

std::string PatternBytes(size_t size, uint32_t seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (auto& b : bytes) b = static_cast<char>(random() & 0xFF);
    return bytes;
}

TEST(MD5Checksum, RfcTestSuite) {
    struct Row {
        const char* input;
        const char* digest;
    };
    const Row rows[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const Row& row : rows) EXPECT_EQ(HashBytes(row.input), row.digest) << "input \"" << row.input << "\"";
}

TEST(MD5Checksum, InputSplitAnywhereGivesTheSameDigest) {
    const std::string bytes = PatternBytes(3000, 7);
    const std::string whole = HashBytes(bytes);
    // Piece sizes that straddle the 64-byte block and the 56-byte pad boundary.
    for (size_t piece : {1u, 3u, 55u, 56u, 63u, 64u, 65u, 127u, 1000u}) {
        CMD5Checksum checksum;
        for (size_t at = 0; at < bytes.size(); at += piece)
            checksum.Update(reinterpret_cast<const uint8_t*>(bytes.data() + at), std::min(piece, bytes.size() - at));
        EXPECT_EQ(Narrow(checksum.Final()), whole) << "pieces of " << piece << " bytes";
    }
}

TEST(MD5Checksum, FilesMatchTheSystemTool) {
    TempFolder folder;
    // Windows has no md5sum: there the files are checked against the digest
    // of their bytes in memory alone (which the RFC suite vouches for).
    const fs::path empty = folder / "empty";
    WriteBytes(empty, "");
    const bool haveTool = SystemMd5(empty) != "md5sum printed nothing";
    for (size_t size : {0u, 1u, 55u, 56u, 63u, 64u, 1023u, 1024u, 1025u, 65536u, 65537u, 3u * 1024 * 1024 + 17}) {
        const fs::path file = folder / ("f" + std::to_string(size));
        const std::string bytes = PatternBytes(size, size);
        WriteBytes(file, bytes);
        const CString hash = CMD5Checksum::ComputeFileHash(file.wstring().c_str());
        EXPECT_EQ(hash.GetLength(), 32) << size << " bytes";
        EXPECT_EQ(Narrow(hash), HashBytes(bytes)) << size << " bytes";
        if (haveTool) {
            EXPECT_EQ(Narrow(hash), SystemMd5(file)) << size << " bytes";
        }
    }
}

TEST(MD5Checksum, ComputeHashReadsFromTheCurrentPosition) {
    TempFolder folder;
    const std::string bytes = PatternBytes(5000, 3);
    const fs::path file = folder / "tail";
    WriteBytes(file, bytes);
    CFile open(file.wstring().c_str(), CFile::modeRead | CFile::typeBinary);
    open.Seek(1000, CFile::begin);
    EXPECT_EQ(Narrow(CMD5Checksum::ComputeHash(open)), HashBytes(bytes.substr(1000)));
}

TEST(MD5Checksum, UnreadableFilesThrowTheFileException) {
    TempFolder folder;
    struct Row {
        const char* what;
        fs::path path;
    };
    const Row rows[] = {
        {"missing file", folder.path() / "missing.bin"},
        {"a folder", folder.path()},
        {"empty path", fs::path()},
    };
    for (const Row& row : rows) {
        bool thrown = false;
        try {
            CMD5Checksum::ComputeFileHash(row.path.wstring().c_str());
        } catch (const CFileException& error) {
            thrown = true;
            wchar_t message[256] = {};
            EXPECT_TRUE(error.GetErrorMessage(message, 256)) << row.what;
            EXPECT_NE(message[0], L'\0') << row.what;
        }
        EXPECT_TRUE(thrown) << row.what;
    }
}

}  // namespace
