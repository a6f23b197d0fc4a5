// mivo: the command-line host of the mivo search plug-in. It parses the
// command line, loads the plug-in, drives one interface object through the
// calling order of a tagging host, prints what was found (readable, or one
// JSON document) and exits 0, 1 (failure), 2 (usage error) or 130 (stopped
// by SIGINT or SIGTERM). Single-threaded.
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "host/CommandLine.h"
#include "host/Commands.h"
#include "host/ConfigFile.h"
#include "host/HostCallbacks.h"
#include "host/HostGate.h"
#include "host/HumanOutput.h"
#include "host/JsonOutput.h"
#include "host/PluginModule.h"
#include "host/PluginSession.h"
#include "host/Progress.h"
#include "host/StopSignal.h"
#include "host/Terminal.h"
#include "host/UserDefaults.h"
#include "host/VersionText.h"
#include "host/WideText.h"

namespace {

using namespace mivo_host;

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kExitInterrupted = 130;

void Error(const std::string& text) { std::fprintf(stderr, "mivo: %s\n", text.c_str()); }

// path made absolute, with its folder created; false (and a message) when that fails.
bool PrepareFolder(const std::string& path, const char* option, std::optional<std::wstring>& target) {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::absolute(path, error);
    if (!error) std::filesystem::create_directories(folder, error);
    if (error) {
        Error(std::string("cannot create the ") + option + " folder " + path + ": " + error.message());
        return false;
    }
    target = FromUtf8(folder.string());
    return true;
}

bool PrepareSettings(const Options& options, SessionSettings& settings) {
    if (options.logFolder && !PrepareFolder(*options.logFolder, "--log-dir", settings.logFolder)) return false;
    if (options.cacheFolder && !PrepareFolder(*options.cacheFolder, "--cache", settings.cacheFolder)) return false;
    if (options.parentLog) {
        std::error_code error;
        const std::filesystem::path file = std::filesystem::absolute(*options.parentLog, error);
        settings.parentLog = FromUtf8(error ? *options.parentLog : file.string());
    }
    settings.traceLevel = options.traceLevel;
    return true;
}

bool WriteOut(const std::string& text) {
    return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0;
}

int Run(const Options& options) {
    SessionSettings settings;
    if (!PrepareSettings(options, settings)) return kExitFailure;

    if (options.parentLog && !options.logFolder)
        Error("--parent-log has no effect without --log-dir: the plug-in writes no trace log");

    InstallStopHandlers();
    const std::string pluginPath = options.pluginPath.empty() ? DefaultPluginPath() : options.pluginPath;
    PluginModule module;
    std::string loadError;
    if (!module.Load(pluginPath, loadError)) {
        Error(loadError);
        return kExitFailure;
    }

    Progress progress(!options.quiet && IsTerminal(stderr), stderr, TerminalColumns(stderr));
    HostGate gate(std::chrono::milliseconds(options.delayMs), StopRequested, &progress);
    HostCallbacks callbacks(HostAnswers{options.maxDifference, options.proxy, &gate}, StopRequested);

    CommandResult result;
    try {
        CBasicTagsDllInterface* object = module.CreateInterface();
        if (!object) {
            Error("the plug-in " + pluginPath + " gave no interface object");
            return kExitFailure;
        }
        std::vector<std::string> warnings;
        PluginSession session(object, &callbacks, settings, warnings);
        for (const std::string& warning : warnings) Error(warning);
        const std::string loadedFile = module.LoadedFile();
        result = RunCommand(options, session.Plugin(), loadedFile.empty() ? pluginPath : loadedFile, StopRequested);
        session.Close();
    } catch (const std::exception& failure) {
        progress.Finish();
        Error(std::string("the plug-in failed: ") + failure.what());
        return kExitFailure;
    } catch (...) {
        progress.Finish();
        Error("the plug-in failed with an unknown exception");
        return kExitFailure;
    }
    progress.Finish();
    module.Close();

    if (!WriteOut(options.json ? FormatJson(result) : FormatHuman(result, options.statistics))) {
        Error("cannot write the output");
        return kExitFailure;
    }
    if (StopRequested()) {
        Error("interrupted; what was found so far is printed");
        return kExitInterrupted;
    }
    if (!result.succeeded) {
        std::string reason = result.failure.empty() ? "the plug-in answered failure" : result.failure;
        if (!options.logFolder) reason += " (--log-dir DIR keeps the plug-in's trace log, which tells why)";
        Error(reason);
        return kExitFailure;
    }
    return kExitSuccess;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    // The configuration file first, so that the command line wins over it.
    const Environment environment = ProcessEnvironment();
    Options configured;
    const std::string configPath = ConfigFilePath(environment);
    const std::string configError = configPath.empty() ? std::string() : ApplyConfigFile(configPath, configured);
    ParseResult parsed = ParseCommandLine(args, configError.empty() ? configured : Options());
    if (parsed.options.help && parsed.ok()) {
        const Command topic = parsed.options.helpCommand;
        return WriteOut(topic == Command::None ? HelpText() : CommandHelpText(topic)) ? kExitSuccess : kExitFailure;
    }
    if (parsed.options.version)
        return WriteOut(VersionText(MIVO_VERSION, parsed.options.pluginPath.empty() ? DefaultPluginPath()
                                                                                    : parsed.options.pluginPath))
                   ? kExitSuccess
                   : kExitFailure;
    if (!configError.empty()) {
        Error(configError);
        return kExitUsage;
    }
    if (!parsed.ok()) {
        Error(parsed.error);
        std::fputs(UsageText().c_str(), stderr);
        return kExitUsage;
    }
    std::string notes;
    const std::string environmentError = ApplyEnvironment(parsed.options, environment, notes);
    if (!environmentError.empty()) {
        Error(environmentError);
        return kExitUsage;
    }
    if (!notes.empty()) std::fputs(("mivo: " + notes).c_str(), stderr);
    return Run(parsed.options);
}
