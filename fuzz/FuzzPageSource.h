// A CMivo whose pages come from the fuzz input instead of the network: each
// DownloadPage hands out the next page of a list (and fails once the list is
// used up), the host never asks to stop, and the artist lookup can be
// answered with a fixed address so that the walk starts at once.
//
// One object is kept for the whole fuzz run (its construction checksums the
// program file) and refilled for each input; one thread.
#pragma once

#include <string>
#include <vector>

#include "plugin/Mivo.h"

class CFuzzPageSource : public CMivo {
public:
    // Replaces the pages still to be handed out.
    void SetPages(std::vector<std::wstring> pages) {
        m_pages = std::move(pages);
        m_nNext = 0;
    }
    // How many pages were asked for since SetPages.
    size_t PagesAsked() const { return m_nAsked; }
    void ResetAsked() { m_nAsked = 0; }

    // When not empty, FindArtistUrl answers this address without a download.
    std::wstring fixedArtistUrl;

    int DownloadPage(const CString& url, CString& text) override {
        (void)url;
        ++m_nAsked;
        text.Empty();
        if (m_nNext >= m_pages.size()) return 0;
        text = m_pages[m_nNext++];
        return 1;
    }
    bool IsStopRequested() override { return false; }
    int FindArtistUrl(const CString& artistName, CString& artistUrl) override {
        if (fixedArtistUrl.empty()) return CMivo::FindArtistUrl(artistName, artistUrl);
        artistUrl = fixedArtistUrl;
        return 1;
    }
    const CString& SiteHost() const { return m_strSiteHost; }

private:
    std::vector<std::wstring> m_pages;
    size_t m_nNext = 0;
    size_t m_nAsked = 0;
};
