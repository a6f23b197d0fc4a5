// DownloadUrl, the URL helpers and CCommonDllInterface::DownloadPage.
#include "http/PageDownload.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "http/HttpDownloaderBase.h"
#include "http/TransferStopCheck.h"
#include "http/UserAgent.h"
#include "log/TraceLog.h"
#include "platform/CodePage.h"
#include "platform/HttpClient.h"
#include "platform/System.h"
#include "plugin/CommonDllInterface.h"
#include "text/CodePageConversion.h"

namespace {

// The system's text for an error code, at most 255 characters, its line break included.
CString ErrorText(uint32_t code) {
    std::wstring text = platform::SystemErrorText(code);
    if (text.size() > 255) text.resize(255);
    return CString(std::move(text));
}

std::string Narrow(const CString& text) { return std::string(WideToNarrow(text.GetString()).GetString()); }

// Counters grow modulo 2^32.
void AddWrapping(int& counter, uint32_t amount) { counter = static_cast<int>(static_cast<uint32_t>(counter) + amount); }

}  // namespace

bool DownloadUrl(const CString& url, CString& text, const CString& proxy, int codePage, const CString& referrer,
                 const CString& userAgent, const platform::HttpKeepGoing& keepGoing) {
    text.Empty();
    CHttpDownloaderBase downloader(Narrow(proxy), std::wstring());
    downloader.m_strReferrer = Narrow(referrer);
    downloader.m_keepGoing = keepGoing;
    TheTraceLog().Write(TRACE_DEBUG, CString(L"Download: ") + url);
    const CString agent = userAgent.IsEmpty() ? CString(GenerateUserAgent()) : userAgent;
    downloader.SetHeader("User-Agent", Narrow(agent));

    if (!downloader.Download(Narrow(url))) {
        TheTraceLog().Write(TRACE_WARNING, CString(L"Download fails: ") + url + L", Proxy: " + proxy + L", Response: " +
                                               downloader.m_strStatusText + L", Error:" +
                                               ErrorText(downloader.m_dwLastError));
        return false;
    }
    // The body is read as zero-terminated text: it ends at its first zero byte.
    if (codePage != 0) text = ConvertToWide(downloader.m_strData, codePage);
    else text = CString(platform::DecodeAnsi(std::string_view(downloader.m_strData.c_str())));
    return true;
}

CString UrlAddScheme(const CString& url, const CString& scheme) {
    if (url.Find(L"://") >= 0) return url;
    return scheme + L"://" + url;
}

CString UrlGetHost(const CString& url) {
    if (url.IsEmpty()) return CString();
    std::wstring host;
    const uint32_t error = platform::ExtractUrlHost(url.str(), host);
    if (error != 0) {
        TheTraceLog().WriteLastError(TRACE_ERROR, L"UrlGetHost: InternetCrackUrl ", error);
        return CString();
    }
    return CString(std::move(host));
}

template <>
int CCommonDllInterface<CBasicTagsDllInterface>::DownloadPage(const CString& url, CString& text) {
    text.Empty();
    if (IsStopRequested()) return 0;

    CString proxy;
    if (m_pHost) m_pHost->GetValue(L"HttpProxy", &proxy);
    AddWrapping(m_nDownloadCounter, 1);

    // The gate hears of the host before the download and, unless a stop was
    // asked for meanwhile, after it.
    CHostIgnoreInterface* gate = nullptr;
    if (m_pHost) {
        const int answered = m_pHost->GetValue(L"HostIgnore", &gate);
        if (answered != 0 && gate && !IsStopRequested()) {
            const CString host = UrlGetHost(UrlAddScheme(url, L"http"));
            gate->EnterHost(host.GetString(), 1);
        }
    }

    const uint32_t t0 = platform::GetTickCount();
    // A stop asked for while a long transfer waits ends it as a failed download.
    TransferStopCheck stopCheck([this] { return IsStopRequested(); });
    const bool ok = DownloadUrl(url, text, proxy, m_nCodePage, CString(), CString(), stopCheck.Question());
    AddWrapping(m_nTotalDownloadTime, platform::GetTickCount() - t0);
    if (ok) AddWrapping(m_nSuccessfulDownloads, 1);

    // A transfer ended by a stop never tells the gate of leaving, even should
    // the host have taken the stop back by now.
    if (gate && !IsStopRequested() && !stopCheck.Stopped()) {
        const CString host = UrlGetHost(UrlAddScheme(url, L"http"));
        gate->LeaveHost(host.GetString());
    }
    return ok ? 1 : 0;
}
