// Pairing the audio files of one album with the album's tracks, so that the
// total cost of the pairs is least (host/tag/Assignment.h).
//
// A pair's cost is a weighted sum of three kinds of evidence, each from 0
// (agrees) to 1 (disagrees, or missing), the weights adding up to 1:
//   - the file's title tag (else the title its name suggests) against the
//     track's title: their edit distance over the longer length, case-blind,
//     blanks and punctuation left out;
//   - the file's track-number tag (else its name's leading number) against
//     the track's number;
//   - the file's place in file-name order against the track's place.
// A file pairs with a track when that is cheaper than leaving both out: a
// pair costing kLeaveOutCost or more is never made, so a file that matches
// no track (a "bonus.mp3") stays unpaired instead of taking a leftover track.
// Pure functions; safe from any thread.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/tag/FileNameTitle.h"

namespace mivo_host {

constexpr size_t kMaxPairedFiles = 500;  // the command refuses more audio files per album than this

// A pair above this cost is doubtful. A right title without a number costs
// 0.3 and a few typos add less than 0.1; without a number, a title about a
// third off is doubtful, and so, with a right number, is a title that has
// next to nothing in common with the track's.
constexpr double kDoubtfulCost = 0.5;

// A pair costing this or more is left out: neither the title nor the number
// agrees. A right number alone keeps a pair (it costs at most 0.7), and so
// does a title less than about half off.
constexpr double kLeaveOutCost = 0.75;

struct PairingFile {                   // one audio file, given in file-name order
    std::string fileName;              // base name, UTF-8, e.g. "03 - Sea of Glass.flac"
    std::optional<std::string> title;  // its title tag, if any
    std::optional<unsigned> track;     // its track-number tag, if any
};

struct PairingTrack {   // one track of the album, in album order
    unsigned number;    // from 1
    std::string title;  // UTF-8
};

struct TrackPair {
    size_t file;    // index into files
    size_t track;   // index into tracks
    double cost;    // the pair's cost, 0 = certain .. 1 = no evidence at all
    bool doubtful;  // cost above the doubt threshold: the preview says so
};

struct Pairing {
    std::vector<TrackPair> pairs;        // ordered by file index
    std::vector<size_t> unpairedFiles;   // left untouched by the command
    std::vector<size_t> unpairedTracks;  // tracks no file got
};

// Pairs files with tracks so that the total cost is least (precondition: files.size() <= kMaxPairedFiles,
// tracks.size() <= kMaxPairedFiles; checked, larger inputs pair nothing).
Pairing PairTracks(const std::vector<PairingFile>& files, const std::vector<PairingTrack>& tracks);

}  // namespace mivo_host
