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

// Both converters write straight into their storage: texts that fit the
// inline buffer never touch the heap.
NarrowToWide::NarrowToWide(const char* text, int codePage) {
    if (!text) return;
    const std::string_view bytes(text, std::strlen(text));
    // No page gives more characters than bytes.
    wchar_t* out = StorageFor(bytes.size() + 1, m_szBuffer, m_heap);
    const auto count = platform::DecodeInto(codePage, bytes, out);
    if (!count) ThrowUnsupported("NarrowToWide", codePage);
    out[*count] = L'\0';
    m_psz = out;
}

WideToNarrow::WideToNarrow(const wchar_t* text, int codePage) {
    if (!text) return;
    const std::wstring_view wide(text, std::wcslen(text));
    const auto length = platform::EncodedLength(codePage, wide);
    if (!length) ThrowUnsupported("WideToNarrow", codePage);
    char* out = StorageFor(*length + 1, m_szBuffer, m_heap);
    const auto count = platform::EncodeInto(codePage, wide, out);
    if (!count) ThrowUnsupported("WideToNarrow", codePage);
    out[*count] = '\0';
    m_psz = out;
}
