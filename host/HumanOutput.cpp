// Readable tables and lists for the terminal.
#include "host/HumanOutput.h"

#include <algorithm>
#include <array>
#include <vector>

#include "host/WideText.h"

namespace mivo_host {

namespace {

std::wstring Field(const std::wstring& text) { return text.empty() ? L"-" : Printable(text); }

std::wstring Number(int value) { return value > 0 ? std::to_wstring(value) : L"-"; }

// "Label    value" lines, the labels padded to one width.
std::wstring LabelledLines(const std::vector<std::pair<std::wstring, std::wstring>>& lines) {
    int width = 0;
    for (const auto& line : lines) width = std::max(width, DisplayWidth(line.first));
    std::wstring out;
    for (const auto& [label, value] : lines) out += PadRight(label, width + 2) + value + L"\n";
    return out;
}

std::wstring AlbumTable(const AlbumInfoList& albums) {
    constexpr size_t kColumns = 6;
    using Row = std::array<std::wstring, kColumns>;
    std::vector<Row> rows;
    rows.push_back({L"#", L"Title", L"Year", L"Genre", L"Tracks", L"Address"});
    int index = 0;
    for (const AlbumInfo& album : albums)
        rows.push_back({std::to_wstring(++index), Field(album.title), Number(album.year), Field(album.genre),
                        Number(album.trackCount), Field(album.url)});
    std::array<int, kColumns> widths{};
    for (const Row& row : rows)
        for (size_t c = 0; c < kColumns; ++c) widths[c] = std::max(widths[c], DisplayWidth(row[c]));
    std::wstring out;
    for (const Row& row : rows) {
        std::wstring line = L"  " + PadLeft(row[0], widths[0]);
        for (size_t c = 1; c < kColumns; ++c) {
            line += L"  ";
            const bool numeric = c == 2 || c == 4;
            line += c + 1 == kColumns ? row[c] : numeric ? PadLeft(row[c], widths[c]) : PadRight(row[c], widths[c]);
        }
        out += line + L"\n";
    }
    return out;
}

std::wstring AlbumDetails(const AlbumResult& result, bool showTitle) {
    std::vector<std::pair<std::wstring, std::wstring>> lines;
    if (showTitle) lines.emplace_back(L"Title", Field(result.album.title));
    lines.emplace_back(L"Album", Field(result.album.url));
    lines.emplace_back(L"Year", Number(result.album.year));
    lines.emplace_back(L"Genre", Field(result.album.genre));
    lines.emplace_back(L"Cover", Field(result.cover));
    lines.emplace_back(L"Tracks", std::to_wstring(result.tracks.size()));
    std::wstring out = LabelledLines(lines);
    const int width = static_cast<int>(std::to_wstring(result.tracks.size()).size());
    for (const TrackInfo& track : result.tracks)
        out += L"  " + PadLeft(std::to_wstring(track.number), width) + L"  " + Printable(track.title) + L"\n";
    return out;
}

std::wstring Info(const CommandResult& result) {
    std::vector<std::pair<std::wstring, std::wstring>> lines;
    for (const char* key : {"Name", "Type", "Version", "VersionInt", "Author", "Desc", "InfoUrl"}) {
        const auto it = result.facts.marker.find(key);
        if (it != result.facts.marker.end()) lines.emplace_back(FromUtf8(key), Field(FromUtf8(it->second)));
    }
    lines.emplace_back(L"Source name", Field(result.facts.sourceName));
    lines.emplace_back(L"Source id", Field(result.facts.sourceId));
    return LabelledLines(lines);
}

}  // namespace

std::wstring StatisticsLine(const Statistics& statistics) {
    return L"Statistics: " + std::to_wstring(statistics.downloads) + L" downloads, " +
           std::to_wstring(statistics.successful) + L" successful, " + std::to_wstring(statistics.totalTimeMs) +
           L" ms downloading\n";
}

std::string FormatHuman(const CommandResult& result, bool withStatistics) {
    std::wstring out;
    switch (result.command) {
        case Command::Artist:
            out = LabelledLines({{L"Artist", Printable(result.artist)}, {L"Address", Field(result.artistUrl)}});
            break;
        case Command::Albums:
        case Command::Lookup:
            out = L"Albums of " + Printable(result.artist) + L": " + std::to_wstring(result.albums.size()) + L"\n";
            if (!result.albums.empty()) out += L"\n" + AlbumTable(result.albums);
            if (result.album) out += L"\n" + AlbumDetails(*result.album, true);
            break;
        case Command::Album:
            if (result.album) out = AlbumDetails(*result.album, false);
            break;
        case Command::Info:
            out = Info(result);
            withStatistics = true;
            break;
        case Command::Tag:
        case Command::None: break;
    }
    if (withStatistics) out += (out.empty() ? L"" : L"\n") + StatisticsLine(result.statistics);
    return ToUtf8(out);
}

}  // namespace mivo_host
