#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "host/tag/AudioTagFile.h"
#include "host/tag/StrayCopies.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempFolder.h"
#include "tests/tag/samples/AudioSamples.h"

namespace mivo_host {
namespace {

using test::AudioFormat;
namespace fs = std::filesystem;

// Rewrites file's tags, two titles in turn, until killed.
[[noreturn]] void WriteForever(const fs::path& file, const std::vector<unsigned char>& cover) {
    for (unsigned round = 0;; ++round) {
        TagChanges changes;
        changes.title = round % 2 == 0 ? "Even" : "Odd";
        changes.album = "Album " + std::to_string(round);
        changes.track = round % 20 + 1;
        WriteAudioTags(file.string(), changes, cover);
    }
}

// A writer killed at any moment leaves the old file or a new one, whole, and
// the cleanup removes the copy it was making.
TEST(CrashSafety, KilledWriterLeavesAWholeFile) {
    constexpr int kTries = 200;
    TempFolder folder;
    fs::path file = folder / "song.flac";
    test::MakeAudioFile(AudioFormat::Flac, file, "Artist");
    const std::string audio = test::AudioPayload(AudioFormat::Flac, file);
    // A large cover makes each write long enough to be hit in its middle.
    const std::vector<unsigned char> cover(96 * 1024, 0xAB);
    std::mt19937 random(17);
    std::uniform_int_distribution<int> pause(0, 12000);
    size_t straysRemoved = 0;

    for (int attempt = 0; attempt < kTries; ++attempt) {
        SCOPED_TRACE("attempt " + std::to_string(attempt));
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) WriteForever(file, cover);
        ::usleep(static_cast<useconds_t>(pause(random)));
        ASSERT_EQ(::kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);

        StrayCopiesRemoved removed = RemoveStrayCopies(folder.path().string());
        EXPECT_TRUE(removed.failures.empty());
        straysRemoved += removed.removed;
        ASSERT_EQ(test::StrayCopiesIn(folder.path()), 0u);

        ReadTagsResult read = ReadAudioTags(file.string());
        ASSERT_TRUE(read.Ok()) << read.failure->message;
        ASSERT_TRUE(read.tags.title == "Old" || read.tags.title == "Even" || read.tags.title == "Odd");
        ASSERT_EQ(read.tags.artist, "Artist");
        ASSERT_EQ(test::AudioPayload(AudioFormat::Flac, file), audio);
    }
    RecordProperty("StrayCopiesRemoved", static_cast<int>(straysRemoved));
}

// The cleanup takes only regular files named as our copies: not links to
// them, not folders, not other hidden files.
TEST(CrashSafety, CleanupTakesOnlyOurCopies) {
    struct Row {
        const char* name;
        bool removed;
    };
    const Row rows[] = {
        {".song.flac.mivo-tmp-Ab12Cd", true},
        {".song.flac.mivo-tmp-link00", false},   // a link
        {".song.flac.mivo-tmp-folder", false},   // a folder
        {".song.flac.other-tmp-Ab12Cd", false},  // someone else's
        {"song.flac", false},
    };
    TempFolder folder;
    TempFolder elsewhere;
    WriteBytes(elsewhere / "target", "not ours");
    for (const Row& row : rows) {
        fs::path path = folder / row.name;
        if (std::string(row.name).ends_with("link00")) {
            fs::create_symlink(elsewhere / "target", path);
        } else if (std::string(row.name).ends_with("folder")) {
            fs::create_directory(path);
        } else {
            WriteBytes(path, "bytes");
        }
    }
    StrayCopiesRemoved removed = RemoveStrayCopies(folder.path().string());
    EXPECT_EQ(removed.removed, 1u);
    EXPECT_TRUE(removed.failures.empty());
    for (const Row& row : rows) EXPECT_EQ(fs::exists(fs::symlink_status(folder / row.name)), !row.removed) << row.name;
    EXPECT_EQ(ReadBytes(elsewhere / "target"), "not ours");

    StrayCopiesRemoved missing = RemoveStrayCopies((folder / "no such folder").string());
    EXPECT_EQ(missing.failures.size(), 1u);
}

}  // namespace
}  // namespace mivo_host
