// Cover pictures of the catalogue site (see CoverImage.h), encoded with
// libjpeg-turbo's TurboJPEG interface.
#include "catalogue/CoverImage.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include <turbojpeg.h>

namespace catalogue {
namespace {

constexpr int kQuality = 85;

struct Rgb {
    unsigned char r, g, b;
};

// 64-bit FNV-1a of text: a fixed spread of the slug's bits.
uint64_t Fingerprint(const std::string& text) {
    uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}

Rgb ColourFrom(uint64_t bits) {
    return {static_cast<unsigned char>(bits), static_cast<unsigned char>(bits >> 8),
            static_cast<unsigned char>(bits >> 16)};
}

// Stripes of two colours at one of four angles, with a disc of a third colour
// in the middle; every choice comes from the slug's fingerprint.
std::vector<unsigned char> Pixels(const std::string& slug) {
    const uint64_t bits = Fingerprint(slug);
    const std::array<Rgb, 3> colours = {ColourFrom(bits), ColourFrom(bits >> 24), ColourFrom(~bits >> 40)};
    const int period = 8 + static_cast<int>((bits >> 48) % 16);
    const int angle = static_cast<int>((bits >> 52) % 4);
    const int radius = kCoverSide / 8 + static_cast<int>((bits >> 56) % (kCoverSide / 4));
    const int centre = kCoverSide / 2;

    std::vector<unsigned char> pixels;
    pixels.reserve(static_cast<size_t>(kCoverSide) * kCoverSide * 3);
    for (int y = 0; y < kCoverSide; ++y) {
        for (int x = 0; x < kCoverSide; ++x) {
            const int along = angle == 0 ? x : angle == 1 ? y : angle == 2 ? x + y : x + kCoverSide - y;
            const int dx = x - centre;
            const int dy = y - centre;
            const Rgb& c = dx * dx + dy * dy < radius * radius ? colours[2] : colours[(along / period) % 2];
            pixels.insert(pixels.end(), {c.r, c.g, c.b});
        }
    }
    return pixels;
}

struct EncoderRelease {
    void operator()(void* handle) const { tjDestroy(handle); }
};
struct BufferRelease {
    void operator()(unsigned char* buffer) const { tjFree(buffer); }
};

}  // namespace

std::string RenderCoverJpeg(const std::string& slug) {
    const std::vector<unsigned char> pixels = Pixels(slug);
    std::unique_ptr<void, EncoderRelease> encoder(tjInitCompress());
    if (!encoder) return {};
    unsigned char* out = nullptr;
    unsigned long size = 0;
    const int failed = tjCompress2(encoder.get(), pixels.data(), kCoverSide, 0, kCoverSide, TJPF_RGB, &out, &size,
                                   TJSAMP_420, kQuality, 0);
    std::unique_ptr<unsigned char, BufferRelease> jpeg(out);
    if (failed != 0 || !jpeg) return {};
    return std::string(reinterpret_cast<const char*>(jpeg.get()), size);
}

}  // namespace catalogue
