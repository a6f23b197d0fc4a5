// Command-line parsing and the help text of mivo.
#include "host/CommandLine.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <limits>
#include <string_view>
#include <vector>

#include "host/UserEnvironment.h"
#include "host/WideText.h"

namespace mivo_host {

namespace {

constexpr int kMaxDelayMs = 3600 * 1000;

struct CommandEntry {
    Command command;
    const char* name;
    size_t minArguments;
    size_t maxArguments;
    const char* arguments;     // as the synopsis shows them
    const char* description;   // lines of the help, each indented to the description column
    const char* example;       // arguments of an example run
    const char* options = "";  // the command's own options, as its synopsis shows them before the arguments
};

constexpr CommandEntry kCommands[] = {
    {Command::Artist, "artist", 1, 1, "NAME", "the artist page address\n", "artist \"ARTIST\""},
    {Command::Albums, "albums", 1, 1, "NAME", "the artist's albums\n", "albums \"ARTIST\""},
    {Command::Album, "album", 1, 1, "ADDRESS", "one album completed from its page address\n",
     "album www.catalogue.example/album/ADDRESS"},
    {Command::Lookup, "lookup", 1, 2, "NAME [TITLE]",
     "the albums of NAME, then the details of the album whose title is\n"
     "                         nearest TITLE (the first album when TITLE is left out); titles equal\n"
     "                         but for letter case win, then the fewest letters inserted, deleted or\n"
     "                         replaced (ignoring case); on a tie the album listed first\n",
     "--json lookup \"ARTIST\" \"TITLE\""},
    {Command::Info, "info", 0, 0, "", "the plug-in's marker fields, source name, source id and statistics\n", "info"},
    {Command::Tag, "tag", 1, std::numeric_limits<size_t>::max(), "PATH...",
     "find each album and write its tags into the audio files. Each PATH\n"
     "                         is a folder holding one album (the audio files directly in it);\n"
     "                         the files given as PATHs are one album together. The files are\n"
     "                         paired with the album's tracks and every change is shown before\n"
     "                         it is written\n",
     "--yes --cover embed tag ~/Music/ARTIST/ALBUM",
     "[--artist NAME] [--album TITLE] [--dry-run] [--yes] [--cover MODE]"},
};

// The word that asks for the usage of a command ("mivo help albums").
constexpr const char* kHelpWord = "help";

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
    bool tagOnly = false;  // an option of the tag command alone
};

std::string SetWide(std::optional<std::wstring>& target, const char* option, const std::string& value) {
    if (value.empty() || value.find_first_not_of(" \t") == std::string::npos || HasControlCharacter(value))
        return std::string(option) + " needs a non-empty text";
    target = FromUtf8(value);
    return {};
}

std::string SetPath(std::optional<std::string>& target, const char* option, const std::string& value) {
    if (value.empty()) return std::string(option) + " needs a non-empty path";
    target = value;
    return {};
}

Setter SetFlag(bool Options::*flag) {
    return [flag](Options& o, const std::string&) {
        o.*flag = true;
        return std::string();
    };
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
             o.noProxy = false;
             return {};
         }},
        {"--no-proxy", false,
         [](Options& o, const std::string&) {
             o.noProxy = true;
             o.proxy.reset();
             return std::string();
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
        {"--cache", true,
         [](Options& o, const std::string& v) {
             o.noCache = false;
             return SetPath(o.cacheFolder, "--cache", v);
         }},
        {"--no-cache", false,
         [](Options& o, const std::string&) {
             o.noCache = true;
             o.cacheFolder.reset();
             return std::string();
         }},
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
        {"--json", false, SetFlag(&Options::json)},
        {"--stats", false, SetFlag(&Options::statistics)},
        {"--quiet", false, SetFlag(&Options::quiet)},
        {"-q", false, SetFlag(&Options::quiet)},
        {"--help", false, SetFlag(&Options::help)},
        {"-h", false, SetFlag(&Options::help)},
        {"--version", false, SetFlag(&Options::version)},
        {"--artist", true, [](Options& o, const std::string& v) { return SetWide(o.tagArtist, "--artist", v); }, true},
        {"--album", true, [](Options& o, const std::string& v) { return SetWide(o.tagAlbum, "--album", v); }, true},
        {"--dry-run", false, SetFlag(&Options::dryRun), true},
        {"--yes", false, SetFlag(&Options::yes), true},
        {"--cover", true,
         [](Options& o, const std::string& v) -> std::string {
             if (v == "embed") o.cover = CoverMode::Embed;
             else if (v == "file") o.cover = CoverMode::File;
             else if (v == "none") o.cover = CoverMode::None;
             else return "--cover needs embed, file or none, not \"" + v + "\"";
             return {};
         },
         true},
        {"--timings", false, SetFlag(&Options::timings), true},
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

// The optimal string alignment distance of a and b: insertions, deletions,
// replacements and swaps of neighbours each cost 1.
size_t EditDistance(std::string_view a, std::string_view b) {
    std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
    for (size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (size_t i = 1; i <= a.size(); ++i)
        for (size_t j = 1; j <= b.size(); ++j) {
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[a.size()][b.size()];
}

// The usage error for word, which names no command, with the nearest one.
std::string UnknownCommand(const std::string& word) {
    std::string error = "unknown command \"" + word + "\"";
    const std::string nearest = NearestCommandName(word);
    if (!nearest.empty()) error += " (did you mean '" + nearest + "'?)";
    return error;
}

// The command's name, its own options and its arguments.
std::string CommandWords(const CommandEntry& entry) {
    std::string words = entry.name;
    for (const char* part : {entry.options, entry.arguments})
        if (part[0]) words += std::string(" ") + part;
    return words;
}

std::string Synopsis(const CommandEntry& entry) { return "mivo [options] " + CommandWords(entry); }

}  // namespace

std::string ApplyOption(Options& options, const std::string& option, const std::string& value) {
    const OptionEntry* entry = FindOption(option);
    if (!entry) return "unknown option " + option;
    return entry->set(options, value);
}

std::string NearestCommandName(const std::string& word) {
    // Longer words may stray further: one slip in four letters, at most two.
    const size_t allowed = std::clamp<size_t>(word.size() / 3, 1, 2);
    std::string nearest;
    size_t best = allowed + 1;
    auto consider = [&](const char* name) {
        const size_t distance = EditDistance(word, name);
        if (distance < best) {
            best = distance;
            nearest = name;
        }
    };
    for (const auto& entry : kCommands) consider(entry.name);
    consider(kHelpWord);
    return nearest;
}

const char* CommandName(Command command) {
    for (const auto& entry : kCommands)
        if (entry.command == command) return entry.name;
    return "";
}

ParseResult ParseCommandLine(const std::vector<std::string>& args, const Options& base) {
    ParseResult result;
    result.options = base;
    Options& options = result.options;
    std::vector<std::string> words;  // the command and its arguments, in order
    std::string firstError;
    std::string tagOption;  // the first option of tag given, for the error when another command runs
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
        if (entry && entry->tagOnly && tagOption.empty()) tagOption = name;
    }

    const bool helpWord = !words.empty() && words[0] == kHelpWord;
    if (helpWord || options.help) {
        options.help = true;
        // "help COMMAND" and "COMMAND --help" ask for the usage of COMMAND.
        const size_t at = helpWord ? 1 : 0;
        if (at < words.size()) {
            const CommandEntry* command = FindCommand(words[at]);
            if (command) options.helpCommand = command->command;
            else if (helpWord) result.error = UnknownCommand(words[at]);
        }
        return result;
    }
    if (options.version) return result;
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
        result.error = UnknownCommand(words[0]);
        return result;
    }
    const size_t count = words.size() - 1;
    if (count < command->minArguments || count > command->maxArguments) {
        result.error = std::string(command->name) + " takes " +
                       (command->arguments[0] ? command->arguments : "no arguments") +
                       (count < command->minArguments ? "; an argument is missing" : "; too many arguments");
        return result;
    }
    if (!tagOption.empty() && command->command != Command::Tag) {
        result.error = tagOption + " is an option of the tag command, not of " + command->name;
        return result;
    }
    options.command = command->command;
    for (size_t i = 1; i < words.size(); ++i) {
        if (command->command == Command::Tag) {
            // Paths are file names as the system has them: bytes, not text.
            if (words[i].empty()) {
                result.error = "tag: an empty path names no folder or file";
                return result;
            }
            options.paths.push_back(words[i]);
            continue;
        }
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
        text += ",";
    }
    text += " help [COMMAND]\n  mivo --help explains the commands and options\n";
    return text;
}

std::string HelpText() {
    std::string text = "usage: mivo [options] COMMAND ARGS\n"
                       "\n"
                       "Looks up artists and albums on the music catalogue through the mivo search plug-in.\n"
                       "\n"
                       "commands:\n";
    for (const auto& entry : kCommands) {
        std::string left = "  " + CommandWords(entry);
        // A synopsis too long for its column stands on a line of its own.
        if (left.size() >= 24) left += "\n";
        left.resize(left.back() == '\n' ? left.size() + 25 : std::max<size_t>(left.size() + 1, 25), ' ');
        text += left + entry.description;
    }
    const UserFolderRules& folders = SystemUserFolders();
    text += "  help [COMMAND]         this help, or the usage of COMMAND (as does COMMAND --help)\n"
            "\n"
            "options:\n"
            "  --plugin PATH          plug-in module to load (default: " MIVO_PLUGIN_FROM_PROGRAM "\n"
            "                         from the program's folder)\n"
            "  --proxy HOST:PORT      proxy for every page the plug-in fetches (its \"HttpProxy\" question);\n"
            "                         default: http_proxy or HTTP_PROXY from the environment\n"
            "  --no-proxy             go direct, whatever the environment or the configuration names\n"
            "  --max-difference F     the plug-in accepts an artist whose name differs from NAME by less\n"
            "                         than F (\"MaxMatchDifference\"). Without it the plug-in keeps its own\n"
            "                         1.0: names equal but for letter case. On its scale a letter costs 70\n"
            "                         to insert or delete and 100 to replace, a blank 5, punctuation 20 to\n"
            "                         30, a leading \"The \" 215; differences inside brackets cost a tenth.\n"
            "                         So 101 allows one wrong letter, 216 a missing \"The \"\n"
            "  --cache DIR            artist address cache folder (\"LocalCacheFolder\"); a second run with the\n"
            "                         same folder finds known artists without a search request.\n"
            "                         Default: " +
            std::string(folders.cacheHelp) +
            " when that is unset\n"
            "  --no-cache             run without a cache folder\n"
            "  --log-dir DIR          folder of the plug-in's trace log (\"LogFolder\"; Warning and above\n"
            "                         unless --trace-level says otherwise)\n"
            "  --trace-level NAME     Error, Warning, Info, Debug, Detail or Verbose (\"TraceLevel\")\n"
            "  --parent-log FILE      log file the run's trace log is merged into before exit\n"
            "                         (\"ParentLogfilePath\"; needs --log-dir)\n"
            "  --delay MS             minimum gap between two contacts of one web host (default 1000)\n"
            "  --json                 machine-readable output on stdout, one JSON document\n"
            "  --stats                also print the download statistics (always present in --json)\n"
            "  -q, --quiet            no progress line (shown on stderr only when it is a terminal)\n"
            "  -h, --help             this help; with a command, that command's usage\n"
            "  --version              the versions of mivo, the plug-in, libcurl and Boost.Regex\n"
            "  --                     ends the options, for a name that begins with \"-\"\n"
            "\n"
            "tag options:\n"
            "  --artist NAME          the artist to search for (default: the artist or album artist\n"
            "                         most of the files carry, else the folder names)\n"
            "  --album TITLE          the album title to search for (default: the files' album tag,\n"
            "                         else the folder name: ARTIST/ALBUM or \"ARTIST - ALBUM\")\n"
            "  --dry-run              show the changes, write nothing\n"
            "  --yes                  write without asking; without it tag asks \"Write these tags? [y/N]\"\n"
            "                         on a terminal, and writes nothing when stdin or stdout is not one\n"
            "                         (or with --json)\n"
            "  --cover MODE           embed: download the album's cover and embed it in every file as\n"
            "                         the front cover; file: save it as cover.jpg beside the files;\n"
            "                         none (the default): leave covers alone\n"
            "  What is written: album, title, track number and total, year and genre; the artist only\n"
            "  into a file that has none. Every other tag and the audio stay as they are; a file is\n"
            "  replaced by a complete new copy, never rewritten in place\n"
            "\n"
            "files:\n"
            "  " +
            folders.configHelp +
            " when XDG_CONFIG_HOME is unset:\n"
            "                         lines \"KEY = VALUE\" with the keys proxy, max-difference, delay,\n"
            "                         cache, log-dir and trace-level; \"#\" starts a comment line. The\n"
            "                         command line wins over the file\n"
            "  " +
            folders.cacheHelp +
            ": the default cache folder\n"
            "\n"
            "environment:\n"
            "  http_proxy, HTTP_PROXY the proxy when neither --proxy nor the configuration names one\n"
            "                         (HOST:PORT or http://HOST:PORT/)\n"
            "  " +
            folders.variablesHelp +
            "  where the configuration and the cache are\n"
            "\n"
            "exit status: 0 success, 1 nothing found, a file not tagged (or the plug-in could not be loaded),\n"
            "             2 usage or configuration error, 3 a download failed,\n"
            "             130 interrupted by Ctrl-C (SIGINT), 143 stopped by SIGTERM;\n"
            "             what was found before a stop is printed (--json marks it \"partial\")\n"
            "\n"
            "examples:\n"
            "  mivo --proxy 127.0.0.1:8080 albums \"ARTIST\"\n"
            "  mivo --proxy 127.0.0.1:8080 --json lookup \"ARTIST\" \"TITLE\"\n"
            "  mivo --dry-run tag ~/Music/ARTIST/ALBUM\n"
            "  mivo help lookup\n";
    return text;
}

std::string CommandHelpText(Command command) {
    for (const auto& entry : kCommands) {
        if (entry.command != command) continue;
        std::string description = entry.description;
        for (size_t at = 0; (at = description.find("\n ", at)) != std::string::npos;) {
            const size_t end = description.find_first_not_of(' ', at + 1);
            description.replace(at + 1, end - at - 1, "  ");
            at += 3;
        }
        return "usage: " + Synopsis(entry) + "\n\n  " + description + "\nexample:\n  mivo " + entry.example +
               "\n\nmivo --help lists the options, the configuration file and the exit statuses.\n";
    }
    return HelpText();
}

}  // namespace mivo_host
