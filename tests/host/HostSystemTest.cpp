// The host's system-specific parts, checked the same way on each system:
// the plug-in module loads and names its file, failures name the path, the
// program's folder holds the program, UTF-8 paths reach the file system
// whole, private folders are new each time, a file is no terminal, and the
// process environment reads as UTF-8.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <string>

#include "HostFolder.h"
#include "host/PluginModule.h"
#include "host/PrivateFolder.h"
#include "host/Terminal.h"
#include "host/UserEnvironment.h"
#include "host/Utf8Path.h"
#include "platform/ProgramFolder.h"

namespace {

namespace fs = std::filesystem;
using namespace mivo_host;

TEST(HostModule, LoadsThePluginAndNamesTheFileItOpened) {
    PluginModule module;
    std::string error;
    ASSERT_TRUE(module.Load(MIVO_PLUGIN_PATH, error)) << error;
    const std::string loaded = module.LoadedFile();
    ASSERT_FALSE(loaded.empty());
    EXPECT_TRUE(fs::equivalent(PathFromUtf8(loaded), PathFromUtf8(MIVO_PLUGIN_PATH))) << loaded;
    module.Close();
    EXPECT_EQ(module.LoadedFile(), "");
    EXPECT_EQ(module.CreateInterface(), nullptr);
}

TEST(HostModule, FailuresNameThePath) {
    HostFolder folder;
    const std::string notALibrary = PathToUtf8(folder.path() / "plain text.dll");
    std::ofstream(PathFromUtf8(notALibrary)) << "not a library\n";
    struct Row {
        const char* name;
        std::string path;
    };
    const Row rows[] = {
        {"missing file", PathToUtf8(folder.path() / "no such module.dll")},
        {"not a library", notALibrary},
        {"name beyond ASCII", PathToUtf8(folder.path() / u8"Modul Ωß 𝄞.dll")},
    };
    for (const Row& row : rows) {
        PluginModule module;
        std::string error;
        EXPECT_FALSE(module.Load(row.path, error)) << row.name;
        EXPECT_EQ(error.rfind("cannot load the plug-in " + row.path + ": ", 0), 0u) << row.name << ": " << error;
        EXPECT_GT(error.size(), ("cannot load the plug-in " + row.path + ": ").size()) << row.name << ": no reason";
        EXPECT_EQ(module.LoadedFile(), "") << row.name;
    }
}

TEST(HostProgramFolder, HoldsTheRunningTestProgram) {
    const fs::path folder = platform::ProgramFolder();
    ASSERT_FALSE(folder.empty());
    bool found = false;
    for (const auto& entry : fs::directory_iterator(folder)) found = found || entry.path().stem() == "test_host";
    EXPECT_TRUE(found) << PathToUtf8(folder);
    EXPECT_EQ(PathFromUtf8(platform::BesideProgram("x/../y")), folder / "y");
}

TEST(HostPaths, Utf8NamesReachTheFileSystemWhole) {
    HostFolder folder;
    const std::string names[] = {"plain.txt", "Björk – Ωmega.txt", "漢字 ★.txt", "Clef 𝄞.txt"};
    for (const std::string& name : names) std::ofstream(folder.path() / PathFromUtf8(name)) << name;
    std::set<std::string> listed;
    for (const auto& entry : fs::directory_iterator(folder.path())) listed.insert(PathToUtf8(entry.path().filename()));
    EXPECT_EQ(listed, std::set<std::string>(std::begin(names), std::end(names)));
}

TEST(HostPrivateFolder, EachOneIsNewAndAMissingBaseSaysWhy) {
    HostFolder base;
    std::string error;
    const fs::path first = CreatePrivateFolder(base.path(), "run-", error);
    const fs::path second = CreatePrivateFolder(base.path(), "run-", error);
    ASSERT_FALSE(first.empty()) << error;
    ASSERT_FALSE(second.empty()) << error;
    EXPECT_NE(first, second);
    EXPECT_TRUE(fs::is_directory(first));
    EXPECT_TRUE(fs::is_empty(second));
    EXPECT_EQ(first.parent_path(), base.path());
    EXPECT_EQ(PathToUtf8(first.filename()).rfind("run-", 0), 0u);

    std::string missingError;
    EXPECT_TRUE(CreatePrivateFolder(base.path() / "missing", "run-", missingError).empty());
    EXPECT_NE(missingError.find("missing"), std::string::npos) << missingError;
}

TEST(HostTerminal, AFileIsNoTerminal) {
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    EXPECT_FALSE(IsTerminal(file));
    EXPECT_EQ(TerminalColumns(file), 80);
    std::fclose(file);
}

TEST(HostEnvironment, TheProcessEnvironmentIsReadAsUtf8) {
    const Environment environment = ProcessEnvironment();
    const char* path = environment("PATH");
    ASSERT_NE(path, nullptr);
    EXPECT_FALSE(std::string(path).empty());
    EXPECT_EQ(environment("MIVO_SURELY_UNSET_VARIABLE"), nullptr);
    EXPECT_EQ(environment("PATH"), path) << "a value read twice stays where it was";
}

}  // namespace
