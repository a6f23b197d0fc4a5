// Where mivo's configuration file and default cache folder are, from the
// environment: the XDG variables when they hold an absolute path, else the
// system's folders for the user's files (HOME on POSIX systems, the profile's
// application data folders on Windows). Each system's table runs on its own
// system.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "host/UserDefaults.h"
#include "tests/host/FakeEnvironment.h"

namespace {

using namespace mivo_host;
using testsupport::FakeEnvironment;

struct FolderRow {
    const char* name;
    std::map<std::string, std::string> variables;
    std::string config;
    std::string cache;
};

void ExpectFolders(const std::vector<FolderRow>& rows) {
    for (const FolderRow& row : rows) {
        const Environment environment = FakeEnvironment(row.variables);
        EXPECT_EQ(ConfigFilePath(environment), row.config) << row.name;
        EXPECT_EQ(DefaultCacheFolder(environment), row.cache) << row.name;
    }
}

bool OnWindows() { return SystemUserFolders().separator == '\\'; }

TEST(HostUserDefaults, FindsTheFoldersThroughXdgOrHome) {
    if (OnWindows()) GTEST_SKIP() << "the folders of a POSIX user";
    ExpectFolders({
        {"XDG variables",
         {{"XDG_CONFIG_HOME", "/x/conf"}, {"XDG_CACHE_HOME", "/x/cache"}, {"HOME", "/h"}},
         "/x/conf/mivo/config",
         "/x/cache/mivo"},
        {"HOME only", {{"HOME", "/h"}}, "/h/.config/mivo/config", "/h/.cache/mivo"},
        {"empty XDG variables",
         {{"XDG_CONFIG_HOME", ""}, {"XDG_CACHE_HOME", ""}, {"HOME", "/h"}},
         "/h/.config/mivo/config",
         "/h/.cache/mivo"},
        {"relative XDG variables",
         {{"XDG_CONFIG_HOME", "conf"}, {"XDG_CACHE_HOME", "cache"}, {"HOME", "/h"}},
         "/h/.config/mivo/config",
         "/h/.cache/mivo"},
        {"nothing", {}, "", ""},
        {"relative HOME", {{"HOME", "h"}}, "", ""},
        {"profile folders are not used", {{"APPDATA", "/a"}, {"LOCALAPPDATA", "/l"}}, "", ""},
    });
}

TEST(HostUserDefaults, FindsTheFoldersThroughXdgOrTheWindowsProfile) {
    if (!OnWindows()) GTEST_SKIP() << "the folders of a Windows profile";
    ExpectFolders({
        {"profile folders",
         {{"APPDATA", "C:\\Users\\a\\AppData\\Roaming"}, {"LOCALAPPDATA", "C:\\Users\\a\\AppData\\Local"}},
         "C:\\Users\\a\\AppData\\Roaming\\mivo\\config",
         "C:\\Users\\a\\AppData\\Local\\mivo"},
        {"XDG variables win",
         {{"XDG_CONFIG_HOME", "D:/conf"},
          {"XDG_CACHE_HOME", "\\\\server\\cache"},
          {"APPDATA", "C:\\r"},
          {"LOCALAPPDATA", "C:\\l"}},
         "D:/conf\\mivo\\config",
         "\\\\server\\cache\\mivo"},
        {"a POSIX path is relative here",
         {{"XDG_CACHE_HOME", "/tmp/cache"}, {"LOCALAPPDATA", "C:\\l"}},
         "",
         "C:\\l\\mivo"},
        {"HOME is not used", {{"HOME", "C:\\Users\\a"}}, "", ""},
        {"relative profile folders", {{"APPDATA", "Roaming"}, {"LOCALAPPDATA", "C:"}}, "", ""},
    });
}

TEST(HostUserDefaults, NamesTheVariableWhenThereIsNoCacheFolder) {
    Options options;
    std::string notes;
    ASSERT_EQ(ApplyEnvironment(options, FakeEnvironment({}), notes), "");
    EXPECT_FALSE(options.cacheFolder);
    EXPECT_EQ(notes, std::string("no cache folder: neither XDG_CACHE_HOME nor ") +
                         (OnWindows() ? "LOCALAPPDATA" : "HOME") + " names an absolute path\n");
}

}  // namespace
