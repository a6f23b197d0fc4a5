// Reading a file's tags with exiftool, a reader independent of TagLib.
#pragma once

#include <filesystem>
#include <map>
#include <string>

namespace mivo_host::test {

// The file's tags as exiftool names them ("Title", "Track", "PictureType"),
// each as text; the ID3v1 copy and exiftool's own file facts are left out.
std::map<std::string, std::string> ExifToolTags(const std::filesystem::path& path);

}  // namespace mivo_host::test
