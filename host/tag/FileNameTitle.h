// What an audio file's name says about its track: "03 - Sea of Glass.flac"
// is track 3, titled "Sea of Glass"; "1-03 Foo.mp3" is track 3 of disc 1,
// titled "Foo". Names are UTF-8 bytes; only ASCII bytes and the two
// typographic dashes are looked at, so any text passes through intact.
// Pure functions; safe from any thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace mivo_host {

struct FileNameParts {
    std::optional<unsigned> track;  // the leading track number, if the name starts with one
    std::string title;              // what is left: may be empty ("07.mp3")
};

// The track number and title of a file's base name: the extension (up to five
// letters or digits after the last dot) goes; a leading number counts when a
// blank, a separator or the end follows it, and "D-TT" / "D.TT" (disc, track)
// gives the track; then the separators (blanks, "-", ".", "_", ")", "]", dashes)
// before the title go, and the blanks after it.
FileNameParts SplitFileName(std::string_view fileName);

// The title a file name suggests: the base name without its extension, leading track number and
// separators ("03 - Sea of Glass.flac" -> "Sea of Glass", "1-03 Foo.mp3" -> "Foo").
std::string TitleFromFileName(std::string_view fileName);

}  // namespace mivo_host
