#include "host/tag/TagWriters.h"

#include <memory>
#include <string>
#include <vector>

#include <taglib/attachedpictureframe.h>
#include <taglib/flacfile.h>
#include <taglib/flacpicture.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/opusfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/vorbisfile.h>
#include <taglib/xiphcomment.h>

#include "host/tag/TagValues.h"

namespace mivo_host {

namespace {

using TagLib::String;

constexpr const char* kJpegType = "image/jpeg";

String Text(const std::string& utf8) { return String(utf8, String::UTF8); }

String Number(unsigned value) { return Text(std::to_string(value)); }

TagLib::ByteVector Bytes(std::span<const unsigned char> data) {
    return TagLib::ByteVector(reinterpret_cast<const char*>(data.data()), static_cast<unsigned>(data.size()));
}

// The year text to store: the file's own date when it already names that
// year (keeping its month and day), else the year alone.
String YearText(const String& current, unsigned year) {
    std::optional<unsigned> currentYear = LeadingNumber(current.to8Bit(true));
    return currentYear == year ? current : Number(year);
}

// The track text "N" or "N/TOTAL", TOTAL kept from current when not changed.
String TrackText(const TagChanges& changes, const String& current) {
    std::string text = current.to8Bit(true);
    std::optional<unsigned> track = changes.track ? changes.track : LeadingNumber(text);
    std::optional<unsigned> total = changes.trackTotal ? changes.trackTotal : NumberAfterSlash(text);
    if (!track) return current;
    return total ? Text(std::to_string(*track) + "/" + std::to_string(*total)) : Number(*track);
}

// --- ID3v2 (MP3) ---

void SetId3Text(TagLib::ID3v2::Tag& tag, const char* id, const String& value, String::Type encoding) {
    tag.removeFrames(id);
    auto frame = std::make_unique<TagLib::ID3v2::TextIdentificationFrame>(TagLib::ByteVector(id), encoding);
    frame->setText(value);
    tag.addFrame(frame.release());
}

String Id3Text(TagLib::ID3v2::Tag& tag, const char* id) {
    const auto& frames = tag.frameList(id);
    return frames.isEmpty() ? String() : frames.front()->toString();
}

void SetId3Cover(TagLib::ID3v2::Tag& tag, std::span<const unsigned char> jpeg, String::Type encoding) {
    std::vector<TagLib::ID3v2::Frame*> fronts;
    for (auto* frame : tag.frameList("APIC")) {
        auto* picture = dynamic_cast<TagLib::ID3v2::AttachedPictureFrame*>(frame);
        if (picture && picture->type() == TagLib::ID3v2::AttachedPictureFrame::FrontCover) fronts.push_back(frame);
    }
    for (auto* frame : fronts) tag.removeFrame(frame, true);
    auto picture = std::make_unique<TagLib::ID3v2::AttachedPictureFrame>();
    picture->setTextEncoding(encoding);
    picture->setMimeType(kJpegType);
    picture->setType(TagLib::ID3v2::AttachedPictureFrame::FrontCover);
    picture->setPicture(Bytes(jpeg));
    tag.addFrame(picture.release());
}

bool WriteMpeg(TagLib::MPEG::File& file, const TagChanges& changes, bool hasArtist,
               std::span<const unsigned char> jpeg) {
    bool hadId3v2 = file.hasID3v2Tag();
    TagLib::ID3v2::Tag& tag = *file.ID3v2Tag(true);
    // A file without an ID3v2 tag gets version 2.4.
    bool version3 = hadId3v2 && tag.header()->majorVersion() == 3;
    String::Type encoding = version3 ? String::UTF16 : String::UTF8;
    if (changes.title) SetId3Text(tag, "TIT2", Text(*changes.title), encoding);
    if (changes.album) SetId3Text(tag, "TALB", Text(*changes.album), encoding);
    if (changes.genre) SetId3Text(tag, "TCON", Text(*changes.genre), encoding);
    if (changes.year) SetId3Text(tag, "TDRC", YearText(Id3Text(tag, "TDRC"), *changes.year), encoding);
    if (changes.track || changes.trackTotal) {
        SetId3Text(tag, "TRCK", TrackText(changes, Id3Text(tag, "TRCK")), encoding);
    }
    if (changes.artist && !hasArtist) SetId3Text(tag, "TPE1", Text(*changes.artist), encoding);
    if (!jpeg.empty()) SetId3Cover(tag, jpeg, encoding);

    // An ID3v1 tag the file already has is kept in step.
    if (TagLib::ID3v1::Tag* old = file.ID3v1Tag(false)) {
        if (changes.title) old->setTitle(Text(*changes.title));
        if (changes.album) old->setAlbum(Text(*changes.album));
        if (changes.genre) old->setGenre(Text(*changes.genre));
        if (changes.year) old->setYear(*changes.year);
        if (changes.track) old->setTrack(*changes.track);
        if (changes.artist && !hasArtist) old->setArtist(Text(*changes.artist));
    }
    return file.save(TagLib::MPEG::File::AllTags, TagLib::File::StripNone,
                     version3 ? TagLib::ID3v2::v3 : TagLib::ID3v2::v4, TagLib::File::DoNotDuplicate);
}

// --- Xiph comments (FLAC, Vorbis, Opus) ---

String XiphText(const TagLib::Ogg::XiphComment& comment, const char* key) {
    const auto& fields = comment.fieldListMap();
    auto found = fields.find(key);
    return found == fields.end() || found->second.isEmpty() ? String() : found->second.front();
}

void WriteXiph(TagLib::Ogg::XiphComment& comment, const TagChanges& changes, bool hasArtist) {
    if (changes.title) comment.addField("TITLE", Text(*changes.title));
    if (changes.album) comment.addField("ALBUM", Text(*changes.album));
    if (changes.genre) comment.addField("GENRE", Text(*changes.genre));
    if (changes.year) comment.addField("DATE", YearText(XiphText(comment, "DATE"), *changes.year));
    if (changes.track) comment.addField("TRACKNUMBER", Number(*changes.track));
    if (changes.trackTotal) {
        comment.addField("TRACKTOTAL", Number(*changes.trackTotal));
        // The other name some programs use, kept in step where the file has it.
        if (comment.contains("TOTALTRACKS")) comment.addField("TOTALTRACKS", Number(*changes.trackTotal));
    }
    if (changes.artist && !hasArtist) comment.addField("ARTIST", Text(*changes.artist));
}

std::unique_ptr<TagLib::FLAC::Picture> FrontCover(std::span<const unsigned char> jpeg) {
    auto picture = std::make_unique<TagLib::FLAC::Picture>();
    picture->setType(TagLib::FLAC::Picture::FrontCover);
    picture->setMimeType(kJpegType);
    picture->setData(Bytes(jpeg));
    return picture;
}

// Replaces the front covers of holder (a FLAC file or a Xiph comment).
template <typename Holder>
void SetFrontCover(Holder& holder, std::span<const unsigned char> jpeg) {
    std::vector<TagLib::FLAC::Picture*> fronts;
    for (auto* picture : holder.pictureList()) {
        if (picture->type() == TagLib::FLAC::Picture::FrontCover) fronts.push_back(picture);
    }
    for (auto* picture : fronts) holder.removePicture(picture, true);
    holder.addPicture(FrontCover(jpeg).release());
}

bool WriteFlac(TagLib::FLAC::File& file, const TagChanges& changes, bool hasArtist,
               std::span<const unsigned char> jpeg) {
    WriteXiph(*file.xiphComment(true), changes, hasArtist);
    if (!jpeg.empty()) SetFrontCover(file, jpeg);
    return file.save();
}

template <typename OggFile>
bool WriteOgg(OggFile& file, const TagChanges& changes, bool hasArtist, std::span<const unsigned char> jpeg) {
    WriteXiph(*file.tag(), changes, hasArtist);
    if (!jpeg.empty()) SetFrontCover(*file.tag(), jpeg);
    return file.save();
}

// --- MP4 ---

bool WriteMp4(TagLib::MP4::File& file, const TagChanges& changes, bool hasArtist, std::span<const unsigned char> jpeg) {
    TagLib::MP4::Tag& tag = *file.tag();
    auto set = [&tag](const char* key, const String& value) { tag.setItem(key, TagLib::StringList(value)); };
    auto current = [&tag](const char* key) {
        TagLib::StringList values = tag.item(key).toStringList();
        return values.isEmpty() ? String() : values.front();
    };
    if (changes.title) set("\251nam", Text(*changes.title));
    if (changes.album) set("\251alb", Text(*changes.album));
    if (changes.genre) set("\251gen", Text(*changes.genre));
    if (changes.year) set("\251day", YearText(current("\251day"), *changes.year));
    if (changes.track || changes.trackTotal) {
        TagLib::MP4::Item::IntPair old = tag.item("trkn").toIntPair();
        int track = changes.track ? static_cast<int>(*changes.track) : old.first;
        int total = changes.trackTotal ? static_cast<int>(*changes.trackTotal) : old.second;
        tag.setItem("trkn", TagLib::MP4::Item(track, total));
    }
    if (changes.artist && !hasArtist) set("\251ART", Text(*changes.artist));
    if (!jpeg.empty()) {
        // MP4 covers carry no role; the first is the front cover, the rest stay.
        TagLib::MP4::CoverArtList covers = tag.item("covr").toCoverArtList();
        if (!covers.isEmpty()) covers.erase(covers.begin());
        covers.prepend(TagLib::MP4::CoverArt(TagLib::MP4::CoverArt::JPEG, Bytes(jpeg)));
        tag.setItem("covr", covers);
    }
    return file.save();
}

}  // namespace

bool WriteTagsInto(TagLib::File& file, const TagChanges& changes, bool hasArtist,
                   std::span<const unsigned char> frontCoverJpeg) {
    if (auto* mpeg = dynamic_cast<TagLib::MPEG::File*>(&file))
        return WriteMpeg(*mpeg, changes, hasArtist, frontCoverJpeg);
    if (auto* flac = dynamic_cast<TagLib::FLAC::File*>(&file))
        return WriteFlac(*flac, changes, hasArtist, frontCoverJpeg);
    if (auto* vorbis = dynamic_cast<TagLib::Ogg::Vorbis::File*>(&file)) {
        return WriteOgg(*vorbis, changes, hasArtist, frontCoverJpeg);
    }
    if (auto* opus = dynamic_cast<TagLib::Ogg::Opus::File*>(&file))
        return WriteOgg(*opus, changes, hasArtist, frontCoverJpeg);
    if (auto* mp4 = dynamic_cast<TagLib::MP4::File*>(&file)) return WriteMp4(*mp4, changes, hasArtist, frontCoverJpeg);
    return false;
}

}  // namespace mivo_host
