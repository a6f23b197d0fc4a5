// Downloading a cover picture with libcurl (see CoverDownload.h). The
// transfer runs on the calling thread through a multi handle whose waits are
// short, so a stop request ends it within a fraction of a second even while
// the server is silent.
#include "host/tag/CoverDownload.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <mutex>
#include <string_view>
#include <system_error>

#include <curl/curl.h>

namespace mivo_host {
namespace {

constexpr long kMaxRedirects = 5;
constexpr long kConnectSeconds = 30;
// Less than a byte a second for this long ends the download.
constexpr long kSilentSeconds = 30;
// The longest wait before the stop request is looked at again.
constexpr int kStopCheckMs = 100;
constexpr unsigned char kJpegMagic[] = {0xFF, 0xD8, 0xFF};

void InitCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// The address as it is requested and shown to the user: blanks, control
// bytes and bytes beyond ASCII, which may not stand in an address, become %XX.
std::string Encoded(const std::string& url) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (unsigned char c : url) {
        if (c <= 0x20 || c >= 0x7F) {
            encoded += {'%', kHex[c >> 4], kHex[c & 15]};
        } else {
            encoded += static_cast<char>(c);
        }
    }
    return encoded;
}

bool StartsWithNoCase(const std::string& text, std::string_view prefix) {
    return text.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), text.begin(), [](char p, char t) {
               return p == (t >= 'A' && t <= 'Z' ? static_cast<char>(t - 'A' + 'a') : t);
           });
}

// Whether the bytes so far can be the start of a JPEG.
bool StartsLikeJpeg(const std::vector<unsigned char>& bytes) {
    const size_t n = std::min(bytes.size(), std::size(kJpegMagic));
    return std::equal(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n), kJpegMagic);
}

CoverImage Failed(std::string line) { return CoverImage{{}, std::move(line)}; }

enum class Refusal { None, Status, TooLarge, NotJpeg };

// The body as it arrives, kept while it can still be a cover.
struct Receiver {
    CURL* easy = nullptr;
    std::vector<unsigned char> bytes;
    Refusal refusal = Refusal::None;
};

size_t OnBody(char* data, size_t size, size_t count, void* user) {
    Receiver& r = *static_cast<Receiver*>(user);
    const size_t n = size * count;
    long status = 0;
    curl_easy_getinfo(r.easy, CURLINFO_RESPONSE_CODE, &status);
    if (status != 200) {
        r.refusal = Refusal::Status;
    } else if (n > kMaxCoverBytes - r.bytes.size()) {
        r.refusal = Refusal::TooLarge;
    } else {
        // Growth that never reserves beyond the cap.
        if (r.bytes.size() + n > r.bytes.capacity())
            r.bytes.reserve(std::min(kMaxCoverBytes, std::max(2 * r.bytes.capacity(), r.bytes.size() + n)));
        r.bytes.insert(r.bytes.end(), data, data + n);
        if (!StartsLikeJpeg(r.bytes)) r.refusal = Refusal::NotJpeg;
    }
    return r.refusal == Refusal::None ? n : CURL_WRITEFUNC_ERROR;
}

// One easy handle in its own multi handle, both released together.
class Transfer {
public:
    Transfer() : m_easy(curl_easy_init()), m_multi(curl_multi_init()) {}
    ~Transfer() {
        if (m_added) curl_multi_remove_handle(m_multi, m_easy);
        if (m_multi) curl_multi_cleanup(m_multi);
        if (m_easy) curl_easy_cleanup(m_easy);
    }
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

    CURL* Easy() const { return m_easy; }
    bool Ready() const { return m_easy && m_multi; }

    // Drives the transfer to its end; stopped is set when stopRequested ended
    // it, timeUp when it was still under way at deadline.
    CURLcode Run(bool (*stopRequested)(), std::chrono::steady_clock::time_point deadline, bool& stopped, bool& timeUp) {
        if (curl_multi_add_handle(m_multi, m_easy) != CURLM_OK) return CURLE_FAILED_INIT;
        m_added = true;
        for (;;) {
            if (stopRequested && stopRequested()) {
                stopped = true;
                return CURLE_ABORTED_BY_CALLBACK;
            }
            if (std::chrono::steady_clock::now() >= deadline) {
                timeUp = true;
                return CURLE_OPERATION_TIMEDOUT;
            }
            int running = 0;
            if (curl_multi_perform(m_multi, &running) != CURLM_OK) return CURLE_FAILED_INIT;
            int queued = 0;
            while (CURLMsg* message = curl_multi_info_read(m_multi, &queued)) {
                if (message->msg == CURLMSG_DONE) return message->data.result;
            }
            if (curl_multi_poll(m_multi, nullptr, 0, kStopCheckMs, nullptr) != CURLM_OK) return CURLE_FAILED_INIT;
        }
    }

private:
    CURL* m_easy;
    CURLM* m_multi;
    bool m_added = false;
};

