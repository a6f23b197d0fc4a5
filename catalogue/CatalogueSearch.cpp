// Site search over the catalogue (see CatalogueSearch.h).
#include "catalogue/CatalogueSearch.h"

#include <algorithm>

#include "platform/CodePage.h"
#include "platform/Unicode.h"

namespace catalogue {
namespace {

// Lower case, white space runs collapsed to one blank, no blanks at the ends.
std::wstring Fold(const std::string& utf8) {
    std::wstring out;
    bool pendingBlank = false;
    for (wchar_t ch : platform::FromUtf8(utf8)) {
        if (platform::IsSpace(ch)) {
            pendingBlank = !out.empty();
            continue;
        }
        if (pendingBlank) out += L' ';
        pendingBlank = false;
        out += platform::ToLower(ch);
    }
    return out;
}

std::vector<std::wstring> Words(const std::wstring& folded) {
    std::vector<std::wstring> words;
    size_t start = 0;
    while (start < folded.size()) {
        size_t end = folded.find(L' ', start);
        if (end == std::wstring::npos) end = folded.size();
        if (end > start) words.push_back(folded.substr(start, end - start));
        start = end + 1;
    }
    return words;
}

bool HasAllWords(const std::wstring& foldedName, const std::vector<std::wstring>& words) {
    for (const auto& w : words)
        if (foldedName.find(w) == std::wstring::npos) return false;
    return true;
}

}  // namespace

std::vector<const Artist*> SearchArtists(const Catalogue& data, const std::string& query) {
    std::wstring q = Fold(query);
    std::vector<std::wstring> words = Words(q);
    std::vector<std::pair<int, const Artist*>> hits;
    if (words.empty()) return {};
    for (const Artist& artist : data.artists()) {
        std::wstring name = Fold(artist.name);
        if (!HasAllWords(name, words)) continue;
        int rank = name == q ? 0 : (name.compare(0, q.size(), q) == 0 ? 1 : 2);
        hits.emplace_back(rank, &artist);
    }
    std::stable_sort(hits.begin(), hits.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<const Artist*> result;
    for (const auto& hit : hits) result.push_back(hit.second);
    return result;
}

std::vector<const Album*> SearchAlbums(const Catalogue& data, const std::string& query, size_t limit) {
    std::vector<std::wstring> words = Words(Fold(query));
    std::vector<const Album*> result;
    if (words.empty()) return result;
    for (const Album& album : data.albums()) {
        if (result.size() >= limit) break;
        if (HasAllWords(Fold(album.title), words)) result.push_back(&album);
    }
    return result;
}

}  // namespace catalogue
