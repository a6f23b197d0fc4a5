// Peak heap of one page download: how much more the process holds at its
// highest point during DownloadPage than before it, for a 60 MB page (with and
// without an announced length) and for a hostile response, a 1 MiB gzip
// transfer coding that inflates to 1 GiB. A page should
// cost its raw body plus its decoded wide text (4 bytes a character here)
// plus a small constant: about 5 times the body; a hostile response no more
// than the 64 MiB body cap.
//
// The program replaces the global operator new and delete to follow the bytes
// held; the transfer engine's own memory is not among them (so the trailer
// lines it keeps are measured by scripts/memory-peaks, as resident memory). Each benchmark runs once and reports peak_MB and, for pages,
// peak_per_body. A loopback server on its own thread serves the responses.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "platform/CString.h"
#include "plugin/BasicTagsDllInterface.h"
#include "plugin/Mivo.h"
#include "tests/faults/GzipZeros.h"
#include "tests/support/RawServer.h"

namespace {

std::atomic<size_t> g_held{0};
std::atomic<size_t> g_peak{0};

void* Take(size_t size) {
    void* p = std::malloc(size != 0 ? size : 1);
    if (!p) throw std::bad_alloc();
    const size_t held = g_held += malloc_usable_size(p);
    size_t peak = g_peak.load();
    while (held > peak && !g_peak.compare_exchange_weak(peak, held)) {
    }
    return p;
}

void Give(void* p) {
    if (!p) return;
    g_held -= malloc_usable_size(p);
    std::free(p);
}

}  // namespace

void* operator new(size_t size) { return Take(size); }
void* operator new[](size_t size) { return Take(size); }
void operator delete(void* p) noexcept { Give(p); }
void operator delete[](void* p) noexcept { Give(p); }
void operator delete(void* p, size_t) noexcept { Give(p); }
void operator delete[](void* p, size_t) noexcept { Give(p); }

namespace {

using testsupport::RawServer;

constexpr size_t kPageBytes = 60 * 1000 * 1000;

std::string MakePage() {
    const std::string row = "<tr class=\"track\"><td>1.</td><td><a href=\"/x\">Some title here</a></td></tr>\n";
    std::string page = "<html><head><title>Album</title></head><body>\n";
    page.reserve(kPageBytes);
    while (page.size() + row.size() + 16 < kPageBytes) page += row;
    page += "</body></html>\n";
    page.resize(kPageBytes, ' ');
    return page;
}

// The server's material, made before any measurement starts.
const std::string& Page() {
    static const std::string page = MakePage();
    return page;
}

const faults::GzipZeros& Zeros() {
    static const faults::GzipZeros zeros = faults::MakeGzipZeros();
    return zeros;
}

void Answer(int fd, const std::string& path) {
    const std::string& page = Page();
    const faults::GzipZeros& zeros = Zeros();
    const std::string ok = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n";
    if (path == "/sized") {
        RawServer::Send(fd, ok + "Content-Length: " + std::to_string(page.size()) + "\r\n\r\n");
        RawServer::Send(fd, page);
    } else if (path == "/unsized") {
        RawServer::Send(fd, ok + "Connection: close\r\n\r\n");
        RawServer::Send(fd, page);
    } else if (path == "/gzip-bomb") {
        if (!RawServer::Send(fd, ok + "Transfer-Encoding: gzip\r\nConnection: close\r\n\r\n" + zeros.opening)) return;
        for (int i = 1; i < 1024; ++i)
            if (!RawServer::Send(fd, zeros.block)) return;
    }
}

RawServer& Server() {
    static RawServer server([](int fd, const std::string& head) { Answer(fd, RawServer::PathOf(head)); });
    return server;
}

class BenchHost : public CBasicTagsHostInterface {
public:
    int GetValue(const CString&, void*) override { return 0; }
    bool IsStopRequested() override { return false; }
};

// One DownloadPage of path; reports the peak above what was held before.
void MeasureDownload(benchmark::State& state, const std::string& path, bool expectPage) {
    Page();
    Zeros();
    const std::string address = Server().Address(path);
    const CString url(std::wstring(address.begin(), address.end()));
    BenchHost host;
    CMivo mivo;
    mivo.SetHost(&host);
    size_t peak = 0;
    for (auto _ : state) {
        CString text;
        const size_t before = g_held.load();
        g_peak = before;
        const bool ok = mivo.DownloadPage(url, text) != 0;
        peak = g_peak.load() - before;
        if (ok != expectPage) {
            state.SkipWithError(expectPage ? "the page did not arrive" : "the hostile response was not refused");
            break;
        }
    }
    state.counters["peak_MB"] = static_cast<double>(peak) / 1e6;
    if (expectPage) state.counters["peak_per_body"] = static_cast<double>(peak) / static_cast<double>(kPageBytes);
    mivo.SetHost(nullptr);
}

void BM_PeakPage60MB(benchmark::State& state) { MeasureDownload(state, "/sized", true); }
void BM_PeakPage60MBUnsized(benchmark::State& state) { MeasureDownload(state, "/unsized", true); }
void BM_PeakGzipBomb1GiB(benchmark::State& state) { MeasureDownload(state, "/gzip-bomb", false); }

}  // namespace

BENCHMARK(BM_PeakPage60MB)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PeakPage60MBUnsized)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PeakGzipBomb1GiB)->Iterations(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
