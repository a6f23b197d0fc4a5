#include "tests/tag/samples/AudioSamples.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include "tests/support/FileBytes.h"
#include "tests/support/TempFolder.h"
#include "tests/tag/samples/M4aSample.h"

namespace mivo_host::test {

namespace fs = std::filesystem;

namespace {

// One second of 16-bit mono sine, made once per test program.
const fs::path& SineWave() {
    static const TempFolder folder;
    static const fs::path wave = [] {
        fs::path path = folder / "sine.wav";
        if (RunCommand("sox -n -r 44100 -b 16 -c 1 " + Quoted(path) + " synth 1 sine 440") != 0) {
            throw std::runtime_error("sox failed");
        }
        return path;
    }();
    return wave;
}

unsigned BigEndian(const std::string& bytes, size_t at, size_t count) {
    unsigned value = 0;
    for (size_t i = 0; i < count; ++i) value = value << 8 | static_cast<unsigned char>(bytes.at(at + i));
    return value;
}

std::string Mp3Payload(const std::string& bytes) {
    size_t begin = 0;
    if (bytes.size() >= 10 && bytes[0] == 'I' && bytes[1] == 'D' && bytes[2] == '3') {
        size_t size = 0;
        for (size_t i = 6; i < 10; ++i) size = size << 7 | (static_cast<unsigned char>(bytes[i]) & 0x7f);
        begin = 10 + size;
    }
    size_t end = bytes.size();
    if (end >= begin + 128 && bytes.compare(end - 128, 3, "TAG") == 0) end -= 128;
    // The ID3v2 padding's zeros belong to the tag, not to the audio.
    while (begin < end && bytes[begin] == 0) ++begin;
    return bytes.substr(begin, end - begin);
}

std::string FlacFrames(const std::string& bytes) {
    size_t at = 4;  // "fLaC"
    for (bool last = false; !last;) {
        last = (static_cast<unsigned char>(bytes.at(at)) & 0x80) != 0;
        at += 4 + BigEndian(bytes, at + 1, 3);
    }
    return bytes.substr(at);
}

// The packets of an Ogg stream after its headerPackets header packets, joined.
std::string OggAudioPackets(const std::string& bytes, size_t headerPackets) {
    std::string payload;
    size_t packet = 0;
    for (size_t at = 0; at + 27 <= bytes.size();) {
        if (bytes.compare(at, 4, "OggS") != 0) {
            throw std::runtime_error("broken Ogg page");
        }
        size_t segments = static_cast<unsigned char>(bytes.at(at + 26));
        size_t data = at + 27 + segments;
        for (size_t i = 0; i < segments; ++i) {
            size_t lacing = static_cast<unsigned char>(bytes.at(at + 27 + i));
            if (packet >= headerPackets) {
                payload.insert(payload.end(), bytes.begin() + static_cast<long>(data),
                               bytes.begin() + static_cast<long>(data + lacing));
            }
            data += lacing;
            if (lacing < 255) ++packet;
        }
        at = data;
    }
    return payload;
}

}  // namespace

size_t StrayCopiesIn(const fs::path& folder) {
    size_t copies = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        copies += entry.path().filename().string().find(".mivo-tmp-") != std::string::npos;
    }
    return copies;
}

int RunCommand(const std::string& command) {
    int status = std::system((command + " >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string ExtensionOf(AudioFormat format) {
    switch (format) {
        case AudioFormat::Mp3Id3v23:
        case AudioFormat::Mp3Id3v24: return ".mp3";
        case AudioFormat::Flac: return ".flac";
        case AudioFormat::Vorbis: return ".ogg";
        case AudioFormat::Opus: return ".opus";
        case AudioFormat::M4a: return ".m4a";
    }
    return {};
}

void MakeAudioFile(AudioFormat format, const fs::path& path, const std::string& artist) {
    std::string in = Quoted(SineWave());
    std::string out = Quoted(path);
    std::string command;
    switch (format) {
        case AudioFormat::Mp3Id3v23:
        case AudioFormat::Mp3Id3v24:
            command = "lame --quiet --tt Old --tc 'keep me'" + (artist.empty() ? "" : " --ta " + Quoted(artist)) + " " +
                      in + " " + out;
            break;
        case AudioFormat::Flac:
            command = "flac -s -T TITLE=Old -T COMMENT='keep me'" +
                      (artist.empty() ? "" : " -T ARTIST=" + Quoted(artist)) + " -o " + out + " " + in;
            break;
        case AudioFormat::Vorbis:
            command = "oggenc -Q -t Old -c COMMENT='keep me'" + (artist.empty() ? "" : " -a " + Quoted(artist)) +
                      " -o " + out + " " + in;
            break;
        case AudioFormat::Opus:
            command = "opusenc --quiet --title Old --comment COMMENT='keep me'" +
                      (artist.empty() ? "" : " --artist " + Quoted(artist)) + " " + in + " " + out;
            break;
        case AudioFormat::M4a: return MakeM4aFile(path, artist);
    }
    if (RunCommand(command) != 0) throw std::runtime_error("encoder failed: " + command);
    if (format == AudioFormat::Mp3Id3v24) {
        // lame writes ID3v2.3; its frames here are all shorter than 128 bytes,
        // where 2.3 and 2.4 sizes are the same bytes, so the version byte alone
        // makes the tag a 2.4 one.
        std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(3);
        file.put(4);
    }
}

std::string AudioPayload(AudioFormat format, const fs::path& path) {
    std::string bytes = ReadBytes(path);
    switch (format) {
        case AudioFormat::Mp3Id3v23:
        case AudioFormat::Mp3Id3v24: return Mp3Payload(bytes);
        case AudioFormat::Flac: return FlacFrames(bytes);
        case AudioFormat::Vorbis: return OggAudioPackets(bytes, 3);
        case AudioFormat::Opus: return OggAudioPackets(bytes, 2);
        case AudioFormat::M4a: return M4aMediaBytes(path);
    }
    return {};
}

int Id3v2Version(const fs::path& path) {
    std::string bytes = ReadBytes(path);
    if (bytes.size() < 10 || bytes.compare(0, 3, "ID3") != 0) return 0;
    return bytes[3];
}

}  // namespace mivo_host::test
