// artist, albums, album, lookup and info, and the lookup of each album of tag.
#include "host/Commands.h"

#include <utility>

#include "host/HostGate.h"
#include "host/PluginModule.h"
#include "host/TitleMatch.h"
#include "host/WideText.h"

namespace mivo_host {

namespace {

int IntegerProperty(CBasicTagsDllInterface& plugin, const wchar_t* name) {
    int value = 0;
    return plugin.Property(CString(name), &value) ? value : 0;
}

std::string Quoted(const std::wstring& text) { return "\"" + ToUtf8(Printable(text)) + "\""; }

void RunArtist(const Options& options, CBasicTagsDllInterface& plugin, CommandResult& result) {
    result.artist = options.arguments.at(0);
    CString url;
    result.succeeded = plugin.FindArtistUrl(CString(result.artist), url) != 0 && !url.IsEmpty();
    result.artistUrl = url.str();
    if (!result.succeeded) result.failure = "no artist page found for " + Quoted(result.artist);
}

void FindAlbums(const std::wstring& artist, CBasicTagsDllInterface& plugin, CommandResult& result) {
    result.artist = artist;
    result.succeeded = plugin.FindArtistAlbumList(CString(result.artist), result.albums) != 0;
    if (!result.succeeded)
        result.failure = result.albums.empty() ? "no albums found for " + Quoted(result.artist)
                                               : "the album list of " + Quoted(result.artist) + " is incomplete";
}

// album is completed in place (a lookup's list entry too); the cover and the
// tracks go straight into result.album, so what the plug-in filled in stays
// there should a stop end the details early.
bool CompleteAlbum(CBasicTagsDllInterface& plugin, AlbumInfo& album, bool titleKnown, CommandResult& result) {
    result.album = AlbumResult{album, {}, {}, titleKnown};
    AlbumResult& details = *result.album;
    const bool ok = plugin.GetAlbumDetails(album, details.cover, details.tracks) != 0;
    details.album = album;
    if (!ok) result.failure = "the album page " + Quoted(album.url) + " could not be read completely";
    return ok;
}

void RunAlbums(const Options& options, CBasicTagsDllInterface& plugin, CommandResult& result) {
    FindAlbums(options.arguments.at(0), plugin, result);
}

void RunAlbum(const Options& options, CBasicTagsDllInterface& plugin, CommandResult& result) {
    AlbumInfo album;
    album.url = options.arguments.at(0);
    result.succeeded = CompleteAlbum(plugin, album, false, result);
}

void LookUp(const std::wstring& artist, const std::wstring& title, CBasicTagsDllInterface& plugin,
            CommandResult& result, bool (*stopRequested)()) {
    FindAlbums(artist, plugin, result);
    if (!result.succeeded || result.albums.empty()) {
        if (result.succeeded) result.failure = "no albums found for " + Quoted(result.artist);
        result.succeeded = false;
        return;
    }
    if (stopRequested && stopRequested()) {
        result.succeeded = false;
        return;
    }
    const auto chosen = title.empty() ? result.albums.begin() : NearestTitle(result.albums, title);
    result.succeeded = CompleteAlbum(plugin, *chosen, true, result);
}

void RunLookup(const Options& options, CBasicTagsDllInterface& plugin, CommandResult& result, bool (*stopRequested)()) {
    LookUp(options.arguments.at(0), options.arguments.size() > 1 ? options.arguments[1] : std::wstring(), plugin,
           result, stopRequested);
}

void RunInfo(CBasicTagsDllInterface& plugin, const std::string& pluginPath, CommandResult& result) {
    CString name;
    CString id;
    const bool named = plugin.Property(CString(L"SourceName"), &name) != 0;
    const bool identified = plugin.Property(CString(L"SourceId"), &id) != 0;
    result.facts.sourceName = name.str();
    result.facts.sourceId = id.str();
    const auto marker = ReadPluginMarker(pluginPath);
    if (marker) result.facts.marker = *marker;
    result.succeeded = named && identified && marker.has_value();
    if (!marker) result.failure = "the plug-in " + pluginPath + " carries no information marker";
    else if (!result.succeeded) result.failure = "the plug-in does not answer SourceName and SourceId";
}

}  // namespace

CommandResult LookUpAlbum(const std::wstring& artist, const std::wstring& title, CBasicTagsDllInterface& plugin,
                          bool (*stopRequested)()) {
    CommandResult result;
    result.command = Command::Lookup;
    const Statistics before = ReadStatistics(plugin);
    try {
        LookUp(artist, title, plugin, result, stopRequested);
    } catch (const StopBeforeContact&) {
        result.succeeded = false;
    }
    const Statistics after = ReadStatistics(plugin);
    result.statistics = {after.downloads - before.downloads, after.successful - before.successful,
                         after.totalTimeMs - before.totalTimeMs};
    return result;
}

Statistics ReadStatistics(CBasicTagsDllInterface& plugin) {
    Statistics statistics;
    statistics.downloads = IntegerProperty(plugin, L"StatisticDownloadCounter");
    statistics.successful = IntegerProperty(plugin, L"StatisticSuccessfulDownloads");
    statistics.totalTimeMs = IntegerProperty(plugin, L"StatisticTotalDownloadTime");
    return statistics;
}

CommandResult RunCommand(const Options& options, CBasicTagsDllInterface& plugin, const std::string& pluginPath,
                         bool (*stopRequested)()) {
    CommandResult result;
    result.command = options.command;
    try {
        switch (options.command) {
            case Command::Artist: RunArtist(options, plugin, result); break;
            case Command::Albums: RunAlbums(options, plugin, result); break;
            case Command::Album: RunAlbum(options, plugin, result); break;
            case Command::Lookup: RunLookup(options, plugin, result, stopRequested); break;
            case Command::Info: RunInfo(plugin, pluginPath, result); break;
            case Command::Tag: result.failure = "tag runs through RunTagCommand"; break;
            case Command::None: result.failure = "no command"; break;
        }
    } catch (const StopBeforeContact&) {
        // The lists the plug-in appended to are the result's own and keep their entries.
        result.succeeded = false;
    }
    result.statistics = ReadStatistics(plugin);
    return result;
}

}  // namespace mivo_host
