// A minimal M4A file built box by box, since none of the installed encoders
// writes MP4: an AAC track description (44.1 kHz mono, one second) whose one
// chunk points into the media data. The media bytes are a placeholder, not
// decodable AAC; they stand for the audio a tag write must leave alone.
#pragma once

#include <filesystem>
#include <string>

namespace mivo_host::test {

// Writes the file at path with the title "Old" and, when artist is not empty, that artist.
void MakeM4aFile(const std::filesystem::path& path, const std::string& artist);

// The bytes the file's chunk offset points at, as long as the placeholder.
std::string M4aMediaBytes(const std::filesystem::path& path);

}  // namespace mivo_host::test
