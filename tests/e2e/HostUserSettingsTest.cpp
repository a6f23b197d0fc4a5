// The mivo program with the user's settings, against the fake plug-in that
// journals its calls: the configuration file (and a bad line in it), the
// proxy from the environment, the default cache folder, and the help of one
// command.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "HostProcess.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using host_e2e::ProcessResult;

class HostUserSettings : public ::testing::Test {
protected:
    ProcessResult Mivo(std::vector<std::string> args, std::vector<std::string> env = {}) {
        args.insert(args.begin(), {"--plugin", MIVO_RECORDING_PLUGIN_PATH, "--delay", "0"});
        env.push_back("MIVO_RECORD_JOURNAL=" + journal.string());
        return host_e2e::Run(MIVO_HOST_PATH, args, temp.path(), env);
    }

    // The configuration file the child reads (ChildEnvironment puts XDG_CONFIG_HOME there).
    void WriteConfig(const std::string& text) {
        fs::create_directories(config.parent_path());
        std::ofstream(config) << text;
    }

    // The journal lines that begin with prefix; the journal is emptied for the next run.
    std::vector<std::string> Calls(const std::string& prefix) {
        std::vector<std::string> lines;
        std::istringstream in(ReadBytes(journal));
        for (std::string line; std::getline(in, line);)
            if (line.rfind(prefix, 0) == 0 && std::find(lines.begin(), lines.end(), line) == lines.end())
                lines.push_back(line);
        fs::remove(journal);
        return lines;
    }

    TempFolder temp;
    fs::path journal = temp / "journal";
    fs::path config = temp / "xdg-config" / "mivo" / "config";
};

