// Saving cover.jpg in a real folder: over nothing, an old cover and a planted
// link (whose target stays as it was); refused in a read-only folder, over a
// read-only cover and over a folder of that name, leaving nothing behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <sys/stat.h>

#include "host/tag/CoverDownload.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempFolder.h"
#include "tests/tag/samples/AudioSamples.h"

namespace mivo_host {
namespace {

namespace fs = std::filesystem;

const std::vector<unsigned char> kPicture = {0xFF, 0xD8, 0xFF, 0xE0, 'n', 'e', 'w'};

TEST(CoverFile, SavedOverWhatStandsAtTheNameWithoutFollowingALink) {
    const mode_t mask = ::umask(027);
    ::umask(mask);
    enum class Before { Nothing, OldCover, LinkToAFile, DanglingLink };
    const std::pair<const char*, Before> rows[] = {{"nothing", Before::Nothing},
                                                   {"an old cover", Before::OldCover},
                                                   {"a link to a file", Before::LinkToAFile},
                                                   {"a dangling link", Before::DanglingLink}};
    for (const auto& [name, before] : rows) {
        TempFolder folder;
        const fs::path cover = folder / "cover.jpg";
        const fs::path target = folder / "elsewhere.jpg";
        if (before == Before::OldCover) WriteBytes(cover, "old");
        if (before == Before::LinkToAFile) WriteBytes(target, "target");
        if (before == Before::LinkToAFile || before == Before::DanglingLink) fs::create_symlink(target, cover);

        EXPECT_EQ(SaveCoverFile(folder.Utf8(), kPicture), "") << name;
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(cover))) << name;
        EXPECT_EQ(ReadBytes(cover), std::string(kPicture.begin(), kPicture.end())) << name;
        EXPECT_EQ(fs::exists(target), before == Before::LinkToAFile) << name;
        if (before == Before::LinkToAFile) {
            EXPECT_EQ(ReadBytes(target), "target") << name;
        }
        struct stat status {};
        ASSERT_EQ(::stat(cover.c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 07777, 0644u & ~mask) << name;
        EXPECT_EQ(test::StrayCopiesIn(folder.path()), 0u) << name;
    }
}

TEST(CoverFile, AFailedSaveLeavesTheFolderAsItWas) {
    enum class Before { Nothing, ReadOnlyCover, Folder };
    struct Row {
        const char* name;
        mode_t folderMode;
        Before before;
        std::string reason;
    };
    const Row rows[] = {
        {"read-only folder", 0555, Before::Nothing, "the folder is read-only"},
        {"read-only old cover", 0755, Before::ReadOnlyCover, "the old one is read-only"},
        {"a folder named cover.jpg", 0755, Before::Folder, "cannot replace the old one: Is a directory"},
    };
    for (const Row& row : rows) {
        TempFolder folder;
        if (row.before == Before::Folder) fs::create_directories(folder / "cover.jpg" / "inside");
        if (row.before == Before::ReadOnlyCover) {
            WriteBytes(folder / "cover.jpg", "old");
            fs::permissions(folder / "cover.jpg", fs::perms::owner_read);
        }
        fs::permissions(folder.path(), static_cast<fs::perms>(row.folderMode));
        EXPECT_EQ(SaveCoverFile(folder.Utf8(), kPicture),
                  "cover: cannot save " + folder.Utf8() + "/cover.jpg: " + row.reason)
            << row.name;
        fs::permissions(folder.path(), fs::perms::owner_all, fs::perm_options::add);
        size_t entries = 0;
        for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder.path())) ++entries;
        EXPECT_EQ(entries, row.before == Before::Nothing ? 0u : 1u) << row.name;
        if (row.before == Before::ReadOnlyCover) {
            EXPECT_EQ(ReadBytes(folder / "cover.jpg"), "old");
        }
    }
    EXPECT_EQ(SaveCoverFile("/nonexistent/folder", kPicture),
              "cover: cannot save /nonexistent/folder/cover.jpg: cannot open the folder: No such file or directory");
}

}  // namespace
}  // namespace mivo_host
