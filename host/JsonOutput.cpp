// JSON documents of the commands, built with nlohmann::ordered_json so keys
// keep the documented order.
#include "host/JsonOutput.h"

#include "host/JsonDocuments.h"
#include "host/RunOutcome.h"
#include "host/WideText.h"

namespace mivo_host {

namespace {

std::string Text(const std::wstring& text) { return ToUtf8(text); }

Json AlbumEntry(const AlbumInfo& album) {
    return Json{{"title", Text(album.title)}, {"artist", Text(album.artist)}, {"url", Text(album.url)},
                {"year", album.year},         {"genre", Text(album.genre)},   {"trackCount", album.trackCount}};
}

Json AlbumList(const AlbumInfoList& albums) {
    Json list = Json::array();
    for (const AlbumInfo& album : albums) list.push_back(AlbumEntry(album));
    return list;
}

std::string Marker(const CommandResult& result, const char* key) {
    const auto it = result.facts.marker.find(key);
    return it == result.facts.marker.end() ? std::string() : it->second;
}

}  // namespace

// trackCount is the number of tracks listed, which is what the plug-in sets
// when the details ran to their end, and still true of a walk cut short. The
// title comes from the album list, so an album asked for by its address has none.
Json AlbumDocument(const AlbumResult& result) {
    Json tracks = Json::array();
    for (const TrackInfo& track : result.tracks)
        tracks.push_back(Json{{"number", track.number}, {"title", Text(track.title)}});
    Json document = Json::object();
    if (result.titleKnown) document["title"] = Text(result.album.title);
    document["url"] = Text(result.album.url);
    document["year"] = result.album.year;
    document["genre"] = Text(result.album.genre);
    document["cover"] = Text(result.cover);
    document["trackCount"] = result.tracks.size();
    document["tracks"] = std::move(tracks);
    return document;
}

Json StatisticsDocument(const Statistics& statistics) {
    return Json{{"downloads", statistics.downloads},
                {"successful", statistics.successful},
                {"totalTimeMs", statistics.totalTimeMs}};
}

Json ErrorDocument(const std::string& kind, const std::string& message) {
    return Json{{"kind", kind}, {"message", message}};
}

std::string DocumentText(const Json& document) {
    return document.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

std::string FormatJson(const CommandResult& result) {
    Json document = Json::object();
    switch (result.command) {
        case Command::Artist:
            document["artist"] = Text(result.artist);
            document["url"] = Text(result.artistUrl);
            break;
        case Command::Albums:
            document["artist"] = Text(result.artist);
            document["albums"] = AlbumList(result.albums);
            break;
        case Command::Album:
            document = result.album ? AlbumDocument(*result.album) : AlbumDocument(AlbumResult{});
            break;
        case Command::Lookup:
            document["artist"] = Text(result.artist);
            document["albums"] = AlbumList(result.albums);
            document["album"] = result.album ? AlbumDocument(*result.album) : Json(nullptr);
            break;
        case Command::Info:
            document["name"] = Marker(result, "Name");
            document["type"] = Marker(result, "Type");
            document["version"] = Marker(result, "Version");
            document["sourceName"] = Text(result.facts.sourceName);
            document["sourceId"] = Text(result.facts.sourceId);
            break;
        case Command::Tag:
        case Command::None: break;
    }
    document["statistics"] = StatisticsDocument(result.statistics);
    if (result.partial) document["partial"] = true;
    if (result.failureKind != FailureKind::None)
        document["error"] = ErrorDocument(KindName(result.failureKind), result.failure);
    return DocumentText(document);
}

}  // namespace mivo_host
