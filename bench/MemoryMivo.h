// A CMivo for benchmarks that serves one page from memory for every address
// and never asks to stop, so a walk's own work is measured without a network.
#pragma once

#include <string>
#include <utility>

#include "plugin/Mivo.h"

class MemoryMivo : public CMivo {
public:
    explicit MemoryMivo(std::wstring page) : m_page(std::move(page)) {}
    // Answers a fixed artist address at once, unless Search() asked for the
    // real lookup over the page.
    int FindArtistUrl(const CString& artistName, CString& artistUrl) override {
        if (m_bSearch) return CMivo::FindArtistUrl(artistName, artistUrl);
        artistUrl = L"www.catalogue.example/artist/a-1/albums";
        return 1;
    }
    int DownloadPage(const CString&, CString& text) override {
        text = m_page;
        return 1;
    }
    bool IsStopRequested() override { return false; }
    // FindArtistUrl searches the page (else it answers an address at once).
    void Search() { m_bSearch = true; }

private:
    CString m_page;
    bool m_bSearch = false;
};
