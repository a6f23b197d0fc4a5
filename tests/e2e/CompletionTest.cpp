// The bash and zsh completion of mivo and mivo-catalogue, run against the
// built programs: commands where a command goes (also after "help"), options
// after "-", folder and file names for an option that takes one, nothing after
// a command's own argument, file names for tag's, and an option's value not
// taken for the command.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ShellCompletion.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using Words = std::vector<std::string>;

const Words kCommands = {"artist", "albums", "album", "lookup", "info", "tag"};
const std::string kBash = MIVO_SOURCE_DIR "/doc/completion/mivo.bash";
const std::string kZsh = MIVO_SOURCE_DIR "/doc/completion/_mivo";
const std::string kBin = fs::path(MIVO_HOST_PATH).parent_path().string();

struct Row {
    const char* name;
    Words words;
    Words bash;  // all of these are offered by bash
    Words zsh;   // and these by zsh
    bool exact;  // and nothing else
};

std::vector<Row> Rows() {
    return {
        {"a command first", {"mivo", ""}, kCommands, kCommands, false},
        {"a command after a flag", {"mivo", "--json", ""}, kCommands, kCommands, false},
        {"a command after an option's value", {"mivo", "--proxy", "127.0.0.1:1", ""}, kCommands, kCommands, false},
        {"a command after help", {"mivo", "help", ""}, kCommands, kCommands, false},
        {"commands narrowed by bash", {"mivo", "al"}, {"albums", "album"}, kCommands, false},
        {"options", {"mivo", "-"}, {"--proxy", "--max-difference", "--json", "--help"}, {"--proxy", "--json"}, false},
        {"the catalogue's options", {"mivo-catalogue", "--"}, {"--port", "--data", "--page-size"}, {"--port"}, false},
        {"nothing after the command's argument", {"mivo", "artist", "Korva", ""}, {}, {}, true},
        {"nothing after an artist name's place", {"mivo", "artist", ""}, {}, {}, true},
        {"the catalogue has no commands", {"mivo-catalogue", ""}, {}, {}, true},
        {"a folder for --cache", {"mivo", "--cache", ""}, {"sub"}, {"<files -/>"}, true},
        {"a file for --parent-log", {"mivo", "--parent-log", ""}, {"file.txt", "sub"}, {"<files>"}, true},
        {"no name for a number", {"mivo", "--delay", ""}, {}, {"<message ms>"}, true},
        {"files for tag's paths", {"mivo", "tag", ""}, {"file.txt", "sub"}, {"<files>"}, true},
        {"files after a tag option", {"mivo", "tag", "--yes", "s"}, {"sub"}, {"<files>"}, true},
        {"no name for tag's cover mode", {"mivo", "tag", "--cover", ""}, {}, {"<message mode>"}, true},
    };
}

void ExpectOffers(const char* shell, const Row& row, const host_e2e::ProcessResult& run, const Words& expected) {
    ASSERT_EQ(run.exitCode, 0) << shell << ", " << row.name << ": " << run.err;
    Words offered = host_e2e::Lines(run.out);
    for (const auto& word : expected)
        EXPECT_NE(std::find(offered.begin(), offered.end(), word), offered.end())
            << shell << ", " << row.name << ": " << word << " missing from\n"
            << run.out;
    if (row.exact) {
        std::sort(offered.begin(), offered.end());
        EXPECT_EQ(offered, expected) << shell << ", " << row.name;
    }
}

// A folder with one subfolder and one file, for the name completion rows.
void MakeNames(const fs::path& folder) {
    fs::create_directories(folder / "sub");
    std::ofstream(folder / "file.txt") << "x";
}

TEST(ShellCompletion, BashOffersCommandsOptionsAndNames) {
    TempFolder temp;
    MakeNames(temp / "names");
    for (const Row& row : Rows())
        ExpectOffers("bash", row, host_e2e::BashCompletes(kBash, kBin, row.words, temp / "names", temp.path()),
                     row.bash);
}

TEST(ShellCompletion, ZshOffersCommandsOptionsAndNames) {
    const fs::path zsh = "/usr/bin/zsh";
    if (!fs::exists(zsh)) GTEST_SKIP() << "zsh is not installed (scripts/install-deps installs it)";
    TempFolder temp;
    MakeNames(temp / "names");
    for (const Row& row : Rows())
        ExpectOffers("zsh", row, host_e2e::ZshCompletes(zsh, kZsh, kBin, row.words, temp / "names", temp.path()),
                     row.zsh);
}

}  // namespace
