// The readable preview of `mivo tag` for one album: the album, artist, year
// and genre once, then a row per file (its name, the track it gets and every
// field that changes, old → new), the doubtful pairs, the files left
// untouched or skipped, and the tracks no file got. Text from files and pages
// is made printable. UTF-8. Pure functions.
#pragma once

#include <string>

#include "host/Commands.h"
#include "host/tagcommand/AlbumPlan.h"

namespace mivo_host {

// The preview of plan for album, found for the folder path by searching artist.
std::string FormatPreview(const std::string& path, const AlbumResult& album, const std::wstring& artist,
                          const AlbumPlan& plan, bool withCover);

// One line per file after the writes: how many were written, and which failed.
std::string FormatWriteSummary(const AlbumPlan& plan);

}  // namespace mivo_host
