// The progress line in process: what it says, that it fits the terminal's
// width whatever the host name, that it is erased once, and that a disabled
// line writes nothing.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "host/Progress.h"

namespace {

using mivo_host::Progress;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Everything written to file so far.
std::string Written(std::FILE* file) {
    std::fflush(file);
    std::string text;
    std::rewind(file);
    for (int c; (c = std::fgetc(file)) != EOF;) text.push_back(static_cast<char>(c));
    return text;
}

TEST(HostProgress, RewritesOneLineThatFitsAndErasesItOnce) {
    struct Row {
        const char* name;
        std::wstring host;
        int columns;
        std::string lastState;  // the line after the erase sequence, when Fetched was last
    };
    const Row rows[] = {
        {"fits", L"www.catalogue.example", 80, "mivo: 1 page, the last from www.catalogue.example"},
        {"cut to the width", L"www.catalogue.example", 20, "mivo: 1 page, the l"},
        {"very long host", std::wstring(100000, L'a'), 30, "mivo: 1 page, the last from a"},
        {"wide characters count twice", L"\u6771\u4eac.example", 32, "mivo: 1 page, the last from \u6771"},
        {"control characters", L"evil\x1b[2J.example", 80, "mivo: 1 page, the last from evil\xef\xbf\xbd[2J.example"},
    };
    for (const auto& row : rows) {
        std::unique_ptr<std::FILE, FileCloser> file(std::tmpfile());
        ASSERT_TRUE(file) << row.name;
        {
            Progress progress(true, file.get(), row.columns);
            progress.Contacting(row.host, 0);
            progress.Fetched(row.host);
            const std::string text = Written(file.get());
            EXPECT_EQ(text.find('\n'), std::string::npos) << row.name;
            EXPECT_EQ(text.substr(text.rfind("\r\x1b[K") + 4), row.lastState) << row.name;
            progress.Finish();
            progress.Finish();
        }
        const std::string text = Written(file.get());
        EXPECT_EQ(text.size() - text.rfind("\r\x1b[K"), 4u) << row.name << ": erased at the end";
        EXPECT_EQ(text.find("\r\x1b[K\r\x1b[K"), std::string::npos) << row.name << ": erased once";
    }
}

TEST(HostProgress, ADisabledLineWritesNothingButStillCounts) {
    std::unique_ptr<std::FILE, FileCloser> file(std::tmpfile());
    ASSERT_TRUE(file);
    Progress progress(false, file.get());
    progress.Waiting(L"h", 1000);
    progress.Contacting(L"h", 1000);
    progress.Fetched(L"h");
    progress.Finish();
    EXPECT_EQ(Written(file.get()), "");
    EXPECT_EQ(progress.PagesFetched(), 1);
}

}  // namespace
