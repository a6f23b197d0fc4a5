// Command-line parsing and the help text of mivo.
#include "host/CommandLine.h"

#include <charconv>
#include <cmath>
#include <functional>
#include <string_view>

#include "host/WideText.h"

namespace mivo_host {

namespace {

constexpr int kMaxDelayMs = 3600 * 1000;

struct CommandEntry {
    Command command;
    const char* name;
    size_t minArguments;
    size_t maxArguments;
    const char* arguments;  // as the synopsis shows them
};

constexpr CommandEntry kCommands[] = {
    {Command::Artist, "artist", 1, 1, "NAME"},  {Command::Albums, "albums", 1, 1, "NAME"},
    {Command::Album, "album", 1, 1, "ADDRESS"}, {Command::Lookup, "lookup", 1, 2, "NAME [TITLE]"},
    {Command::Info, "info", 0, 0, ""},
};

// The plug-in's trace level names; any other text would silently mean "Error".
constexpr const char* kTraceLevels[] = {"Error", "Warning", "Info", "Debug", "Detail", "Verbose"};

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

bool HasControlCharacter(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
    return false;
}

// Each setter stores value into options, or answers the reason it is not acceptable.
using Setter = std::function<std::string(Options&, const std::string&)>;

struct OptionEntry {
    const char* name;
    bool takesValue;
    Setter set;
};

std::string SetPath(std::optional<std::string>& target, const char* option, const std::string& value) {
    if (value.empty()) return std::string(option) + " needs a non-empty path";
    target = value;
    return {};
}

const std::vector<OptionEntry>& OptionTable() {
    static const std::vector<OptionEntry> table = {
        {"--plugin", true,
         [](Options& o, const std::string& v) -> std::string {
             if (v.empty()) return "--plugin needs a non-empty path";
             o.pluginPath = v;
             return {};
         }},
        {"--proxy", true,
         [](Options& o, const std::string& v) -> std::string {
             if (v.empty() || HasControlCharacter(v) || v.find(' ') != std::string::npos)
                 return "--proxy needs HOST:PORT, without blanks";
             o.proxy = FromUtf8(v);
             return {};
         }},
        {"--max-difference", true,
         [](Options& o, const std::string& v) -> std::string {
             float value = 0;
             const auto [end, error] = std::from_chars(v.data(), v.data() + v.size(), value);
             if (v.empty() || error != std::errc() || end != v.data() + v.size() || !std::isfinite(value) || value < 0)
                 return "--max-difference needs a number of 0 or more, not \"" + v + "\"";
             o.maxDifference = value;
             return {};
         }},
        {"--cache", true, [](Options& o, const std::string& v) { return SetPath(o.cacheFolder, "--cache", v); }},
        {"--log-dir", true, [](Options& o, const std::string& v) { return SetPath(o.logFolder, "--log-dir", v); }},
        {"--parent-log", true,
         [](Options& o, const std::string& v) { return SetPath(o.parentLog, "--parent-log", v); }},
        {"--trace-level", true,
         [](Options& o, const std::string& v) -> std::string {
             for (const char* level : kTraceLevels)
                 if (EqualsIgnoringAsciiCase(v, level)) {
                     o.traceLevel = FromUtf8(level);
                     return {};
                 }
             return "--trace-level needs one of Error, Warning, Info, Debug, Detail, Verbose, not \"" + v + "\"";
         }},
        {"--delay", true,
         [](Options& o, const std::string& v) -> std::string {
             int value = 0;
             const auto [end, error] = std::from_chars(v.data(), v.data() + v.size(), value);
             if (v.empty() || error != std::errc() || end != v.data() + v.size() || value < 0 || value > kMaxDelayMs)
                 return "--delay needs milliseconds from 0 to " + std::to_string(kMaxDelayMs) + ", not \"" + v + "\"";
             o.delayMs = value;
             return {};
         }},
        {"--json", false,
         [](Options& o, const std::string&) {
             o.json = true;
             return std::string();
         }},
        {"--stats", false,
         [](Options& o, const std::string&) {
             o.statistics = true;
             return std::string();
         }},
        {"--help", false,
         [](Options& o, const std::string&) {
             o.help = true;
             return std::string();
         }},
        {"-h", false,
         [](Options& o, const std::string&) {
             o.help = true;
             return std::string();
         }},
        {"--version", false,
         [](Options& o, const std::string&) {
             o.version = true;
             return std::string();
         }},
    };
    return table;
}

const OptionEntry* FindOption(std::string_view name) {
    for (const auto& entry : OptionTable())
        if (name == entry.name) return &entry;
    return nullptr;
}

const CommandEntry* FindCommand(std::string_view name) {
    for (const auto& entry : kCommands)
        if (name == entry.name) return &entry;
    return nullptr;
}

}  // namespace

const char* CommandName(Command command) {
    for (const auto& entry : kCommands)
        if (entry.command == command) return entry.name;
    return "";
}

ParseResult ParseCommandLine(const std::vector<std::string>& args) {
    ParseResult result;
    Options& options = result.options;
    std::vector<std::string> words;  // the command and its arguments, in order
    std::string firstError;
    bool optionsEnded = false;

    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            words.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        const OptionEntry* entry = FindOption(name);
        std::string error;
        if (!entry) {
            error = "unknown option " + name;
        } else if (!entry->takesValue) {
            if (equals != std::string::npos) error = name + " takes no value";
            else error = entry->set(options, std::string());
        } else if (equals != std::string::npos) {
            error = entry->set(options, arg.substr(equals + 1));
        } else if (i + 1 < args.size()) {
            error = entry->set(options, args[++i]);
        } else {
            error = name + " needs a value";
        }
        if (!error.empty() && firstError.empty()) firstError = error;
    }

