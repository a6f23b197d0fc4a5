// The User-Agent generator: exact strings for scripted seeds, and the
// structure of many generated strings.
#include <gtest/gtest.h>

#include <boost/regex.hpp>
#include <set>
#include <thread>
#include <vector>

#include "http/UserAgent.h"
#include "platform/CodePage.h"
#include "platform/Random.h"

namespace {

// The first value the classic generator yields after being seeded with seed.
int FirstDraw(uint32_t seed) {
    platform::SeedRandom(seed);
    return platform::NextRandom();
}

// A seed whose first draw modulo n is want.
uint32_t SeedFor(int n, int want) {
    for (uint32_t seed = 0;; ++seed)
        if (FirstDraw(seed) % n == want) return seed;
}

// Installs a seed source for the test's thread; restores the default after.
class SeedSource {
public:
    explicit SeedSource(std::function<uint64_t()> source) { SetUserAgentSeedSource(std::move(source)); }
    // Hands out the given seeds in order (then the last one again).
    explicit SeedSource(std::vector<uint32_t> seeds)
        : SeedSource([seeds, i = size_t(0)]() mutable { return uint64_t(seeds[std::min(i++, seeds.size() - 1)]); }) {}
    ~SeedSource() { SetUserAgentSeedSource({}); }
};

TEST(RandomNumberTest, ReseedsEveryCallAndReducesModuloPositiveN) {
    SeedSource source([] { return uint64_t(0xABCD00000001ull); });  // low 32 bits: 1
    EXPECT_EQ(RandomNumber(0), 41);  // the classic sequence for seed 1 starts 41, 18467, ...
    EXPECT_EQ(RandomNumber(-5), 41);
    EXPECT_EQ(RandomNumber(7), 41 % 7);
    EXPECT_EQ(RandomNumber(1), 0);
    EXPECT_EQ(platform::NextRandom(), 18467);  // a plain draw continues the latest reseed
}

TEST(RandomNumberTest, OneAlwaysGivesZeroWithTheRealCounter) {
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(RandomNumber(1), 0);
    for (int i = 0; i < 1000; ++i) {
        const int raw = RandomNumber(0);
        ASSERT_GE(raw, 0);
        ASSERT_LE(raw, platform::kRandomMax);
    }
}

TEST(GenerateUserAgentTest, ExactStringsForScriptedSeeds) {
    {
        SeedSource source([] { return uint64_t(0x12345678); });
        EXPECT_EQ(platform::ToUtf8(GenerateUserAgent()),
                  "Mozilla/4.0 (compatible; MSIE 8.0; Windows NT 6.1; en-US; SV1; YPC 3.2.9; GTB5.9; "
                  ".NET CLR 1.0.23359; .NET CLR 1.1.23359; .NET CLR 2.0.23359; .NET CLR 3.0.19469.23359; "
                  ".NET CLR 3.5.19469.23359; yie8; yplus 5.2.29)");
    }
    {
        // Only the counter's low 32 bits seed the generator.
        uint64_t next = 7ull * 0x100000000ull + 1000;
        SeedSource source([&next] {
            const uint64_t value = next;
            next += 7919;
            return value;
        });
        EXPECT_EQ(platform::ToUtf8(GenerateUserAgent()),
                  "Mozilla/4.0 (compatible; MSIE 7.0; Windows NT 6.0; .NET CLR 2.0.4089; .NET CLR 3.0.16656.22223; "
                  ".NET CLR 3.5.23574.7589; yie8; yplus 5.0.23)");
    }
}

TEST(GenerateUserAgentTest, ScriptedDrawsPickPiecesAndNumbers) {
    {
        // browser 0, system 0, no language, start 10, token 10 left out.
        SeedSource source(std::vector<uint32_t>{SeedFor(3, 0), SeedFor(3, 0), SeedFor(2, 0), SeedFor(11, 10),
                                                SeedFor(2, 0)});
        EXPECT_EQ(GenerateUserAgent(), L"Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)");
    }
    {
        // start 10 with its token: the second number (R(30)) is drawn before the first (R(3)).
        SeedSource source(std::vector<uint32_t>{SeedFor(3, 2), SeedFor(3, 1), SeedFor(2, 1), SeedFor(11, 10),
                                                SeedFor(2, 1), SeedFor(30, 29), SeedFor(3, 2)});
        EXPECT_EQ(GenerateUserAgent(), L"Mozilla/4.0 (compatible; MSIE 8.0; Windows NT 6.0; en-US; yplus 5.2.29)");
    }
    {
        // start 0, every token in: pieces in table order, YPC and GTB draw their second number first.
        std::vector<uint32_t> seeds{SeedFor(3, 1), SeedFor(3, 2), SeedFor(2, 0), SeedFor(11, 0)};
        for (int token = 0; token < 10; ++token) seeds.push_back(SeedFor(2, 1));
        seeds.push_back(SeedFor(2, 1));
        seeds.push_back(SeedFor(30, 7));
        seeds.push_back(SeedFor(3, 0));
        const uint32_t tokenSeed = SeedFor(2, 1);
        platform::SeedRandom(tokenSeed);
        platform::NextRandom();
        const int d1 = platform::NextRandom(), d2 = platform::NextRandom();
        SeedSource source(seeds);
        const std::wstring ua = GenerateUserAgent();
        const std::wstring expectedStart =
            L"Mozilla/4.0 (compatible; MSIE 7.0; Windows NT 6.1; Trident/4.0; SV1; YPC 3." + std::to_wstring(d2 % 3) +
            L"." + std::to_wstring(d1 % 10) + L"; GTB" + std::to_wstring(d2 % 6) + L"." + std::to_wstring(d1 % 10) +
            L"; .NET CLR 1.0." + std::to_wstring(d1);
        EXPECT_EQ(ua.substr(0, expectedStart.size()), expectedStart);
        const std::wstring expectedEnd = L"; yie8; yplus 5.0.7)";
        ASSERT_GT(ua.size(), expectedEnd.size());
        EXPECT_EQ(ua.substr(ua.size() - expectedEnd.size()), expectedEnd);
    }
}

// Every string follows the grammar: fixed opening, browser, system, optional
// language, then tokens in table order, each at most once, numbers in range.
TEST(GenerateUserAgentTest, StructureOverManyStrings) {
    const boost::regex grammar(R"(Mozilla/4\.0 \(compatible; MSIE [678]\.0; Windows NT (5\.1|6\.0|6\.1)(; en-US)?)"
                               R"((; Trident/4\.0)?(; SV1)?(; YPC 3\.[0-2]\.[0-9])?(; GTB[0-5]\.[0-9])?)"
                               R"((; \.NET CLR 1\.0\.(0|[1-9][0-9]{0,4}))?(; \.NET CLR 1\.1\.(0|[1-9][0-9]{0,4}))?)"
                               R"((; \.NET CLR 2\.0\.(0|[1-9][0-9]{0,4}))?)"
                               R"((; \.NET CLR 3\.0\.(0|[1-9][0-9]{0,4})\.(0|[1-9][0-9]{0,4}))?)"
                               R"((; \.NET CLR 3\.5\.(0|[1-9][0-9]{0,4})\.(0|[1-9][0-9]{0,4}))?)"
                               R"((; yie8)?(; yplus 5\.[0-2]\.([0-9]|[12][0-9]))?\))");
    const boost::regex number(R"(\d+)");
    const char* pieces[] = {"MSIE 6.0", "MSIE 7.0", "MSIE 8.0", "NT 5.1",  "NT 6.0", "NT 6.1",
                            "en-US",    "Trident",  "SV1",      "YPC",     "GTB",    "CLR 1.0",
                            "CLR 1.1",  "CLR 2.0",  "CLR 3.0",  "CLR 3.5", "yie8",   "yplus"};
    std::set<std::string> piecesSeen;
    // A varying seed source reaches every branch; the real counter is tried too.
    uint64_t next = 1;
    {
        SeedSource source([&next] { return next = next * 6364136223846793005ull + 1442695040888963407ull; });
        for (int i = 0; i < 3000; ++i) {
            const std::string ua = platform::ToUtf8(GenerateUserAgent());
            ASSERT_TRUE(boost::regex_match(ua, grammar)) << ua;
            for (const char* piece : pieces)
                if (ua.find(piece) != std::string::npos) piecesSeen.insert(piece);
            for (boost::sregex_iterator it(ua.begin(), ua.end(), number), end; it != end; ++it)
                ASSERT_LE(std::stol(it->str()), platform::kRandomMax) << ua;
        }
    }
    EXPECT_EQ(piecesSeen.size(), std::size(pieces));
    for (int i = 0; i < 200; ++i) {
        const std::string ua = platform::ToUtf8(GenerateUserAgent());
        ASSERT_TRUE(boost::regex_match(ua, grammar)) << ua;
    }
}

TEST(GenerateUserAgentTest, GeneratorStateIsPerThread) {
    platform::SeedRandom(1);
    std::thread([] {
        platform::SeedRandom(99);
        platform::NextRandom();
    }).join();
    EXPECT_EQ(platform::NextRandom(), 41);
}

}  // namespace
