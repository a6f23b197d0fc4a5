#include "host/tagcommand/SearchTerms.h"

#include <algorithm>
#include <filesystem>
#include <utility>

#include "host/WideText.h"
#include "platform/Unicode.h"

namespace mivo_host {

namespace {

std::wstring Trimmed(std::wstring text) {
    while (!text.empty() && platform::IsSpace(text.back())) text.pop_back();
    size_t start = 0;
    while (start < text.size() && platform::IsSpace(text[start])) ++start;
    return text.substr(start);
}

// The value most entries hold (blank ones left out); on a tie the one seen first.
std::wstring MostCommon(const std::vector<std::string>& values) {
    std::vector<std::pair<std::wstring, size_t>> counts;  // in order of first appearance
    for (const std::string& value : values) {
        std::wstring text = Trimmed(FromUtf8(value));
        if (text.empty()) continue;
        auto it = std::find_if(counts.begin(), counts.end(), [&](const auto& c) { return c.first == text; });
        if (it == counts.end()) counts.emplace_back(std::move(text), 1);
        else ++it->second;
    }
    std::wstring best;
    size_t most = 0;
    for (const auto& [text, count] : counts)
        if (count > most) {
            most = count;
            best = text;
        }
    return best;
}

struct FolderTerms {
    std::wstring artist;
    std::wstring album;
};

FolderTerms FromFolderNames(const std::string& folder) {
    const std::filesystem::path path(folder);
    const std::wstring name = Trimmed(FromUtf8(path.filename().string()));
    const size_t dash = name.find(L" - ");
    if (dash != std::wstring::npos) {
        FolderTerms terms{Trimmed(name.substr(0, dash)), Trimmed(name.substr(dash + 3))};
        if (!terms.artist.empty() && !terms.album.empty()) return terms;
    }
    const std::filesystem::path parent = path.parent_path();
    return {parent == path.root_path() ? std::wstring() : Trimmed(FromUtf8(parent.filename().string())), name};
}

}  // namespace

SearchTerms ChooseSearchTerms(const std::optional<std::wstring>& artist, const std::optional<std::wstring>& album,
                              const std::vector<AudioTags>& tags, const std::string& folder) {
    std::vector<std::string> artists;
    std::vector<std::string> albums;
    for (const AudioTags& file : tags) {
        if (file.albumArtist && !Trimmed(FromUtf8(*file.albumArtist)).empty()) artists.push_back(*file.albumArtist);
        else if (file.artist) artists.push_back(*file.artist);
        if (file.album) albums.push_back(*file.album);
    }
    SearchTerms terms;
    terms.artist = artist ? Trimmed(*artist) : MostCommon(artists);
    terms.album = album ? Trimmed(*album) : MostCommon(albums);
    if (terms.artist.empty() || terms.album.empty()) {
        const FolderTerms named = FromFolderNames(folder);
        if (terms.artist.empty()) terms.artist = named.artist;
        if (terms.album.empty()) terms.album = named.album;
    }
    if (terms.artist.empty() || terms.album.empty())
        terms.error = "nothing to search for in " + folder + ": no " + (terms.artist.empty() ? "artist" : "album") +
                      " in --" + (terms.artist.empty() ? "artist" : "album") +
                      ", in the files' tags or in the folder names (ARTIST/ALBUM or \"ARTIST - ALBUM\")";
    return terms;
}

}  // namespace mivo_host
