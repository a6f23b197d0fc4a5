// The picture the catalogue serves at an album's cover address: a small
// JPEG whose colours and stripes follow from the album's slug, so that each
// album's cover differs from the others' and stays the same from run to run.
#pragma once

#include <string>

namespace catalogue {

// Width and height of every cover picture, in pixels.
constexpr int kCoverSide = 128;

// The JPEG bytes of the cover of the album with this slug; empty when the
// encoder fails.
std::string RenderCoverJpeg(const std::string& slug);

}  // namespace catalogue
