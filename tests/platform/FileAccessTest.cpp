// The file classes, whole-file replacement and the folder helpers as every
// system's implementation must give them: reads, writes, positions, lengths,
// refusals with their causes, the advisory lock, and a replacement that
// meets a reader.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "tests/support/FileBytes.h"
#include "tests/support/SpecialFiles.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> FolderEntries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(FileAccessTest, PositionsAndLengthsFollowReadsWritesAndCuts) {
    TempFolder dir;
    const std::wstring name = dir.Wide("data");
    CFile file;
    ASSERT_TRUE(file.Open(name.c_str(), CFile::modeCreate | CFile::modeReadWrite));
    file.Write("hello world", 11);
    EXPECT_EQ(file.GetLength(), 11u);
    EXPECT_EQ(file.GetPosition(), 11u);
    EXPECT_EQ(file.Seek(6, CFile::begin), 6u);
    char bytes[16] = {};
    EXPECT_EQ(file.Read(bytes, sizeof bytes), 5u);
    EXPECT_STREQ(bytes, "world");
    EXPECT_EQ(file.Read(bytes, sizeof bytes), 0u) << "end of file";
    EXPECT_EQ(file.Seek(-5, CFile::current), 6u);
    file.SetLength(5);
    EXPECT_EQ(file.GetLength(), 5u);
    EXPECT_EQ(file.GetPosition(), 6u) << "cutting leaves the position alone";
    EXPECT_EQ(file.SeekToEnd(), 5u);
    file.Close();
    EXPECT_EQ(ReadBytes(dir / "data"), "hello");

    CFile::Remove(name.c_str());
    EXPECT_FALSE(fs::exists(dir / "data"));
    try {
        CFile::Remove(name.c_str());
        ADD_FAILURE() << "removing a missing file throws";
    } catch (const CFileException& error) {
        EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
    }
}

