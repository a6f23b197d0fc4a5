// The pieces of mivo's JSON documents that more than one command prints:
// a completed album, the download statistics and a failure, each as the
// --json output of host/JsonOutput.h shows them. Pure functions; safe from
// any thread.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "host/Commands.h"

namespace mivo_host {

using Json = nlohmann::ordered_json;

// {"title" (when known),"url","year","genre","cover","trackCount","tracks":[{"number","title"}]}
Json AlbumDocument(const AlbumResult& result);

// {"downloads","successful","totalTimeMs"}
Json StatisticsDocument(const Statistics& statistics);

// {"kind","message"}: a failure of the kind named (KindName and the like)
Json ErrorDocument(const std::string& kind, const std::string& message);

// document as text: indented, invalid UTF-8 replaced, followed by a line break.
std::string DocumentText(const Json& document);

}  // namespace mivo_host
