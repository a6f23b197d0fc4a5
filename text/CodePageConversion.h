// Conversions between 8-bit text and wide text by code page, for page bodies
// and for the messages the plug-in assembles as 8-bit text.
//
// ConvertToWide decodes a downloaded page and reports every failure in the
// trace log instead of throwing. NarrowToWide and WideToNarrow are small
// converters created on the caller's stack: each owns the converted,
// zero-terminated text (inline for up to 128 units, else on the heap) until
// it is destroyed, and throws when a conversion cannot be made. Code pages 0
// and 3 both mean the calling thread's ANSI code page; 65001 is UTF-8, whose
// invalid sequences decode to U+FFFD. Characters a page cannot represent are
// narrowed to "?".
//
// Every function may be called from any thread; a converter object belongs to
// the thread that made it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/CString.h"
#include "platform/CodePage.h"

// Decodes bytes, which end at their first zero byte, from codePage. An
// unsupported code page or exhausted memory gives an empty string and one
// trace line; an empty byte string gives an empty string and no line. Never throws.
CString ConvertToWide(const std::string& bytes, int codePage);

// Converts zero-terminated 8-bit text in codePage to wide text.
class NarrowToWide {
public:
    static constexpr size_t kInlineUnits = 128;

    // Converts text; a null text gives a null result. Throws std::bad_alloc when
    // memory runs out and std::system_error (EINVAL) for an unsupported code page.
    explicit NarrowToWide(const char* text, int codePage = platform::kCodePageThreadAnsi);
    NarrowToWide(const NarrowToWide&) = delete;
    NarrowToWide& operator=(const NarrowToWide&) = delete;

    // The converted zero-terminated text, or null for a null input; valid while the object lives.
    operator const wchar_t*() const { return m_psz; }
    // The same as the conversion operator.
    const wchar_t* GetString() const { return m_psz; }

private:
    const wchar_t* m_psz = nullptr;
    wchar_t m_szBuffer[kInlineUnits];
    std::vector<wchar_t> m_heap;
};

// Converts zero-terminated wide text to 8-bit text in codePage.
class WideToNarrow {
public:
    static constexpr size_t kInlineUnits = 128;

    // Converts text; a null text gives a null result. Characters the page lacks
    // become "?". Throws as NarrowToWide does.
    explicit WideToNarrow(const wchar_t* text, int codePage = platform::kCodePageThreadAnsi);
    WideToNarrow(const WideToNarrow&) = delete;
    WideToNarrow& operator=(const WideToNarrow&) = delete;

    // The converted zero-terminated text, or null for a null input; valid while the object lives.
    operator const char*() const { return m_psz; }
    // The same as the conversion operator.
    const char* GetString() const { return m_psz; }

private:
    const char* m_psz = nullptr;
    char m_szBuffer[kInlineUnits];
    std::vector<char> m_heap;
};
