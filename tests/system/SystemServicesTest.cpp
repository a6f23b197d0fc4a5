// The process-level services of platform/System.h and the folder helpers of
// platform/FileSystem.h, as every system's implementation must give them.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/HttpError.h"
#include "platform/System.h"

namespace {

// The error code both systems give for a name that does not exist (ENOENT
// and ERROR_FILE_NOT_FOUND share the number).
constexpr uint32_t kNotFound = 2;

TEST(SystemErrorTextTest, TextsEndInOneLineBreak) {
    const std::wstring text = platform::SystemErrorText(kNotFound);
    ASSERT_GT(text.size(), 2u);
    EXPECT_EQ(text.substr(text.size() - 2), L"\r\n");
    EXPECT_NE(text[text.size() - 3], L'\n');
    EXPECT_NE(text[text.size() - 3], L'\r');
}

// Trace lines quote these texts: every code the HTTP layer gives has one,
// whichever table the system takes it from.
TEST(SystemErrorTextTest, EveryHttpCodeOfTheLayerHasAText) {
    for (uint32_t code = platform::kHttpErrorFirst; code <= platform::kHttpErrorLast; ++code) {
        if (!platform::HttpErrorText(code)) continue;
        SCOPED_TRACE(code);
        const std::wstring text = platform::SystemErrorText(code);
        ASSERT_GT(text.size(), 2u);
        EXPECT_EQ(text.find(L"\r\n"), text.size() - 2);
    }
}

TEST(SystemErrorTextTest, UnknownCodesHaveNoText) {
    EXPECT_EQ(platform::SystemErrorText(0x3FFFFFFFu), L"");
    EXPECT_EQ(platform::SystemErrorText(platform::kHttpErrorLast), L"");
}

TEST(ModuleFileNameTest, NamesThisProgramsFileByItsFullPath) {
    const std::wstring path = platform::ModuleFileName(reinterpret_cast<const void*>(&platform::ModuleFileName));
    ASSERT_FALSE(path.empty());
    EXPECT_TRUE(std::filesystem::path(path).is_absolute()) << platform::ToUtf8(path);
    EXPECT_EQ(platform::FileNamePart(path).rfind(L"test_system", 0), 0u) << platform::ToUtf8(path);
    EXPECT_TRUE(platform::PathExists(path));
    EXPECT_EQ(platform::ModuleFileName(nullptr), L"");
}

TEST(ProcessServicesTest, ThreadsHaveIdsOfTheirOwn) {
    const uint32_t mine = platform::CurrentThreadId();
    uint32_t other = 0;
    std::thread([&other] { other = platform::CurrentThreadId(); }).join();
    EXPECT_NE(mine, 0u);
    EXPECT_NE(other, 0u);
    EXPECT_NE(mine, other);
    EXPECT_NE(platform::CurrentProcessId(), 0u);
}

TEST(ProcessServicesTest, LocalTimeFieldsAreInRangeAndCountersDoNotRunBack) {
    const platform::LocalTime t = platform::GetLocalTime();
    EXPECT_GE(t.year, 2020);
    EXPECT_TRUE(t.month >= 1 && t.month <= 12);
    EXPECT_TRUE(t.day >= 1 && t.day <= 31);
    EXPECT_TRUE(t.hour >= 0 && t.hour <= 23);
    EXPECT_TRUE(t.minute >= 0 && t.minute <= 59);
    EXPECT_TRUE(t.second >= 0 && t.second <= 60);
    EXPECT_TRUE(t.millisecond >= 0 && t.millisecond <= 999);
    const uint64_t first = platform::QueryPerformanceCounter();
    platform::SleepMilliseconds(2);
    EXPECT_GT(platform::QueryPerformanceCounter(), first);
}

TEST(ProcessServicesTest, DebugOutputReachesTheInstalledSinkOnly) {
    std::vector<std::wstring> seen;
    platform::DebugOutput(L"before");
    platform::SetDebugOutputSink([&seen](const std::wstring& text) { seen.push_back(text); });
    platform::DebugOutput(L"Bj\u00f6rk \u00e4\u00e4");
    platform::SetDebugOutputSink(nullptr);
    platform::DebugOutput(L"after");
    EXPECT_EQ(seen, std::vector<std::wstring>{L"Bj\u00f6rk \u00e4\u00e4"});
}

// A folder of its own below the system's temporary folder, removed at scope exit.
class ScratchFolder {
public:
    ScratchFolder() {
        m_path =
            std::filesystem::temp_directory_path() / ("mivo-system-" + std::to_string(platform::CurrentProcessId()) +
                                                      "-" + std::to_string(platform::CurrentThreadId()));
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directory(m_path);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    std::wstring Wide() const { return m_path.wstring(); }

private:
    std::filesystem::path m_path;
};

TEST(FileSystemTest, FoldersAreCreatedFoundAndNamed) {
    const ScratchFolder scratch;
    // A name beyond Latin-1 and one outside the BMP.
    const std::wstring folder =
        scratch.Wide() + platform::kPathSeparator + L"\u041a\u043e\u0440\u0432\u0430 \U0001F3B5";
    EXPECT_FALSE(platform::PathExists(folder));
    EXPECT_EQ(platform::CreateDirectory(folder), 0u);
    EXPECT_TRUE(platform::PathExists(folder));
    EXPECT_TRUE(platform::IsDirectory(folder));
    EXPECT_NE(platform::CreateDirectory(folder), 0u) << "a second creation of one folder";
    EXPECT_EQ(platform::FileNamePart(folder), L"\u041a\u043e\u0440\u0432\u0430 \U0001F3B5");
    EXPECT_EQ(platform::DeleteFile(folder + platform::kPathSeparator + L"missing"), kNotFound);
    EXPECT_FALSE(platform::IsDirectory(folder + platform::kPathSeparator + L"missing"));
    EXPECT_FALSE(platform::PathExists(L""));
    EXPECT_NE(platform::CreateDirectory(L""), 0u);
}

}  // namespace
