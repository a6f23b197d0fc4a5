// The command line of mivo: commands with their argument counts, option
// values in both spellings, and the usage errors the program answers with
// exit status 2.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/CommandLine.h"

namespace {

using mivo_host::Command;
using mivo_host::ParseCommandLine;

struct AcceptedRow {
    std::vector<std::string> args;
    Command command;
    std::vector<std::wstring> arguments;
};

TEST(HostCommandLine, AcceptsEveryCommandWithItsArguments) {
    const AcceptedRow rows[] = {
        {{"artist", "Korva"}, Command::Artist, {L"Korva"}},
        {{"albums", "Tam Brisk"}, Command::Albums, {L"Tam Brisk"}},
        {{"album", "www.catalogue.example/album/x"}, Command::Album, {L"www.catalogue.example/album/x"}},
        {{"lookup", "Korva"}, Command::Lookup, {L"Korva"}},
        {{"lookup", "Korva", "First Light"}, Command::Lookup, {L"Korva", L"First Light"}},
        {{"info"}, Command::Info, {}},
        {{"--json", "artist", "Bj\xc3\xb6rk"}, Command::Artist, {L"Bj\u00f6rk"}},
        {{"artist", "Korva", "--json"}, Command::Artist, {L"Korva"}},
        {{"--", "artist", "-M-"}, Command::Artist, {L"-M-"}},
        {{"artist", "--", "-M-"}, Command::Artist, {L"-M-"}},
        {{"artist", "-"}, Command::Artist, {L"-"}},
        {{"artist", "bad\xff"
                    "byte"},
         Command::Artist,
         {L"bad\ufffd"
          L"byte"}},
    };
    for (const auto& row : rows) {
        const auto result = ParseCommandLine(row.args);
        const std::string label = row.args.back();
        ASSERT_TRUE(result.ok()) << label << ": " << result.error;
        EXPECT_EQ(result.options.command, row.command) << label;
        EXPECT_EQ(result.options.arguments, row.arguments) << label;
    }
}

TEST(HostCommandLine, ReadsOptionValuesInBothSpellings) {
    for (const bool joined : {false, true}) {
        auto option = [&](const std::string& name, const std::string& value) {
            return joined ? std::vector<std::string>{name + "=" + value} : std::vector<std::string>{name, value};
        };
        std::vector<std::string> args;
        for (const auto& part :
             {option("--plugin", "/p/libmivo.so"), option("--proxy", "127.0.0.1:8080"),
              option("--max-difference", "215.5"), option("--cache", "c"), option("--log-dir", "l"),
              option("--trace-level", "debug"), option("--parent-log", "p.log"), option("--delay", "0")})
            args.insert(args.end(), part.begin(), part.end());
        args.insert(args.end(), {"--json", "--stats", "info"});
        const auto result = ParseCommandLine(args);
        ASSERT_TRUE(result.ok()) << (joined ? "joined: " : "separate: ") << result.error;
        const auto& o = result.options;
        EXPECT_EQ(o.pluginPath, "/p/libmivo.so");
        EXPECT_EQ(o.proxy, std::wstring(L"127.0.0.1:8080"));
        EXPECT_FLOAT_EQ(o.maxDifference.value_or(-1), 215.5f);
        EXPECT_EQ(o.cacheFolder, std::string("c"));
        EXPECT_EQ(o.logFolder, std::string("l"));
        EXPECT_EQ(o.traceLevel, std::wstring(L"Debug")) << "level names are given to the plug-in in its spelling";
        EXPECT_EQ(o.parentLog, std::string("p.log"));
        EXPECT_EQ(o.delayMs, 0);
        EXPECT_TRUE(o.json);
        EXPECT_TRUE(o.statistics);
    }
}

TEST(HostCommandLine, DefaultsLeaveThePluginsOwnValuesAlone) {
    const auto result = ParseCommandLine({"artist", "Korva"});
    ASSERT_TRUE(result.ok());
    EXPECT_FALSE(result.options.maxDifference) << "without --max-difference the host supplies no value";
    EXPECT_FALSE(result.options.proxy);
    EXPECT_FALSE(result.options.traceLevel);
    EXPECT_EQ(result.options.delayMs, 1000);
    EXPECT_TRUE(result.options.pluginPath.empty());
}

struct RefusedRow {
    std::vector<std::string> args;
    std::string errorMentions;
};

TEST(HostCommandLine, RefusesWhatCannotBeRun) {
    const RefusedRow rows[] = {
        {{}, "no command"},
        {{"--json"}, "no command"},
        {{"search", "Korva"}, "unknown command"},
        {{"albmus", "Korva"}, "unknown command \"albmus\" (did you mean 'albums'?)"},
        {{"lokup", "Korva"}, "(did you mean 'lookup'?)"},
        {{"ifno"}, "(did you mean 'info'?)"},
        {{"hlep"}, "(did you mean 'help'?)"},
        {{"help", "artsit"}, "unknown command \"artsit\" (did you mean 'artist'?)"},
        {{"--no-cache=1", "info"}, "--no-cache takes no value"},
        {{"artist"}, "missing"},
        {{"artist", "a", "b"}, "too many"},
        {{"lookup", "a", "b", "c"}, "too many"},
        {{"info", "x"}, "too many"},
        {{"album"}, "missing"},
        {{"artist", ""}, "empty name"},
        {{"artist", "   "}, "empty name"},
        {{"album", ""}, "empty address"},
        {{"--frobnicate", "info"}, "unknown option --frobnicate"},
        {{"-x", "info"}, "unknown option -x"},
        {{"--delay"}, "--delay needs a value"},
        {{"--delay", "-5", "info"}, "--delay"},
        {{"--delay", "1e3", "info"}, "--delay"},
        {{"--delay", "99999999999", "info"}, "--delay"},
        {{"--delay=", "info"}, "--delay"},
        {{"--max-difference", "abc", "info"}, "--max-difference"},
        {{"--max-difference", "-1", "info"}, "--max-difference"},
        {{"--max-difference", "nan", "info"}, "--max-difference"},
        {{"--max-difference", "inf", "info"}, "--max-difference"},
        {{"--max-difference", "12x", "info"}, "--max-difference"},
        {{"--trace-level", "Loud", "info"}, "--trace-level"},
        {{"--proxy", "", "info"}, "--proxy"},
        {{"--proxy", "a b:1", "info"}, "--proxy"},
        {{"--proxy", "a\nb:1", "info"}, "--proxy"},
        {{"--cache", "", "info"}, "--cache"},
        {{"--plugin=", "info"}, "--plugin"},
        {{"--json=yes", "info"}, "--json takes no value"},
    };
    for (const auto& row : rows) {
        std::string label;
        for (const auto& a : row.args) label += "[" + a + "]";
        const auto result = ParseCommandLine(row.args);
        EXPECT_FALSE(result.ok()) << label;
        EXPECT_NE(result.error.find(row.errorMentions), std::string::npos) << label << " gave: " << result.error;
    }
}

TEST(HostCommandLine, HelpAndVersionWinOverEverythingElse) {
    EXPECT_TRUE(ParseCommandLine({"--bogus", "--help"}).options.help);
    EXPECT_TRUE(ParseCommandLine({"-h"}).options.help);
    EXPECT_TRUE(ParseCommandLine({"artist", "--version"}).options.version);
    EXPECT_TRUE(ParseCommandLine({"--help"}).ok());
}

TEST(HostCommandLine, AFarOffWordGetsNoSuggestion) {
    for (const char* word : {"x", "search", "zzzzzz", "tag-everything"}) {
        const auto result = ParseCommandLine({word, "Korva"});
        ASSERT_FALSE(result.ok()) << word;
        EXPECT_EQ(result.error.find("did you mean"), std::string::npos) << word << " gave: " << result.error;
    }
}

TEST(HostCommandLine, HelpForOneCommand) {
    struct Row {
        std::vector<std::string> args;
        Command topic;
    };
    const Row rows[] = {
        {{"help", "albums"}, Command::Albums},
        {{"albums", "--help"}, Command::Albums},
        {{"-h", "lookup"}, Command::Lookup},
        {{"help", "album", "extra"}, Command::Album},
        {{"help"}, Command::None},
        {{"--help"}, Command::None},
        {{"bogus", "--help"}, Command::None},
        {{"artist", "Korva", "-h"}, Command::Artist},
    };
    for (const auto& row : rows) {
        std::string label;
        for (const auto& a : row.args) label += "[" + a + "]";
        const auto result = ParseCommandLine(row.args);
        ASSERT_TRUE(result.ok()) << label << ": " << result.error;
        EXPECT_TRUE(result.options.help) << label;
        EXPECT_EQ(result.options.helpCommand, row.topic) << label;
    }
    const std::string albums = mivo_host::CommandHelpText(Command::Albums);
    EXPECT_EQ(albums.rfind("usage: mivo [options] albums NAME\n", 0), 0u) << albums;
    const std::string lookup = mivo_host::CommandHelpText(Command::Lookup);
    EXPECT_NE(lookup.find("lookup NAME [TITLE]"), std::string::npos) << lookup;
    EXPECT_NE(lookup.find("\n  nearest TITLE"), std::string::npos) << "continuation lines keep a small indent";
    EXPECT_EQ(lookup.find("albums NAME"), std::string::npos) << "only the command asked for";
}

TEST(HostCommandLine, TheConfiguredOptionsAreTheStartingPoint) {
    mivo_host::Options configured;
    configured.delayMs = 250;
    configured.proxy = L"10.0.0.1:1";
    configured.cacheFolder = "/cfg";
    auto result = ParseCommandLine({"--delay", "0", "info"}, configured);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.options.delayMs, 0) << "the command line wins";
    EXPECT_EQ(result.options.proxy, std::wstring(L"10.0.0.1:1")) << "what it does not say stays";
    result = ParseCommandLine({"--no-proxy", "--no-cache", "-q", "info"}, configured);
    ASSERT_TRUE(result.ok());
    EXPECT_FALSE(result.options.proxy);
    EXPECT_TRUE(result.options.noProxy);
    EXPECT_FALSE(result.options.cacheFolder);
    EXPECT_TRUE(result.options.noCache);
    EXPECT_TRUE(result.options.quiet);
}

TEST(HostCommandLine, HelpExplainsTheDifferenceScaleAndExitStatus) {
    const std::string help = mivo_host::HelpText();
    for (const char* needle :
         {"70", "100", "215", "\"The \"", "1.0", "--delay MS", "default 1000", "130", "143", "3 a download failed",
          "lookup NAME [TITLE]", "$XDG_CACHE_HOME/mivo", "~/.cache/mivo", "$XDG_CONFIG_HOME/mivo/config", "http_proxy",
          "--no-proxy", "--no-cache", "--quiet", "help [COMMAND]"})
        EXPECT_NE(help.find(needle), std::string::npos) << needle;
}

}  // namespace
