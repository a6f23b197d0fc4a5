// The --json output of mivo: one JSON document per run, in the shapes below,
// keys in this order, always valid UTF-8. Every document carries
// "statistics": {"downloads","successful","totalTimeMs"}; a result cut short
// (by a stop signal, or by a failed download after something was found) adds
// "partial": true, and a failure adds "error": {"kind","message"}, kind being
// "not-found", "download" or "interrupted".
//   artist: {"artist", "url"}
//   albums: {"artist", "albums": [{"title","artist","url","year","genre","trackCount"}]}
//   album:  {"title" (when known),"url","year","genre","cover","trackCount","tracks":[{"number","title"}]}
//   lookup: {"artist", "albums": [...], "album": {...} or null}
//   info:   {"name","type","version","sourceName","sourceId"}
// Pure functions; safe from any thread.
#pragma once

#include <string>

#include "host/Commands.h"

namespace mivo_host {

// The document for result, indented, followed by a line break.
std::string FormatJson(const CommandResult& result);

}  // namespace mivo_host
