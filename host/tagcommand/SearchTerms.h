// What `mivo tag` searches for, one field at a time from the first source
// that has it: the --artist and --album options; else the value most of the
// files carry (the album artist where a file has one, else its artist; the
// album tag), the first file's value winning a tie; else the folder names,
// "ARTIST - ALBUM" in the folder's own name or ARTIST/ALBUM as parent and
// folder. Pure functions.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host/tag/AudioTags.h"

namespace mivo_host {

struct SearchTerms {
    std::wstring artist;
    std::wstring album;
    std::string error;  // nothing usable: the reason, naming the folder
    bool Ok() const { return error.empty(); }
};

// The terms for the album of files with tags, kept in folder (an absolute path).
SearchTerms ChooseSearchTerms(const std::optional<std::wstring>& artist, const std::optional<std::wstring>& album,
                              const std::vector<AudioTags>& tags, const std::string& folder);

}  // namespace mivo_host
