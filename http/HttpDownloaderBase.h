// CHttpDownloaderBase: one HTTP GET over the platform HTTP client, collecting
// the response body as raw bytes.
//
// The page download creates one downloader per page, sets the User-Agent
// header and the referrer, calls Download() and then reads m_strData,
// m_dwStatusCode, m_strStatusText and m_dwLastError. One object owns one client
// session (and with it the session's cookies); each Download() opens and
// closes its own connection and request inside that session. The downloader
// knows nothing about pages, code pages or the catalogue site.
//
// Narrow strings hold bytes in the calling thread's ANSI code page. An object
// is used by one thread at a time; separate objects are independent.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/CString.h"
#include "platform/HttpKeepGoing.h"

namespace platform {
class HttpSession;
class HttpConnection;
class HttpRequest;
}  // namespace platform

// Told by DownloadData() after every body chunk. Owned by whoever sets it.
class CHttpDownloadProgress {
public:
    // bytesReceived so far; contentLength as announced by the server (0 = unknown).
    virtual void OnProgress(uint32_t bytesReceived, uint32_t contentLength) = 0;

protected:
    ~CHttpDownloadProgress() = default;
};

class CHttpDownloaderBase {
public:
    // The session's default User-Agent; a "User-Agent" header set through
    // SetHeader() replaces it on the wire.
    static const char SESSION_AGENT[];
    // A body larger than this fails DownloadData() as "OUT OF MEMORY".
    static constexpr uint32_t MAX_BODY_BYTES = 64u * 1024u * 1024u;

    // Opens the client session: through proxy ("host:port", trimmed) when it is
    // not blank, else directly. outputFile, when not empty, also receives the
    // body. A session that cannot be opened surfaces as a failing Download().
    CHttpDownloaderBase(const std::string& proxy, const std::wstring& outputFile);
    // Closes the session.
    virtual ~CHttpDownloaderBase();
    CHttpDownloaderBase(const CHttpDownloaderBase&) = delete;
    CHttpDownloaderBase& operator=(const CHttpDownloaderBase&) = delete;

    // Slot 1. A name that is "cookie" after trimming and lower-casing sets the
    // cookie sent on every request; any other name (used exactly as given) is
    // an extra header of the next request only, replacing one of that name.
    virtual void SetHeader(const std::string& name, const std::string& value);
    // Slot 2. Reads the whole body after a successful response into m_strData.
    // On failure m_strData keeps its previous contents.
    virtual bool DownloadData();

    // The whole GET of url: true when a 2xx response and its complete body
    // arrived. The request and connection are closed in every case.
    bool Download(const std::string& url);

    // Splits url into host, path (without the leading "/"; query and fragment
    // kept) and port (80 unless a port in 0..65535 follows the host; 0 means
    // the client's default). The scheme, if any, is dropped.
    static void SplitUrl(const CString& url, CString& host, CString& path, int& port);

    // The steps of Download(); each returns false on failure.
    bool OpenRequest(const std::string& verb);
    bool AddRequestHeaders();
    bool SendRequest(const std::string& body);
    bool ReceiveResponse(bool acceptAnyStatus);
    bool ParseResponseHeaders();
    // Closes the request, then the connection, each when open.
    void CloseRequest();

protected:
    // The client handles: the session, and the connection and request of a Download().
    std::unique_ptr<platform::HttpSession> m_hSession;
    std::unique_ptr<platform::HttpConnection> m_hConnect;
    std::unique_ptr<platform::HttpRequest> m_hRequest;

public:
    std::string m_strUrl;
    std::string m_strReferrer;       // sent as the referrer when not blank
    std::string m_strCookie;         // sent as "Cookie: " on every request when not empty
    std::string m_strContentType;    // of the last response
    uint32_t m_dwContentLength = 0;  // of the last response, 0 when absent
    std::string m_strData;           // the body after a successful DownloadData()
    uint32_t m_dwBytesReceived = 0;
    std::map<std::string, std::string> m_mapRequestHeaders;                // for the next request only
    std::map<std::string, std::vector<std::string>> m_mapResponseHeaders;  // name as received, values in order
    std::wstring m_strOutputFile;
    uint32_t m_dwTimeout = 0;  // milliseconds for connect and receive; 0 = the client's defaults
    CHttpDownloadProgress* m_pProgress = nullptr;
    bool m_bCancel = false;  // when raised, DownloadData() stops after the current chunk
    uint32_t m_dwStatusCode = 0;
    CString m_strStatusText;              // the reason phrase of the last response
    uint32_t m_dwLastError = 0;           // code of the last failing client call (platform/HttpError.h)
    platform::HttpKeepGoing m_keepGoing;  // asked while a transfer waits; "no" fails Download() at once
};
