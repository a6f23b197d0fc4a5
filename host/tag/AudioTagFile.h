// Reading and writing the tags of one audio file: MP3 (ID3v2.3 and 2.4, the
// file's version kept), FLAC, Ogg Vorbis, Opus and MP4/M4A, through TagLib.
// A write goes to a copy beside the file that replaces it only once complete
// and synced, so a crash or a full disk leaves the old file or the new one.
#pragma once

#include <span>
#include <string>

#include "host/tag/AudioTags.h"

namespace mivo_host {

// Reads the tags of the file at path.
ReadTagsResult ReadAudioTags(const std::string& path);

// Writes changes (and frontCoverJpeg as the front cover unless it is empty)
// into the file at path; every other tag and the audio data stay as they are.
WriteTagsResult WriteAudioTags(const std::string& path, const TagChanges& changes,
                               std::span<const unsigned char> frontCoverJpeg = {});

}  // namespace mivo_host
