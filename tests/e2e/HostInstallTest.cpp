// "cmake --install" of the build: the programs, the plug-in, the host-facing
// headers and the CMake package land under the prefix; the installed mivo
// finds the installed plug-in beside it; and a separate project builds a
// dlopen host against the package with find_package(Mivo).
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <string>

#include "HostProcess.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

host_e2e::ProcessResult Shell(const std::string& command, const fs::path& folder) {
    return host_e2e::Run("/bin/sh", {"-c", command}, folder);
}

void WriteText(const fs::path& file, const std::string& text) {
    std::ofstream out(file);
    out << text;
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

TEST(HostInstall, PutsEverythingUnderThePrefixAndFindPackageWorks) {
    TempFolder temp;
    const fs::path prefix = temp / "prefix";
    const std::string cmake = MIVO_CMAKE_COMMAND;
    auto run = Shell("'" + cmake + "' --install '" MIVO_BINARY_DIR "' --prefix '" + prefix.string() + "'", temp.path());
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;

    for (const char* file :
         {"bin/mivo", "bin/mivo-catalogue", "lib/libmivo.so", "include/mivo/plugin/BasicTagsDllInterface.h",
          "include/mivo/plugin/SearchRecords.h", "include/mivo/platform/CString.h", "lib/cmake/Mivo/MivoConfig.cmake",
          "lib/cmake/Mivo/MivoTargets.cmake"})
        EXPECT_TRUE(fs::exists(prefix / file)) << file;

    run = host_e2e::Run((prefix / "bin" / "mivo").string(), {"--json", "info"}, temp.path());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(nlohmann::json::parse(run.out)["name"], "Mivo") << "the installed mivo loads the installed plug-in";

    const fs::path project = temp / "consumer";
    fs::create_directories(project);
    WriteText(project / "CMakeLists.txt", kConsumerProject);
    WriteText(project / "main.cpp", kConsumerSource);
    // A sanitized plug-in can only be loaded by a program that carries the
    // sanitizer runtime itself, so the consumer is built as this test was.
#ifdef __SANITIZE_ADDRESS__
    const std::string sanitize =
        " -DCMAKE_CXX_FLAGS=-fsanitize=address,undefined -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined";
#else
    const std::string sanitize;
#endif
    run = Shell("'" + cmake + "' -S '" + project.string() + "' -B '" + (project / "build").string() +
                    "' -G Ninja -DCMAKE_PREFIX_PATH='" + prefix.string() + "'" + sanitize + " && '" + cmake +
                    "' --build '" + (project / "build").string() + "' -j1",
                temp.path());
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    run = host_e2e::Run((project / "build" / "consumer").string(), {}, temp.path());
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "mivo\n");
}

}  // namespace
