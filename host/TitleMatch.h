// The rule by which `mivo lookup NAME TITLE` picks the album to complete.
// The plug-in's own weighted name distance is not exported, so the host uses
// a simple rule of its own:
//   1. a title equal to TITLE but for letter case wins;
//   2. otherwise the title with the fewest single-character insertions,
//      deletions and replacements from TITLE, both lower-cased;
//   3. on a tie the album listed first.
// Blanks around TITLE and the titles do not count. Pure functions.
#pragma once

#include <string_view>

#include "plugin/SearchRecords.h"

namespace mivo_host {

// Edit distance of a and b after lower-casing both (Unicode simple case mapping).
size_t TitleDistance(std::wstring_view a, std::wstring_view b);

// The album of albums whose title is nearest title by the rule above; end()
// when albums is empty.
AlbumInfoList::iterator NearestTitle(AlbumInfoList& albums, std::wstring_view title);

}  // namespace mivo_host
