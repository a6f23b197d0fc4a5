// The albums the PATHs of `mivo tag` name. A folder is one album: the audio
// files directly in it (by extension: .mp3 .flac .ogg .oga .opus .m4a .mp4),
// not those of its subfolders, and no links: neither a link inside the folder
// nor a PATH that is a link is followed. The files given as PATHs are one
// album together, whatever folders hold them. Names starting with "." are
// left out (hidden files, and our own temporary copies). Files are sorted by
// name, byte by byte. Used on the main thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mivo_host {

struct AlbumFiles {
    std::string path;                // the folder as given, or the first file's folder
    std::string folder;              // that folder, absolute: where stray copies are removed, cover.jpg saved
    std::vector<std::string> files;  // the audio files' paths, sorted by file name
    std::vector<std::string> notes;  // PATHs given that were left out, each a line naming the reason
    std::string error;               // the album cannot be done: the reason
};

// Whether name ends with one of the audio extensions above (letter case ignored).
bool IsAudioFileName(std::string_view name);

// The albums of paths, in order: each folder, then the files together (when
// any were given), each album holding at most maxFiles files (more is an error).
std::vector<AlbumFiles> CollectAlbums(const std::vector<std::string>& paths, size_t maxFiles);

}  // namespace mivo_host
