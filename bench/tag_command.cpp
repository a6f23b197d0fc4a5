// mivo tag on 40 albums of 12 files each (480 files) against the local
// catalogue with --delay 0, in one run of the real program.
//
// The catalogue is a bench data file of its own (four artists with ten
// albums of twelve tracks each), served by mivo-catalogue as the proxy. The
// files are one-second tones in MP3, FLAC, Ogg Vorbis and Opus, named
// "NN Title.ext" and without tags, in "ARTIST - ALBUM" folders; they are
// copied back untagged before every run (outside the timing), and every run
// starts with an empty artist cache. mivo's --timings line gives the time in
// the search and in TagLib (reading and writing). Counters:
//   ms_per_file          the whole run over the files;
//   beyond_search_ms     the run without the search, per file (target: 20 ms);
//   search_pct, taglib_pct  the shares of the run spent searching and in TagLib.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tests/e2e/HostProcess.h"
#include "tests/support/CatalogueProcess.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

constexpr int kArtists = 4;
constexpr int kAlbumsPerArtist = 10;
constexpr int kTracksPerAlbum = 12;
constexpr int kFiles = kArtists * kAlbumsPerArtist * kTracksPerAlbum;

const char* const kArtistNames[kArtists] = {"Aldor Quent", "Brisa Mallow", "Corvin Dale", "Delia Frost"};
const char* const kFirstWords[] = {"Amber",  "Broken", "Crystal", "Distant", "Electric", "Fading",
                                   "Golden", "Hollow", "Iron",    "Jade",    "Kindred",  "Lunar"};
const char* const kSecondWords[] = {"Rivers",   "Engines",    "Lanterns", "Gardens", "Mirrors", "Stations",
                                    "Harbours", "Satellites", "Avenues",  "Shadows", "Letters", "Weather"};
const char* const kExtensions[] = {".mp3", ".flac", ".ogg", ".opus"};

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string Slug(std::string text, int number) {
    for (char& c : text) c = c == ' ' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text + "-b" + std::to_string(number);
}

std::string AlbumTitle(int artist, int album) {
    return std::string(kFirstWords[(album + artist) % 12]) + " " + kSecondWords[(album * 5 + artist) % 12];
}

// Distinct within an album: the words walk in steps that do not repeat before twelve.
std::string TrackTitle(int album, int track) {
    return std::string(kSecondWords[(track * 7 + album) % 12]) + " of " + kFirstWords[(track * 5 + album) % 12];
}

class Workload {
public:
    Workload() {
        WriteCatalogue();
        MakeSamples();
        catalogue = std::make_unique<testsupport::CatalogueProcess>(
            MIVO_CATALOGUE_PATH, std::vector<std::string>{"--data", (temp.path() / "bench-catalogue.json").string()});
        for (int artist = 0; artist < kArtists; ++artist)
            for (int album = 0; album < kAlbumsPerArtist; ++album) {
                const fs::path folder =
                    temp.path() / "music" / (std::string(kArtistNames[artist]) + " - " + AlbumTitle(artist, album));
                fs::create_directories(folder);
                folders.push_back(folder.string());
                for (int track = 0; track < kTracksPerAlbum; ++track) {
                    const char* extension = kExtensions[track % 4];
                    char number[8];
                    std::snprintf(number, sizeof number, "%02d ", track + 1);
                    files.emplace_back(temp.path() / (std::string("tone") + extension),
                                       folder / (number + TrackTitle(album, track) + extension));
                }
            }
    }

    bool Ready() const { return catalogue && catalogue->Started(); }

    // The files as they were before any run, and an empty cache.
    void Reset() const {
        for (const auto& [sample, file] : files) fs::copy_file(sample, file, fs::copy_options::overwrite_existing);
        fs::remove_all(temp.path() / "cache");
    }

    host_e2e::ProcessResult Tag() const {
        std::vector<std::string> args{"--proxy",
                                      catalogue->Address(),
                                      "--delay",
                                      "0",
                                      "--quiet",
                                      "--cache",
                                      (temp.path() / "cache").string(),
                                      "tag",
                                      "--yes",
                                      "--timings"};
        args.insert(args.end(), folders.begin(), folders.end());
        return host_e2e::Run(MIVO_HOST_PATH, args, temp.path());
    }

private:
    void WriteCatalogue() const {
        nlohmann::json artists = nlohmann::json::array();
        for (int artist = 0; artist < kArtists; ++artist) {
            nlohmann::json albums = nlohmann::json::array();
            for (int album = 0; album < kAlbumsPerArtist; ++album) {
                nlohmann::json tracks = nlohmann::json::array();
                for (int track = 0; track < kTracksPerAlbum; ++track) tracks.push_back(TrackTitle(album, track));
                const std::string title = AlbumTitle(artist, album);
                albums.push_back({{"slug", Slug(title, artist * 100 + album)},
                                  {"title", title},
                                  {"released", std::to_string(1990 + album)},
                                  {"genre", "Rock"},
                                  {"tracks", tracks}});
            }
            artists.push_back({{"name", kArtistNames[artist]},
                               {"slug", Slug(kArtistNames[artist], artist)},
                               {"attribution", "Rock"},
                               {"albums", albums}});
        }
        std::ofstream(temp.path() / "bench-catalogue.json")
            << nlohmann::json{{"site", "www.catalogue.example"}, {"artists", artists}}.dump(1);
    }

    void MakeSamples() const {
        const std::string wav = Quoted((temp.path() / "tone.wav").string());
        const std::string base = Quoted((temp.path() / "tone").string());
        const std::string commands[] = {
            "sox -n -r 44100 -b 16 -c 2 " + wav + " synth 1 sine 440",
            "lame --quiet " + wav + " " + base + ".mp3",
            "flac -s -o " + base + ".flac " + wav,
            "oggenc -Q -o " + base + ".ogg " + wav,
            "opusenc --quiet " + wav + " " + base + ".opus",
        };
        for (const std::string& command : commands)
            if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
    }

public:
    TempFolder temp;
    std::unique_ptr<testsupport::CatalogueProcess> catalogue;
    std::vector<std::string> folders;
    std::vector<std::pair<fs::path, fs::path>> files;  // (sample, file)
};

void BM_Tag480Files(benchmark::State& state) {
    static Workload workload;
    if (!workload.Ready()) {
        state.SkipWithError("mivo-catalogue did not start");
        return;
    }
    double wallMs = 0;
    double searchMs = 0;
    double tagLibMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        workload.Reset();
        state.ResumeTiming();
        const auto started = std::chrono::steady_clock::now();
        const host_e2e::ProcessResult run = workload.Tag();
        wallMs += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
        size_t files = 0;
        double search = 0, read = 0, write = 0, cover = 0;
        const size_t at = run.err.find("timings: ");
        if (run.exitCode != 0 || at == std::string::npos ||
            std::sscanf(run.err.c_str() + at,
                        "timings: %zu files, search %lf ms, read %lf ms, write %lf ms, cover %lf ms", &files, &search,
                        &read, &write, &cover) != 5 ||
            files != static_cast<size_t>(kFiles)) {
            state.SkipWithError(("mivo tag failed: " + run.err.substr(0, 2000)).c_str());
            return;
        }
        searchMs += search;
        tagLibMs += read + write;
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["ms_per_file"] = wallMs / runs / kFiles;
    state.counters["beyond_search_ms"] = (wallMs - searchMs) / runs / kFiles;
    state.counters["search_pct"] = 100 * searchMs / wallMs;
    state.counters["taglib_pct"] = 100 * tagLibMs / wallMs;
}
BENCHMARK(BM_Tag480Files)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
