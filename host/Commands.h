// The commands of mivo run against one configured interface object, and what
// they found. Each command calls the plug-in's operations, keeps whatever the
// plug-in appended even when it answered failure (a stop request leaves
// partial lists), and reads the download statistics at the end.
//
// Used on the main thread, between the session's configuration and its close.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "host/CommandLine.h"
#include "plugin/BasicTagsDllInterface.h"

namespace mivo_host {

struct Statistics {
    int downloads = 0;    // "StatisticDownloadCounter"
    int successful = 0;   // "StatisticSuccessfulDownloads"
    int totalTimeMs = 0;  // "StatisticTotalDownloadTime"
};

struct AlbumResult {
    AlbumInfo album;          // url, year, genre, trackCount as the plug-in completed them
    std::wstring cover;       // cover image address
    TrackInfoList tracks;     // in page order, numbered from 1
    bool titleKnown = false;  // album.title came from the album list (an address alone has none)
};

struct PluginFacts {
    std::map<std::string, std::string> marker;  // Name, Type, Version, ... from the library's marker
    std::wstring sourceName;                    // "SourceName"
    std::wstring sourceId;                      // "SourceId"
};

// Why a command failed: the thing was not there, a page could not be
// fetched, or a stop signal cut the work short.
enum class FailureKind { None, NotFound, Download, Interrupted };

struct CommandResult {
    Command command = Command::None;
    std::wstring artist;               // NAME as asked (artist, albums, lookup)
    std::wstring artistUrl;            // artist: the artist page address
    AlbumInfoList albums;              // albums, lookup
    std::optional<AlbumResult> album;  // album, lookup (absent when no album was completed)
    PluginFacts facts;                 // info
    Statistics statistics;
    bool succeeded = false;
    std::string failure;  // why the command failed, when it did
    FailureKind failureKind = FailureKind::None;
    bool partial = false;  // the work was cut short; what it found so far is here
};

// Runs options.command on plugin. pluginPath is the library file, read for
// its marker by "info". stopRequested tells lookup not to start the album
// details after a stop. A StopBeforeContact from the host's callbacks ends
// the command as a failure that keeps what was found; other exceptions from
// the plug-in pass through.
CommandResult RunCommand(const Options& options, CBasicTagsDllInterface& plugin, const std::string& pluginPath,
                         bool (*stopRequested)());

// What `lookup artist title` finds (title empty: the first album), as a
// lookup result whose statistics count only this lookup's downloads, so one
// session can look up several albums and tell each one's outcome.
CommandResult LookUpAlbum(const std::wstring& artist, const std::wstring& title, CBasicTagsDllInterface& plugin,
                          bool (*stopRequested)());

// The three download statistics of plugin (0 for any it does not answer).
Statistics ReadStatistics(CBasicTagsDllInterface& plugin);

}  // namespace mivo_host
