// Picking the album whose title is nearest the one asked for.
#include "host/TitleMatch.h"

#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

#include "platform/Unicode.h"

namespace mivo_host {

namespace {

std::wstring Folded(std::wstring_view text) {
    while (!text.empty() && platform::IsSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && platform::IsSpace(text.back())) text.remove_suffix(1);
    std::wstring out(text);
    for (wchar_t& ch : out) ch = platform::ToLower(ch);
    return out;
}

}  // namespace

size_t TitleDistance(std::wstring_view a, std::wstring_view b) {
    const std::wstring x = Folded(a);
    const std::wstring y = Folded(b);
    std::vector<size_t> row(y.size() + 1);
    std::iota(row.begin(), row.end(), size_t{0});
    for (size_t i = 1; i <= x.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= y.size(); ++j) {
            const size_t above = row[j];
            row[j] = std::min({above + 1, row[j - 1] + 1, diagonal + (x[i - 1] == y[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[y.size()];
}

AlbumInfoList::iterator NearestTitle(AlbumInfoList& albums, std::wstring_view title) {
    auto best = albums.end();
    size_t bestDistance = 0;
    for (auto it = albums.begin(); it != albums.end(); ++it) {
        const size_t distance = TitleDistance(it->title, title);
        if (best == albums.end() || distance < bestDistance) {
            best = it;
            bestDistance = distance;
        }
        if (distance == 0) break;
    }
    return best;
}

}  // namespace mivo_host
