// CHttpDownloaderBase: the steps of one GET and the body loop.
#include "http/HttpDownloaderBase.h"

#include <climits>
#include <new>
#include <optional>

#include "log/TraceLog.h"
#include "platform/CodePage.h"
#include "platform/File.h"
#include "platform/HttpClient.h"

const char CHttpDownloaderBase::SESSION_AGENT[] =
    "Mozilla/4.0 (compatible; MSIE 7.0; Windows NT 5.1; .NET CLR 1.1.4322; .NET CLR 2.0.50727; "
    ".NET CLR 3.0.04506.30; .NET CLR 3.0.04506.648)";

namespace {

// Conversions in the thread's ANSI code page, which never fail: a character
// the page lacks becomes "?", so no part of a URL is ever dropped.
CString Widen(const std::string& bytes) { return CString(platform::DecodeAnsi(bytes)); }

std::string Narrow(const CString& text) { return platform::EncodeAnsi(text.str()); }

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::string Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return std::string(text);
}

// A header value read as a decimal number; 0 when absent or not a 32-bit number.
uint32_t NumericHeader(const std::optional<std::string>& value) {
    if (!value || value->empty()) return 0;
    uint64_t number = 0;
    for (char c : *value) {
        if (c < '0' || c > '9') return 0;
        number = number * 10 + static_cast<uint64_t>(c - '0');
        if (number > UINT32_MAX) return 0;
    }
    return static_cast<uint32_t>(number);
}

// The leading decimal integer of text (an optional sign, then digits), 0
// when there is none; values beyond the int range saturate.
long long LeadingInteger(const CString& text) {
    const std::wstring& s = text.str();
    size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == L'+' || s[i] == L'-')) negative = s[i++] == L'-';
    long long value = 0;
    for (; i < s.size() && s[i] >= L'0' && s[i] <= L'9'; ++i) {
        value = value * 10 + (s[i] - L'0');
        if (value > INT_MAX) value = static_cast<long long>(INT_MAX) + 1;
    }
    return negative ? -value : value;
}

}  // namespace

CHttpDownloaderBase::CHttpDownloaderBase(const std::string& proxy, const std::wstring& outputFile)
    : m_strOutputFile(outputFile) {
    CString proxyText = Widen(proxy);
    proxyText.Trim();
    m_hSession = std::make_unique<platform::HttpSession>(SESSION_AGENT, Narrow(proxyText));
}

CHttpDownloaderBase::~CHttpDownloaderBase() {
    CloseRequest();
    m_hSession.reset();
}

void CHttpDownloaderBase::SetHeader(const std::string& name, const std::string& value) {
    CString key = Widen(name);
    key.Trim();
    key.MakeLower();
    if (key == L"cookie") m_strCookie = value;
    else m_mapRequestHeaders[name] = value;
}

bool CHttpDownloaderBase::Download(const std::string& url) {
    m_strUrl = url;
    const bool ok = OpenRequest("GET") && AddRequestHeaders() && SendRequest(std::string()) && ReceiveResponse(false) &&
                    DownloadData();
    CloseRequest();
    return ok;
}

void CHttpDownloaderBase::SplitUrl(const CString& url, CString& host, CString& path, int& port) {
    CString text = url;
    const int scheme = text.Find(L"://");
    if (scheme >= 0) text = text.Mid(scheme + 3);
    const int slash = text.Find(L'/');
    if (slash < 0) {
        host = text;
        path.Empty();
    } else {
        host = text.Left(slash);
        path = text.Mid(slash + 1);
    }
    host.Trim();
    path.Trim();
    port = 80;
    const int colon = host.Find(L':');
    if (colon >= 0) {
        CString portText = host.Mid(colon + 1);
        portText.Trim();
        const long long value = LeadingInteger(portText);
        port = (value < 0 || value > 65535) ? 80 : static_cast<int>(value);
        host = host.Left(colon);
        host.Trim();
    }
}

bool CHttpDownloaderBase::OpenRequest(const std::string& verb) {
    m_dwStatusCode = 0;
    m_strStatusText.Empty();
    CString referrer = Widen(m_strReferrer);
    referrer.Trim();
    CString host, path;
    int port = 80;
    SplitUrl(Widen(m_strUrl), host, path, port);
    if (host.IsEmpty()) return false;

    uint32_t error = 0;
    m_hConnect = m_hSession->Connect(Narrow(host), port, error);
    if (!m_hConnect) {
        m_dwLastError = error;
        return false;
    }
    // Every request asks caches not to answer from store.
    m_hRequest = m_hConnect->OpenRequest(verb, "/" + Narrow(path), Narrow(referrer), true, error);
    if (!m_hRequest) {
        m_dwLastError = error;
        return false;
    }
    // The client ends the transfer the moment the body passes the cap, even
    // while the response step is still waiting for the head, so a body that
    // inflates in transit cannot exhaust memory before DownloadData() runs.
    m_hRequest->SetBodyLimit(MAX_BODY_BYTES);
    return true;
}

bool CHttpDownloaderBase::AddRequestHeaders() {
    if (!m_hConnect || !m_hRequest) return false;
    if (m_dwTimeout != 0) m_hRequest->SetTimeouts(platform::HttpTimeouts{m_dwTimeout, m_dwTimeout});
    if (m_keepGoing.ask) m_hRequest->SetKeepGoing(m_keepGoing);
    // A header the client refuses (a line break in it) fails the request
    // before anything is sent; its code tells why.
    if (!m_strCookie.empty()) {
        const uint32_t error = m_hRequest->AddHeader("Cookie", m_strCookie);
        if (error != 0) {
            m_dwLastError = error;
            return false;
        }
    }
    for (const auto& [name, value] : m_mapRequestHeaders) {
        const uint32_t error = m_hRequest->AddHeader(name, value);
        if (error != 0) {
            m_dwLastError = error;
            return false;
        }
    }
    m_mapRequestHeaders.clear();
    return true;
}