bool SetOptions(CURL* easy, const std::string& url, const std::string& proxyUrl, Receiver& receiver,
                char* engineMessage) {
    bool ok = true;
    auto set = [&](CURLoption option, auto value) { ok = ok && curl_easy_setopt(easy, option, value) == CURLE_OK; };
    set(CURLOPT_URL, url.c_str());
    set(CURLOPT_NOSIGNAL, 1L);
    // An empty proxy turns proxies off, the environment's included; an empty
    // no-proxy list sends every host through a named one.
    set(CURLOPT_PROXY, proxyUrl.c_str());
    set(CURLOPT_NOPROXY, "");
    set(CURLOPT_PROTOCOLS_STR, "http,https");
    set(CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    set(CURLOPT_FOLLOWLOCATION, 1L);
    set(CURLOPT_MAXREDIRS, kMaxRedirects);
    set(CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    set(CURLOPT_USERAGENT, "mivo");
    set(CURLOPT_CONNECTTIMEOUT, kConnectSeconds);
    set(CURLOPT_LOW_SPEED_LIMIT, 1L);
    set(CURLOPT_LOW_SPEED_TIME, kSilentSeconds);
    // A length announced beyond the cap ends the download before the body.
    set(CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(kMaxCoverBytes));
    set(CURLOPT_WRITEFUNCTION, &OnBody);
    set(CURLOPT_WRITEDATA, &receiver);
    set(CURLOPT_ERRORBUFFER, engineMessage);
    return ok;
}

// "could not connect to ADDRESS: REASON", naming the address tried, else the
// proxy's or the server's as given.
std::string ConnectFailure(CURL* easy, const std::string& url, const std::string& proxyUrl, const char* engineMessage) {
    long number = 0;
    char* ip = nullptr;
    long port = 0;
    curl_easy_getinfo(easy, CURLINFO_OS_ERRNO, &number);
    curl_easy_getinfo(easy, CURLINFO_PRIMARY_IP, &ip);
    curl_easy_getinfo(easy, CURLINFO_PRIMARY_PORT, &port);
    const std::string& named = proxyUrl.empty() ? url : proxyUrl;
    const size_t start = named.find("://") + 3;
    std::string where =
        ip && *ip ? std::string(ip) + ":" + std::to_string(port) : named.substr(start, named.find('/', start) - start);
    if (!proxyUrl.empty()) where += " (proxy)";
    std::string reason = number != 0 ? std::generic_category().message(static_cast<int>(number)) : engineMessage;
    if (!reason.empty() && reason[0] >= 'A' && reason[0] <= 'Z') reason[0] = static_cast<char>(reason[0] - 'A' + 'a');
    return "could not connect to " + where + (reason.empty() ? "" : ": " + reason);
}

}  // namespace

CoverImage DownloadCover(const std::string& givenUrl, const std::string& proxy, bool (*stopRequested)(),
                         long wholeSeconds) {
    const std::string url = Encoded(givenUrl);
    if (url.empty()) return Failed("cover: the album has no cover address");
    if (!StartsWithNoCase(url, "http://") && !StartsWithNoCase(url, "https://"))
        return Failed("cover: not an http:// or https:// address: " + url);

    InitCurlOnce();
    Transfer transfer;
    Receiver receiver;
    receiver.easy = transfer.Easy();
    char engineMessage[CURL_ERROR_SIZE] = "";
    const std::string proxyUrl = proxy.empty() ? std::string() : "http://" + proxy;
    if (!transfer.Ready() || !SetOptions(transfer.Easy(), url, proxyUrl, receiver, engineMessage))
        return Failed("cover: the download of " + url + " could not be set up");

    bool stopped = false;
    bool timeUp = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(wholeSeconds);
    const CURLcode code = transfer.Run(stopRequested, deadline, stopped, timeUp);
    long status = 0;
    curl_easy_getinfo(transfer.Easy(), CURLINFO_RESPONSE_CODE, &status);

    if (stopped) return Failed("cover: stopped before " + url + " had arrived");
    if (timeUp)
        return Failed("cover: the download of " + url + " took longer than " + std::to_string(wholeSeconds) + " s");
    if (code == CURLE_TOO_MANY_REDIRECTS)
        return Failed("cover: more than " + std::to_string(kMaxRedirects) + " redirects from " + url);
    if (code == CURLE_UNSUPPORTED_PROTOCOL && status >= 300 && status <= 399)
        return Failed("cover: " + url + " redirects to an address that is not http:// or https://");
    if (status != 0 && status != 200) return Failed("cover: HTTP " + std::to_string(status) + " from " + url);
    if (receiver.refusal == Refusal::TooLarge || code == CURLE_FILESIZE_EXCEEDED)
        return Failed("cover: larger than " + std::to_string(kMaxCoverBytes >> 20) + " MiB");
    if (receiver.refusal == Refusal::NotJpeg) return Failed("cover: not a JPEG image");
    if (code == CURLE_COULDNT_CONNECT)
        return Failed("cover: " + ConnectFailure(transfer.Easy(), url, proxyUrl, engineMessage));
    if (code != CURLE_OK) {
        const std::string reason = *engineMessage ? engineMessage : curl_easy_strerror(code);
        return Failed("cover: the download of " + url + " failed: " + reason);
    }
    if (receiver.bytes.size() < std::size(kJpegMagic)) return Failed("cover: not a JPEG image");
    return CoverImage{std::move(receiver.bytes), {}};
}

}  // namespace mivo_host
