// mivo: the command-line host of the mivo search plug-in. It parses the
// command line, loads the plug-in, drives one interface object through the
// calling order of a tagging host, prints what was found (readable, or one
// JSON document) and exits with the status host/RunOutcome.h describes;
// the tag command prints and answers its status itself (host/TagCommand.h).
// Single-threaded.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "host/CommandArguments.h"
#include "host/CommandLine.h"
#include "host/Commands.h"
#include "host/ConfigFile.h"
#include "host/ConsoleOutput.h"
#include "host/HostCallbacks.h"
#include "host/HostGate.h"
#include "host/HumanOutput.h"
#include "host/JsonOutput.h"
#include "host/PluginModule.h"
#include "host/PluginSession.h"
#include "host/Progress.h"
#include "host/RunOutcome.h"
#include "host/StopSignal.h"
#include "host/TagCommand.h"
#include "host/Terminal.h"
#include "host/TraceLogFolder.h"
#include "host/UserDefaults.h"
#include "host/Utf8Path.h"
#include "host/VersionText.h"
#include "host/WideText.h"

namespace {

using namespace mivo_host;

// The plug-in could not be loaded or run, or the output not written.
constexpr int kExitFailure = 1;
// The plug-in's explaining lines printed with a failure, the last ones kept.
constexpr size_t kMaxExplainingLines = 12;

void Error(const std::string& text) { std::fprintf(stderr, "mivo: %s\n", text.c_str()); }

// path made absolute, with its folder created; false (and a message) when that fails.
bool PrepareFolder(const std::string& path, const char* option, std::optional<std::wstring>& target) {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::absolute(PathFromUtf8(path), error);
    if (!error) std::filesystem::create_directories(folder, error);
    if (error) {
        Error(std::string("cannot create the ") + option + " folder " + path + ": " + error.message());
        return false;
    }
    target = FromUtf8(PathToUtf8(folder));
    return true;
}

bool PrepareSettings(const Options& options, SessionSettings& settings) {
    if (options.logFolder && !PrepareFolder(*options.logFolder, "--log-dir", settings.logFolder)) return false;
    if (options.cacheFolder && !PrepareFolder(*options.cacheFolder, "--cache", settings.cacheFolder)) return false;
    if (options.parentLog) {
        std::error_code error;
        const std::filesystem::path file = std::filesystem::absolute(PathFromUtf8(*options.parentLog), error);
        settings.parentLog = FromUtf8(error ? *options.parentLog : PathToUtf8(file));
    }
    settings.traceLevel = options.traceLevel;
    return true;
}

// The folder the plug-in logs into: the user's, or a private one that keeps
// the plug-in's errors, warnings and Info lines for the explanation of a
// failure. Without a private folder the run goes on unlogged.
std::unique_ptr<TraceLogFolder> PrepareTraceLog(const Options& options, SessionSettings& settings) {
    std::unique_ptr<TraceLogFolder> folder;
    if (settings.logFolder) {
        folder = std::make_unique<TraceLogFolder>(PathFromUtf8(ToUtf8(*settings.logFolder)));
    } else {
        folder = std::make_unique<TraceLogFolder>();
        if (!folder->Ready()) {
            Error(folder->Error());
            return folder;
        }
        settings.logFolder = FromUtf8(PathToUtf8(folder->Path()));
        // A private log is merged nowhere.
        settings.parentLog.reset();
    }
    // The plug-in's own default (Error) would hide why a download failed. A
    // private log keeps Info lines too: the reason a connection failed
    // ("connection refused") is one.
    if (!options.traceLevel) settings.traceLevel = folder->Private() ? L"Info" : L"Warning";
    return folder;
}

bool IsNameLookup(const CommandResult& result) {
    return (result.command == Command::Artist || result.command == Command::Albums ||
            result.command == Command::Lookup) &&
           result.artistUrl.empty() && result.albums.empty();
}

void ReportFailure(const Options& options, const CommandResult& result, const std::vector<std::string>& explaining) {
    Error(result.failure);
    for (const std::string& line : explaining) Error("plug-in: " + line);
    if (result.failureKind == FailureKind::NotFound) {
        const std::string hint = NotFoundHint(IsNameLookup(result) ? options.maxDifference : kOneTypoDifference,
                                              options.logFolder.has_value());
        if (!hint.empty()) Error("hint: " + hint);
    }
}

bool WriteOut(const std::string& text) {
    return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0;
}

int Run(const Options& options) {
    if (options.command == Command::Tag && !TagSupported()) {
        Error("tag: this build has no tag support");
        return kExitUsage;
    }
    SessionSettings settings;
    if (!PrepareSettings(options, settings)) return kExitFailure;

    if (options.parentLog && !options.logFolder)
        Error("--parent-log has no effect without --log-dir: the plug-in's trace log stays private");
    // Declared before the module, so it is removed after the module is unloaded.
    const std::unique_ptr<TraceLogFolder> logFolder = PrepareTraceLog(options, settings);

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
    std::vector<std::string> explaining;
    int tagStatus = -1;  // the tag command's exit status, once it ran
    try {
        CBasicTagsDllInterface* object = module.CreateInterface();
        if (!object) {
            Error("the plug-in " + pluginPath + " gave no interface object");
            return kExitFailure;
        }
        std::vector<std::string> warnings;
        PluginSession session(object, &callbacks, settings, warnings);
        for (const std::string& warning : warnings) Error(warning);
        if (options.command == Command::Tag) {
            tagStatus = RunTagCommand(options, session.Plugin(), StopRequested, progress);
        } else {
            const std::string loadedFile = module.LoadedFile();
            result = RunCommand(options, session.Plugin(), loadedFile.empty() ? pluginPath : loadedFile, StopRequested);
            DescribeOutcome(result, StopSignalNumber());
            // Read before the close merges the run's file away.
            if (result.failureKind == FailureKind::Download || result.failureKind == FailureKind::NotFound)
                explaining = logFolder->ExplainingLines(kMaxExplainingLines);
        }
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
    if (tagStatus >= 0) return tagStatus;

    if (!WriteOut(options.json ? FormatJson(result) : FormatHuman(result, options.statistics))) {
        Error("cannot write the output");
        return kExitFailure;
    }
    if (result.failureKind != FailureKind::None) ReportFailure(options, result, explaining);
    return ExitStatus(result.failureKind, StopSignalNumber());
}

}  // namespace

int main(int argc, char** argv) {
    const ConsoleOutput console;
    const std::vector<std::string> args = CommandArguments(argc, argv);
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
