// Several mivo processes merging their run's trace log into one parent log at
// the same moment, round after round: every run's block must be in the parent
// once, whole, with each of its lines intact, and every run file merged away.
// `mivo info` needs no network, so the runs are short and start together.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "HostProcess.h"
#include "platform/CodePage.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

constexpr int kProcesses = 8;
constexpr int kRounds = 5;

// The text of a UTF-16LE file that starts with its byte-order mark, split at
// CR LF; the mark is checked and dropped. A last line without CR LF is kept
// as it is, so a torn end shows.
std::vector<std::string> ParentLines(const std::string& bytes) {
    EXPECT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE") << "one mark, at the start";
    EXPECT_EQ(bytes.size() % 2, 0u) << "whole UTF-16 units";
    std::u16string units;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
        units +=
            static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
    const std::string text = platform::ToUtf8(platform::FromUtf16(units));
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()) << "the parent ends with a whole line";
    return lines;
}

// The process id (upper-case hexadecimal) in a run file's name
// "mivo_YYYYMMDD_hhmmss_<pid>[_<n>].txt"; empty when the line is no such name.
std::string ProcessOfRunName(const std::string& line) {
    unsigned date = 0, time = 0;
    char process[17] = {};
    int end = 0;
    if (std::sscanf(line.c_str(), "mivo_%8u_%6u_%16[0-9A-F]%n", &date, &time, process, &end) != 3) return "";
    const std::string rest = line.substr(static_cast<size_t>(end));
    unsigned clash = 0;
    char dot = 0;
    if (rest == ".txt" || (std::sscanf(rest.c_str(), "_%u%c", &clash, &dot) == 2 && dot == '.' && rest.size() > 4 &&
                           rest.compare(rest.size() - 4, 4, ".txt") == 0))
        return process;
    return "";
}

// Splits "hh:mm:ss.mmm <thread> DBG: <message>" into thread and message; false
// for anything else.
bool SplitTraceLine(const std::string& line, std::string& thread, std::string& message) {
    unsigned h = 0, m = 0, sec = 0, ms = 0;
    char id[17] = {};
    int end = 0;
    if (line.size() < 13 || line[2] != ':' || line[5] != ':' || line[8] != '.' || line[12] != ' ') return false;
    if (std::sscanf(line.c_str(), "%2u:%2u:%2u.%3u %16[0-9A-F] DBG: %n", &h, &m, &sec, &ms, id, &end) != 5 || end == 0)
        return false;
    thread = id;
    message = line.substr(static_cast<size_t>(end));
    return true;
}

TEST(HostConcurrentMerge, ProcessesMergingIntoOneParentLogAtOnceLoseNothing) {
    TempFolder temp;
    const fs::path logs = temp / "logs";
    const fs::path parent = temp / "host.log";
    const std::vector<std::string> env{"XDG_CONFIG_HOME=" + (temp / "config").string(),
                                       "XDG_CACHE_HOME=" + (temp / "cache").string()};
    const std::vector<std::string> args{"--no-cache", "--log-dir",    logs.string(),   "--trace-level",
                                        "Debug",      "--parent-log", parent.string(), "info"};
    for (int round = 0; round < kRounds; ++round) {
        std::vector<std::unique_ptr<host_e2e::ChildProcess>> children;
        for (int i = 0; i < kProcesses; ++i)
            children.push_back(std::make_unique<host_e2e::ChildProcess>(MIVO_HOST_PATH, args, temp.path(), env));
        for (auto& child : children) {
            const host_e2e::ProcessResult result = child->Wait();
            ASSERT_EQ(result.exitCode, 0) << result.err;
        }
    }

    // Each run writes the same two lines: the settings that follow the level.
    const std::vector<std::string> runLines{
        "CCommonDllInterface::Set Property TraceLevel: Debug",
        "CCommonDllInterface::Set Property ParentLogfilePath: " + parent.string(),
    };
    const std::vector<std::string> lines = ParentLines(ReadBytes(parent));
    std::map<std::string, int> blocks;  // run file name -> times seen
    size_t at = 0;
    while (at < lines.size()) {
        SCOPED_TRACE("parent line " + std::to_string(at + 1));
        ASSERT_EQ(lines[at], "") << "a block opens with an empty line";
        ASSERT_LT(at + 1, lines.size());
        const std::string file = lines[at + 1];
        const std::string process = ProcessOfRunName(file);
        ASSERT_FALSE(process.empty()) << "not a run file's name: " << file;
        ++blocks[file];
        at += 2;
        size_t count = 0;
        for (; at < lines.size() && !lines[at].empty(); ++at, ++count) {
            std::string thread;
            std::string message;
            ASSERT_TRUE(SplitTraceLine(lines[at], thread, message)) << "torn line: " << lines[at];
            // The host calls the plug-in on its main thread, whose id is the process id.
            EXPECT_EQ(thread, process) << "a line of another run inside the block of " << file;
            ASSERT_LT(count, runLines.size()) << "too many lines in the block of " << file;
            EXPECT_EQ(message, runLines[count]) << file;
        }
        EXPECT_EQ(count, runLines.size()) << "lines missing from the block of " << file;
    }
    EXPECT_EQ(blocks.size(), static_cast<size_t>(kProcesses * kRounds)) << "every run's block is there";
    for (const auto& [file, seen] : blocks) EXPECT_EQ(seen, 1) << file << " merged more than once";
    EXPECT_TRUE(fs::is_empty(logs)) << "every run file was merged and deleted";
}

}  // namespace
