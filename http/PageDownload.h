// The page download: the one way the catalogue search fetches a page, as wide
// text. DownloadPage (slot 11 of the interface object, defined in
// PageDownload.cpp) asks the host for the proxy and the host-ignore gate,
// counts and times the download for the host's statistics and tells the gate
// when a web host is contacted; DownloadUrl runs one CHttpDownloaderBase with
// a generated User-Agent, logs the outcome and decodes the body. A download
// that runs long asks the host's stop question while it waits
// (http/TransferStopCheck.h) and ends as a failure when told to stop.
//
// Runs synchronously on the calling host thread; each download owns its
// downloader (and with it its client session, cookies and headers).
#pragma once

#include "platform/CString.h"
#include "platform/HttpKeepGoing.h"

// Downloads url into text, decoded from codePage (0 = the thread's ANSI code
// page), through proxy ("host:port" or empty), sending referrer when not
// blank and userAgent (a generated one when empty). True when the page
// arrived; text is then the decoded body (empty if decoding failed). On
// failure text is empty and a "Download fails: " warning is logged.
// keepGoing, when set, is asked while the transfer waits; a "no" fails the
// download at once (its error: the operation was cancelled).
bool DownloadUrl(const CString& url, CString& text, const CString& proxy, int codePage, const CString& referrer,
                 const CString& userAgent, const platform::HttpKeepGoing& keepGoing = {});

// url unchanged when it contains "://" anywhere, else scheme + "://" + url.
CString UrlAddScheme(const CString& url, const CString& scheme);

// The host name of url with escapes decoded; empty for an empty url, and
// empty with an Error line when url cannot be read as an absolute URL.
CString UrlGetHost(const CString& url);
