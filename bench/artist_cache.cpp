// Speed of the artist address cache on a letter file of 10,000 sections:
// a read that misses the exact name and scans for the nearest one (with the
// default threshold 1.0 and with an unbounded one), an exact read, and a write.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <limits>
#include <random>
#include <string>

#include "platform/CodePage.h"
#include "search/ArtistUrlCache.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempFolder.h"

namespace {

constexpr int kSections = 10000;

// A cache folder holding one "S" file of kSections artists, made once.
class CacheFixture {
public:
    CacheFixture() {
        cache = std::make_unique<CArtistUrlCache>(m_root.Wide(), L"mivo", L"bench");
        CString fileName;
        cache->GetCacheFileName(L"S", fileName);
        // Names of 8 to 20 characters; the file is written in one go, as
        // 10,000 single writes would take a while.
        std::mt19937 random(42);
        std::string text;
        for (int k = 0; k < kSections; ++k) {
            std::string name = "S";
            const int length = 7 + static_cast<int>(random() % 13);
            for (int c = 0; c < length; ++c) name += static_cast<char>(c % 6 == 5 ? ' ' : 'a' + random() % 26);
            text += "[" + name + "]\r\nArtistUrl=www.catalogue.example/" + std::to_string(k) + "/albums\r\n";
            if (k == kSections / 2) exactName = platform::FromUtf8(name);
        }
        WriteBytes(platform::ToUtf8(fileName.str()), text);
    }

    std::unique_ptr<CArtistUrlCache> cache;
    CString exactName;

private:
    TempFolder m_root;
};

CacheFixture& Fixture() {
    static CacheFixture fixture;
    return fixture;
}

void BM_ReadNearestNameDefaultThreshold(benchmark::State& state) {
    CArtistUrlCache& cache = *Fixture().cache;
    for (auto _ : state) {
        CString result;
        benchmark::DoNotOptimize(cache.ReadArtistUrl(L"Sxqzt Quorin Brisk", result, 1.0f));
    }
}
BENCHMARK(BM_ReadNearestNameDefaultThreshold)->Unit(benchmark::kMillisecond);

void BM_ReadNearestNameUnbounded(benchmark::State& state) {
    CArtistUrlCache& cache = *Fixture().cache;
    for (auto _ : state) {
        CString result;
        benchmark::DoNotOptimize(cache.ReadArtistUrl(L"Sxqzt Quorin Brisk", result, std::numeric_limits<float>::max()));
    }
}
BENCHMARK(BM_ReadNearestNameUnbounded)->Unit(benchmark::kMillisecond);

void BM_ReadExactName(benchmark::State& state) {
    CArtistUrlCache& cache = *Fixture().cache;
    for (auto _ : state) {
        CString result;
        benchmark::DoNotOptimize(cache.ReadArtistUrl(Fixture().exactName, result, 1.0f));
    }
}
BENCHMARK(BM_ReadExactName)->Unit(benchmark::kMillisecond);

void BM_Write(benchmark::State& state) {
    CArtistUrlCache& cache = *Fixture().cache;
    int k = 0;
    for (auto _ : state) {
        // A changing address, so that every write replaces the file.
        CString address;
        address.Format(L"www.catalogue.example/quorin-%d/albums", k++);
        benchmark::DoNotOptimize(cache.WriteArtistUrl(L"Sxqzt Quorin Brisk", address));
    }
}
BENCHMARK(BM_Write)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
