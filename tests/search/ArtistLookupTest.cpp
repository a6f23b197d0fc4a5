// CMivo::FindArtistUrl against a scripted catalogue site reached as the
// plug-in's proxy: the selection rule, the threshold, the cache interplay,
// the search address and the failure paths.
#include <gtest/gtest.h>

#include "plugin/Mivo.h"
#include "search/ArtistUrlCache.h"
#include "tests/search/ScriptedSite.h"
#include "tests/support/LogCapture.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/TempFolder.h"

namespace {

using namespace searchtest;
using testsupport::RecordingHost;

class ArtistLookupTest : public ::testing::Test {
protected:
    ArtistLookupTest() {
        host.proxy = site.Proxy();
        mivo.SetHost(&host);
    }

    // Attaches an artist cache in a fresh folder.
    void UseCache() {
        const CString folder = cacheFolder.Wide("");
        ASSERT_EQ(mivo.Set(L"LocalCacheFolder", &folder), 1);
    }
    // The address cached under exactly name, or "" (read with a second cache object on the same folder).
    std::wstring Cached(const std::wstring& name) {
        CString sourceId;
        mivo.Property(L"SourceId", &sourceId);
        CArtistUrlCache cache(cacheFolder.Wide(""), L"mivo", sourceId);
        CString url;
        return cache.ReadArtistUrl(name, url, 0.0f) ? url.str() : std::wstring();
    }

