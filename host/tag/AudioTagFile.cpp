#include "host/tag/AudioTagFile.h"

#include <cstring>

#include <taglib/tpropertymap.h>

#include "host/tag/SafeReplace.h"
#include "host/tag/TagValues.h"
#include "host/tag/TagWriters.h"
#include "host/tag/TaggedFile.h"

namespace mivo_host {

namespace {

constexpr const char* kNotAudio = "not an audio file TagLib reads";

std::optional<std::string> Field(const TagLib::PropertyMap& properties, const char* key) {
    auto found = properties.find(key);
    if (found == properties.end()) return std::nullopt;
    return found->second.isEmpty() ? std::string() : found->second.front().to8Bit(true);
}

std::optional<unsigned> NumberField(const TagLib::PropertyMap& properties, const char* key) {
    std::optional<std::string> text = Field(properties, key);
    return text ? LeadingNumber(*text) : std::nullopt;
}

AudioTags TagsOf(const TagLib::File& file) {
    TagLib::PropertyMap properties = file.properties();
    AudioTags tags;
    tags.title = Field(properties, "TITLE");
    tags.artist = Field(properties, "ARTIST");
    tags.albumArtist = Field(properties, "ALBUMARTIST");
    tags.album = Field(properties, "ALBUM");
    tags.genre = Field(properties, "GENRE");
    tags.year = NumberField(properties, "DATE");
    std::optional<std::string> track = Field(properties, "TRACKNUMBER");
    if (track) {
        tags.track = LeadingNumber(*track);
        tags.trackTotal = NumberAfterSlash(*track);
    }
    if (!tags.trackTotal) tags.trackTotal = NumberField(properties, "TRACKTOTAL");
    if (!tags.trackTotal) tags.trackTotal = NumberField(properties, "TOTALTRACKS");
    return tags;
}

TagFailure WriteFailure(const FdStream& stream) {
    std::string message = "TagLib could not save the tags";
    if (stream.Error() != 0) message += ": " + std::string(std::strerror(stream.Error()));
    return {TagFailureKind::WriteFailed, message};
}

}  // namespace

ReadTagsResult ReadAudioTags(const std::string& path) {
    ReadTagsResult result;
    OpenedFile opened = OpenForReading(path);
    if (opened.failure) {
        result.failure = opened.failure;
        return result;
    }
    std::unique_ptr<TagLib::File> file = OpenTaggedFile(*opened.stream, path);
    if (!file) {
        result.failure = TagFailure{TagFailureKind::NotAudio, kNotAudio};
        return result;
    }
    result.tags = TagsOf(*file);
    result.readOnly = opened.readOnly;
    return result;
}

WriteTagsResult WriteAudioTags(const std::string& path, const TagChanges& changes,
                               std::span<const unsigned char> frontCoverJpeg) {
    WriteTagsResult result;
    result.failure = ReplaceFileSafely(path, [&](FdStream& stream) -> std::optional<TagFailure> {
        std::unique_ptr<TagLib::File> file = OpenTaggedFile(stream, path);
        if (!file) return TagFailure{TagFailureKind::NotAudio, kNotAudio};
        std::optional<std::string> artist = TagsOf(*file).artist;
        bool hasArtist = artist && !artist->empty();
        if (!WriteTagsInto(*file, changes, hasArtist, frontCoverJpeg) || stream.Error() != 0) {
            return WriteFailure(stream);
        }
        return std::nullopt;
    });
    return result;
}

}  // namespace mivo_host
