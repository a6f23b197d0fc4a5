// Tests of INI files on disk and of the INI text format beneath them.
#include "platform/IniFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>
#include <vector>

#include "platform/CodePage.h"
#include "platform/IniText.h"
#include "tests/platform/IniFileFixture.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempFolder.h"

namespace {

using namespace inifile;
using platform::ReadIniSectionNames;
using platform::ReadIniValue;
using platform::WriteIniValue;

TEST_F(IniFileTest, WrittenValuesReadBack) {
    EXPECT_EQ(Read(file, L"Quorin", L"ArtistUrl"), std::nullopt) << "missing file";
    ASSERT_TRUE(WriteIniValue(file, L"Quorin", L"ArtistUrl", L"www.catalogue.example/quorin/albums"));
    ASSERT_TRUE(WriteIniValue(file, L"Ploms", L"ArtistUrl", L"www.catalogue.example/ploms/albums"));
    EXPECT_EQ(Read(file, L"Quorin", L"ArtistUrl"), L"www.catalogue.example/quorin/albums");
    EXPECT_EQ(Read(file, L"Ploms", L"ArtistUrl"), L"www.catalogue.example/ploms/albums");
    EXPECT_EQ(Read(file, L"Velnor", L"ArtistUrl"), std::nullopt) << "missing section";
    EXPECT_EQ(Read(file, L"Quorin", L"Other"), std::nullopt) << "missing key";
    EXPECT_EQ(ReadBytes(filePath), "[Quorin]\r\nArtistUrl=www.catalogue.example/quorin/albums\r\n"
                                   "[Ploms]\r\nArtistUrl=www.catalogue.example/ploms/albums\r\n");
}

TEST_F(IniFileTest, WriteReplacesTheValueInPlace) {
    ASSERT_TRUE(WriteIniValue(file, L"A", L"k", L"1"));
    ASSERT_TRUE(WriteIniValue(file, L"B", L"k", L"2"));
    ASSERT_TRUE(WriteIniValue(file, L"a", L"K", L"3"));  // names match regardless of case
    ASSERT_TRUE(WriteIniValue(file, L"A", L"j", L"4"));  // a new key joins its section
    EXPECT_EQ(ReadBytes(filePath), "[A]\r\nK=3\r\nj=4\r\n[B]\r\nk=2\r\n");
    EXPECT_EQ(ReadIniSectionNames(file), (std::vector<std::wstring>{L"A", L"B"}));
}

TEST_F(IniFileTest, NamesMatchRegardlessOfCaseBeyondAscii) {
    ASSERT_TRUE(WriteIniValue(file, L"Björk", L"ArtistUrl", L"b"));
    ASSERT_TRUE(WriteIniValue(file, L"Αθηνα", L"ArtistUrl", L"a"));
    EXPECT_EQ(Read(file, L"BJÖRK", L"ARTISTURL"), L"b");
    EXPECT_EQ(Read(file, L"ΑΘΗΝΑ", L"artisturl"), L"a");
    ASSERT_TRUE(WriteIniValue(file, L"БЬОРК", L"k", L"1"));
    EXPECT_EQ(Read(file, L"бьорк", L"K"), L"1");
    EXPECT_EQ(ReadIniSectionNames(file), (std::vector<std::wstring>{L"Björk", L"Αθηνα", L"БЬОРК"}));
    EXPECT_NE(ReadBytes(filePath).find("[Bj\xC3\xB6rk]"), std::string::npos) << "stored as UTF-8";
}

TEST_F(IniFileTest, SectionNamesHoldingBracketsRoundTrip) {
    const wchar_t* names[] = {L"Ab]c", L"[x]", L"a]=b", L"(US) [Live]", L"]", L"k=v", L" Quorin", L""};
    for (const wchar_t* name : names)
        ASSERT_TRUE(WriteIniValue(file, name, L"ArtistUrl", L"v" + std::wstring(name))) << platform::ToUtf8(name);
    for (const wchar_t* name : names)
        EXPECT_EQ(Read(file, name, L"ArtistUrl"), L"v" + std::wstring(name)) << platform::ToUtf8(name);
    std::vector<std::wstring> expected(std::begin(names), std::end(names));
    EXPECT_EQ(ReadIniSectionNames(file), expected);
}

TEST_F(IniFileTest, ReadsHandWrittenFiles) {
    WriteBytes(filePath,
               "\xEF\xBB\xBF"      // byte-order mark
               "orphan=ignored\n"  // a key before any section
               "; a comment\n"
               "  [Quorin]  \n"
               "  ArtistUrl =  www.x/quorin  \n"
               "no equals sign here\n"
               "\n"
               "[Ploms]\r\n"
               "ArtistUrl=first\r\n"
               "ArtistUrl=second\r\n"
               "[Ploms]\n"
               "ArtistUrl=third");  // no final line break
    EXPECT_EQ(Read(file, L"Quorin", L"ArtistUrl"), L"www.x/quorin");
    EXPECT_EQ(Read(file, L"Ploms", L"ArtistUrl"), L"first") << "the first key of the first section counts";
    EXPECT_EQ(Read(file, L"orphan", L"orphan"), std::nullopt);
    EXPECT_EQ(ReadIniSectionNames(file), (std::vector<std::wstring>{L"Quorin", L"Ploms", L"Ploms"}));

    ASSERT_TRUE(WriteIniValue(file, L"Quorin", L"Other", L"v"));
    EXPECT_EQ(Read(file, L"Quorin", L"Other"), L"v");
    EXPECT_NE(ReadBytes(filePath).find("no equals sign here\nOther=v\n\n[Ploms]"), std::string::npos)
        << "a new key goes after the section's last line, in the file's line ending:\n"
        << ReadBytes(filePath);
}

TEST_F(IniFileTest, AddsLineBreakWhereTheFileLacksOne) {
    WriteBytes(filePath, "[A]\nk=1");
    ASSERT_TRUE(WriteIniValue(file, L"A", L"j", L"2"));
    ASSERT_TRUE(WriteIniValue(file, L"B", L"k", L"3"));
    EXPECT_EQ(ReadBytes(filePath), "[A]\nk=1\nj=2\n[B]\nk=3\n");
}

TEST_F(IniFileTest, ValuesAreCutToTheRequestedLength) {
    const std::wstring longValue(600, L'x');
    ASSERT_TRUE(WriteIniValue(file, L"A", L"k", longValue));
    EXPECT_EQ(Read(file, L"A", L"k"), std::wstring(499, L'x'));
    EXPECT_EQ(ReadIniValue(file, L"A", L"k", 1000), longValue);
}

TEST_F(IniFileTest, RefusesEntriesThatWouldChangeTheFilesStructure) {
    ASSERT_TRUE(WriteIniValue(file, L"A", L"ArtistUrl", L"good"));
    const std::string before = ReadBytes(filePath);
    struct Case {
        const char* what;
        std::wstring section, key, value;
    };
    const Case cases[] = {
        {"LF in section", L"Evil\n[A]", L"ArtistUrl", L"x"},
        {"CR in section", L"Evil\r[A]", L"ArtistUrl", L"x"},
        {"NUL in section", std::wstring(L"A\0B", 3), L"ArtistUrl", L"x"},
        {"LF in value", L"A", L"ArtistUrl", L"x\n[B]\nArtistUrl=evil"},
        {"CR LF in value", L"A", L"ArtistUrl", L"x\r\nOther=evil"},
        {"NUL in value", L"A", L"ArtistUrl", std::wstring(L"x\0y", 3)},
        {"LF in key", L"A", L"Other\nArtistUrl", L"x"},
        {"NUL in key", L"A", std::wstring(L"Artist\0Url", 10), L"x"},
        {"= in key", L"A", L"ArtistUrl=evil", L"x"},
        {"empty key", L"A", L"", L"x"},
        {"key opening a section", L"A", L"[B]", L"x"},
        {"blank around key", L"A", L" ArtistUrl", L"x"},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(WriteIniValue(file, c.section, c.key, c.value)) << c.what;
        EXPECT_EQ(ReadBytes(filePath), before) << c.what;
    }
}

TEST_F(IniFileTest, FailedWritesLeaveNothingBehind) {
    EXPECT_FALSE(WriteIniValue(folder.Wide("missing/A.ini"), L"A", L"k", L"v")) << "missing folder";
    std::filesystem::create_directory(folder / "dir.ini");
    EXPECT_FALSE(WriteIniValue(folder.Wide("dir.ini"), L"A", L"k", L"v")) << "a folder where the file should be";

    ASSERT_TRUE(WriteIniValue(file, L"A", L"k", L"v"));
    ASSERT_TRUE(WriteIniValue(file, L"A", L"k", L"w"));
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"A.ini", "dir.ini"})) << "no temporary or lock file stays";
}

