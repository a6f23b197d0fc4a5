// Conversion between 8-bit text and wide text by code page.
//
// 65001 is UTF-8, converted as platform/Utf8.h says (FromUtf8 and ToUtf8 come
// with this header): invalid byte sequences decode to U+FFFD (one per maximal
// invalid subpart), and code points that UTF-8 cannot carry (surrogates, values
// above U+10FFFF) encode as U+FFFD. Other code pages are single-byte pages
// (1250-1258, the ISO 8859 pages 28591-28605, 437, 850, 866, 20127) whose
// tables are built once through iconv. Multi-byte pages other than UTF-8 are
// not supported: conversions in them fail.
//
// The "ANSI code page" of a thread is the one its own SetThreadAnsiCodePage()
// chose, else the process locale's codeset when that names a supported page,
// else 65001. On Windows the process's page is the system's ANSI code page
// (GetACP: 1252 on western systems, and under Wine for the C and en_US
// locales, UTF-8 ones included); on POSIX systems the codeset of LC_CTYPE
// (65001 for UTF-8 locales). It is always a supported page, so conversions in
// it never fail: a character it lacks becomes "?". Thread-safe.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/Utf8.h"

namespace platform {

constexpr int kCodePageAnsi = 0;        // the thread's ANSI code page (CP_ACP)
constexpr int kCodePageThreadAnsi = 3;  // the same (CP_THREAD_ACP)
constexpr int kCodePageUtf8 = 65001;

// The calling thread's ANSI code page.
int ThreadAnsiCodePage();

// Sets the calling thread's ANSI code page; 0 returns to the process default.
// A page the conversions do not support is refused: false, nothing changed.
bool SetThreadAnsiCodePage(int codePage);

// True when conversions in codePage (after resolving 0 and 3) are supported.
bool IsCodePageSupported(int codePage);

// Decodes bytes (all of them, zero bytes included) from codePage.
// Fails (nullopt) only for an unsupported code page.
std::optional<std::wstring> Decode(int codePage, std::string_view bytes);

// Encodes text into codePage. A character the page cannot represent becomes
// defaultChar (UTF-8 has none: see above) and sets *usedDefault when given; a
// surrogate pair (16-bit wide characters) is one character, so one defaultChar.
// Fails (nullopt) only for an unsupported code page.
std::optional<std::string> Encode(int codePage, std::wstring_view text, char defaultChar = '?',
                                  bool* usedDefault = nullptr);

// Decodes bytes from codePage into out, which must have room for
// bytes.size() characters (no page gives more characters than bytes).
// Returns the number written; nullopt, writing nothing, for an unsupported page.
std::optional<size_t> DecodeInto(int codePage, std::string_view bytes, wchar_t* out);

// The number of bytes Encode() gives for text in codePage; nullopt for an
// unsupported page.
std::optional<size_t> EncodedLength(int codePage, std::wstring_view text);

// Encodes text into codePage as Encode() does, into out, which must have room
// for EncodedLength() bytes. Returns the number written; nullopt, writing
// nothing, for an unsupported page.
std::optional<size_t> EncodeInto(int codePage, std::wstring_view text, char* out, char defaultChar = '?',
                                 bool* usedDefault = nullptr);

// Decodes bytes from the calling thread's ANSI code page. Never fails.
std::wstring DecodeAnsi(std::string_view bytes);

// Encodes text into the calling thread's ANSI code page; a character the page
// cannot represent becomes "?". Never fails.
std::string EncodeAnsi(std::wstring_view text);

// Wide text as UTF-16LE bytes: surrogate pairs above U+FFFF, U+FFFD for values
// that UTF-16 cannot carry. No byte-order mark.
std::string ToUtf16Le(std::wstring_view text);

// The number of bytes ToUtf16Le gives for text.
size_t Utf16LeSize(std::wstring_view text);

// Writes the bytes of ToUtf16Le into out, which has room for Utf16LeSize(text)
// bytes; allocates nothing.
void ToUtf16Le(std::wstring_view text, char* out);

// UTF-16 code units to wide text: surrogate pairs are joined, a lone surrogate
// is kept as it stands.
std::wstring FromUtf16(std::u16string_view units);

}  // namespace platform
