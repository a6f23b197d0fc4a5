// The catalogue's site search: which artists and albums a query finds, and in
// what order the result page lists them.
//
// A query matches a name when every word of the query occurs somewhere in the
// name, letter case aside (full Unicode simple case mapping). Artists are
// ranked: the exact name first, then names that begin with the query, then the
// rest, each group in data order. Pure functions over an immutable Catalogue;
// any thread may call them.
#pragma once

#include <string>
#include <vector>

#include "catalogue/CatalogueData.h"

namespace catalogue {

// Artists matching query (UTF-8), best first. An empty or blank query finds nothing.
std::vector<const Artist*> SearchArtists(const Catalogue& data, const std::string& query);

// Albums whose title matches query, in data order, at most limit of them.
std::vector<const Album*> SearchAlbums(const Catalogue& data, const std::string& query, size_t limit);

}  // namespace catalogue
