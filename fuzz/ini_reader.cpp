// Fuzz target: the INI text reader and writer over arbitrary file contents,
// as the artist cache finds them on disk (written by another program, cut
// short, or not text at all).
//
// Every section name found must be readable as a section again, and a value
// written into any text must read back as written (blanks around it aside),
// whatever the text held before.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "platform/CodePage.h"
#include "platform/IniText.h"

using fuzzsupport::Require;

namespace {

std::wstring TrimBlanks(const std::wstring& text) {
    const size_t begin = text.find_first_not_of(L" \t");
    if (begin == std::wstring::npos) return {};
    const size_t end = text.find_last_not_of(L" \t");
    return text.substr(begin, end - begin + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const std::wstring section = platform::FromUtf8(input.ConsumeRandomLengthString(64));
    const std::wstring key = platform::FromUtf8(input.ConsumeRandomLengthString(32));
    const std::wstring value = platform::FromUtf8(input.ConsumeRandomLengthString(128));
    const std::string text = input.ConsumeRemainingBytesAsString();

    const std::vector<std::wstring> names = platform::IniSectionNames(text);
    for (const std::wstring& name : names) {
        const auto found = platform::FindIniValue(text, name, L"ArtistUrl");
        if (found) (void)platform::FromUtf8(*found);
    }

    if (!platform::IsWritableIniEntry(section, key, value)) return 0;
    const std::optional<std::string> updated = platform::SetIniValue(text, section, key, value);
    const std::string& result = updated ? *updated : text;
    const auto readBack = platform::FindIniValue(result, section, key);
    Require(readBack.has_value(), "a written value is found again");
    Require(platform::FromUtf8(*readBack) == TrimBlanks(value), "a written value reads back as written");

    // Every section the text held before is still there, in the same order.
    const std::vector<std::wstring> after = platform::IniSectionNames(result);
    Require(after.size() >= names.size(), "no section is lost by a write");
    for (size_t k = 0; k < names.size(); ++k) Require(after[k] == names[k], "sections keep their order");
    return 0;
}
