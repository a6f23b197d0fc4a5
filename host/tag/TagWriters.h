// Setting the fields of a TagChanges, and the front cover, in the tags of an
// open TagLib file, each format in its own way, then saving it. Only the
// fields named are touched; other frames, fields, items and pictures stay.
#pragma once

#include <span>

#include <taglib/tfile.h>

#include "host/tag/AudioTags.h"

namespace mivo_host {

// Sets changes (the artist only when hasArtist is false) and frontCoverJpeg,
// unless empty, in file and saves it; false when TagLib did not save.
bool WriteTagsInto(TagLib::File& file, const TagChanges& changes, bool hasArtist,
                   std::span<const unsigned char> frontCoverJpeg);

}  // namespace mivo_host
