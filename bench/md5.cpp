// MD5 throughput of CMD5Checksum::ComputeFileHash against the system's
// md5sum on the same 256 MB file, in the same run. The file is written once
// into the temporary folder and removed at exit; both sides read it warm
// from the page cache, so the figures compare hashing, not the disk.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "tests/support/TempFolder.h"
#include "text/MD5Checksum.h"

namespace {

namespace fs = std::filesystem;

constexpr size_t kFileSize = 256u * 1024 * 1024;

// The benchmark file, created on first use and removed with its folder at exit.
const fs::path& BenchFile() {
    static const TempFolder folder;
    static const fs::path path = [] {
        const fs::path file = folder / "input";
        std::ofstream out(file, std::ios::binary);
        std::mt19937 random(42);
        std::vector<uint32_t> chunk(1 << 18);
        for (size_t written = 0; written < kFileSize; written += chunk.size() * sizeof(uint32_t)) {
            for (auto& word : chunk) word = random();
            out.write(reinterpret_cast<const char*>(chunk.data()), static_cast<std::streamsize>(chunk.size() * 4));
        }
        return file;
    }();
    return path;
}

void BM_CMD5Checksum_File256MB(benchmark::State& state) {
    const std::wstring path = BenchFile().wstring();
    for (auto _ : state) benchmark::DoNotOptimize(CMD5Checksum::ComputeFileHash(path.c_str()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kFileSize));
}

void BM_md5sum_File256MB(benchmark::State& state) {
    const std::string command = "md5sum '" + BenchFile().string() + "' > /dev/null";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) state.SkipWithError("md5sum failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kFileSize));
}

void BM_CMD5Checksum_Update64KB(benchmark::State& state) {
    std::vector<uint8_t> block(64 * 1024, 0x5A);
    CMD5Checksum checksum;
    for (auto _ : state) checksum.Update(block.data(), block.size());
    benchmark::DoNotOptimize(checksum.Final());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(block.size()));
}

}  // namespace

BENCHMARK(BM_CMD5Checksum_File256MB)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_md5sum_File256MB)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_CMD5Checksum_Update64KB);

BENCHMARK_MAIN();
