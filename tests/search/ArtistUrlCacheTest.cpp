// Tests of the artist address cache: file layout, exact and nearest reads,
// failures and their log lines, refused injections, writers in several processes.
#include "search/ArtistUrlCache.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/CodePage.h"
#include "platform/IniFile.h"
#include "tests/search/ArtistUrlCacheFixture.h"
#include "tests/support/FileBytes.h"
#include "tests/support/LogCapture.h"
#include "tests/support/SpecialFiles.h"
#include "tests/support/TempFolder.h"

namespace {

using namespace urlcache;

TEST(GetLeadingCharTest, ChoosesTheFileCharacter) {
    struct Case {
        const wchar_t* name;
        wchar_t digitReplacement;
        bool lowerCase;
        wchar_t expected;  // 0: no cache for this name
    };
    const Case cases[] = {
        {L"Quorin", L'#', false, L'Q'}, {L"quorin", L'#', false, L'Q'}, {L"4 Tops", L'#', false, L'#'},
        {L"0", L'#', false, L'#'},      {L"9x", L'#', false, L'#'},     {L"Zed", L'#', false, L'Z'},
        {L"zed", L'#', false, L'Z'},    {L"Quorin", L'#', true, L'q'},  {L"quorin", L'#', true, L'q'},
        {L"4 Tops", 0, false, L'4'},    {L" Quorin", L'#', false, 0},   {L"Élan", L'#', false, 0},
        {L"(US)", L'#', false, 0},      {L"", L'#', false, 0},          {L"\tQuorin", L'#', false, 0},
        {L"ÿ", L'#', false, 0},         {L"@", L'#', false, 0},         {L"[", L'#', false, 0},
    };
    for (const Case& c : cases) {
        wchar_t out = L'?';
        EXPECT_EQ(GetLeadingChar(c.name, out, c.digitReplacement, c.lowerCase), c.expected != 0) << Show(c.name);
        EXPECT_EQ(out, c.expected) << Show(c.name);
    }
}

TEST_F(ArtistUrlCacheTest, FolderLayoutUnderTheRoot) {
    for (const std::string& rootText : {root.Utf8(), root.Utf8() + kSeparator}) {
        CArtistUrlCache other(platform::FromUtf8(rootText), kSourceName, kSourceId);
        CString fileName;
        ASSERT_TRUE(other.GetCacheFileName(L"quorin", fileName)) << rootText;
        EXPECT_EQ(Show(fileName), CacheFolder() + "Q.ARTISTCACHE") << rootText;
        EXPECT_TRUE(std::filesystem::is_directory(CacheFolder())) << rootText;
    }
}

TEST_F(ArtistUrlCacheTest, DigitsAndLowerCaseChooseTheirFiles) {
    ASSERT_EQ(cache.WriteArtistUrl(L"182 Velnor", L"www.catalogue.example/182-velnor/albums"), 1);
    ASSERT_EQ(cache.WriteArtistUrl(L"quorin", L"www.catalogue.example/quorin/albums"), 1);
    EXPECT_NE(ReadBytes(CacheFolder() + "#.ARTISTCACHE").find("[182 Velnor]"), std::string::npos);
    EXPECT_NE(ReadBytes(CacheFolder() + "Q.ARTISTCACHE").find("[quorin]"), std::string::npos);
    EXPECT_EQ(Lookup(L"182 Velnor"), "www.catalogue.example/182-velnor/albums");
    EXPECT_EQ(Lookup(L"QUORIN"), "www.catalogue.example/quorin/albums") << "case-only difference is an exact hit";
    EXPECT_EQ(Lookup(L"Quorin", 0.0f), "www.catalogue.example/quorin/albums") << "exact hits need no threshold";
}

TEST_F(ArtistUrlCacheTest, NamesWithoutLeadingCharacterUseNoCache) {
    const CString names[] = {L" Quorin", L"Élan", L"(US)", L"", L"Ωmega"};
    for (const CString& name : names) {
        log.Clear();
        CString result;
        EXPECT_EQ(cache.WriteArtistUrl(name, L"www.x/albums"), 0) << Show(name);
        EXPECT_EQ(cache.ReadArtistUrl(name, result, 1000.0f), 0) << Show(name);
        EXPECT_TRUE(result.IsEmpty()) << Show(name);
        const std::wstring expected = L"GetCacheFileName():GetLeadingChar fails: " + name.str();
        EXPECT_EQ(log.Texts(L"INF"), (std::vector<std::wstring>{expected, expected})) << Show(name);
    }
    // Only the (empty) folders exist: no file was written.
    EXPECT_TRUE(std::filesystem::is_empty(CacheFolder()));
}

TEST_F(ArtistUrlCacheTest, NearestNameStrictlyBelowTheThreshold) {
    ASSERT_EQ(cache.WriteArtistUrl(L"Marastela", L"www.x/marastela/albums"), 1);
    EXPECT_EQ(Lookup(L"Marastella", 70.0f), "<none>") << "a difference equal to the threshold is not near enough";
    EXPECT_EQ(Lookup(L"Marastella", 70.5f), "www.x/marastela/albums");

    ASSERT_EQ(cache.WriteArtistUrl(L"Maras tella", L"www.x/maras-tella/albums"), 1);  // 5 away
    EXPECT_EQ(Lookup(L"Marastella", 1000.0f), "www.x/maras-tella/albums") << "the nearest name wins";
    EXPECT_EQ(Lookup(L"Zarastella", 1000.0f), "<none>") << "other leading characters live in other files";
}

TEST_F(ArtistUrlCacheTest, FirstOfEquallyNearNamesWinsAndZeroEndsTheScan) {
    ASSERT_EQ(cache.WriteArtistUrl(L"Quorin (UK)", L"www.x/uk"), 1);  // 25 away
    ASSERT_EQ(cache.WriteArtistUrl(L"Quorin (US)", L"www.x/us"), 1);  // 25 away, later
    EXPECT_EQ(Lookup(L"Quorin", 30.0f), "www.x/uk");
    ASSERT_EQ(cache.WriteArtistUrl(L"Quorin ", L"www.x/blank"), 1);   // 0 away: not exact, but equal
    ASSERT_EQ(cache.WriteArtistUrl(L"QUORIN  ", L"www.x/later"), 1);  // 0 away as well, later
    EXPECT_EQ(Lookup(L"Quorin", 30.0f), "www.x/blank");
}

TEST_F(ArtistUrlCacheTest, ValuesComeBackCutTo499Characters) {
    const std::wstring address = L"www.catalogue.example/" + std::wstring(600, L'a');
    ASSERT_EQ(cache.WriteArtistUrl(L"Quorin", address.c_str()), 1);
    EXPECT_EQ(Lookup(L"Quorin"), platform::ToUtf8(address.substr(0, 499)));
    EXPECT_EQ(Lookup(L"Quorinn", 100.0f), platform::ToUtf8(address.substr(0, 499))) << "through the nearest name";
}

TEST_F(ArtistUrlCacheTest, MissingRootFailsWithTheErrorLineEachTime) {
    const std::string missing = root.Utf8() + "/missing";
    CArtistUrlCache broken(platform::FromUtf8(missing), kSourceName, kSourceId);
    CString result;
    EXPECT_EQ(broken.ReadArtistUrl(L"Quorin", result, 1000.0f), 0);
    EXPECT_EQ(broken.WriteArtistUrl(L"Quorin", L"www.x"), 0);
    EXPECT_EQ(broken.ReadArtistUrl(L"Quorin", result, 1000.0f), 0);
    const std::vector<std::wstring> errors = log.Texts(L"ERR");
    ASSERT_EQ(errors.size(), 3u);
    // The system's code for a folder missing on the way: ENOENT on Linux,
    // ERROR_PATH_NOT_FOUND on Windows.
    const std::wstring folder = platform::FromUtf8(missing + kSeparator + "mivo" + kSeparator);
    const uint32_t code = platform::CreateDirectory(folder);
    ASSERT_TRUE(platform::IsNotFoundError(code)) << code;
    const std::wstring prefix = L"GetCacheFileName():Can not create directory: " + folder + L",  GetLastError():" +
                                std::to_wstring(code) + L", ";
    for (const std::wstring& line : errors) EXPECT_EQ(line.substr(0, prefix.size()), prefix) << platform::ToUtf8(line);
    EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST_F(ArtistUrlCacheTest, InjectionAttemptsAreRefused) {
    ASSERT_EQ(cache.WriteArtistUrl(L"Quorin", L"www.x/quorin"), 1);
    const std::string before = ReadBytes(CacheFolder() + "Q.ARTISTCACHE");
    struct Case {
        CString name;
        CString address;
    };
    const Case cases[] = {
        {L"Quorin]\r\n[Qevil", L"www.x/evil"},
        {L"Qevil\n", L"www.x/evil"},
        {CString(L"Q\0evil", 6), L"www.x/evil"},
        {L"Quorin", L"www.x/quorin\r\n[Qevil]\r\nArtistUrl=www.x/evil"},
        {L"Quorin", L"www.x/quorin\nArtistUrl=www.x/evil"},
        {L"Quorin", CString(L"www.x\0evil", 10)},
    };
    for (const Case& c : cases) {
        log.Clear();
        EXPECT_EQ(cache.WriteArtistUrl(c.name, c.address), 0) << Show(c.name) << " / " << Show(c.address);
        EXPECT_EQ(log.Texts(L"DBG"),
                  (std::vector<std::wstring>{
                      AsLogged(std::wstring(L"WriteArtistUrl to LocalCache fails for: ") + c.name.GetString())}))
            << Show(c.name);
    }
    EXPECT_EQ(ReadBytes(CacheFolder() + "Q.ARTISTCACHE"), before);
    EXPECT_EQ(Lookup(L"Qevil", 0.5f), "<none>");
    EXPECT_EQ(Lookup(L"Quorin"), "www.x/quorin");

    // Brackets inside a name are no injection: they round-trip.
    ASSERT_EQ(cache.WriteArtistUrl(L"Q]uorin [Live]", L"www.x/live"), 1);
    EXPECT_EQ(Lookup(L"Q]uorin [live]"), "www.x/live");
}

// Things that may stand at a cache file's name in a shared cache folder. None
// may be followed, block the lookup, or be replaced: each read finds nothing,
// each write fails with the Debug line, and the thing stays as it was.
TEST_F(ArtistUrlCacheTest, CacheFilesThatAreNotPlainWritableFilesAreLeftAlone) {
    if (!kPosixSpecialFiles) GTEST_SKIP() << kNoSpecialFiles;
    struct Case {
        const char* name;
        // Puts something at file; outside is a folder beside the cache folder.
        void (*plant)(const std::string& file, const std::string& outside);
        // The bytes that outside/victim must keep, when the row makes one.
        const char* victim;
    };
    static constexpr char kEntry[] = "[Quorin]\r\nArtistUrl=www.x/quorin\r\n";
    const Case cases[] = {
        {"a link to a cache-like file elsewhere",
         [](const std::string& file, const std::string& outside) {
             std::ofstream(outside + "/victim", std::ios::binary) << kEntry;
             std::filesystem::create_symlink(outside + "/victim", file);
         },
         kEntry},
        {"a dangling link",
         [](const std::string& file, const std::string& outside) {
             std::filesystem::create_symlink(outside + "/made-through-link", file);
         },
         nullptr},
        {"a FIFO", [](const std::string& file, const std::string&) { ASSERT_TRUE(MakeFifo(file)); }, nullptr},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        TempFolder folder;
        CArtistUrlCache shared(platform::FromUtf8(folder.Utf8()), kSourceName, kSourceId);
        const std::string outside = folder.Utf8() + "/outside";
        std::filesystem::create_directories(outside);
        ASSERT_EQ(shared.WriteArtistUrl(L"Zed", L"www.x/zed"), 1) << "makes the cache folders";
        const std::string file = folder.Utf8() + "/mivo/" + Show(kSourceId) + "/Q.ARTISTCACHE";
        row.plant(file, outside);
        const auto planted = std::filesystem::symlink_status(file).type();

        log.Clear();
        CString result;
        EXPECT_EQ(shared.ReadArtistUrl(L"Quorin", result, 1000.0f), 0);
        EXPECT_TRUE(result.IsEmpty());
        EXPECT_EQ(shared.WriteArtistUrl(L"Quorin", L"www.x/new"), 0);
        EXPECT_EQ(log.Texts(L"DBG"), std::vector<std::wstring>{L"WriteArtistUrl to LocalCache fails for: Quorin"});
        EXPECT_EQ(shared.ReadArtistUrl(L"Quorin", result, 1000.0f), 0);

        EXPECT_EQ(std::filesystem::symlink_status(file).type(), planted) << "the thing at the name stays";
        EXPECT_FALSE(std::filesystem::exists(outside + "/made-through-link")) << "no file is made through a link";
        if (row.victim) {
            EXPECT_EQ(ReadBytes(outside + "/victim"), row.victim);
        }
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder.Utf8() + "/mivo/" + Show(kSourceId)))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{"Q.ARTISTCACHE", "Z.ARTISTCACHE"})) << "no temporary file stays";
    }
}