TEST(FileAccessTest, RefusalsGiveTheirCauses) {
    TempFolder dir;
    fs::create_directory(dir / "folder");
    WriteBytes(dir / "taken", "kept");
    const struct {
        const char* label;
        std::wstring name;
        unsigned flags;
        int cause;  // none: the test asks the error code instead
        bool notFound;
        bool exists;
    } rows[] = {
        {"a missing file", dir.Wide("missing"), CFile::modeRead, CFileException::fileNotFound, true, false},
        {"a missing folder on the way", dir.Wide("missing/file"), CFile::modeCreate | CFile::modeWrite,
         CFileException::none, true, false},
        {"a folder", dir.Wide("folder"), CFile::modeRead, CFileException::accessDenied, false, false},
        {"a folder for writing", dir.Wide("folder"), CFile::modeCreate | CFile::modeWrite, CFileException::accessDenied,
         false, false},
        {"the null device", kNullDevice, CFile::modeRead, CFileException::accessDenied, false, false},
        {"the null device for writing", kNullDevice, CFile::modeCreate | CFile::modeWrite, CFileException::accessDenied,
         false, false},
        {"a taken name for a new file", dir.Wide("taken"), CFile::modeCreate | CFile::modeCreateNew | CFile::modeWrite,
         CFileException::none, false, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        CFile file;
        CFileException error;
        EXPECT_FALSE(file.Open(row.name.c_str(), row.flags, &error));
        EXPECT_FALSE(file.IsOpen());
        if (row.cause != CFileException::none) {
            EXPECT_EQ(error.m_cause, row.cause) << error.m_lOsError;
        }
        EXPECT_EQ(platform::IsNotFoundError(error.m_lOsError), row.notFound) << error.m_lOsError;
        EXPECT_EQ(platform::IsAlreadyExistsError(error.m_lOsError), row.exists) << error.m_lOsError;
        EXPECT_NE(error.GetErrorText().Find(row.name.c_str()), -1) << "the text names the file";
    }
    EXPECT_EQ(ReadBytes(dir / "taken"), "kept");
    EXPECT_EQ(FolderEntries(dir.path()), (std::vector<std::string>{"folder", "taken"})) << "nothing was created";
}

TEST(FileAccessTest, FolderCodesAnswerTheSystemNeutralQuestions) {
    TempFolder dir;
    const uint32_t missingFile = platform::DeleteFile(dir.Wide("missing"));
    const uint32_t missingParent = platform::CreateDirectory(dir.Wide("missing/child"));
    const uint32_t existingFolder = platform::CreateDirectory(dir.Wide());
    EXPECT_TRUE(platform::IsNotFoundError(missingFile)) << missingFile;
    EXPECT_TRUE(platform::IsNotFoundError(missingParent)) << missingParent;
    EXPECT_FALSE(platform::IsAlreadyExistsError(missingParent)) << missingParent;
    EXPECT_TRUE(platform::IsAlreadyExistsError(existingFolder)) << existingFolder;
    EXPECT_FALSE(platform::IsNotFoundError(existingFolder)) << existingFolder;
    EXPECT_FALSE(platform::IsNotFoundError(0));
    EXPECT_FALSE(platform::IsAlreadyExistsError(0));
}

TEST(FileAccessTest, TheLockKeepsOutOtherLockersOnly) {
    TempFolder dir;
    const std::wstring name = dir.Wide("shared");
    WriteBytes(dir / "shared", "0123456789");
    CFile holder;
    CFile other;
    ASSERT_TRUE(holder.Open(name.c_str(), CFile::modeReadWrite));
    ASSERT_TRUE(other.Open(name.c_str(), CFile::modeReadWrite));
    ASSERT_TRUE(holder.LockExclusive(0));
    EXPECT_FALSE(other.LockExclusive(0));
    EXPECT_FALSE(other.LockExclusive(20)) << "a bounded wait ends without the lock";

    // The lock is advisory: the other open still reads and writes every byte.
    char bytes[4] = {};
    EXPECT_EQ(other.Read(bytes, 3), 3u);
    EXPECT_EQ(std::string(bytes, 3), "012");
    other.SeekToEnd();
    other.Write("ab", 2);
    holder.Seek(0, CFile::end);
    EXPECT_EQ(holder.GetLength(), 12u);

    holder.Close();
    EXPECT_TRUE(other.LockExclusive(0)) << "closing released the lock";
}

// A reader holding the file open: the replacement either happens whole or
// (where an open file cannot be replaced) fails cleanly with its error after
// a bounded wait. Either way no temporary file stays, and once the reader
// lets go the replacement goes through.
TEST(FileAccessTest, AReplacementThatMeetsAReaderIsWholeOrNothing) {
    TempFolder dir;
    const std::wstring name = dir.Wide("A.ini");
    ASSERT_EQ(platform::ReplaceWholeFile(name, "old"), 0u);
    {
        CFile reader;
        ASSERT_TRUE(reader.Open(name.c_str(), CFile::modeRead));
        const uint32_t error = platform::ReplaceWholeFile(name, "new");
        std::string now;
        ASSERT_EQ(platform::ReadWholeFile(name, now), 0u);
        EXPECT_EQ(now, error == 0 ? "new" : "old") << error;
        EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"A.ini"});
        char bytes[4] = {};
        EXPECT_EQ(reader.Read(bytes, 3), 3u) << "the reader reads on";
    }
    ASSERT_EQ(platform::ReplaceWholeFile(name, "newer"), 0u);
    EXPECT_EQ(ReadBytes(dir / "A.ini"), "newer");
    EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"A.ini"});
}

TEST(FileAccessTest, WritersHoldingTheLockLeaveNoLockFileBehind) {
    TempFolder dir;
    const std::wstring name = dir.Wide("A.ini");
    {
        const platform::FileLock first(name);
        ASSERT_EQ(first.error(), 0u);
        ASSERT_EQ(platform::ReplaceWholeFile(name, "written under the lock"), 0u);
    }
    EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"A.ini"}) << "no lock file stays";
    const platform::FileLock again(name);
    EXPECT_EQ(again.error(), 0u) << "released at destruction";
    EXPECT_EQ(ReadBytes(dir / "A.ini"), "written under the lock");
}

}  // namespace
