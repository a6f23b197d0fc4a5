// Page download speed: 200 sequential downloads of a 100 KB page from a
// loopback server through DownloadPage (generated User-Agent, statistics,
// gate calls, UTF-8 decoding into wide text), against plain libcurl fetching
// the same page with a new easy handle (and so a new connection) each time.
// Both run in the same process against the same server; the program prints
// the ratio of the two mean times (aimed at 1.2 or less).
//
// Fresh pages are costly on virtual machines, and how often the C library's
// allocator hands memory back to the system decides how many of them each
// download touches (a 100 KB page becomes 400 KB of wide text). The pair runs
// twice: with the allocator's default trimming, then with freed memory kept
// in the process (mallopt), so the ratio can be read without that effect.
#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <httplib.h>
#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <thread>

#include "platform/CString.h"
#include "plugin/BasicTagsDllInterface.h"
#include "plugin/Mivo.h"

namespace {

constexpr int kDownloads = 200;
constexpr size_t kPageBytes = 100 * 1024;

std::string MakePage() {
    std::string page = "<html><head><title>Album</title></head><body>\n";
    for (int i = 0; page.size() < kPageBytes - 32; ++i)
        page += "<li class=\"track\">" + std::to_string(i) + ". Track title number " + std::to_string(i) + "</li>\n";
    page += "</body></html>";
    page.resize(kPageBytes, ' ');
    return page;
}

class PageServer {
public:
    PageServer() : m_page(MakePage()) {
        m_server.set_tcp_nodelay(true);
        m_server.Get("/album", [this](const httplib::Request&, httplib::Response& res) {
            res.set_content(m_page, "text/html; charset=utf-8");
        });
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        while (!m_server.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~PageServer() {
        m_server.stop();
        m_thread.join();
    }
    std::string Address() const { return "127.0.0.1:" + std::to_string(m_port) + "/album"; }

private:
    std::string m_page;
    httplib::Server m_server;
    std::thread m_thread;
    int m_port = 0;
};

PageServer& Server() {
    static PageServer server;
    return server;
}

class QuietGate : public CHostIgnoreInterface {};

class BenchHost : public CBasicTagsHostInterface {
public:
    int GetValue(const CString& name, void* value) override {
        if (name == L"HostIgnore") {
            *static_cast<CHostIgnoreInterface**>(value) = &gate;
            return 1;
        }
        return 0;
    }
    bool IsStopRequested() override { return false; }
    QuietGate gate;
};

// One download through the plug-in's page download; false when it failed.
bool PageDownload(CMivo& mivo, const CString& url) {
    CString text;
    const bool ok = mivo.DownloadPage(url, text) && text.GetLength() == static_cast<int>(kPageBytes);
    benchmark::DoNotOptimize(text);
    return ok;
}

CString PageUrl() {
    const std::string address = Server().Address();
    return CString(std::wstring(address.begin(), address.end()));
}

void BM_DownloadPage(benchmark::State& state) {
    const CString url = PageUrl();
    BenchHost host;
    CMivo mivo;
    mivo.SetHost(&host);
    for (auto _ : state) {
        if (!PageDownload(mivo, url)) {
            state.SkipWithError("DownloadPage failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kPageBytes));
}

size_t Collect(char* data, size_t size, size_t count, void* user) {
    static_cast<std::string*>(user)->append(data, size * count);
    return size * count;
}

// One download with plain libcurl and a new handle (so a new connection).
bool PlainDownload(const std::string& url) {
    std::string body;
    CURL* curl = curl_easy_init();
    if (!curl) return false;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_PROXY, "");
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    const CURLcode result = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    benchmark::DoNotOptimize(body);
    return result == CURLE_OK && body.size() == kPageBytes;
}

void BM_PlainLibcurl(benchmark::State& state) {
    const std::string url = "http://" + Server().Address();
    for (auto _ : state) {
        if (!PlainDownload(url)) {
            state.SkipWithError("libcurl download failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kPageBytes));
}

// The two side by side, one of each per iteration, so that load from other
// processes falls on both alike; the counters give the mean of each and their ratio.
void BM_Alternating(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    const std::string plainUrl = "http://" + Server().Address();
    const CString pageUrl = PageUrl();
    BenchHost host;
    CMivo mivo;
    mivo.SetHost(&host);
    double plainSeconds = 0, pageSeconds = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        const bool plainOk = PlainDownload(plainUrl);
        const auto t1 = Clock::now();
        const bool pageOk = PageDownload(mivo, pageUrl);
        const auto t2 = Clock::now();
        if (!plainOk || !pageOk) {
            state.SkipWithError("a download failed");
            break;
        }
        plainSeconds += std::chrono::duration<double>(t1 - t0).count();
        pageSeconds += std::chrono::duration<double>(t2 - t1).count();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["plain_us"] = plainSeconds / n * 1e6;
    state.counters["page_us"] = pageSeconds / n * 1e6;
    state.counters["ratio"] = plainSeconds > 0 ? pageSeconds / plainSeconds : 0;
}

BENCHMARK(BM_PlainLibcurl)->Iterations(kDownloads)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DownloadPage)->Iterations(kDownloads)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Alternating)->Iterations(kDownloads)->Unit(benchmark::kMicrosecond);

// Console output as usual; the mean real time of each benchmark and the
// alternating run's ratio are kept for the summary line.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred || run.iterations == 0) continue;
            means[run.benchmark_name()] = run.GetAdjustedRealTime();
            const auto ratio = run.counters.find("ratio");
            if (ratio != run.counters.end()) alternatingRatio = ratio->second.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> means;
    double alternatingRatio = 0;
};

}  // namespace

int main(int argc, char** argv) {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    benchmark::Initialize(&argc, argv);
    for (const char* round : {"default allocator trimming", "freed memory kept in the process"}) {
        if (round[0] == 'f') {
            mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
            mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
        }
        std::printf("\n== %s\n", round);
        std::fflush(stdout);
        RatioReporter reporter;
        benchmark::RunSpecifiedBenchmarks(&reporter);
        const auto page = reporter.means.find("BM_DownloadPage/iterations:200");
        const auto plain = reporter.means.find("BM_PlainLibcurl/iterations:200");
        if (page != reporter.means.end() && plain != reporter.means.end() && plain->second > 0) {
            std::printf("DownloadPage / plain libcurl (%s): %.3f in separate runs, %.3f alternating "
                        "(aim: 1.2 or less)\n",
                        round, page->second / plain->second, reporter.alternatingRatio);
        }
    }
    benchmark::Shutdown();
    curl_global_cleanup();
    return 0;
}
