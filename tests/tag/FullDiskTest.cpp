#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/tag/AudioTagFile.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempFolder.h"
#include "tests/tag/samples/AudioSamples.h"

namespace mivo_host {
namespace {

using test::AudioFormat;
namespace fs = std::filesystem;

// A 1 MiB memory file system mounted for one test (mounting needs root).
class SmallDisk {
public:
    explicit SmallDisk(const fs::path& where) : m_path(where) {
        fs::create_directory(m_path);
        m_mounted = test::RunCommand("mount -t tmpfs -o size=1m tmpfs " + test::Quoted(m_path.string())) == 0;
    }
    ~SmallDisk() {
        if (m_mounted) test::RunCommand("umount -l " + test::Quoted(m_path.string()));
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool Mounted() const { return m_mounted; }
    const fs::path& Path() const { return m_path; }

    // Fills the disk, then frees free bytes of the filler.
    void LeaveFree(std::uintmax_t free) {
        fs::path filler = m_path / "filler";
        {
            std::ofstream out(filler, std::ios::binary | std::ios::trunc);
            std::vector<char> block(64 * 1024, 'f');
            while (out.write(block.data(), static_cast<std::streamsize>(block.size()))) {
            }
        }
        std::uintmax_t size = fs::file_size(filler);
        fs::resize_file(filler, size > free ? size - free : 0);
    }

private:
    fs::path m_path;
    bool m_mounted = false;
};

// A write that runs out of room leaves the file as it was, says why, and the
// next, smaller file is still tagged.
TEST(FullDisk, FailedWriteLeavesTheFileAndOthersGoOn) {
    struct Row {
        const char* name;
        std::uintmax_t freeBeyondFlac;  // bytes free beyond the size of the large file
        size_t coverSize;
        const char* message;
    };
    const Row rows[] = {
        {"no room for the copy", 0, 0, "cannot copy the file: No space left on device"},
        {"no room for the cover", 16 * 1024, 512 * 1024, "TagLib could not save the tags: No space left on device"},
    };
    TempFolder folder;
    SmallDisk disk(folder / "disk");
    if (!disk.Mounted()) GTEST_SKIP() << "a small tmpfs cannot be mounted here (needs root)";

    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fs::path large = disk.Path() / "large.flac";
        fs::path small = disk.Path() / "small.ogg";
        for (const fs::path& old : {disk.Path() / "filler", large, small}) fs::remove(old);
        test::MakeAudioFile(AudioFormat::Flac, large, "");
        test::MakeAudioFile(AudioFormat::Vorbis, small, "");
        std::uintmax_t largeSize = fs::file_size(large);
        // The small file's copy always fits; the large one's only when room is left beyond it.
        disk.LeaveFree(row.freeBeyondFlac == 0 ? largeSize / 2 : largeSize + row.freeBeyondFlac);
        std::string before = ReadBytes(large);

        TagChanges changes;
        changes.album = "Full";
        std::vector<unsigned char> cover(row.coverSize, 0x5A);
        WriteTagsResult written = WriteAudioTags(large.string(), changes, cover);
        ASSERT_FALSE(written.Ok());
        EXPECT_EQ(written.failure->kind, TagFailureKind::WriteFailed);
        EXPECT_EQ(written.failure->message, row.message);
        EXPECT_EQ(ReadBytes(large), before);
        EXPECT_EQ(0u, test::StrayCopiesIn(disk.Path()));

        WriteTagsResult other = WriteAudioTags(small.string(), changes);
        ASSERT_TRUE(other.Ok()) << other.failure->message;
        EXPECT_EQ(ReadAudioTags(small.string()).tags.album, "Full");
    }
}

}  // namespace
}  // namespace mivo_host
