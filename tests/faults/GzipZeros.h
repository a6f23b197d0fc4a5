// gzip streams of zero bytes for responses that inflate far beyond their size
// on the wire: one mebibyte of zeros packs into about a kilobyte.
//
// Each mebibyte is compressed with a full flush, which leaves the compressor
// as it was before, so every block after the first comes out byte for byte
// the same. A server can therefore send the opening block and then the same
// block again and again, for as long as a reader takes them, without
// compressing anything more.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <stdexcept>
#include <string>

namespace faults {

struct GzipZeros {
    std::string opening;  // the gzip header and the first mebibyte
    std::string block;    // every further mebibyte
    std::string last;     // the empty last deflate block, before the gzip trailer
};

// Builds the pieces of a stream of zero mebibytes: opening, then blocks.
// Repeated without end, the blocks make a stream that is never complete.
inline GzipZeros MakeGzipZeros() {
    z_stream z{};
    if (deflateInit2(&z, 9, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2");
    const std::string zeros(1 << 20, '\0');
    auto pack = [&](const std::string& input, int flush) {
        std::string out;
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
        z.avail_in = static_cast<uInt>(input.size());
        char buffer[16384];
        do {
            z.next_out = reinterpret_cast<Bytef*>(buffer);
            z.avail_out = sizeof buffer;
            deflate(&z, flush);
            out.append(buffer, sizeof buffer - z.avail_out);
        } while (z.avail_out == 0 || z.avail_in != 0);
        return out;
    };
    GzipZeros stream;
    stream.opening = pack(zeros, Z_FULL_FLUSH);
    stream.block = pack(zeros, Z_FULL_FLUSH);
    const std::string closing = pack(std::string(), Z_FINISH);
    stream.last = closing.substr(0, closing.size() - 8);
    deflateEnd(&z);
    return stream;
}

// The whole gzip file of `mebibytes` (at least 1) mebibytes of zeros.
inline std::string GzipOfZeros(unsigned mebibytes) {
    const GzipZeros stream = MakeGzipZeros();
    std::string file = stream.opening;
    for (unsigned i = 1; i < mebibytes; ++i) file += stream.block;
    file += stream.last;
    const std::string zeros(1 << 20, '\0');
    uLong crc = crc32(0L, Z_NULL, 0);
    for (unsigned i = 0; i < mebibytes; ++i)
        crc = crc32(crc, reinterpret_cast<const Bytef*>(zeros.data()), static_cast<uInt>(zeros.size()));
    const uint64_t size = uint64_t{mebibytes} << 20;
    for (int shift = 0; shift < 32; shift += 8) file += static_cast<char>((crc >> shift) & 0xFF);
    for (int shift = 0; shift < 32; shift += 8) file += static_cast<char>((size >> shift) & 0xFF);
    return file;
}

}  // namespace faults
