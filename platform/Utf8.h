// UTF-8 to wide text and back: the encoding of file names, INI files, the
// host's command line and its output.
//
// Decoding replaces each maximal invalid subpart (a byte that cannot start a
// sequence, or the longest start of a sequence that breaks off) with one
// U+FFFD; overlong forms, encoded surrogates and values above U+10FFFF are
// invalid. Encoding writes U+FFFD for what UTF-8 cannot carry (surrogates,
// values above U+10FFFF), so its result is always valid UTF-8.
//
// Where a wide character is a UTF-16 code unit (16-bit wchar_t), a code point
// above U+FFFF decodes to a surrogate pair, and a pair encodes as the one
// code point it stands for; a lone surrogate still encodes as U+FFFD. Where a
// wide character holds a code point, each surrogate value is a lone one.
//
// Header-only, so that a program which does not link the plug-in (the host)
// converts with the same code. Pure functions; safe from any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/Unicode.h"

namespace platform {

// The character that stands for what a conversion cannot carry.
inline constexpr wchar_t kReplacementCharacter = 0xFFFD;

namespace utf8_detail {

// The code point UTF-8 carries for ch: U+FFFD for what it cannot carry.
inline uint32_t EncodableCodePoint(wchar_t ch) {
    const auto cp = static_cast<uint32_t>(ch);
    return (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF ? kReplacementCharacter : cp;
}

// Writes cp (above U+FFFF) at o as a UTF-16 surrogate pair and moves o past it.
inline void PutPair(wchar_t*& o, uint32_t cp) {
    cp -= 0x10000;
    *o++ = static_cast<wchar_t>(0xD800 | (cp >> 10));
    *o++ = static_cast<wchar_t>(0xDC00 | (cp & 0x3FF));
}

inline size_t EncodedSize(uint32_t cp) { return cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4; }

// Writes cp (from EncodableCodePoint) at o and moves o past it.
inline void Put(char*& o, uint32_t cp) {
    if (cp < 0x80) {
        *o++ = static_cast<char>(cp);
    } else if (cp < 0x800) {
        *o++ = static_cast<char>(0xC0 | (cp >> 6));
        *o++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *o++ = static_cast<char>(0xE0 | (cp >> 12));
        *o++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *o++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        *o++ = static_cast<char>(0xF0 | (cp >> 18));
        *o++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        *o++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *o++ = static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Calls put with the code point UTF-8 carries for each character of text: a
// surrogate pair of UTF-16 code units gives the one code point it encodes.
template <typename Put>
void ForEachEncodable(std::wstring_view text, Put&& put) {
    const size_t n = text.size();
    for (size_t i = 0; i < n; ++i) {
        const wchar_t ch = text[i];
        if (!kWideHoldsCodePoints && IsHighSurrogate(ch) && i + 1 < n && IsLowSurrogate(text[i + 1])) {
            put(static_cast<uint32_t>(CodePointOfPair(ch, text[i + 1])));
            ++i;
        } else {
            put(EncodableCodePoint(ch));
        }
    }
}

}  // namespace utf8_detail

// The number of bytes ToUtf8 gives for text.
inline size_t Utf8Length(std::wstring_view text) {
    size_t length = 0;
    utf8_detail::ForEachEncodable(text, [&length](uint32_t cp) { length += utf8_detail::EncodedSize(cp); });
    return length;
}

// Writes the bytes of ToUtf8(text) into out, which has room for
// Utf8Length(text) bytes. Returns the number written.
inline size_t EncodeUtf8(std::wstring_view text, char* out) {
    char* o = out;
    utf8_detail::ForEachEncodable(text, [&o](uint32_t cp) { utf8_detail::Put(o, cp); });
    return static_cast<size_t>(o - out);
}

// Decodes UTF-8 into out, which has room for bytes.size() characters (no
// text has more characters than bytes, surrogate pairs included). Returns the
// number written.
inline size_t DecodeUtf8(std::string_view bytes, wchar_t* out) {
    wchar_t* o = out;
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t n = bytes.size();
    size_t i = 0;
    while (i < n) {
        // Runs of ASCII, the bulk of a page's markup, widen 16 bytes at a time.
        while (n - i >= 16) {
            uint64_t first, second;
            std::memcpy(&first, s + i, 8);
            std::memcpy(&second, s + i + 8, 8);
            if (((first | second) & 0x8080808080808080ull) != 0) break;
            for (int k = 0; k < 16; ++k) o[k] = static_cast<wchar_t>(s[i + k]);
            o += 16;
            i += 16;
        }
        if (i >= n) break;
        const unsigned char b = s[i];
        if (b < 0x80) {
            *o++ = static_cast<wchar_t>(b);
            ++i;
            continue;
        }
        int need = 0;
        uint32_t cp = 0;
        unsigned char lo = 0x80, hi = 0xBF;  // bounds of the second byte
        if (b >= 0xC2 && b <= 0xDF) {
            need = 1;
            cp = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            need = 2;
            cp = b & 0x0F;
            if (b == 0xE0) lo = 0xA0;  // no overlong forms
            if (b == 0xED) hi = 0x9F;  // no surrogates
        } else if (b >= 0xF0 && b <= 0xF4) {
            need = 3;
            cp = b & 0x07;
            if (b == 0xF0) lo = 0x90;  // no overlong forms
            if (b == 0xF4) hi = 0x8F;  // nothing above U+10FFFF
        } else {
            *o++ = kReplacementCharacter;
            ++i;
            continue;
        }
        size_t j = i + 1;
        int got = 0;
        while (got < need && j < n) {
            const unsigned char c = s[j];
            const bool ok = got == 0 ? (c >= lo && c <= hi) : (c >= 0x80 && c <= 0xBF);
            if (!ok) break;
            cp = (cp << 6) | (c & 0x3F);
            ++j;
            ++got;
        }
        if (got != need) *o++ = kReplacementCharacter;  // the maximal invalid subpart becomes one U+FFFD
        else if (kWideHoldsCodePoints || cp < 0x10000) *o++ = static_cast<wchar_t>(cp);
        else utf8_detail::PutPair(o, cp);  // four bytes give two code units: still no more than the bytes
        i = j;
    }
    return static_cast<size_t>(o - out);
}

// Wide text of UTF-8 bytes (all of them, zero bytes included).
inline std::wstring FromUtf8(std::string_view bytes) {
    // Never more characters than bytes: write into a buffer of that size and
    // cut it to length at the end (pages of 100 KB decode in one pass).
    std::wstring out(bytes.size(), L'\0');
    out.resize(DecodeUtf8(bytes, out.data()));
    return out;
}

// UTF-8 bytes of wide text.
inline std::string ToUtf8(std::wstring_view text) {
    std::string out(Utf8Length(text), '\0');
    EncodeUtf8(text, out.data());
    return out;
}

}  // namespace platform