    LogCapture log;
    TempFolder cacheFolder;
    ScriptedSite site;
    RecordingHost host;
    CMivo mivo;
};

TEST_F(ArtistLookupTest, PicksTheFirstNearestCandidateBelowTheThreshold) {
    struct Row {
        const char* label;
        std::string name;  // as the host asks (UTF-8)
        std::vector<std::pair<std::string, std::string>> hits;
        std::optional<float> maxDifference;
        std::string expected;  // artist path chosen, "" for no result
    };
    const Row rows[] = {
        {"exact among several",
         "Velnor",
         {{"/artist/v182", "Velnor 182"}, {"/artist/v", "Velnor"}, {"/artist/vq", "Velnor Quartet"}},
         1000.0f,
         "/artist/v"},
        {"case only, default threshold", "velnor", {{"/artist/v", "VELNOR"}}, std::nullopt, "/artist/v"},
        {"near miss, default threshold", "Ploms", {{"/artist/p", "The Ploms"}}, std::nullopt, ""},
        {"near hit, wide threshold",
         "Ploms",
         {{"/artist/r", "Ploms Revival Band"}, {"/artist/p", "The Ploms"}},
         300.0f,
         "/artist/p"},
        {"difference equal to threshold", "Ploms", {{"/artist/p", "The Ploms"}}, 215.0f, ""},
        {"tie keeps the earlier",
         "Quorin",
         {{"/artist/us", "Quorin (US)"}, {"/artist/uk", "Quorin (UK)"}},
         100.0f,
         "/artist/us"},
        {"later nearer wins",
         "Quorin (UK)",
         {{"/artist/us", "Quorin (US)"}, {"/artist/uk", "Quorin (UK)"}},
         100.0f,
         "/artist/uk"},
        {"first word swapped", "Tam Brisk", {{"/artist/tb", "Brisk, Tam"}}, 100.0f, "/artist/tb"},
        {"threshold zero refuses even exact", "Velnor", {{"/artist/v", "Velnor"}}, 0.0f, ""},
        {"blank around the link text", "Velnor", {{"/artist/v", " Velnor  "}}, std::nullopt, "/artist/v"},
        {"escaped ampersand", "Harlan & Vey", {{"/artist/hv", "Harlan &amp; Vey"}}, std::nullopt, "/artist/hv"},
        {"escaped apostrophe", "Rag 'n' Bone", {{"/artist/rb", "Rag &#39;n&#39; Bone"}}, std::nullopt, "/artist/rb"},
        {"non-Latin script, case folded", "кирилл зорин", {{"/artist/kz", "Кирилл Зорин"}}, std::nullopt, "/artist/kz"},
        {"no candidates", "Velnor", {}, 1000.0f, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        host.maxDifference = row.maxDifference;
        const std::wstring name = W(row.name);
        site.Page("/search?q=" + QueryEncode(row.name), SearchPage(row.hits));
        CString url;
        const int result = mivo.FindArtistUrl(name, url);
        EXPECT_EQ(result, row.expected.empty() ? 0 : 1);
        EXPECT_EQ(url.str(), row.expected.empty() ? L"" : W(kSite + row.expected + "/albums"));
    }
}

TEST_F(ArtistLookupTest, OnlyLinksToTheSiteFollowedByTheAttributionSpanCount) {
    host.maxDifference = 1000.0f;
    const std::string decoys =
        "<li><a href=\"http://www.catalogue.example/artist/plain\">Velnor</a> <span class=\"mod_attrib\">x</span></li>\n"
        "<li><a href=\"http://www.catalogue.example/artist/nospan\">Velnor</a></li>\n"
        "<li><a href=\"http://wwwXcatalogueYexample/artist/dots\">Velnor</a><span class=\"mod_attrib\">x</span></li>\n"
        "<li><a href=\"http://www.catalogue.example/album/a1\">Velnor</a><span class=\"mod_attrib\">x</span></li>\n";
    site.Page("/search?q=Velnor", SearchPage({}, decoys) + SearchPage({{"/artist/real", "Velnor Quartet"}}));
    CString url;
    EXPECT_EQ(mivo.FindArtistUrl(L"Velnor", url), 1);
    EXPECT_EQ(url.str(), L"www.catalogue.example/artist/real/albums");
}

TEST_F(ArtistLookupTest, EveryCandidateSeenIsCachedUntilAnExactMatch) {
    UseCache();
    host.maxDifference = 1000.0f;
    site.Page("/search?q=Velnor", SearchPage({{"/artist/v182", "Velnor 182"},
                                              {"/artist/v", " Velnor "},
                                              {"/artist/vq", "Velnor Quartet"}}));
    CString url;
    ASSERT_EQ(mivo.FindArtistUrl(L"Velnor", url), 1);
    EXPECT_EQ(Cached(L"Velnor 182"), L"www.catalogue.example/artist/v182/albums");
    EXPECT_EQ(Cached(L"Velnor"), L"www.catalogue.example/artist/v/albums");
    EXPECT_EQ(Cached(L"Velnor Quartet"), L"") << "the scan ends at the exact match";
}

TEST_F(ArtistLookupTest, CandidatesAreCachedEvenWhenNoneIsNearEnough) {
    UseCache();
    site.Page("/search?q=Ploms", SearchPage({{"/artist/p", "The Ploms"}, {"/artist/h", "Harlan &amp; Vey"}}));
    CString url;
    EXPECT_EQ(mivo.FindArtistUrl(L"Ploms", url), 0);
    EXPECT_TRUE(url.IsEmpty());
    EXPECT_EQ(Cached(L"The Ploms"), L"www.catalogue.example/artist/p/albums");
    EXPECT_EQ(Cached(L"Harlan & Vey"), L"www.catalogue.example/artist/h/albums");
}

TEST_F(ArtistLookupTest, ASecondLookupIsAnsweredFromTheCacheWithoutARequest) {
    UseCache();
    site.Page("/search?q=Korva", SearchPage({{"/artist/k", "Korva"}}));
    CString first;
    ASSERT_EQ(mivo.FindArtistUrl(L"Korva", first), 1);
    EXPECT_EQ(host.TimesAsked(L"MaxMatchDifference"), 2) << "asked before the cache and again after the download";
    EXPECT_EQ(site.Requests().size(), 1u);

    site.ClearRequests();
    host.Forget();
    log.Clear();
    CString second;
    EXPECT_EQ(mivo.FindArtistUrl(L"KORVA", second), 1);
    EXPECT_EQ(second, first);
    EXPECT_TRUE(site.Requests().empty());
    EXPECT_EQ(host.TimesAsked(L"MaxMatchDifference"), 1);
    EXPECT_EQ(log.Texts(L"INF"), std::vector<std::wstring>{
                                     L"ArtistUrl found in local cache. KORVA, www.catalogue.example/artist/k/albums"});
}

TEST_F(ArtistLookupTest, SearchAddressCarriesTheNamePercentEncoded) {
    struct Row {
        std::string name;
        std::string target;
    };
    const Row rows[] = {
        {"Simon & Garfunkel", "/search?q=Simon%20%26%20Garfunkel"},
        {"C#", "/search?q=C%23"},
        {"AC/DC+1", "/search?q=AC%2FDC%2B1"},
        {"100%", "/search?q=100%25"},
        {"Björk", "/search?q=Bj%C3%B6rk"},
        {" Velnor  182 ", "/search?q=%20Velnor%20%20182%20"},
        {"a-b.c_d~e", "/search?q=a-b.c_d~e"},
    };
    for (const Row& row : rows) {
        site.ClearRequests();
        CString url;
        mivo.FindArtistUrl(W(row.name), url);
        EXPECT_EQ(site.Requests(), std::vector<std::string>{row.target}) << row.name;
    }
}

TEST_F(ArtistLookupTest, FailedDownloadLeavesTheResultAlone) {
    UseCache();
    site.Page("/search?q=Velnor", SearchPage({{"/artist/v", "Velnor"}}), 500);
    CString url = L"kept";
    EXPECT_EQ(mivo.FindArtistUrl(L"Velnor", url), 0);
    EXPECT_EQ(url.str(), L"kept");
    EXPECT_EQ(Cached(L"Velnor"), L"");
    EXPECT_EQ(host.TimesAsked(L"MaxMatchDifference"), 1);
}

TEST_F(ArtistLookupTest, StopDuringTheScanReturnsAtOnce) {
    UseCache();
    host.maxDifference = 1000.0f;
    site.Page("/search?q=Velnor", SearchPage({{"/artist/v182", "Velnor 182"}, {"/artist/vq", "Velnor Quartet"}}));
    // First question: the download's own check; second: before candidate 1; third: before candidate 2.
    host.stopWhen = [](int question) { return question >= 3; };
    CString url;
    EXPECT_EQ(mivo.FindArtistUrl(L"Velnor", url), 0);
    EXPECT_EQ(url.str(), L"www.catalogue.example/artist/v182/albums") << "an earlier candidate's address stays";
    EXPECT_EQ(Cached(L"Velnor 182"), L"www.catalogue.example/artist/v182/albums");
    EXPECT_EQ(Cached(L"Velnor Quartet"), L"");
}

TEST_F(ArtistLookupTest, WithoutAHostNothingIsDownloaded) {
    CMivo detached;
    CString url;
    EXPECT_EQ(detached.FindArtistUrl(L"Velnor", url), 0);
    EXPECT_TRUE(site.Requests().empty());
}

TEST_F(ArtistLookupTest, AnEmptySearchPageFindsNothing) {
    site.Page("/search?q=Velnor", "");
    CString url;
    EXPECT_EQ(mivo.FindArtistUrl(L"Velnor", url), 0);
    EXPECT_TRUE(url.IsEmpty());
    EXPECT_EQ(log.Texts(L"WRN"), std::vector<std::wstring>{L"Input string is empty"});
    EXPECT_EQ(log.Texts(L"ERR"), std::vector<std::wstring>{L"NOT initialized (string to match is empty)"});
}

}  // namespace