TEST_F(IniFileTest, ThreadsWritingOneFileLoseNothing) {
    constexpr int kThreads = 4;
    constexpr int kEach = 100;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int k = 0; k < kEach; ++k) {
                const std::wstring name = L"T" + std::to_wstring(t) + L"-" + std::to_wstring(k);
                WriteIniValue(file, name, L"ArtistUrl", name + L"/albums");
            }
        });
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(ReadIniSectionNames(file).size(), static_cast<size_t>(kThreads * kEach));
    for (int t = 0; t < kThreads; ++t)
        for (int k = 0; k < kEach; ++k) {
            const std::wstring name = L"T" + std::to_wstring(t) + L"-" + std::to_wstring(k);
            EXPECT_EQ(Read(file, name.c_str(), L"ArtistUrl"), name + L"/albums") << platform::ToUtf8(name);
        }
}

TEST(IniTextTest, SetValueEditsOnlyWhatItMust) {
    struct Case {
        const char* what;
        const char* text;
        const wchar_t* section;
        const wchar_t* key;
        const wchar_t* value;
        const char* expected;  // nullptr: unchanged
    };
    const Case cases[] = {
        {"empty text", "", L"A", L"k", L"v", "[A]\r\nk=v\r\n"},
        {"replace", "[A]\r\nk=1\r\n", L"A", L"k", L"2", "[A]\r\nk=2\r\n"},
        {"same value", "[A]\r\nk=1\r\n", L"A", L"k", L"1", nullptr},
        {"same value, names in other case", "[a]\r\nk=1\r\n", L"A", L"K", L"1", nullptr},
        {"key of a later section", "[A]\nx=1\n[B]\nk=1\n", L"A", L"k", L"2", "[A]\nx=1\nk=2\n[B]\nk=1\n"},
        {"blank lines stay before the next section", "[A]\nx=1\n\n[B]\n", L"A", L"k", L"2", "[A]\nx=1\nk=2\n\n[B]\n"},
        {"header at end without break", "[A]", L"A", L"k", L"v", "[A]\r\nk=v\r\n"},
        {"comments and text kept", "; c\n[A]\nk=1\n# d\n", L"B", L"k", L"2", "; c\n[A]\nk=1\n# d\n[B]\nk=2\n"},
    };
    for (const Case& c : cases) {
        const std::optional<std::string> result = platform::SetIniValue(c.text, c.section, c.key, c.value);
        if (!c.expected) {
            EXPECT_EQ(result, std::nullopt) << c.what;
        } else {
            EXPECT_EQ(result, std::optional<std::string>(c.expected)) << c.what;
        }
    }
}

}  // namespace
