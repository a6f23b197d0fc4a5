// Checks of an installed tree (a "cmake --install" prefix, or the /usr of an
// unpacked package): its mivo loads its own plug-in, its mivo-catalogue serves
// its own data and answers a lookup, and a separate project builds a dlopen
// host against its CMake package with find_package(Mivo). Every program is
// run from the tree, so each finds its files relative to itself.
#pragma once

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <string>

#include "HostProcess.h"
#include "tests/support/CatalogueProcess.h"

namespace host_e2e {

inline ProcessResult Shell(const std::string& command, const fs::path& folder) {
    return Run("/bin/sh", {"-c", command}, folder);
}

// The host of the README, reduced: load, create, ask, destroy, unload.
constexpr const char* kConsumerSource = R"(
#include <dlfcn.h>
#include <cstdio>
#include "plugin/BasicTagsDllInterface.h"

int main() {
    void* library = dlopen(MIVO_PLUGIN, RTLD_NOW | RTLD_LOCAL);
    if (!library) { std::fprintf(stderr, "%s\n", dlerror()); return 1; }
    auto create = reinterpret_cast<GetDllInterfaceFunction>(dlsym(library, "GetDllInterface"));
    CBasicTagsDllInterface* plugin = create ? create() : nullptr;
    if (!plugin) return 1;
    CString name;
    plugin->Property(L"SourceName", &name);
    std::printf("%ls\n", name.GetString());
    delete plugin;
    dlclose(library);
    return 0;
}
)";

constexpr const char* kConsumerProject = R"(
cmake_minimum_required(VERSION 3.25)
project(Consumer LANGUAGES CXX)
find_package(Mivo 2.1 REQUIRED)
add_executable(consumer main.cpp)
target_link_libraries(consumer PRIVATE Mivo::headers ${CMAKE_DL_LIBS})
target_compile_definitions(consumer PRIVATE MIVO_PLUGIN="${Mivo_PLUGIN}")
)";

// mivo of prefix loads its plug-in, and finds an artist through the
// mivo-catalogue of prefix started without --data.
inline void ExpectInstalledProgramsWork(const fs::path& prefix, const fs::path& folder) {
    const std::string mivo = (prefix / "bin" / "mivo").string();
    ProcessResult run = Run(mivo, {"--json", "info"}, folder);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(nlohmann::json::parse(run.out)["name"], "Mivo") << "the installed mivo loads the installed plug-in";

    testsupport::CatalogueProcess catalogue((prefix / "bin" / "mivo-catalogue").string());
    ASSERT_TRUE(catalogue.Started()) << "the installed mivo-catalogue finds its data";
    run = Run(mivo, {"--proxy", catalogue.Address(), "--delay", "0", "--json", "artist", "Korva"}, folder);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(nlohmann::json::parse(run.out)["url"], "www.catalogue.example/artist/korva-mn0001679/albums");
}

// A project configured with CMAKE_PREFIX_PATH=prefix finds the package,
// builds, and its program loads the plug-in the package names.
inline void ExpectFindPackageWorks(const fs::path& prefix, const fs::path& folder) {
    const fs::path project = folder / "consumer";
    fs::create_directories(project);
    std::ofstream(project / "CMakeLists.txt") << kConsumerProject;
    std::ofstream(project / "main.cpp") << kConsumerSource;
    // A sanitized plug-in can only be loaded by a program that carries the
    // sanitizer runtime itself, so the consumer is built as this test was.
#ifdef __SANITIZE_ADDRESS__
    const std::string sanitize =
        " -DCMAKE_CXX_FLAGS=-fsanitize=address,undefined -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined";
#else
    const std::string sanitize;
#endif
    const std::string cmake = MIVO_CMAKE_COMMAND;
    ProcessResult run = Shell("'" + cmake + "' -S '" + project.string() + "' -B '" + (project / "build").string() +
                                  "' -G Ninja -DCMAKE_PREFIX_PATH='" + prefix.string() + "'" + sanitize + " && '" +
                                  cmake + "' --build '" + (project / "build").string() + "' -j1",
                              folder);
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    run = Run((project / "build" / "consumer").string(), {}, folder);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "mivo\n");
}

}  // namespace host_e2e
