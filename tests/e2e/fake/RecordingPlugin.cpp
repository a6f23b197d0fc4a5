// A fake plug-in for the host's end-to-end tests: a shared library with
// the real export and interface object, built against the host-facing headers
// only, that writes every call it receives to a journal file and answers from
// a small fixed data set. It lets the tests check the host's calling order and
// its answers to GetValue, the gate, stop requests and output without a
// catalogue.
//
// Controlled by the environment of the host process:
//   MIVO_RECORD_JOURNAL  file that gets one line per call (appended)
//   MIVO_RECORD_ALBUMS   number of albums an artist has (default 3)
//   MIVO_RECORD_THROW    when set, FindArtistUrl throws std::runtime_error
// The artist "Nobody" is not found. One thread at a time.
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>

#include "plugin/BasicTagsDllInterface.h"

namespace {

[[gnu::used]] const char kPluginInfo[] =
    "###_PluginInfo_###Name=\"Recording\";Type=search;Version=9.8.7.6;Author=\"Tests\";###";
[[gnu::used]] const char* const g_pluginInfo = kPluginInfo;

// Wide text for the journal: ASCII as is, anything else as \u{hex}.
std::string Plain(const std::wstring& text) {
    std::string out;
    for (wchar_t ch : text) {
        if (ch >= 0x20 && ch < 0x7F) {
            out += static_cast<char>(ch);
        } else {
            char buffer[16];
            std::snprintf(buffer, sizeof buffer, "\\u{%x}", static_cast<unsigned>(ch));
            out += buffer;
        }
    }
    return out;
}

void Journal(const std::string& line) {
    const char* path = std::getenv("MIVO_RECORD_JOURNAL");
    if (!path) return;
    if (FILE* file = std::fopen(path, "a")) {
        std::fprintf(file, "%s\n", line.c_str());
        std::fclose(file);
    }
}

long long MonotonicMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

const wchar_t* const kTitles[] = {L"Blue Hour", L"Bluer Hours", L"Night \u00c9chos", L"\u03a9mega \u2603"};

class RecordingPlugin : public CBasicTagsDllInterface {
public:
    ~RecordingPlugin() override { Journal("destroy"); }

    int SetHost(CBasicTagsHostInterface* host) override {
        Journal(std::string("SetHost ") + (host ? "host" : "null"));
        return CBasicTagsDllInterface::SetHost(host);
    }

    int Set(const CString& name, const CString* value) override {
        Journal("Set " + Plain(name.str()) + "=" + (value ? Plain(value->str()) : std::string("(null)")));
        // A cache folder whose name says so is refused, as a second one would be.
        return value && value->Find(L"refused") >= 0 ? 0 : 1;
    }

    int Property(const CString& name, void* out) override {
        Journal("Property " + Plain(name.str()));
        if (!out) return 0;
        if (name == L"SourceName") {
            *static_cast<CString*>(out) = L"recording";
            return 1;
        }
        if (name == L"SourceId") {
            *static_cast<CString*>(out) = L"0123456789abcdef0123456789abcdef";
            return 1;
        }
        if (name == L"StatisticDownloadCounter") {
            *static_cast<int*>(out) = m_nDownloads;
            return 1;
        }
        if (name == L"StatisticSuccessfulDownloads") {
            *static_cast<int*>(out) = m_nDownloads;
            return 1;
        }
        if (name == L"StatisticTotalDownloadTime") {
            *static_cast<int*>(out) = 7;
            return 1;
        }
        return 0;
    }

    int CallMethod(const CString& name, void*) override {
        Journal("CallMethod " + Plain(name.str()));
        return name == L"CloseAndMergeLog" ? 1 : 0;
    }

    int FindArtistUrl(const CString& artistName, CString& artistUrl) override {
        Journal("FindArtistUrl " + Plain(artistName.str()));
        if (std::getenv("MIVO_RECORD_THROW")) throw std::runtime_error("recording plug-in was told to throw");
        AskValues();
        if (artistName == L"Nobody" || !Download()) return 0;
        artistUrl = L"fake.example/artist/" + artistName.str() + L"/albums";
        return 1;
    }

    int FindArtistAlbumList(const CString& artistName, AlbumInfoList& albums) override {
        Journal("FindArtistAlbumList " + Plain(artistName.str()));
        albums.clear();
        CString url;
        if (!FindArtistUrl(artistName, url)) return 0;
        const char* count = std::getenv("MIVO_RECORD_ALBUMS");
        const int total = count ? std::atoi(count) : 3;
        for (int i = 0; i < total; ++i) {
            if (!Download()) return 0;
            AlbumInfo album;
            album.title = i < 4 ? kTitles[i] : L"Album " + std::to_wstring(i + 1);
            album.artist = artistName.str();
            album.url = L"fake.example/album/" + std::to_wstring(i + 1);
            albums.push_back(album);
        }
        return 1;
    }

    int GetAlbumDetails(AlbumInfo& album, std::wstring& coverUrl, TrackInfoList& tracks) override {
        Journal("GetAlbumDetails " + Plain(album.url));
        if (!Download()) return 0;
        album.year = 1999;
        album.genre = L"Ambient";
        coverUrl = L"http://fake.example/cover/" + album.url.substr(album.url.rfind(L'/') + 1) + L".jpg";
        const std::wstring titles[] = {L"Intro", L"\u00dcn\u00efc\u00f6d\u00e9 \u2603", L"Bell\aand\ttab"};
        int number = 0;
        for (const auto& title : titles) tracks.push_back(TrackInfo(title, ++number));
        album.trackCount = number;
        return 1;
    }

    int OptionalSearch(int, int, int, int) override { return 0; }

private:
    // What a real plug-in asks before it searches.
    void AskValues() {
        float difference = 1.0f;
        const int answered = m_pHost->GetValue(L"MaxMatchDifference", &difference);
        Journal("GetValue MaxMatchDifference " + std::to_string(answered) + " " + std::to_string(difference));
        CString proxy;
        const int proxyAnswered = m_pHost->GetValue(L"HttpProxy", &proxy);
        Journal("GetValue HttpProxy " + std::to_string(proxyAnswered) + " " + Plain(proxy.str()));
    }

    // One "download": stop check, then the gate around it, as the real page download does.
    bool Download() {
        if (!m_pHost || m_pHost->IsStopRequested()) return false;
        ++m_nDownloads;
        CHostIgnoreInterface* gate = nullptr;
        if (m_pHost->GetValue(L"HostIgnore", &gate) && gate) {
            gate->EnterHost(L"fake.example", 1);
            Journal("EnterHost " + std::to_string(MonotonicMs()));
            gate->LeaveHost(L"fake.example");
        }
        return true;
    }

    int m_nDownloads = 0;
};

}  // namespace

extern "C" __attribute__((visibility("default"))) CBasicTagsDllInterface* GetDllInterface() {
    Journal("GetDllInterface");
    return std::make_unique<RecordingPlugin>().release();
}
