// The tag command: albums found through the plug-in, written into audio files
// through the tag engine (host/tag/).
#include "host/TagCommand.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "host/HumanOutput.h"
#include "host/RunOutcome.h"
#include "host/StopSignal.h"
#include "host/Terminal.h"
#include "host/WideText.h"
#include "host/tag/AudioTagFile.h"
#include "host/tag/CoverDownload.h"
#include "host/tag/StrayCopies.h"
#include "host/tag/TrackPairing.h"
#include "host/tagcommand/AlbumFiles.h"
#include "host/tagcommand/AlbumRun.h"
#include "host/tagcommand/TagJson.h"
#include "host/tagcommand/TagPreview.h"

namespace mivo_host {

namespace {

using Clock = std::chrono::steady_clock;

// The longest answer to the prompt that is read; the rest of the line is dropped.
constexpr size_t kMaxAnswer = 64;

void Message(const std::string& text) { std::fprintf(stderr, "mivo: %s\n", text.c_str()); }

void Print(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

// Asks on the terminal; true only for "y" or "yes" (any case, blanks around).
bool Confirmed() {
    Print("Write these tags? [y/N] ");
    std::string answer;
    for (int c; (c = std::fgetc(stdin)) != EOF && c != '\n';)
        if (answer.size() < kMaxAnswer) answer += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    answer.erase(0, answer.find_first_not_of(" \t\r"));
    answer.erase(answer.find_last_not_of(" \t\r") + 1);
    return answer == "y" || answer == "yes";
}

// The address to download the cover from: the page's, with a scheme.
std::string CoverAddress(const std::wstring& cover) {
    std::string url = ToUtf8(cover);
    if (url.rfind("//", 0) == 0) return "http:" + url;
    if (url.find("://") == std::string::npos) return "http://" + url;
    return url;
}

AlbumEnd EndOf(FailureKind kind) {
    switch (kind) {
        case FailureKind::None: return AlbumEnd::Done;
        case FailureKind::NotFound: return AlbumEnd::NotFound;
        case FailureKind::Download: return AlbumEnd::Download;
        case FailureKind::Interrupted: return AlbumEnd::Interrupted;
    }
    return AlbumEnd::NotFound;
}

// Milliseconds spent in each phase, for --timings.
struct Timings {
    double searchMs = 0;
    double readMs = 0;
    double writeMs = 0;
    double coverMs = 0;
    size_t files = 0;
};

double Since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

class TagCommand {
public:
    TagCommand(const Options& options, CBasicTagsDllInterface& plugin, bool (*stopRequested)(), Progress& progress)
        : m_options(options), m_plugin(plugin), m_stopRequested(stopRequested), m_progress(progress) {}

    int Run() {
        std::vector<AlbumRun> runs;
        for (AlbumFiles& album : CollectAlbums(m_options.paths, kMaxPairedFiles)) {
            for (const std::string& note : album.notes) Fail(AlbumEnd::FilesFailed, note);
            runs.push_back(DoAlbum(album, runs.empty()));
            Worse(runs.back().end, runs.back().error);
            if (runs.back().end == AlbumEnd::Interrupted) break;
        }
        const Statistics statistics = ReadStatistics(m_plugin);
        m_progress.Finish();
        if (m_options.json) Print(FormatTagJson(runs, statistics, m_worst, m_error));
        else if (m_options.statistics) Print("\n" + ToUtf8(StatisticsLine(statistics)));
        if (m_unconfirmed) Message(NotConfirmed());
        if (m_options.timings) PrintTimings();
        return ExitStatusOf(m_worst);
    }

private:
    // Keeps end as the run's outcome when it is worse than what is there, and prints why.
    void Fail(AlbumEnd end, const std::string& reason) {
        Message(reason);
        Worse(end, reason);
    }

    void Worse(AlbumEnd end, const std::string& reason) {
        if (end > m_worst) {
            m_worst = end;
            m_error = reason;
        }
    }

    int ExitStatusOf(AlbumEnd end) const {
        switch (end) {
            case AlbumEnd::Done: return kExitSuccess;
            case AlbumEnd::NotWritten:
            case AlbumEnd::FilesFailed:
            case AlbumEnd::NotFound: return kExitNothingFound;
            case AlbumEnd::Download: return kExitDownloadFailed;
            case AlbumEnd::Interrupted: return ExitStatus(FailureKind::Interrupted, StopSignalNumber());
        }
        return kExitNothingFound;
    }

    std::string NotConfirmed() const {
        return m_options.json ? "nothing written: --json does not ask; --yes writes without asking"
                              : "nothing written: stdin or stdout is not a terminal; --yes writes without asking";
    }

    bool Stopped() const { return m_stopRequested && m_stopRequested(); }

    // Ends run as end with reason, printed.
    static AlbumRun& End(AlbumRun& run, AlbumEnd end, const std::string& reason) {
        if (end > run.end) {
            run.end = end;
            run.error = reason;
        }
        Message(reason);
        return run;
    }

    AlbumRun DoAlbum(const AlbumFiles& album, bool first) {
        AlbumRun run;
        run.path = album.path;
        if (!album.error.empty()) return End(run, AlbumEnd::FilesFailed, album.error);
        RemoveCopies(album);
        const std::vector<ReadTagsResult> reads = ReadAll(album.files);
        std::vector<AudioTags> tags;
        for (const ReadTagsResult& read : reads)
            if (read.Ok()) tags.push_back(read.tags);
        run.terms = ChooseSearchTerms(m_options.tagArtist, m_options.tagAlbum, tags, album.folder);
        if (!run.terms.Ok()) return End(run, AlbumEnd::NotFound, run.terms.error);
        if (Stopped()) return End(run, AlbumEnd::Interrupted, album.path + ": interrupted before the search");

        const Clock::time_point searchStart = Clock::now();
        CommandResult lookup = LookUpAlbum(run.terms.artist, run.terms.album, m_plugin, m_stopRequested);
        m_timings.searchMs += Since(searchStart);
        DescribeOutcome(lookup, StopSignalNumber());
        if (lookup.failureKind != FailureKind::None || !lookup.album) {
            End(run, EndOf(lookup.failureKind), album.path + ": " + lookup.failure);
            // The same hint lookup gives: a looser name match, or the trace log.
            if (lookup.failureKind == FailureKind::NotFound) {
                const std::string hint = NotFoundHint(m_options.maxDifference, m_options.logFolder.has_value());
                if (!hint.empty()) Message("hint: " + hint);
            }
            return run;
        }
        run.found = *lookup.album;
        run.plan = PlanAlbum(album.files, reads, *run.found, run.terms.artist);

        m_progress.Finish();
        const bool embed = m_options.cover == CoverMode::Embed;
        if (!m_options.json)
            Print((first ? "" : "\n") + FormatPreview(album.path, *run.found, run.terms.artist, run.plan, embed));
        if (m_options.dryRun) return run;
        for (const FilePlan& file : run.plan.files)
            if (!file.skipped.empty()) End(run, AlbumEnd::FilesFailed, file.path + ": skipped: " + file.skipped);
        const bool anything = std::any_of(run.plan.files.begin(), run.plan.files.end(),
                                          [&](const FilePlan& file) { return WillWrite(file, embed); });
        if (!anything && m_options.cover != CoverMode::File) return run;
        if (!m_options.yes) {
            if (m_options.json || !IsTerminal(stdin) || !IsTerminal(stdout)) {
                m_unconfirmed = true;
                if (run.end < AlbumEnd::NotWritten) {
                    run.end = AlbumEnd::NotWritten;
                    run.error = NotConfirmed();
                }
                return run;
            }
            if (!Confirmed()) {
                if (Stopped()) return End(run, AlbumEnd::Interrupted, album.path + ": interrupted; nothing written");
                Print("Nothing written.\n");
                return run;
            }
        }
        WriteAlbum(album, run);
        if (!m_options.json) Print(FormatWriteSummary(run.plan));
        return run;
    }

    void RemoveCopies(const AlbumFiles& album) {
        std::set<std::string> folders;
        for (const std::string& file : album.files) {
            const std::string folder = std::filesystem::path(file).parent_path().string();
            folders.insert(folder.empty() ? "." : folder);
        }
        for (const std::string& folder : folders)
            for (const std::string& failure : RemoveStrayCopies(folder).failures) Message(failure);
    }

    std::vector<ReadTagsResult> ReadAll(const std::vector<std::string>& files) {
        const Clock::time_point start = Clock::now();
        std::vector<ReadTagsResult> reads;
        reads.reserve(files.size());
        for (const std::string& file : files) reads.push_back(ReadAudioTags(file));
        m_timings.readMs += Since(start);
        m_timings.files += files.size();
        return reads;
    }

    // The cover's bytes, or empty (and the reason in run) when it cannot be had.
    std::vector<unsigned char> FetchCover(AlbumRun& run) {
        if (run.found->cover.empty()) {
            Message(run.path + ": the album has no cover address; no cover");
            return {};
        }
        const Clock::time_point start = Clock::now();
        const std::string proxy = m_options.proxy && !m_options.noProxy ? ToUtf8(*m_options.proxy) : std::string();
        CoverImage image = DownloadCover(CoverAddress(run.found->cover), proxy, m_stopRequested);
        m_timings.coverMs += Since(start);
        if (image.Ok()) return std::move(image.jpeg);
        run.coverError = image.error;
        End(run, Stopped() ? AlbumEnd::Interrupted : AlbumEnd::Download, run.path + ": " + image.error);
        return {};
    }

    void WriteAlbum(const AlbumFiles& album, AlbumRun& run) {
        const std::vector<unsigned char> cover =
            m_options.cover == CoverMode::None || Stopped() ? std::vector<unsigned char>() : FetchCover(run);
        const bool embed = m_options.cover == CoverMode::Embed && !cover.empty();
        const Clock::time_point start = Clock::now();
        for (FilePlan& file : run.plan.files) {
            if (!WillWrite(file, embed)) continue;
            // A stop between files: those written stay written, the rest untouched.
            if (Stopped()) {
                End(run, AlbumEnd::Interrupted, run.path + ": interrupted; the files not yet written are untouched");
                break;
            }
            const WriteTagsResult result =
                WriteAudioTags(file.path, file.changes, embed ? cover : std::span<const unsigned char>());
            file.written = result.Ok();
            if (!result.Ok()) {
                file.error = result.failure->message;
                End(run, AlbumEnd::FilesFailed, file.path + ": not written: " + file.error);
            }
        }
        m_timings.writeMs += Since(start);
        if (m_options.cover == CoverMode::File && !cover.empty()) {
            const std::string failure = SaveCoverFile(album.folder, cover);
            if (!failure.empty()) {
                run.coverError = failure;
                End(run, AlbumEnd::FilesFailed, album.path + ": " + failure);
            }
        }
    }

    void PrintTimings() const {
        char line[256];
        std::snprintf(line, sizeof line,
                      "timings: %zu files, search %.1f ms, read %.1f ms, write %.1f ms, cover %.1f ms", m_timings.files,
                      m_timings.searchMs, m_timings.readMs, m_timings.writeMs, m_timings.coverMs);
        Message(line);
    }

    const Options& m_options;
    CBasicTagsDllInterface& m_plugin;
    bool (*m_stopRequested)();
    Progress& m_progress;
    AlbumEnd m_worst = AlbumEnd::Done;
    std::string m_error;         // the reason for m_worst
    bool m_unconfirmed = false;  // something was left unwritten for want of --yes
    Timings m_timings;
};

}  // namespace

bool TagSupported() { return true; }

int RunTagCommand(const Options& options, CBasicTagsDllInterface& plugin, bool (*stopRequested)(), Progress& progress) {
    return TagCommand(options, plugin, stopRequested, progress).Run();
}

}  // namespace mivo_host