bool CHttpDownloaderBase::SendRequest(const std::string& body) {
    if (!m_hRequest) return false;
    const uint32_t error = m_hRequest->Send(body);
    if (error != 0) {
        m_dwLastError = error;
        LogPrintf(TRACE_WARNING, L"CHttpDownloaderBase::SendRequest - error=[%d]", static_cast<int>(error));
        // The error code cannot tell a refusal from an unreachable host; the
        // system's reason can. An Info line, so the warnings stay as they are.
        const std::string cause = m_hRequest->ConnectFailure();
        if (!cause.empty()) TheTraceLog().Write(TRACE_INFO, Widen(cause));
        return false;
    }
    return true;
}

bool CHttpDownloaderBase::ReceiveResponse(bool acceptAnyStatus) {
    if (!m_hRequest) return false;
    uint32_t error = 0;
    try {
        error = m_hRequest->ReceiveResponse();
    } catch (...) {
        error = platform::kHttpErrorInternal;
    }
    if (error != 0) {
        m_dwLastError = error;
        return false;
    }
    m_dwStatusCode = m_hRequest->StatusCode();
    m_strStatusText = Widen(m_hRequest->ReasonPhrase());
    if (!acceptAnyStatus && (m_dwStatusCode < 200 || m_dwStatusCode > 299)) return false;
    m_dwContentLength = NumericHeader(m_hRequest->HeaderValue("Content-Length"));
    m_strContentType = m_hRequest->HeaderValue("Content-Type").value_or(std::string());
    return ParseResponseHeaders();
}

bool CHttpDownloaderBase::ParseResponseHeaders() {
    m_mapResponseHeaders.clear();
    if (!m_hRequest) return false;
    const std::string& raw = m_hRequest->RawHeaders();
    if (raw.empty()) {
        m_dwLastError = platform::kHttpErrorHeaderNotFound;
        return false;
    }
    for (const std::string_view line : platform::HeaderLines(raw)) {
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos || colon == 0) continue;
        m_mapResponseHeaders[Trimmed(line.substr(0, colon))].push_back(Trimmed(line.substr(colon + 1)));
    }
    return true;
}

bool CHttpDownloaderBase::DownloadData() {
    if (!m_hRequest) return false;
    CStdioFile file;
    const bool toFile = !m_strOutputFile.empty();
    if (toFile && !file.Open(m_strOutputFile.c_str(),
                             CFile::typeBinary | CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive))
        return false;

    m_dwBytesReceived = 0;
    std::string stream;
    // A body announced beyond the cap is refused before any of it is read;
    // an announced length within it is reserved at once.
    try {
        if (m_dwContentLength > MAX_BODY_BYTES) throw std::bad_alloc();
        stream.reserve(m_dwContentLength);
    } catch (const std::bad_alloc&) {
        LogPrintf(TRACE_WARNING, L"HttpDownloader::DownloadData OUT OF MEMORY");
        return false;
    }
    for (;;) {
        size_t available = 0;
        const uint32_t error = m_hRequest->QueryDataAvailable(available);
        if (error == platform::kHttpErrorResponseTooLarge) {
            LogPrintf(TRACE_WARNING, L"HttpDownloader::DownloadData OUT OF MEMORY");
            return false;
        }
        if (error != 0) {
            m_dwLastError = error;
            LogPrintf(TRACE_WARNING, L"HttpDownloader::DownloadData WinHttpQueryDataAvailable error=[%d]",
                      static_cast<int>(error));
            return false;
        }
        if (available == 0) break;

        // Each chunk is read straight onto the end of the body. The cap keeps
        // a hostile or broken server from exhausting memory.
        const size_t before = stream.size();
        try {
            if (available > MAX_BODY_BYTES - m_dwBytesReceived) throw std::bad_alloc();
            stream.resize(before + available);
        } catch (const std::bad_alloc&) {
            LogPrintf(TRACE_WARNING, L"HttpDownloader::DownloadData OUT OF MEMORY");
            return false;
        }
        size_t read = 0;
        char* chunk = stream.data() + before;
        if (m_hRequest->ReadData(chunk, available, read) != 0 || read < available) {
            LogPrintf(TRACE_WARNING, L"HttpDownloader::DownloadData WinHttpReadData");
            return false;
        }
        if (toFile) {
            try {
                file.Write(chunk, static_cast<unsigned>(available));
            } catch (const CFileException&) {
                LogPrintf(TRACE_WARNING, L"HttpDownloader::DownloadData write to file");
                return false;
            }
        }
        m_dwBytesReceived += static_cast<uint32_t>(available);
        if (m_pProgress) m_pProgress->OnProgress(m_dwBytesReceived, m_dwContentLength);
        if (m_bCancel) return false;
    }
    if (toFile) {
        try {
            file.Close();
        } catch (const CFileException&) {
            LogPrintf(TRACE_WARNING, L"HttpDownloader::DownloadData write to file");
            return false;
        }
    }
    // A body of unknown length grew by doubling: room it never filled is
    // not kept beside the text decoded from it.
    if (stream.capacity() - stream.size() > stream.size() / 8) stream.shrink_to_fit();
    m_strData = std::move(stream);
    return true;
}

void CHttpDownloaderBase::CloseRequest() {
    m_hRequest.reset();
    m_hConnect.reset();
}
