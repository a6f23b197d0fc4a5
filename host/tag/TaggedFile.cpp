#include "host/tag/TaggedFile.h"

#include <algorithm>
#include <cctype>

#include <taglib/flacfile.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/opusfile.h>
#include <taglib/vorbisfile.h>

namespace mivo_host {

namespace {

std::string LowerExtension(const std::string& path) {
    size_t dot = path.rfind('.');
    size_t slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    std::string extension = path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

// A file counts as audio only when TagLib found its audio stream: an MPEG
// reader accepts any bytes but finds no frame in text.
std::unique_ptr<TagLib::File> Valid(std::unique_ptr<TagLib::File> file) {
    if (!file || !file->isValid()) return nullptr;
    const TagLib::AudioProperties* audio = file->audioProperties();
    return audio && audio->sampleRate() > 0 ? std::move(file) : nullptr;
}

}  // namespace

std::unique_ptr<TagLib::File> OpenTaggedFile(FdStream& stream, const std::string& path) {
    std::string extension = LowerExtension(path);
    if (extension == "mp3") {
        return Valid(std::make_unique<TagLib::MPEG::File>(&stream, TagLib::ID3v2::FrameFactory::instance()));
    }
    if (extension == "flac") {
        return Valid(std::make_unique<TagLib::FLAC::File>(&stream, TagLib::ID3v2::FrameFactory::instance()));
    }
    if (extension == "ogg" || extension == "oga") {
        if (auto vorbis = Valid(std::make_unique<TagLib::Ogg::Vorbis::File>(&stream))) return vorbis;
        stream.seek(0);
        return Valid(std::make_unique<TagLib::Ogg::Opus::File>(&stream));
    }
    if (extension == "opus") return Valid(std::make_unique<TagLib::Ogg::Opus::File>(&stream));
    if (extension == "m4a" || extension == "mp4" || extension == "m4b") {
        return Valid(std::make_unique<TagLib::MP4::File>(&stream));
    }
    return nullptr;
}

}  // namespace mivo_host
