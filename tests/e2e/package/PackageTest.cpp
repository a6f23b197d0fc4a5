// The Debian package of this build: cpack makes it, its control data names
// the run-time libraries, and unpacked with dpkg -x into a throwaway root its
// files work where they lie: mivo --version, both man pages read with man -l
// (each naming every option of its program's --help), a lookup of mivo
// against the unpacked mivo-catalogue, the completion files, and
// find_package(Mivo) from the unpacked /usr.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "tests/e2e/InstalledPrograms.h"
#include "tests/e2e/ShellCompletion.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using host_e2e::ProcessResult;

// The --options a help text names.
std::set<std::string> OptionsOf(const std::string& help) {
    const std::regex option(R"((^|[ ,\[])(--[a-zA-Z][-a-zA-Z]*))");
    std::set<std::string> options;
    for (std::sregex_iterator it(help.begin(), help.end(), option), end; it != end; ++it) options.insert((*it)[2]);
    return options;
}

class DebianPackage : public ::testing::Test {
protected:
    // Builds the package and unpacks it into root, once for all the cases.
    static void SetUpTestSuite() {
        s_temp = new TempFolder;
        const fs::path out = *s_temp / "package";
        const ProcessResult run =
            host_e2e::Run(MIVO_CPACK_COMMAND,
                          {"-G", "DEB", "--config", MIVO_BINARY_DIR "/CPackConfig.cmake", "-B", out.string()},
                          s_temp->path());
        ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
        for (const auto& entry : fs::directory_iterator(out))
            if (entry.path().extension() == ".deb") s_package = new fs::path(entry.path());
        ASSERT_NE(s_package, nullptr) << "no .deb in " << out << "\n" << run.out;
        const ProcessResult unpack =
            host_e2e::Run("/usr/bin/dpkg", {"-x", s_package->string(), Root().string()}, s_temp->path());
        ASSERT_EQ(unpack.exitCode, 0) << unpack.err;
    }

    static void TearDownTestSuite() {
        delete s_package;
        delete s_temp;
        s_package = nullptr;
        s_temp = nullptr;
    }

    void SetUp() override { ASSERT_NE(s_package, nullptr) << "the package was not built"; }

    static fs::path Root() { return *s_temp / "root"; }
    static fs::path Usr() { return Root() / "usr"; }

    static TempFolder* s_temp;
    static fs::path* s_package;
};

TempFolder* DebianPackage::s_temp = nullptr;
fs::path* DebianPackage::s_package = nullptr;

TEST_F(DebianPackage, NamesItselfAndItsRunTimeLibraries) {
    struct Row {
        const char* field;
        std::vector<std::string> mentions;
    };
    const Row rows[] = {
        {"Package", {"mivo"}},
        {"Version", {"2.1.2000"}},
        // Boost.Regex 1.81 is header-only: compiled in, no run-time package.
        {"Depends", {"libcurl", "libcpp-httplib", "libstdc++6", "libc6"}},
    };
    for (const Row& row : rows) {
        const ProcessResult run =
            host_e2e::Run("/usr/bin/dpkg-deb", {"-f", s_package->string(), row.field}, s_temp->path());
        ASSERT_EQ(run.exitCode, 0) << row.field << ": " << run.err;
        for (const auto& text : row.mentions)
            EXPECT_NE(run.out.find(text), std::string::npos)
                << row.field << ": " << text << " missing from " << run.out;
    }
}

TEST_F(DebianPackage, TheUnpackedMivoTellsItsVersionAndLooksUpAnArtist) {
    const ProcessResult run = host_e2e::Run((Usr() / "bin" / "mivo").string(), {"--version"}, s_temp->path());
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("2.1.2000"), std::string::npos) << run.out;
    host_e2e::ExpectInstalledProgramsWork(Usr(), s_temp->path());
}

TEST_F(DebianPackage, ManShowsEachPageWithEveryOptionOfItsProgram) {
    struct Row {
        const char* program;
        const char* seeAlso;
    };
    const Row rows[] = {{"mivo", "mivo-catalogue(1)"}, {"mivo-catalogue", "mivo(1)"}};
    for (const Row& row : rows) {
        const fs::path page = Usr() / "share" / "man" / "man1" / (std::string(row.program) + ".1.gz");
        const ProcessResult help = host_e2e::Run((Usr() / "bin" / row.program).string(), {"--help"}, s_temp->path());
        ASSERT_EQ(help.exitCode, 0) << row.program << ": " << help.err;
        // Wide lines, so that no option name is broken at a line's end.
        const ProcessResult man = host_e2e::Run("/usr/bin/man", {"-P", "cat", "-l", page.string()}, s_temp->path(),
                                                {"LC_ALL=C", "MANWIDTH=1000"});
        ASSERT_EQ(man.exitCode, 0) << row.program << ": " << man.err;
        EXPECT_NE(man.out.find(row.seeAlso), std::string::npos) << row.program << ":\n" << man.out;
        for (const auto& option : OptionsOf(help.out))
            EXPECT_NE(man.out.find(option), std::string::npos) << row.program << ": " << option << " missing from\n"
                                                               << man.out;
    }
}

TEST_F(DebianPackage, TheCompletionFilesCompleteTheUnpackedPrograms) {
    const std::string bin = (Usr() / "bin").string();
    const fs::path share = Usr() / "share";
    for (const char* program : {"mivo", "mivo-catalogue"}) {
        const fs::path file = share / "bash-completion" / "completions" / program;
        const ProcessResult run =
            host_e2e::BashCompletes(file.string(), bin, {program, "--"}, s_temp->path(), s_temp->path());
        ASSERT_EQ(run.exitCode, 0) << program << ": " << run.err;
        EXPECT_NE(run.out.find("--help"), std::string::npos) << program << ": " << run.out;
    }
    const ProcessResult run = host_e2e::BashCompletes((share / "bash-completion" / "completions" / "mivo").string(),
                                                      bin, {"mivo", "look"}, s_temp->path(), s_temp->path());
    EXPECT_EQ(run.out, "lookup\n") << run.err;
    EXPECT_TRUE(fs::exists(share / "zsh" / "vendor-completions" / "_mivo"));
}

TEST_F(DebianPackage, FindPackageWorksFromTheUnpackedUsr) {
    host_e2e::ExpectFindPackageWorks(Usr(), *s_temp / "find-package");
}

}  // namespace
