// The --json document of `mivo tag`:
//   {"albums": [{"path", "search": {"artist","album"}, "result": ALBUM or null,
//                "files": [{"file","track","doubtful","before","after","written","error"?}],
//                "unpairedTracks": [{"number","title"}], "coverError"?, "error"?: {"kind","message"}}],
//    "statistics": {...}, "error"?: {"kind","message"}}
// ALBUM is the album object of `lookup`; "before" and "after" hold the
// fields "title","artist","album","year","genre","track","trackTotal" (null
// when absent; "before" is null for a file whose tags could not be read);
// "track" is the paired track's number or null. Error kinds: "not-found",
// "download", "interrupted", "files" (a file not written) and
// "not-confirmed" (no --yes without a terminal). Pure functions.
#pragma once

#include <string>
#include <vector>

#include "host/tagcommand/AlbumRun.h"

namespace mivo_host {

// "not-found", "download", "interrupted", "files", "not-confirmed"; "" for Done.
const char* AlbumEndName(AlbumEnd end);

// The document of albums and the run's statistics; error, when not empty, is the run's failure.
std::string FormatTagJson(const std::vector<AlbumRun>& albums, const Statistics& statistics, AlbumEnd worst,
                          const std::string& error);

}  // namespace mivo_host
