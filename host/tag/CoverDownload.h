// The album's cover picture for `mivo tag`: downloaded with the host's own
// HTTP client (the plug-in's is not the host's to use) and, for a cover kept
// beside the audio files, saved as cover.jpg.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

namespace mivo_host {

// The largest cover accepted; a longer body ends the download.
constexpr size_t kMaxCoverBytes = 16 * 1024 * 1024;

struct CoverImage {
    std::vector<unsigned char> jpeg;  // the image's bytes, a JPEG (starts FF D8 FF)
    std::string error;                // empty on success; else a line for the user naming the reason
    bool Ok() const { return error.empty(); }
};

// The longest a cover download may take in all, in seconds: a server that
// trickles its bytes just fast enough for the low-speed check still ends.
constexpr long kCoverSeconds = 120;

// Downloads the cover image at url (http:// only, or https://) through proxy ("HOST:PORT", empty = direct),
// at most kMaxCoverBytes (16 MiB), with connect/low-speed timeouts and at most wholeSeconds in all;
// stopRequested() true ends it early. Only a 200 answer whose body is a JPEG is a success.
CoverImage DownloadCover(const std::string& url, const std::string& proxy, bool (*stopRequested)(),
                         long wholeSeconds = kCoverSeconds);

// Saves jpeg as "cover.jpg" in folder: a temporary file beside it, written, synced, renamed over any old
// cover.jpg (a link named cover.jpg is replaced, never followed). Returns "" or the reason it failed
// (a whole line for the user, as DownloadCover's errors are).
std::string SaveCoverFile(const std::string& folder, std::span<const unsigned char> jpeg);

}  // namespace mivo_host
