// The command line of mivo: the command with its arguments and the options
// that configure the plug-in and the output. Parsing is a pure function of the
// argument list, so it can be tested without running anything.
//
// Options may stand before or after the command; "--" ends them (for an artist
// name that begins with "-"). A value follows its option as the next argument
// or after "=" ("--delay 0", "--delay=0"). Arguments are read as UTF-8.
// Parsing may start from options already read (the configuration file), so
// that the command line wins over them.
// Called on the main thread only.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace mivo_host {

enum class Command { None, Artist, Albums, Album, Lookup, Info, Tag };

// What `tag --cover` does with the album's cover image.
enum class CoverMode { None, Embed, File };

struct Options {
    Command command = Command::None;
    std::vector<std::wstring> arguments;  // NAME, [TITLE] or ADDRESS, as the command takes them
    std::vector<std::string> paths;       // tag: the folders and files, as given

    // Options of tag only.
    std::optional<std::wstring> tagArtist;  // --artist: the artist to search for
    std::optional<std::wstring> tagAlbum;   // --album: the album title to search for
    bool dryRun = false;                    // --dry-run: preview only, never write
    bool yes = false;                       // --yes: write without asking
    CoverMode cover = CoverMode::None;      // --cover
    bool timings = false;                   // --timings (not in the help): the time of each phase on stderr

    std::string pluginPath;                  // empty: the library installed beside the program
    std::optional<std::wstring> proxy;       // answered to "HttpProxy"
    std::optional<float> maxDifference;      // answered to "MaxMatchDifference"
    std::optional<std::string> cacheFolder;  // "LocalCacheFolder"; unset: the default cache folder
    bool noCache = false;                    // run without a cache folder
    bool noProxy = false;                    // go direct, whatever the environment names
    std::optional<std::string> logFolder;    // "LogFolder"
    std::optional<std::wstring> traceLevel;  // "TraceLevel", one of the plug-in's level names
    std::optional<std::string> parentLog;    // "ParentLogfilePath"
    int delayMs = 1000;                      // minimum gap between two contacts of one web host
    bool json = false;
    bool statistics = false;  // human output: print the download statistics too
    bool quiet = false;       // no progress line on a terminal
    bool help = false;
    Command helpCommand = Command::None;  // with help: the command whose usage is asked for
    bool version = false;
};

struct ParseResult {
    Options options;
    std::string error;  // empty on success; otherwise the reason, for a usage error
    bool ok() const { return error.empty(); }
};

// The options and command in args (the arguments after the program name).
// On success error is empty; --help or --version make every other check moot.
// On failure error says what is wrong, naming the option or argument.
// Parsing starts from base, so values already in base stay unless args give others.
ParseResult ParseCommandLine(const std::vector<std::string>& args, const Options& base = Options());

// Sets the option named option ("--delay", without "=") to value in options;
// answers "" on success, otherwise the reason naming the option. Options that
// take no value ignore value.
std::string ApplyOption(Options& options, const std::string& option, const std::string& value);

// The short synopsis printed with a usage error.
std::string UsageText();

// The full help: commands, options, the difference scale, files, environment, exit status.
std::string HelpText();

// The usage of one command: its synopsis, what it does and an example.
std::string CommandHelpText(Command command);

// The command name nearest to word ("albmus" gives "albums"), or "" when none is near.
std::string NearestCommandName(const std::string& word);

// The name of a command as typed ("artist", ...), "" for Command::None.
const char* CommandName(Command command);

}  // namespace mivo_host
