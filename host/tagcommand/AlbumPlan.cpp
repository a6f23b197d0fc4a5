#include "host/tagcommand/AlbumPlan.h"

#include <filesystem>

#include "host/WideText.h"
#include "host/tag/TrackPairing.h"

namespace mivo_host {

namespace {

std::string Shown(const std::optional<std::string>& value) { return value ? "\"" + *value + "\"" : "-"; }

std::string Shown(const std::optional<unsigned>& value) { return value ? std::to_string(*value) : "-"; }

template <typename T>
void AddIfChanged(std::vector<FieldChange>& changes, const char* field, const std::optional<T>& before,
                  const std::optional<T>& after) {
    if (before != after) changes.push_back({field, Shown(before), Shown(after)});
}

TagChanges ChangesFor(const TrackInfo& track, const AlbumResult& album, const std::wstring& artist, unsigned total) {
    TagChanges changes;
    changes.title = ToUtf8(track.title);
    changes.album = ToUtf8(album.album.title);
    if (!album.album.genre.empty()) changes.genre = ToUtf8(album.album.genre);
    if (album.album.year > 0) changes.year = static_cast<unsigned>(album.album.year);
    changes.track = static_cast<unsigned>(track.number);
    changes.trackTotal = total;
    changes.artist = ToUtf8(artist);
    return changes;
}

// before with changes applied as the writer applies them.
AudioTags Applied(AudioTags tags, const TagChanges& changes) {
    auto set = [](auto& field, const auto& value) {
        if (value) field = value;
    };
    set(tags.title, changes.title);
    set(tags.album, changes.album);
    set(tags.genre, changes.genre);
    set(tags.year, changes.year);
    set(tags.track, changes.track);
    set(tags.trackTotal, changes.trackTotal);
    if (!tags.artist || tags.artist->empty()) set(tags.artist, changes.artist);
    return tags;
}

}  // namespace

AlbumPlan PlanAlbum(const std::vector<std::string>& paths, const std::vector<ReadTagsResult>& reads,
                    const AlbumResult& album, const std::wstring& artist) {
    AlbumPlan plan;
    plan.tracks.assign(album.tracks.begin(), album.tracks.end());
    std::vector<PairingFile> pairingFiles;
    std::vector<size_t> pairedIndex;  // the plan's file index of each pairing file
    for (size_t i = 0; i < paths.size(); ++i) {
        FilePlan file;
        file.path = paths[i];
        file.name = std::filesystem::path(paths[i]).filename().string();
        if (reads[i].Ok()) {
            file.before = reads[i].tags;
            file.after = reads[i].tags;
            if (reads[i].readOnly) file.skipped = "read-only: left as it is";
            pairingFiles.push_back({file.name, reads[i].tags.title, reads[i].tags.track});
            pairedIndex.push_back(i);
        } else {
            file.skipped = reads[i].failure->message;
        }
        plan.files.push_back(std::move(file));
    }
    std::vector<PairingTrack> pairingTracks;
    for (const TrackInfo& track : plan.tracks)
        pairingTracks.push_back({static_cast<unsigned>(track.number), ToUtf8(track.title)});
    const Pairing pairing = PairTracks(pairingFiles, pairingTracks);
    for (const TrackPair& pair : pairing.pairs) {
        FilePlan& file = plan.files[pairedIndex[pair.file]];
        file.track = pair.track;
        file.doubtful = pair.doubtful;
        file.changes = ChangesFor(plan.tracks[pair.track], album, artist, static_cast<unsigned>(plan.tracks.size()));
        file.after = Applied(*file.before, file.changes);
    }
    plan.unpairedTracks = pairing.unpairedTracks;
    return plan;
}

std::vector<FieldChange> ChangedFields(const AudioTags& before, const AudioTags& after) {
    std::vector<FieldChange> changes;
    AddIfChanged(changes, "title", before.title, after.title);
    AddIfChanged(changes, "artist", before.artist, after.artist);
    AddIfChanged(changes, "album", before.album, after.album);
    AddIfChanged(changes, "year", before.year, after.year);
    AddIfChanged(changes, "genre", before.genre, after.genre);
    AddIfChanged(changes, "track", before.track, after.track);
    AddIfChanged(changes, "track total", before.trackTotal, after.trackTotal);
    return changes;
}

bool WillWrite(const FilePlan& file, bool withCover) {
    if (!file.track || !file.skipped.empty() || !file.before) return false;
    return withCover || !ChangedFields(*file.before, file.after).empty();
}

}  // namespace mivo_host
