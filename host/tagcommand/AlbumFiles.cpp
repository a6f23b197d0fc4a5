#include "host/tagcommand/AlbumFiles.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace mivo_host {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kAudioExtensions[] = {".mp3", ".flac", ".ogg", ".oga", ".opus", ".m4a", ".mp4"};

std::string BaseName(const std::string& path) { return fs::path(path).filename().string(); }

void SortByName(std::vector<std::string>& files) {
    std::stable_sort(files.begin(), files.end(),
                     [](const std::string& a, const std::string& b) { return BaseName(a) < BaseName(b); });
}

std::string Absolute(const fs::path& path) {
    std::error_code error;
    fs::path absolute = fs::absolute(path, error).lexically_normal();
    if (error) absolute = path;
    std::string text = absolute.string();
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    return text;
}

// The audio files directly in folder; stops listing past maxFiles.
AlbumFiles FolderAlbum(const std::string& path, size_t maxFiles) {
    AlbumFiles album;
    album.path = path;
    album.folder = Absolute(path);
    std::error_code error;
    fs::directory_iterator entries(path, error);
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
        const fs::directory_entry& entry = *entries;
        const std::string name = entry.path().filename().string();
        if (name.empty() || name[0] == '.' || !IsAudioFileName(name)) continue;
        std::error_code statusError;
        // symlink_status: a link is never taken for the file it points at.
        if (!fs::is_regular_file(entry.symlink_status(statusError)) || statusError) continue;
        if (album.files.size() == maxFiles) {
            album.error = path + " holds more than " + std::to_string(maxFiles) +
                          " audio files; tag takes at most that many per album";
            album.files.clear();
            return album;
        }
        album.files.push_back(entry.path().string());
    }
    if (error) {
        album.error = "cannot list the folder " + path + ": " + error.message();
        album.files.clear();
        return album;
    }
    if (album.files.empty()) album.error = "no audio files (.mp3 .flac .ogg .oga .opus .m4a .mp4) in " + path;
    SortByName(album.files);
    return album;
}

}  // namespace

bool IsAudioFileName(std::string_view name) {
    for (std::string_view extension : kAudioExtensions) {
        if (name.size() <= extension.size()) continue;
        const std::string_view end = name.substr(name.size() - extension.size());
        if (std::equal(end.begin(), end.end(), extension.begin(),
                       [](char a, char b) { return (a >= 'A' && a <= 'Z' ? a - 'A' + 'a' : a) == b; }))
            return true;
    }
    return false;
}

std::vector<AlbumFiles> CollectAlbums(const std::vector<std::string>& paths, size_t maxFiles) {
    std::vector<AlbumFiles> albums;
    AlbumFiles given;  // the files given as PATHs
    std::vector<std::string> notes;
    for (const std::string& path : paths) {
        std::error_code error;
        const fs::file_status status = fs::symlink_status(path, error);
        if (error || !fs::exists(status)) {
            notes.push_back(path + ": no such file or folder");
        } else if (fs::is_symlink(status)) {
            notes.push_back(path + ": a link; tag does not follow links");
        } else if (fs::is_directory(status)) {
            albums.push_back(FolderAlbum(path, maxFiles));
        } else if (!fs::is_regular_file(status)) {
            notes.push_back(path + ": not a regular file");
        } else if (!IsAudioFileName(BaseName(path))) {
            notes.push_back(path + ": not an audio file name (.mp3 .flac .ogg .oga .opus .m4a .mp4)");
        } else if (std::find(given.files.begin(), given.files.end(), path) == given.files.end()) {
            given.files.push_back(path);
        }
    }
    if (!given.files.empty()) {
        given.path = fs::path(given.files.front()).parent_path().string();
        if (given.path.empty()) given.path = ".";
        given.folder = Absolute(given.path);
        SortByName(given.files);
        if (given.files.size() > maxFiles) {
            given.error = std::to_string(given.files.size()) + " audio files given; tag takes at most " +
                          std::to_string(maxFiles) + " per album";
            given.files.clear();
        }
        albums.push_back(std::move(given));
    }
    // The PATHs left out are told with the first album, or as an album of their own when none is left.
    if (albums.empty() && !notes.empty()) {
        AlbumFiles nothing;
        nothing.path = paths.empty() ? std::string() : paths.front();
        nothing.error = "nothing to tag";
        albums.push_back(std::move(nothing));
    }
    if (!albums.empty()) albums.front().notes = std::move(notes);
    return albums;
}

}  // namespace mivo_host
