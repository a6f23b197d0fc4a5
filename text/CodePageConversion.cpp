// Page decoding and the stack converters, over the platform's code-page tables.
#include "text/CodePageConversion.h"

#include <cerrno>
#include <cstring>
#include <cwchar>
#include <new>
#include <optional>
#include <string_view>
#include <system_error>

#include "log/TraceLog.h"
#include "text/NarrowTrace.h"

namespace {

[[noreturn]] void ThrowUnsupported(const char* converter, int codePage) {
    throw std::system_error(EINVAL, std::generic_category(),
                            std::string(converter) + ": code page " + std::to_string(codePage) + " is not supported");
}

// Points result at storage for count units: the inline buffer when it is large
// enough, else heap storage that the converter keeps.
template <typename Unit, size_t N>
Unit* StorageFor(size_t count, Unit (&inlineBuffer)[N], std::vector<Unit>& heap) {
    if (count <= N) return inlineBuffer;
    heap.resize(count);
    return heap.data();
}

std::string PageMessage(const char* prefix, std::string_view bytes, int codePage) {
    std::string message(prefix);
    message += '"';
    message.append(bytes.data(), bytes.size());
    message += "\", codePage=";
    message += std::to_string(codePage);
    return message;
}

}  // namespace

CString ConvertToWide(const std::string& bytes, int codePage) {
    // The page is taken as zero-terminated text: it ends at its first zero byte.
    const std::string_view text(bytes.c_str());
    if (!platform::IsCodePageSupported(codePage)) {
        WriteNarrowTrace(TRACE_WARNING,
                         PageMessage("MultiByteToWideChar (get needed length) failed for string: ", text, codePage));
        return CString();
    }
    std::optional<std::wstring> wide;
    try {
        wide = platform::Decode(codePage, text);
    } catch (const std::bad_alloc&) {
        WriteNarrowTrace(TRACE_ERROR, "Malloc failed !!!");
        return CString();
    }
    if (!wide) {
        WriteNarrowTrace(TRACE_ERROR, PageMessage("MultiByteToWideChar failed for string: ", text, codePage));
        return CString();
    }
    return CString(std::move(*wide));
}

NarrowToWide::NarrowToWide(const char* text, int codePage) {
    if (!text) return;
    const auto wide = platform::Decode(codePage, std::string_view(text, std::strlen(text)));
    if (!wide) ThrowUnsupported("NarrowToWide", codePage);
    const size_t count = wide->size() + 1;
    wchar_t* out = StorageFor(count, m_szBuffer, m_heap);
    std::wmemcpy(out, wide->c_str(), count);
    m_psz = out;
}

WideToNarrow::WideToNarrow(const wchar_t* text, int codePage) {
    if (!text) return;
    const auto narrow = platform::Encode(codePage, std::wstring_view(text, std::wcslen(text)));
    if (!narrow) ThrowUnsupported("WideToNarrow", codePage);
    const size_t count = narrow->size() + 1;
    char* out = StorageFor(count, m_szBuffer, m_heap);
    std::memcpy(out, narrow->c_str(), count);
    m_psz = out;
}
