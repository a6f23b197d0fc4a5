// The artist cache's files move between the build for this system and the
// Windows build (run under Wine): each build keeps its entries under its own
// source id, the same entries give the same bytes on both, and a letter file
// copied into the other build's source-id folder is read there as written.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "tests/e2e/HostProcess.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WindowsBuild.h"

namespace {

namespace fs = std::filesystem;
using host_e2e::ProcessResult;

// Names of one letter file (K): Latin-1 letters, letters beyond Latin-1 and
// a character beyond the Basic Multilingual Plane.
const std::vector<std::pair<std::string, std::string>> kEntries = {
    {"Korva", "www.catalogue.example/artist/korva/albums"},
    {"K\xC3\xA5re Bj\xC3\xB8rnstad", "www.catalogue.example/artist/kare-bjornstad/albums"},
    {"Kino \xD0\x9A\xD0\xB8\xD0\xBD\xD0\xBE", "www.catalogue.example/artist/kino/albums"},
    {"Korva \xF0\x9F\x8E\xB5 Sessions", "www.catalogue.example/artist/korva-sessions/albums"},
};

// The letter file that the entries make, byte for byte.
std::string LetterFileBytes() {
    std::string bytes;
    for (const auto& [name, address] : kEntries) bytes += "[" + name + "]\r\nArtistUrl=" + address + "\r\n";
    return bytes;
}

// What the read command reports when every entry is found.
std::string FoundReport() {
    std::string report;
    for (const auto& [name, address] : kEntries) report += name + "\t" + address + "\n";
    return report;
}

// One build's mivo-cache-letter and how paths are written for it.
struct Build {
    std::string name;
    std::string program;               // what is started
    std::vector<std::string> leading;  // arguments before the command
    std::vector<std::string> env;      // extra environment
    bool underWine = false;

    std::string PathArgument(const fs::path& path) const { return underWine ? "Z:" + path.string() : path.string(); }

    ProcessResult Run(std::vector<std::string> args, const fs::path& folder) const {
        std::vector<std::string> all = leading;
        all.insert(all.end(), args.begin(), args.end());
        return host_e2e::Run(program, all, folder, env);
    }

    // The build's source id; empty when the program could not tell it.
    std::string SourceId(const fs::path& folder) const {
        ProcessResult result = Run({"id"}, folder);
        while (!result.out.empty() && (result.out.back() == '\n' || result.out.back() == '\r')) result.out.pop_back();
        return result.exitCode == 0 ? result.out : std::string();
    }
};

class CacheExchangeTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string missing = testsupport::MissingForWine({"mivo-cache-letter.exe"});
        if (!missing.empty()) GTEST_SKIP() << missing;
        linux = {"linux", MIVO_CACHE_LETTER_PATH, {}, {}, false};
        windows = {"windows",
                   testsupport::WineProgram(),
                   {testsupport::WindowsProgram("mivo-cache-letter.exe").string()},
                   testsupport::WineEnvironment(),
                   true};
        std::string entries;
        std::string names;
        for (const auto& [name, address] : kEntries) {
            entries += name + "\t" + address + "\n";
            names += name + "\n";
        }
        WriteBytes(folder / "entries.txt", entries);
        WriteBytes(folder / "names.txt", names);
    }

    // Writes the entries with build under a root of its own; the letter file's path.
    fs::path WriteLetter(const Build& build, const std::string& sourceId) {
        const fs::path root = folder / ("written-by-" + build.name);
        fs::create_directories(root);
        const ProcessResult result =
            build.Run({"write", build.PathArgument(root), build.PathArgument(folder / "entries.txt")}, folder.path());
        EXPECT_EQ(result.exitCode, 0) << build.name << ": " << result.err;
        return root / "mivo" / sourceId / "K.ARTISTCACHE";
    }

    // Puts letter into reader's source-id folder under a fresh root and reads
    // every name there with reader; the report.
    std::string ReadCopied(const fs::path& letter, const Build& reader, const std::string& readerId) {
        const fs::path root = folder / ("read-by-" + reader.name);
        fs::create_directories(root / "mivo" / readerId);
        fs::copy_file(letter, root / "mivo" / readerId / "K.ARTISTCACHE");
        const fs::path report = folder / ("report-" + reader.name + ".txt");
        const ProcessResult result =
            reader.Run({"read", reader.PathArgument(root), reader.PathArgument(folder / "names.txt"),
                        reader.PathArgument(report)},
                       folder.path());
        EXPECT_EQ(result.exitCode, 0) << reader.name << ": " << result.err;
        return ReadBytes(report);
    }

    TempFolder folder;
    Build linux;
    Build windows;
};

TEST_F(CacheExchangeTest, EachBuildReadsTheOthersLetterFileAndTheBytesAgree) {
    const std::string linuxId = linux.SourceId(folder.path());
    const std::string windowsId = windows.SourceId(folder.path());
    ASSERT_EQ(linuxId.size(), 32u) << "linux source id: " << linuxId;
    ASSERT_EQ(windowsId.size(), 32u) << "windows source id: " << windowsId;
    EXPECT_NE(linuxId, windowsId) << "each build keeps its files under the MD5 of its own program file";

    const fs::path linuxLetter = WriteLetter(linux, linuxId);
    const fs::path windowsLetter = WriteLetter(windows, windowsId);
    EXPECT_EQ(ReadBytes(linuxLetter), LetterFileBytes()) << "the UTF-8 INI form, CR LF line ends";
    EXPECT_EQ(ReadBytes(windowsLetter), ReadBytes(linuxLetter)) << "the same entries give the same bytes";

    const struct {
        const char* direction;
        const fs::path& letter;
        const Build& reader;
        const std::string& readerId;
    } rows[] = {
        {"linux file read by the windows build", linuxLetter, windows, windowsId},
        {"windows file read by the linux build", windowsLetter, linux, linuxId},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.direction);
        EXPECT_EQ(ReadCopied(row.letter, row.reader, row.readerId), FoundReport());
    }
}

}  // namespace