    if (options.help || options.version) return result;
    if (!firstError.empty()) {
        result.error = firstError;
        return result;
    }
    if (words.empty()) {
        result.error = "no command given";
        return result;
    }
    const CommandEntry* command = FindCommand(words[0]);
    if (!command) {
        result.error = "unknown command \"" + words[0] + "\"";
        return result;
    }
    const size_t count = words.size() - 1;
    if (count < command->minArguments || count > command->maxArguments) {
        result.error = std::string(command->name) + " takes " +
                       (command->arguments[0] ? command->arguments : "no arguments") +
                       (count < command->minArguments ? "; an argument is missing" : "; too many arguments");
        return result;
    }
    options.command = command->command;
    for (size_t i = 1; i < words.size(); ++i) {
        if (words[i].empty() || words[i].find_first_not_of(" \t") == std::string::npos) {
            result.error = std::string(command->name) + ": an empty " +
                           (command->command == Command::Album ? "address" : "name") + " cannot be looked up";
            return result;
        }
        options.arguments.push_back(FromUtf8(words[i]));
    }
    return result;
}

std::string UsageText() {
    std::string text = "usage: mivo [options] COMMAND ARGS\n  commands:";
    for (const auto& entry : kCommands) {
        text += std::string(" ") + entry.name;
        if (entry.arguments[0]) text += std::string(" ") + entry.arguments;
        text += entry.command == Command::Info ? "" : ",";
    }
    text += "\n  mivo --help explains the commands and options\n";
    return text;
}

std::string HelpText() {
    return "usage: mivo [options] COMMAND ARGS\n"
           "\n"
           "Looks up artists and albums on the music catalogue through the mivo search plug-in.\n"
           "\n"
           "commands:\n"
           "  artist NAME            the artist page address\n"
           "  albums NAME            the artist's albums\n"
           "  album ADDRESS          one album completed from its page address\n"
           "  lookup NAME [TITLE]    the albums of NAME, then the details of the album whose title is\n"
           "                         nearest TITLE (the first album when TITLE is left out); titles equal\n"
           "                         but for letter case win, then the fewest letters inserted, deleted or\n"
           "                         replaced (ignoring case); on a tie the album listed first\n"
           "  info                   the plug-in's marker fields, source name, source id and statistics\n"
           "\n"
           "options:\n"
           "  --plugin PATH          plug-in module to load (default: " MIVO_PLUGIN_FROM_PROGRAM "\n"
           "                         from the program's folder)\n"
           "  --proxy HOST:PORT      proxy for every page the plug-in fetches (its \"HttpProxy\" question)\n"
           "  --max-difference F     the plug-in accepts an artist whose name differs from NAME by less\n"
           "                         than F (\"MaxMatchDifference\"). Without it the plug-in keeps its own\n"
           "                         1.0: names equal but for letter case. On its scale a letter costs 70\n"
           "                         to insert or delete and 100 to replace, a blank 5, punctuation 20 to\n"
           "                         30, a leading \"The \" 215; differences inside brackets cost a tenth.\n"
           "                         So 101 allows one wrong letter, 216 a missing \"The \"\n"
           "  --cache DIR            artist address cache folder (\"LocalCacheFolder\"); a second run with the\n"
           "                         same folder finds known artists without a search request\n"
           "  --log-dir DIR          folder of the plug-in's trace log (\"LogFolder\"; Warning and above\n"
           "                         unless --trace-level says otherwise)\n"
           "  --trace-level NAME     Error, Warning, Info, Debug, Detail or Verbose (\"TraceLevel\")\n"
           "  --parent-log FILE      log file the run's trace log is merged into before exit\n"
           "                         (\"ParentLogfilePath\"; needs --log-dir)\n"
           "  --delay MS             minimum gap between two contacts of one web host (default 1000)\n"
           "  --json                 machine-readable output on stdout, one JSON document\n"
           "  --stats                also print the download statistics (always present in --json)\n"
           "  --help, --version\n"
           "  --                     ends the options, for a name that begins with \"-\"\n"
           "\n"
           "exit status: 0 success, 1 nothing found (or the plug-in could not be loaded), 2 usage error,\n"
           "             3 a download failed, 130 interrupted by Ctrl-C, 143 by SIGTERM (what was found\n"
           "             is printed; --json marks it \"partial\")\n"
           "\n"
           "examples:\n"
           "  mivo --proxy 127.0.0.1:8080 albums \"ARTIST\"\n"
           "  mivo --proxy 127.0.0.1:8080 --cache ~/.cache/mivo --json lookup \"ARTIST\" \"TITLE\"\n";
}

}  // namespace mivo_host
