// The TagLib file of an audio file, chosen by the file name's extension:
// .mp3, .flac, .ogg/.oga (Vorbis, else Opus), .opus, .m4a/.mp4/.m4b.
#pragma once

#include <memory>
#include <string>

#include <taglib/tfile.h>

#include "host/tag/FdStream.h"

namespace mivo_host {

// The file read from stream, or nullptr when TagLib does not read it.
std::unique_ptr<TagLib::File> OpenTaggedFile(FdStream& stream, const std::string& path);

}  // namespace mivo_host
