// "cmake --install" of the build: the programs, the plug-in, the host-facing
// headers, the catalogue's data and the CMake package land under the prefix in
// the GNU install folders; the installed programs find their files beside
// them; and a separate project builds a dlopen host against the package with
// find_package(Mivo).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "InstalledPrograms.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

// "cmake --install" of this build into prefix.
void Install(const fs::path& prefix, const fs::path& folder) {
    const std::string cmake = MIVO_CMAKE_COMMAND;
    const auto run =
        host_e2e::Shell("'" + cmake + "' --install '" MIVO_BINARY_DIR "' --prefix '" + prefix.string() + "'", folder);
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
}

TEST(HostInstall, PutsEverythingUnderThePrefixAndFindPackageWorks) {
    TempFolder temp;
    const fs::path prefix = temp / "prefix";
    ASSERT_NO_FATAL_FAILURE(Install(prefix, temp.path()));

    const std::string libdir = MIVO_INSTALL_LIBDIR;
    const std::vector<std::string> files = {"bin/mivo",
                                            "bin/mivo-catalogue",
                                            libdir + "/mivo/libmivo.so",
                                            "include/mivo/plugin/BasicTagsDllInterface.h",
                                            "include/mivo/plugin/SearchRecords.h",
                                            "include/mivo/platform/CString.h",
                                            libdir + "/cmake/Mivo/MivoConfig.cmake",
                                            libdir + "/cmake/Mivo/MivoTargets.cmake",
                                            "share/mivo/catalogue.json"};
    for (const std::string& file : files) EXPECT_TRUE(fs::exists(prefix / file)) << file;
    EXPECT_FALSE(fs::exists(prefix / libdir / "libmivo.so")) << "the plug-in stays out of the linker's folder";

    host_e2e::ExpectInstalledProgramsWork(prefix, temp.path());
    host_e2e::ExpectFindPackageWorks(prefix, temp / "find-package");
}

// Without its data file beside it the installed mivo-catalogue fails and names
// the file it looked for: it never falls back to the source tree.
TEST(HostInstall, TheInstalledCatalogueReadsOnlyItsOwnData) {
    TempFolder temp;
    const fs::path prefix = temp / "prefix";
    ASSERT_NO_FATAL_FAILURE(Install(prefix, temp.path()));
    const fs::path data = prefix / "share" / "mivo" / "catalogue.json";
    fs::remove(data);
    const auto run = host_e2e::Run((prefix / "bin" / "mivo-catalogue").string(), {"--port", "0"}, temp.path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find(data.string()), std::string::npos) << run.err;
}

}  // namespace
