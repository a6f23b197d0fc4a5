#include "tests/tag/samples/M4aSample.h"

#include <cstdint>
#include <stdexcept>

#include "tests/support/FileBytes.h"

namespace mivo_host::test {

namespace {

constexpr uint32_t kRate = 44100;
constexpr size_t kMediaSize = 200;

std::string U32(uint32_t v) {
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
}
std::string U16(uint16_t v) { return {static_cast<char>(v >> 8), static_cast<char>(v)}; }
std::string Zeros(size_t n) { return std::string(n, '\0'); }
std::string Box(const std::string& type, const std::string& payload) {
    return U32(static_cast<uint32_t>(8 + payload.size())) + type + payload;
}
// Version 0 and no flags, then payload.
std::string FullBox(const std::string& type, const std::string& payload, uint32_t flags = 0) {
    return Box(type, U32(flags) + payload);
}
std::string Matrix() {
    return U32(0x10000) + U32(0) + U32(0) + U32(0) + U32(0x10000) + U32(0) + U32(0) + U32(0) + U32(0x40000000);
}
std::string Media() {
    std::string media;
    for (size_t i = 0; i < kMediaSize; ++i) media += static_cast<char>(i * 37 + 11);
    return media;
}
std::string TextItem(const std::string& type, const std::string& text) {
    return Box(type, Box("data", U32(1) + U32(0) + text));
}

std::string Moov(uint32_t chunkOffset, const std::string& artist) {
    std::string mvhd = FullBox("mvhd", U32(0) + U32(0) + U32(kRate) + U32(kRate) + U32(0x10000) + U16(0x100) +
                                           Zeros(10) + Matrix() + Zeros(24) + U32(2));
    std::string tkhd = FullBox("tkhd",
                               U32(0) + U32(0) + U32(1) + U32(0) + U32(kRate) + Zeros(8) + U16(0) + U16(0) +
                                   U16(0x100) + U16(0) + Matrix() + U32(0) + U32(0),
                               7);
    std::string mdhd = FullBox("mdhd", U32(0) + U32(0) + U32(kRate) + U32(kRate) + U16(0x55c4) + U16(0));
    std::string hdlr = FullBox("hdlr", U32(0) + "soun" + Zeros(12) + Zeros(1));
    std::string mp4a =
        Box("mp4a", Zeros(6) + U16(1) + Zeros(8) + U16(1) + U16(16) + U16(0) + U16(0) + U32(kRate << 16));
    std::string stbl = Box("stbl", FullBox("stsd", U32(1) + mp4a) + FullBox("stts", U32(1) + U32(1) + U32(1024)) +
                                       FullBox("stsc", U32(1) + U32(1) + U32(1) + U32(1)) +
                                       FullBox("stsz", U32(0) + U32(1) + U32(kMediaSize)) +
                                       FullBox("stco", U32(1) + U32(chunkOffset)));
    std::string dinf = Box("dinf", FullBox("dref", U32(1) + FullBox("url ", "", 1)));
    std::string minf = Box("minf", FullBox("smhd", U16(0) + U16(0)) + dinf + stbl);
    std::string trak = Box("trak", tkhd + Box("mdia", mdhd + hdlr + minf));
    std::string items = TextItem("\251nam", "Old") + TextItem("\251cmt", "keep me");
    if (!artist.empty()) items += TextItem("\251ART", artist);
    std::string meta =
        FullBox("meta", FullBox("hdlr", U32(0) + "mdir" + "appl" + Zeros(8) + Zeros(1)) + Box("ilst", items));
    return Box("moov", mvhd + trak + Box("udta", meta));
}

}  // namespace

void MakeM4aFile(const std::filesystem::path& path, const std::string& artist) {
    std::string ftyp = Box("ftyp", std::string("M4A ") + U32(0) + "M4A " + "mp42" + "isom");
    // The chunk offset depends on the size of moov, which does not depend on its value.
    size_t moovSize = Moov(0, artist).size();
    uint32_t offset = static_cast<uint32_t>(ftyp.size() + moovSize + 8);
    WriteBytes(path, ftyp + Moov(offset, artist) + Box("mdat", Media()));
}

std::string M4aMediaBytes(const std::filesystem::path& path) {
    std::string bytes = ReadBytes(path);
    size_t stco = bytes.find("stco");
    if (stco == std::string::npos || stco + 16 > bytes.size()) throw std::runtime_error("no chunk offset");
    uint32_t offset = 0;
    for (size_t i = stco + 12; i < stco + 16; ++i) offset = offset << 8 | static_cast<unsigned char>(bytes[i]);
    return bytes.substr(offset, kMediaSize);
}

}  // namespace mivo_host::test
