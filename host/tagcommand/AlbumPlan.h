// What `mivo tag` means to do with each file of an album once the album is
// found: the file's tags before, the track it is paired with, the changes
// and the tags after. A paired file gets the album, its title, track number
// and total, the year and genre (when the catalogue has them) and the artist
// (only where it has none). Unpaired files stay as they are; a file whose
// tags could not be read, or that may not be written, is skipped. Pure
// functions; the writing is the caller's.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host/Commands.h"
#include "host/tag/AudioTags.h"

namespace mivo_host {

struct FilePlan {
    std::string path;                 // as listed
    std::string name;                 // the file name, for the preview
    std::optional<AudioTags> before;  // absent when the tags could not be read
    std::optional<size_t> track;      // the paired track, an index into the album's tracks
    bool doubtful = false;            // a poor pair: the preview says so
    TagChanges changes;               // what the write sets
    AudioTags after;                  // the tags once written
    std::string skipped;              // why the file will not be written, empty when it will
    // Filled in by the write.
    bool written = false;
    std::string error;  // the write failed: the reason
};

struct AlbumPlan {
    std::vector<FilePlan> files;         // in file-name order
    std::vector<size_t> unpairedTracks;  // indices into the album's tracks that no file got
    std::vector<TrackInfo> tracks;       // the album's tracks, in album order
};

// One changed field for the preview: its name and the texts before and after ("-" for none).
struct FieldChange {
    const char* field;
    std::string before;
    std::string after;
};

// The plan for files (paths, sorted by name) with reads (their read results,
// one per path), given the album found and the artist name searched for.
AlbumPlan PlanAlbum(const std::vector<std::string>& paths, const std::vector<ReadTagsResult>& reads,
                    const AlbumResult& album, const std::wstring& artist);

// The fields whose values differ between before and after, in the order
// title, artist, album, year, genre, track, track total.
std::vector<FieldChange> ChangedFields(const AudioTags& before, const AudioTags& after);

// Whether file is paired, readable, writable and has something to change.
bool WillWrite(const FilePlan& file, bool withCover);

}  // namespace mivo_host
