// The identity of the Windows module, from outside: the export table that
// the mingw-w64 objdump reads, the information marker among its bytes, and
// the source id that mivo.exe reports under Wine against the MD5 of the file.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "WindowsBuild.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempFolder.h"

namespace {

using namespace wine_test;

// What a shell command printed on stdout.
std::string CommandOutput(const std::string& command) {
    std::string out;
    const std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe) return out;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) out.append(buffer, n);
    return out;
}

// The names of the export table ("[Ordinal/Name Pointer] Table" lines
// "[   0] Name") that objdump -p prints.
std::vector<std::string> ExportedNames(const std::string& objdump) {
    std::vector<std::string> names;
    const std::regex entry(R"(^\s*\[\s*\d+\]\s+(\S+)\s*$)");
    const size_t table = objdump.find("[Ordinal/Name Pointer] Table");
    if (table == std::string::npos) return names;
    size_t start = objdump.find('\n', table);
    while (start != std::string::npos && start + 1 < objdump.size()) {
        const size_t end = objdump.find('\n', start + 1);
        const std::string line = objdump.substr(start + 1, end == std::string::npos ? end : end - start - 1);
        std::smatch match;
        if (!std::regex_match(line, match, entry)) break;
        names.push_back(match[1]);
        start = end;
    }
    return names;
}

size_t Occurrences(const std::string& bytes, const std::string& text) {
    size_t count = 0;
    for (size_t at = bytes.find(text); at != std::string::npos; at = bytes.find(text, at + 1)) ++count;
    return count;
}

class WindowsModuleIdentity : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string missing = MissingForWine();
        if (!missing.empty()) GTEST_SKIP() << missing;
    }
};

TEST_F(WindowsModuleIdentity, ExportsGetDllInterfaceAlone) {
    if (!*MIVO_MINGW_OBJDUMP) GTEST_SKIP() << "x86_64-w64-mingw32-objdump is not installed";
    const std::string objdump =
        CommandOutput(std::string(MIVO_MINGW_OBJDUMP) + " -p '" + WindowsModule().string() + "'");
    ASSERT_NE(objdump.find("[Ordinal/Name Pointer] Table"), std::string::npos) << objdump.substr(0, 2000);
    EXPECT_EQ(ExportedNames(objdump), std::vector<std::string>{"GetDllInterface"});
}

TEST_F(WindowsModuleIdentity, InformationMarkerStandsOnceAmongItsBytes) {
    const std::string bytes = ReadBytes(WindowsModule());
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(Occurrences(bytes, "###_PluginInfo_###"), 1u);
    EXPECT_EQ(Occurrences(bytes, "###_PluginInfo_###Name=\"Mivo\";Type=search;Version=2.1.2000.0;"), 1u);
}

TEST_F(WindowsModuleIdentity, SourceIdIsTheMd5OfTheModuleFile) {
    const std::string md5sum = CommandOutput("md5sum '" + WindowsModule().string() + "'");
    ASSERT_GE(md5sum.size(), 32u);
    TempFolder temp;
    const host_e2e::ProcessResult run = RunWindowsHost({"--no-cache", "--json", "info"}, temp.path());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const nlohmann::json document = nlohmann::json::parse(run.out);
    EXPECT_EQ(document["sourceId"], md5sum.substr(0, 32));
    EXPECT_EQ(document["name"], "Mivo");
}

}  // namespace
