// The configuration file and the environment of mivo, in process: the lines
// the file accepts and the ones it refuses with file and line, and the proxy
// taken from http_proxy or HTTP_PROXY unless the options decide (the folders
// found through the XDG variables are in tests/host/).
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>

#include "host/ConfigFile.h"
#include "host/UserDefaults.h"
#include "tests/host/FakeEnvironment.h"
#include "tests/support/TempFolder.h"

namespace {

using mivo_host::Options;
using testsupport::FakeEnvironment;

TEST(HostConfigFile, AppliesEveryKeyAndSkipsCommentsAndBlankLines) {
    Options options;
    const std::string text = "# mivo settings\n"
                             "\n"
                             "proxy = 127.0.0.1:3128\r\n"
                             "  max-difference=101  \n"
                             "delay = 250\n"
                             "cache = /var/tmp/mivo cache\n"
                             "log-dir = /var/tmp/mivo-logs\n"
                             "trace-level = warning\n"
                             "delay = 300\n";
    ASSERT_EQ(mivo_host::ApplyConfigText(text, "config", options), "");
    EXPECT_EQ(options.proxy, std::wstring(L"127.0.0.1:3128")) << "a CR before the line break is no part of the value";
    EXPECT_FLOAT_EQ(options.maxDifference.value_or(-1), 101.0f);
    EXPECT_EQ(options.delayMs, 300) << "a key given twice: the last line wins";
    EXPECT_EQ(options.cacheFolder, std::string("/var/tmp/mivo cache")) << "blanks inside a value stay";
    EXPECT_EQ(options.logFolder, std::string("/var/tmp/mivo-logs"));
    EXPECT_EQ(options.traceLevel, std::wstring(L"Warning"));
}

TEST(HostConfigFile, NamesTheFileAndLineOfTheFirstBadLine) {
    struct Row {
        const char* name;
        std::string text;
        std::string error;  // the whole reason
    };
    const Row rows[] = {
        {"no equals sign", "delay = 5\nproxy 127.0.0.1:1\n", "cfg:2: expected KEY = VALUE, not \"proxy 127.0.0.1:1\""},
        {"unknown key", "colour = red\n",
         "cfg:1: unknown key \"colour\" (the keys are proxy, max-difference, delay, cache, log-dir, trace-level)"},
        {"option that is no key", "json = 1\n", "cfg:1: unknown key \"json\""},
        {"command-line only option", "plugin = /x.so\n", "cfg:1: unknown key \"plugin\""},
        {"bad number", "\n\n# c\nmax-difference = lots\n", "cfg:4: max-difference needs a number of 0 or more"},
        {"bad delay", "delay = -1", "cfg:1: delay needs milliseconds"},
        {"empty value", "cache =\n", "cfg:1: cache needs a non-empty path"},
        {"bad level", "trace-level = loud\n", "cfg:1: trace-level needs one of"},
        {"proxy with a blank", "proxy = a b:1\n", "cfg:1: proxy needs HOST:PORT"},
        {"first of two bad lines", "x\ny\n", "cfg:1: "},
    };
    for (const auto& row : rows) {
        Options options;
        const std::string error = mivo_host::ApplyConfigText(row.text, "cfg", options);
        EXPECT_EQ(error.rfind(row.error, 0), 0u) << row.name << " gave: " << error;
    }
}

TEST(HostConfigFile, ReadsOnlyARegularFileOfSensibleSize) {
    TempFolder temp;
    Options options;
    EXPECT_EQ(mivo_host::ApplyConfigFile((temp / "missing").string(), options), "") << "no file, no settings";

    std::ofstream(temp / "config") << "delay = 42\n";
    EXPECT_EQ(mivo_host::ApplyConfigFile((temp / "config").string(), options), "");
    EXPECT_EQ(options.delayMs, 42);

    const std::string folder = temp.path().string();
    EXPECT_NE(mivo_host::ApplyConfigFile(folder, options).find("not a regular file"), std::string::npos);

    std::ofstream(temp / "huge") << std::string(70 * 1024, '#');
    EXPECT_NE(mivo_host::ApplyConfigFile((temp / "huge").string(), options).find("larger than"), std::string::npos);
}

TEST(HostUserDefaults, TheOptionsWinOverTheEnvironment) {
    const auto environment = FakeEnvironment({{"HOME", "/h"}, {"http_proxy", "127.0.0.1:3128"}});
    struct Row {
        const char* name;
        std::vector<std::string> args;
        std::optional<std::wstring> proxy;
        std::optional<std::string> cache;
    };
    const Row rows[] = {
        {"defaults", {"info"}, L"127.0.0.1:3128", "/h/.cache/mivo"},
        {"own proxy and cache", {"--proxy", "10.0.0.1:8080", "--cache", "c", "info"}, L"10.0.0.1:8080", "c"},
        {"direct, no cache", {"--no-proxy", "--no-cache", "info"}, std::nullopt, std::nullopt},
        {"the last word wins",
         {"--no-cache", "--cache", "c", "--proxy", "p:1", "--no-proxy", "info"},
         std::nullopt,
         "c"},
    };
    for (const auto& row : rows) {
        auto parsed = mivo_host::ParseCommandLine(row.args);
        ASSERT_TRUE(parsed.ok()) << row.name << ": " << parsed.error;
        std::string notes;
        ASSERT_EQ(mivo_host::ApplyEnvironment(parsed.options, environment, notes), "") << row.name;
        EXPECT_EQ(parsed.options.proxy, row.proxy) << row.name;
        EXPECT_EQ(parsed.options.cacheFolder, row.cache) << row.name;
        EXPECT_EQ(notes, "") << row.name;
    }

    // The configuration file's choice is kept when the command line is silent.
    Options configured;
    ASSERT_EQ(mivo_host::ApplyConfigText("proxy = 10.1.1.1:1\ncache = /cfg\n", "cfg", configured), "");
    auto parsed = mivo_host::ParseCommandLine({"info"}, configured);
    std::string notes;
    ASSERT_EQ(mivo_host::ApplyEnvironment(parsed.options, environment, notes), "");
    EXPECT_EQ(parsed.options.proxy, std::wstring(L"10.1.1.1:1"));
    EXPECT_EQ(parsed.options.cacheFolder, std::string("/cfg"));
}

TEST(HostUserDefaults, TakesTheProxyFromTheEnvironmentAsCurlWrites) {
    struct Row {
        const char* name;
        std::map<std::string, std::string> variables;
        std::optional<std::wstring> proxy;
        std::string errorMentions;  // "" when the proxy is usable
    };
    const Row rows[] = {
        {"HOST:PORT", {{"http_proxy", "127.0.0.1:3128"}}, L"127.0.0.1:3128", ""},
        {"with scheme and slash", {{"http_proxy", "http://proxy.lan:8080/"}}, L"proxy.lan:8080", ""},
        {"scheme in capitals", {{"http_proxy", "HTTP://proxy.lan:8080"}}, L"proxy.lan:8080", ""},
        {"upper-case variable", {{"HTTP_PROXY", "10.0.0.2:80"}}, L"10.0.0.2:80", ""},
        {"lower case first", {{"http_proxy", "10.0.0.1:80"}, {"HTTP_PROXY", "10.0.0.2:80"}}, L"10.0.0.1:80", ""},
        {"empty is unset", {{"http_proxy", ""}, {"HTTP_PROXY", "10.0.0.2:80"}}, L"10.0.0.2:80", ""},
        {"none", {}, std::nullopt, ""},
        {"other scheme", {{"http_proxy", "socks5://10.0.0.1:1080"}}, std::nullopt, "http_proxy \"socks5://"},
        {"a path", {{"HTTP_PROXY", "http://10.0.0.1:80/x"}}, std::nullopt, "HTTP_PROXY"},
        {"a blank", {{"http_proxy", "a b:1"}}, std::nullopt, "--no-proxy goes direct"},
    };
    for (const auto& row : rows) {
        Options options;
        options.noCache = true;
        std::string notes;
        const std::string error = mivo_host::ApplyEnvironment(options, FakeEnvironment(row.variables), notes);
        EXPECT_EQ(options.proxy, row.proxy) << row.name;
        if (row.errorMentions.empty()) EXPECT_EQ(error, "") << row.name;
        else EXPECT_NE(error.find(row.errorMentions), std::string::npos) << row.name << " gave: " << error;
    }
}

TEST(HostUserDefaults, SaysSoWhenThereIsNoCacheFolder) {
    Options options;
    std::string notes;
    ASSERT_EQ(mivo_host::ApplyEnvironment(options, FakeEnvironment({}), notes), "");
    EXPECT_FALSE(options.cacheFolder);
    EXPECT_NE(notes.find("no cache folder"), std::string::npos) << notes;
}

}  // namespace