TEST_F(HostUserSettings, ABadConfigurationLineStopsTheRunNamingFileAndLine) {
    WriteConfig("# settings\ndelay = 0\nmax-difference = much\n");
    const ProcessResult run = Mivo({"artist", "Korva"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find(config.string() + ":3: max-difference needs a number"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_FALSE(fs::exists(journal)) << "the plug-in is not even loaded";

    EXPECT_EQ(Mivo({"--help"}).exitCode, 0) << "help still shows what the keys are";
}

TEST_F(HostUserSettings, TheCommandLineWinsOverTheConfigurationAndTheEnvironment) {
    struct Row {
        const char* name;
        std::string config;
        std::vector<std::string> args;
        std::vector<std::string> env;
        std::string proxyAnswer;  // the journal line of the "HttpProxy" question
    };
    const Row rows[] = {
        {"nothing set", "", {}, {}, "GetValue HttpProxy 0 "},
        {"environment", "", {}, {"http_proxy=http://10.0.0.7:3128/"}, "GetValue HttpProxy 1 10.0.0.7:3128"},
        {"upper-case environment", "", {}, {"HTTP_PROXY=10.0.0.8:80"}, "GetValue HttpProxy 1 10.0.0.8:80"},
        {"configuration over environment",
         "proxy = 10.0.0.9:1\n",
         {},
         {"http_proxy=10.0.0.7:3128"},
         "GetValue HttpProxy 1 10.0.0.9:1"},
        {"command line over configuration",
         "proxy = 10.0.0.9:1\n",
         {"--proxy", "10.0.0.1:2"},
         {},
         "GetValue HttpProxy 1 10.0.0.1:2"},
        {"direct", "proxy = 10.0.0.9:1\n", {"--no-proxy"}, {"http_proxy=10.0.0.7:3128"}, "GetValue HttpProxy 0 "},
    };
    for (const auto& row : rows) {
        WriteConfig(row.config);
        std::vector<std::string> args = row.args;
        args.insert(args.end(), {"artist", "Korva"});
        const ProcessResult run = Mivo(args, row.env);
        ASSERT_EQ(run.exitCode, 0) << row.name << ": " << run.err;
        EXPECT_EQ(Calls("GetValue HttpProxy"), std::vector<std::string>{row.proxyAnswer}) << row.name;
    }

    WriteConfig("max-difference = 101\n");
    ASSERT_EQ(Mivo({"artist", "Korva"}).exitCode, 0);
    EXPECT_EQ(Calls("GetValue MaxMatchDifference"),
              std::vector<std::string>{"GetValue MaxMatchDifference 1 101.000000"});

    const ProcessResult unusable = Mivo({"artist", "Korva"}, {"http_proxy=socks5://10.0.0.1:1080"});
    EXPECT_EQ(unusable.exitCode, 2);
    EXPECT_NE(unusable.err.find("http_proxy \"socks5://10.0.0.1:1080\" cannot be used"), std::string::npos)
        << unusable.err;
}

TEST_F(HostUserSettings, KeepsTheCacheInTheUsersCacheFolderUnlessToldOtherwise) {
    const fs::path home = temp / "home";
    struct Row {
        const char* name;
        std::vector<std::string> args;
        std::vector<std::string> env;
        std::vector<std::string> cacheSet;  // the journal's "Set LocalCacheFolder" lines
    };
    const Row rows[] = {
        {"XDG_CACHE_HOME", {}, {}, {"Set LocalCacheFolder=" + (temp / "xdg-cache" / "mivo").string()}},
        {"HOME",
         {},
         {"XDG_CACHE_HOME=", "HOME=" + home.string()},
         {"Set LocalCacheFolder=" + (home / ".cache" / "mivo").string()}},
        {"--cache", {"--cache", (temp / "own").string()}, {}, {"Set LocalCacheFolder=" + (temp / "own").string()}},
        {"--no-cache", {"--no-cache"}, {}, {}},
        {"configured", {}, {}, {"Set LocalCacheFolder=" + (temp / "configured").string()}},
    };
    for (const auto& row : rows) {
        WriteConfig(std::string(row.name) == "configured" ? "cache = " + (temp / "configured").string() + "\n" : "");
        std::vector<std::string> args = row.args;
        args.insert(args.end(), {"artist", "Korva"});
        const ProcessResult run = Mivo(args, row.env);
        ASSERT_EQ(run.exitCode, 0) << row.name << ": " << run.err;
        EXPECT_EQ(Calls("Set LocalCacheFolder"), row.cacheSet) << row.name;
    }
    EXPECT_TRUE(fs::is_directory(temp / "xdg-cache" / "mivo")) << "the host creates the default folder";
    EXPECT_TRUE(fs::is_directory(home / ".cache" / "mivo"));
}

TEST_F(HostUserSettings, ShowsTheUsageOfOneCommandAndSuggestsTheNearest) {
    for (const auto& args : std::vector<std::vector<std::string>>{{"help", "albums"}, {"albums", "--help"}}) {
        const ProcessResult run = Mivo(args);
        EXPECT_EQ(run.exitCode, 0) << args[0];
        EXPECT_EQ(run.out.rfind("usage: mivo [options] albums NAME\n", 0), 0u) << run.out;
        EXPECT_EQ(run.err, "") << args[0];
    }
    const ProcessResult typo = Mivo({"albmus", "Korva"});
    EXPECT_EQ(typo.exitCode, 2);
    EXPECT_NE(typo.err.find("unknown command \"albmus\" (did you mean 'albums'?)"), std::string::npos) << typo.err;
    EXPECT_FALSE(fs::exists(journal));
}

}  // namespace

namespace {

TEST(HostVersion, NamesThePluginAndTheLibrariesItWasBuiltWith) {
    TempFolder temp;
    const ProcessResult run = host_e2e::Run(MIVO_HOST_PATH, {"--version"}, temp.path());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    for (const char* needle : {"\nplug-in Mivo 2.1.2000.0 (", "libmivo.so)\n", "built with libcurl ", ", Boost.Regex "})
        EXPECT_NE(run.out.find(needle), std::string::npos) << needle << " in: " << run.out;
    EXPECT_EQ(run.out.find("(no "), std::string::npos) << run.out;

    const ProcessResult missing =
        host_e2e::Run(MIVO_HOST_PATH, {"--plugin", (temp / "none.so").string(), "--version"}, temp.path());
    EXPECT_EQ(missing.exitCode, 0) << "the program's own version is still told";
    EXPECT_NE(missing.out.find("no readable plug-in marker in " + (temp / "none.so").string()), std::string::npos)
        << missing.out;
}

}  // namespace
