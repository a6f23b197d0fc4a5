// Tiny real audio files for the tag engine's tests, made with the Debian
// encoders from one second of sine, and the parts of them a tag write must
// not change.
#pragma once

#include <filesystem>
#include <string>

namespace mivo_host::test {

enum class AudioFormat { Mp3Id3v23, Mp3Id3v24, Flac, Vorbis, Opus, M4a };

// The file's extension, with its dot.
std::string ExtensionOf(AudioFormat format);

// Makes a file of format at path with the title "Old", the comment
// "keep me" and, when artist is not empty, that artist.
void MakeAudioFile(AudioFormat format, const std::filesystem::path& path, const std::string& artist);

// The bytes of the audio itself: an MP3 without its ID3v2 and ID3v1 tags,
// a FLAC stream's frames, the audio packets of an Ogg stream, the bytes an
// M4A file's chunk offset points at.
std::string AudioPayload(AudioFormat format, const std::filesystem::path& path);

// The ID3v2 major version of an MP3 file, 0 without a tag.
int Id3v2Version(const std::filesystem::path& path);

// How many of our temporary copies folder holds.
size_t StrayCopiesIn(const std::filesystem::path& folder);

// Runs a shell command line; its exit status.
int RunCommand(const std::string& command);

// The shell-quoted form of text.
std::string Quoted(const std::string& text);

}  // namespace mivo_host::test
