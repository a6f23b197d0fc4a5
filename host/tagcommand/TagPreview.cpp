#include "host/tagcommand/TagPreview.h"

#include "host/WideText.h"

namespace mivo_host {

namespace {

std::string Safe(const std::string& utf8) { return ToUtf8(Printable(FromUtf8(utf8))); }

std::string Safe(const std::wstring& text) { return ToUtf8(Printable(text)); }

std::string TrackText(const TrackInfo& track) { return std::to_string(track.number) + " " + Safe(track.title); }

std::string FileRow(const FilePlan& file, const AlbumPlan& plan, bool withCover) {
    std::string row = "  " + Safe(file.name);
    if (!file.before) return row + ": skipped: " + Safe(file.skipped) + "\n";
    if (!file.track) return row + ": no track fits; left untouched\n";
    row += " → " + TrackText(plan.tracks[*file.track]);
    if (file.doubtful) row += "  (doubtful pair: check it)";
    if (!file.skipped.empty()) row += ": skipped: " + Safe(file.skipped);
    row += "\n";
    const std::vector<FieldChange> changes = ChangedFields(*file.before, file.after);
    for (const FieldChange& change : changes)
        row += std::string("      ") + change.field + ": " + Safe(change.before) + " → " + Safe(change.after) + "\n";
    if (withCover && file.skipped.empty()) row += "      cover: the album's cover image, as the front cover\n";
    else if (changes.empty()) row += "      no change\n";
    return row;
}

}  // namespace

std::string FormatPreview(const std::string& path, const AlbumResult& album, const std::wstring& artist,
                          const AlbumPlan& plan, bool withCover) {
    std::string out = "Folder  " + Safe(path) + "\n";
    out += "Album   " + Safe(album.album.title) + "\n";
    out += "Artist  " + Safe(artist) + "\n";
    out += "Year    " + (album.album.year > 0 ? std::to_string(album.album.year) : std::string("-")) + "\n";
    out += "Genre   " + (album.album.genre.empty() ? std::string("-") : Safe(album.album.genre)) + "\n";
    out += "Tracks  " + std::to_string(plan.tracks.size()) + ", files " + std::to_string(plan.files.size()) + "\n\n";
    for (const FilePlan& file : plan.files) out += FileRow(file, plan, withCover);
    if (!plan.unpairedTracks.empty()) {
        out += "Tracks no file got:\n";
        for (size_t index : plan.unpairedTracks) out += "  " + TrackText(plan.tracks[index]) + "\n";
    }
    return out;
}

std::string FormatWriteSummary(const AlbumPlan& plan) {
    size_t written = 0;
    size_t failed = 0;
    for (const FilePlan& file : plan.files) {
        written += file.written ? 1 : 0;
        failed += file.error.empty() ? 0 : 1;
    }
    std::string out = "Written: " + std::to_string(written) + (written == 1 ? " file" : " files");
    if (failed > 0) out += ", " + std::to_string(failed) + " failed";
    return out + "\n";
}

}  // namespace mivo_host
