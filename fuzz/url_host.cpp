// Fuzz target: URL splitting, host extraction and request-target encoding
// over arbitrary addresses, as pages link them and hosts configure them.
//
// The port is always usable, host and path come back trimmed, and nothing
// that cannot stand in a request line survives the encoding.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "fuzz/FuzzSupport.h"
#include "http/HttpDownloaderBase.h"
#include "http/PageDownload.h"
#include "platform/HttpClient.h"
#include "platform/Unicode.h"

using fuzzsupport::Require;

namespace {

bool Trimmed(const CString& text) {
    const std::wstring& s = text.str();
    return s.empty() || (!platform::IsSpace(s.front()) && !platform::IsSpace(s.back()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string target = input.ConsumeRandomLengthString(512);
    const CString url(fuzzsupport::WideFromBytes(input.ConsumeRemainingBytesAsString()));

    CString host;
    CString path;
    int port = -1;
    CHttpDownloaderBase::SplitUrl(url, host, path, port);
    Require(port >= 0 && port <= 65535, "the port is in 0..65535");
    Require(Trimmed(host) && Trimmed(path), "host and path are trimmed");
    Require(host.Find(L'/') < 0, "the host holds no slash");

    const CString withScheme = UrlAddScheme(url, L"http");
    Require(withScheme.Find(L"://") >= 0, "a scheme is always there afterwards");
    const CString extracted = UrlGetHost(withScheme);
    (void)extracted;
    std::wstring rawHost;
    (void)platform::ExtractUrlHost(url.str(), rawHost);

    const std::string encoded = platform::EncodeRequestTarget(target);
    for (const char byte : encoded) {
        const unsigned char c = static_cast<unsigned char>(byte);
        Require(c > 0x20 && c < 0x7F, "an encoded target holds only visible ASCII");
    }
    Require(platform::EncodeRequestTarget(encoded) == encoded, "encoding an encoded target changes nothing");
    return 0;
}
