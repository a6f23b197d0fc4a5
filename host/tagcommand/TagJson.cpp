#include "host/tagcommand/TagJson.h"

#include "host/JsonDocuments.h"
#include "host/RunOutcome.h"
#include "host/WideText.h"

namespace mivo_host {

namespace {

template <typename T>
Json Optional(const std::optional<T>& value) {
    return value ? Json(*value) : Json(nullptr);
}

Json TagsDocument(const AudioTags& tags) {
    return Json{{"title", Optional(tags.title)},          {"artist", Optional(tags.artist)},
                {"album", Optional(tags.album)},          {"year", Optional(tags.year)},
                {"genre", Optional(tags.genre)},          {"track", Optional(tags.track)},
                {"trackTotal", Optional(tags.trackTotal)}};
}

Json FileDocument(const FilePlan& file, const AlbumPlan& plan) {
    Json document{{"file", file.name}};
    document["track"] = file.track ? Json(plan.tracks[*file.track].number) : Json(nullptr);
    document["doubtful"] = file.doubtful;
    document["before"] = file.before ? TagsDocument(*file.before) : Json(nullptr);
    document["after"] = file.before ? TagsDocument(file.after) : Json(nullptr);
    document["written"] = file.written;
    if (!file.error.empty()) document["error"] = file.error;
    else if (!file.skipped.empty()) document["error"] = file.skipped;
    return document;
}

Json AlbumRunDocument(const AlbumRun& run) {
    Json document{{"path", run.path}};
    document["search"] = Json{{"artist", ToUtf8(run.terms.artist)}, {"album", ToUtf8(run.terms.album)}};
    document["result"] = run.found ? AlbumDocument(*run.found) : Json(nullptr);
    Json files = Json::array();
    for (const FilePlan& file : run.plan.files) files.push_back(FileDocument(file, run.plan));
    document["files"] = std::move(files);
    Json unpaired = Json::array();
    for (size_t index : run.plan.unpairedTracks) {
        const TrackInfo& track = run.plan.tracks[index];
        unpaired.push_back(Json{{"number", track.number}, {"title", ToUtf8(track.title)}});
    }
    document["unpairedTracks"] = std::move(unpaired);
    if (!run.coverError.empty()) document["coverError"] = run.coverError;
    if (run.end != AlbumEnd::Done) document["error"] = ErrorDocument(AlbumEndName(run.end), run.error);
    return document;
}

}  // namespace

const char* AlbumEndName(AlbumEnd end) {
    switch (end) {
        case AlbumEnd::Done: return "";
        case AlbumEnd::NotWritten: return "not-confirmed";
        case AlbumEnd::FilesFailed: return "files";
        case AlbumEnd::NotFound: return KindName(FailureKind::NotFound);
        case AlbumEnd::Download: return KindName(FailureKind::Download);
        case AlbumEnd::Interrupted: return KindName(FailureKind::Interrupted);
    }
    return "";
}

std::string FormatTagJson(const std::vector<AlbumRun>& albums, const Statistics& statistics, AlbumEnd worst,
                          const std::string& error) {
    Json list = Json::array();
    for (const AlbumRun& run : albums) list.push_back(AlbumRunDocument(run));
    Json document{{"albums", std::move(list)}};
    document["statistics"] = StatisticsDocument(statistics);
    if (worst != AlbumEnd::Done) document["error"] = ErrorDocument(AlbumEndName(worst), error);
    return DocumentText(document);
}

}  // namespace mivo_host
