// Fuzz target: decoding arbitrary page bytes into wide text, as every
// downloaded page is decoded, and the narrow/wide converters of the messages.
//
// A page ends at its first zero byte; UTF-8 that reads back unchanged must
// decode exactly, anything else into some text without a zero; a code page
// that cannot be used gives empty text, never an exception.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <exception>
#include <string>

#include "fuzz/FuzzSupport.h"
#include "platform/CodePage.h"
#include "text/CodePageConversion.h"

using fuzzsupport::Require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const int codePages[] = {platform::kCodePageUtf8,
                             1252,
                             platform::kCodePageAnsi,
                             platform::kCodePageThreadAnsi,
                             28591,
                             65000,
                             1200,
                             -1,
                             12345};
    const int codePage = input.PickValueInArray(codePages);
    const std::string bytes = input.ConsumeRemainingBytesAsString();
    const std::string text = bytes.substr(0, bytes.find('\0'));

    const CString wide = ConvertToWide(bytes, codePage);
    Require(wide.str().find(L'\0') == std::wstring::npos, "decoded text holds no zero");
    Require(wide.GetLength() <= static_cast<int>(text.size()), "no more characters than bytes");
    if (codePage == platform::kCodePageUtf8) {
        const bool valid = platform::ToUtf8(platform::FromUtf8(text)) == text;
        if (valid) Require(platform::ToUtf8(wide.str()) == text, "valid UTF-8 decodes exactly");
        Require(text.empty() || !wide.IsEmpty(), "UTF-8 always decodes to something");
    }

    // The message converters throw for what they cannot convert; that is
    // their contract, so only other exceptions (and crashes) are findings.
    try {
        const NarrowToWide widened(text.c_str(), codePage);
        const WideToNarrow narrowed(widened.GetString(), codePage);
        if (codePage == platform::kCodePageUtf8 && platform::ToUtf8(platform::FromUtf8(text)) == text)
            Require(std::string(narrowed.GetString()) == text, "UTF-8 survives widening and narrowing");
    } catch (const std::bad_alloc&) {
    } catch (const std::system_error&) {
    }
    return 0;
}
