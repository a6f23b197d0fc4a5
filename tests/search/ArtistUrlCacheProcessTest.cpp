// Tests of the artist address cache that need POSIX processes and files:
// writers in several processes, and a read-only file's mode and inode.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "tests/search/ArtistUrlCacheFixture.h"
#include "tests/support/FileBytes.h"

namespace {

using namespace urlcache;

// A cache file without write permission in a writable folder keeps its
// entries, its contents and its mode, also for a process whose privileges
// would let it write (as the superuser's do); it can still be read.
TEST_F(ArtistUrlCacheTest, AReadOnlyCacheFileStaysReadOnly) {
    ASSERT_EQ(cache.WriteArtistUrl(L"Quorin", L"www.x/quorin"), 1);
    const std::string file = CacheFolder() + "Q.ARTISTCACHE";
    ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
    const std::string before = ReadBytes(file);
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    const ino_t inode = st.st_ino;

    log.Clear();
    EXPECT_EQ(cache.WriteArtistUrl(L"Qadir", L"www.x/qadir"), 0) << "a new entry";
    EXPECT_EQ(cache.WriteArtistUrl(L"Quorin", L"www.x/moved"), 0) << "a changed entry";
    EXPECT_EQ(log.Texts(L"DBG"), (std::vector<std::wstring>{L"WriteArtistUrl to LocalCache fails for: Qadir",
                                                            L"WriteArtistUrl to LocalCache fails for: Quorin"}));
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_ino, inode) << "the file was not replaced";
    EXPECT_EQ(st.st_mode & 0777, 0444u);
    EXPECT_EQ(ReadBytes(file), before);
    EXPECT_EQ(Lookup(L"Quorin"), "www.x/quorin");
    EXPECT_EQ(Lookup(L"Qadir", 0.1f), "<none>");
}

// Checks one snapshot of a cache file: complete lines only, every section
// followed by its key line. Returns the number of sections, or -1 when torn.
int CountWholeSections(const std::string& bytes) {
    if (!bytes.empty() && bytes.back() != '\n') return -1;
    std::istringstream in(bytes);
    std::string line;
    int sections = 0;
    bool expectKey = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (expectKey) {
            if (line.rfind("ArtistUrl=www.catalogue.example/", 0) != 0) return -1;
            expectKey = false;
        } else {
            if (line.size() < 2 || line.front() != '[' || line.back() != ']') return -1;
            ++sections;
            expectKey = true;
        }
    }
    return expectKey ? -1 : sections;
}

TEST_F(ArtistUrlCacheTest, FourProcessesWritingOneFileLoseNothing) {
    constexpr int kProcesses = 4;
    constexpr int kEach = 500;
    const auto nameOf = [](int process, int k) {
        CString name;
        name.Format(L"Quorin %d-%03d", process, k);
        return name;
    };
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            // The child writes through its own cache object and leaves without
            // running the parent's destructors.
            CArtistUrlCache writer(platform::FromUtf8(root.Utf8()), kSourceName, kSourceId);
            int failures = 0;
            for (int k = 0; k < kEach; ++k)
                if (writer.WriteArtistUrl(nameOf(p, k), L"www.catalogue.example/" + nameOf(p, k) + L"/albums") != 1)
                    ++failures;
            ::_exit(failures == 0 ? 0 : 1);
        }
        children.push_back(pid);
    }

    // Meanwhile, every snapshot a reader sees is whole and never shrinks.
    const std::string file = CacheFolder() + "Q.ARTISTCACHE";
    int seen = 0;
    int snapshots = 0;
    bool torn = false;
    bool shrank = false;
    for (size_t running = children.size(); running > 0;) {
        const int count = CountWholeSections(ReadBytes(file));
        ++snapshots;
        if (count < 0) torn = true;
        if (count >= 0 && count < seen) shrank = true;
        if (count > seen) seen = count;
        running = 0;
        for (pid_t pid : children)
            if (::waitpid(pid, nullptr, WNOHANG) == 0) ++running;
    }
    for (pid_t pid : children) ::waitpid(pid, nullptr, 0);
    EXPECT_FALSE(torn) << "a reader saw a half-written file";
    EXPECT_FALSE(shrank) << "a write lost entries of another";

    const std::string final = ReadBytes(file);
    EXPECT_EQ(CountWholeSections(final), kProcesses * kEach) << snapshots << " snapshots";
    CArtistUrlCache reader(platform::FromUtf8(root.Utf8()), kSourceName, kSourceId);
    for (int p = 0; p < kProcesses; ++p)
        for (int k = 0; k < kEach; ++k) {
            CString result;
            ASSERT_EQ(reader.ReadArtistUrl(nameOf(p, k), result, 1.0f), 1) << Show(nameOf(p, k));
            EXPECT_EQ(result, L"www.catalogue.example/" + nameOf(p, k) + L"/albums");
        }
}

}  // namespace