TEST_F(ArtistUrlCacheTest, SectionNamesInFileOrderBeyondAnyBuffer) {
    // 400 names of 30 characters: far more than a first 4096-character answer holds.
    std::vector<CString> written;
    for (int k = 0; k < 400; ++k) {
        CString name;
        name.Format(L"Quorin tribute band number %03d", 399 - k);
        written.push_back(name);
        ASSERT_EQ(cache.WriteArtistUrl(name, L"www.x"), 1);
    }
    CString fileName;
    ASSERT_TRUE(cache.GetCacheFileName(L"Q", fileName));
    std::vector<CString> names{L"stale"};
    cache.GetSectionNames(fileName, names);
    EXPECT_EQ(names, written);
    cache.GetSectionNames(fileName + L".missing", names);
    EXPECT_TRUE(names.empty());
}

TEST_F(ArtistUrlCacheTest, AnotherModuleChecksumStartsEmpty) {
    ASSERT_EQ(cache.WriteArtistUrl(L"Quorin", L"www.x/quorin"), 1);
    CArtistUrlCache other(platform::FromUtf8(root.Utf8()), kSourceName, L"ffffffffffffffffffffffffffffffff");
    CString result;
    EXPECT_EQ(other.ReadArtistUrl(L"Quorin", result, 1000.0f), 0);
}

}  // namespace
