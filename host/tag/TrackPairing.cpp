// The cost of each (file, track) pair, and the least-cost pairing of them.
#include "host/tag/TrackPairing.h"

#include <algorithm>

#include "host/TitleMatch.h"
#include "host/tag/Assignment.h"
#include "platform/Unicode.h"
#include "platform/Utf8.h"

namespace mivo_host {

namespace {

// The title decides most: tag titles and catalogue titles are typed by
// different hands but agree in their letters far more often than not.
constexpr double kTitleWeight = 0.6;
// The number comes next: usually right, but files get renumbered, and a
// number alone cannot tell a shuffled folder from a right one.
constexpr double kNumberWeight = 0.3;
// The place in name order only breaks ties: two tracks of one title, or
// files whose titles are equally near. It never pairs a file alone: a file
// whose number disagrees and whose title is far off costs kLeaveOutCost or
// more and is left out.
constexpr double kPositionWeight = 0.1;
// They add up to 1: a pair with no evidence at all costs 1.
static_assert(kTitleWeight + kNumberWeight + kPositionWeight > 1 - 1e-9 &&
              kTitleWeight + kNumberWeight + kPositionWeight < 1 + 1e-9);

// Characters of a title that are compared: the distance takes time in the
// product of the lengths, and a tag or a page may hold a title of any length.
constexpr size_t kComparedCharacters = 200;
// No character takes more bytes than this in UTF-8.
constexpr size_t kLongestUtf8Character = 4;

// True for what a title may hold or lack without being another title:
// blanks, ASCII punctuation and symbols, typographic quotes, dashes, ellipsis
// and the Spanish opening marks.
bool IsNoise(wchar_t ch) {
    if (platform::IsSpace(ch)) return true;
    if (ch < 0x80) {
        const bool letterOrDigit =
            (ch >= L'0' && ch <= L'9') || (ch >= L'a' && ch <= L'z') || (ch >= L'A' && ch <= L'Z');
        return !letterOrDigit;
    }
    switch (ch) {
        case 0x00A1:
        case 0x00AB:
        case 0x00B7:
        case 0x00BB:
        case 0x00BF:
        case 0x2013:
        case 0x2014:
        case 0x2018:
        case 0x2019:
        case 0x201C:
        case 0x201D:
        case 0x2026: return true;
        default: return false;
    }
}

// A title as it is compared: its words, and the same without the noise
// between them. A title made of noise only ("...") is compared whole.
struct ComparedTitle {
    std::wstring whole;    // without blanks at either end
    std::wstring letters;  // whole without noise characters
};

ComparedTitle CompareForm(std::string_view utf8) {
    ComparedTitle title;
    title.whole = platform::FromUtf8(utf8.substr(0, kComparedCharacters * kLongestUtf8Character));
    if (title.whole.size() > kComparedCharacters) title.whole.resize(kComparedCharacters);
    const auto first = std::find_if_not(title.whole.begin(), title.whole.end(), platform::IsSpace);
    title.whole.erase(title.whole.begin(), first);
    while (!title.whole.empty() && platform::IsSpace(title.whole.back())) title.whole.pop_back();
    std::copy_if(title.whole.begin(), title.whole.end(), std::back_inserter(title.letters),
                 [](wchar_t ch) { return !IsNoise(ch); });
    return title;
}

// What one file or track says about which is which.
struct Evidence {
    ComparedTitle title;
    std::optional<unsigned> number;
};

Evidence FileEvidence(const PairingFile& file) {
    const FileNameParts name = SplitFileName(file.fileName);
    Evidence evidence{file.title ? CompareForm(*file.title) : ComparedTitle{}, file.track ? file.track : name.track};
    // A title tag that is empty or blank says nothing: the name's title stands in.
    if (evidence.title.whole.empty()) evidence.title = CompareForm(name.title);
    return evidence;
}

Evidence TrackEvidence(const PairingTrack& track) { return {CompareForm(track.title), track.number}; }

// 0 for titles equal but for case and noise .. 1 for nothing in common or a
// title missing.
double TitleDifference(const ComparedTitle& a, const ComparedTitle& b) {
    const bool byLetters = !a.letters.empty() && !b.letters.empty();
    const std::wstring& x = byLetters ? a.letters : a.whole;
    const std::wstring& y = byLetters ? b.letters : b.whole;
    if (x.empty() || y.empty()) return 1.0;
    return static_cast<double>(TitleDistance(x, y)) / static_cast<double>(std::max(x.size(), y.size()));
}

double PairCost(const Evidence& file, size_t filePlace, const Evidence& track, size_t trackPlace, size_t places) {
    const double title = TitleDifference(file.title, track.title);
    const double number = file.number && file.number == track.number ? 0.0 : 1.0;
    const double apart = filePlace > trackPlace ? filePlace - trackPlace : trackPlace - filePlace;
    const double position = apart / static_cast<double>(places);
    return kTitleWeight * title + kNumberWeight * number + kPositionWeight * position;
}

}  // namespace

Pairing PairTracks(const std::vector<PairingFile>& files, const std::vector<PairingTrack>& tracks) {
    Pairing pairing;
    const size_t n = files.size();
    const size_t m = tracks.size();
    std::vector<char> trackPaired(m, 0);
    if (n <= kMaxPairedFiles && m <= kMaxPairedFiles && n > 0 && m > 0) {
        std::vector<Evidence> trackEvidence;
        trackEvidence.reserve(m);
        for (const PairingTrack& track : tracks) trackEvidence.push_back(TrackEvidence(track));
        // The solver sees every cost at kLeaveOutCost or more as kLeaveOutCost:
        // the same as giving each file and each track a stand-in partner at half
        // that cost, and leaving out what ends with its stand-in.
        std::vector<double> costs(n * m), capped(n * m);
        for (size_t i = 0; i < n; ++i) {
            const Evidence file = FileEvidence(files[i]);
            for (size_t j = 0; j < m; ++j) {
                costs[i * m + j] = PairCost(file, i, trackEvidence[j], j, std::max(n, m));
                capped[i * m + j] = std::min(costs[i * m + j], kLeaveOutCost);
            }
        }
        const std::vector<long> trackOfFile = SolveAssignment(capped, n, m);
        for (size_t i = 0; i < n; ++i) {
            if (trackOfFile[i] == kUnassigned) continue;
            const auto j = static_cast<size_t>(trackOfFile[i]);
            const double cost = costs[i * m + j];
            if (cost >= kLeaveOutCost) continue;
            pairing.pairs.push_back({i, j, cost, cost > kDoubtfulCost});
            trackPaired[j] = 1;
        }
    }
    for (size_t i = 0, p = 0; i < n; ++i) {
        if (p < pairing.pairs.size() && pairing.pairs[p].file == i) ++p;
        else pairing.unpairedFiles.push_back(i);
    }
    for (size_t j = 0; j < m; ++j)
        if (!trackPaired[j]) pairing.unpairedTracks.push_back(j);
    return pairing;
}

}  // namespace mivo_host
