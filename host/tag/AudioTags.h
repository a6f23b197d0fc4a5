// The tags of one audio file that `mivo tag` reads and writes, and the
// results of reading and writing them. Text is UTF-8. An absent field
// (std::nullopt) is one the file does not hold; an empty string is one it
// holds empty.
#pragma once

#include <optional>
#include <string>

namespace mivo_host {

struct AudioTags {
    std::optional<std::string> title;
    std::optional<std::string> artist;
    std::optional<std::string> albumArtist;
    std::optional<std::string> album;
    std::optional<std::string> genre;
    std::optional<unsigned> year;
    std::optional<unsigned> track;
    std::optional<unsigned> trackTotal;
};

// What a write sets: each present field replaces the file's own; the artist
// only lands in a file that has no artist (or an empty one).
struct TagChanges {
    std::optional<std::string> title;
    std::optional<std::string> album;
    std::optional<std::string> genre;
    std::optional<unsigned> year;
    std::optional<unsigned> track;
    std::optional<unsigned> trackTotal;
    std::optional<std::string> artist;
};

enum class TagFailureKind {
    CannotOpen,   // missing, unreadable, a link or not a regular file
    NotAudio,     // not an audio file TagLib reads
    ReadOnly,     // the file may not be written
    WriteFailed,  // the copy, the tags, the sync or the rename failed
};

struct TagFailure {
    TagFailureKind kind;
    std::string message;  // a line for the user, naming the reason
};

struct ReadTagsResult {
    AudioTags tags;
    bool readOnly = false;  // the file reads but a write would be refused
    std::optional<TagFailure> failure;
    bool Ok() const { return !failure; }
};

struct WriteTagsResult {
    std::optional<TagFailure> failure;
    bool Ok() const { return !failure; }
};

}  // namespace mivo_host
