// Code-page conversions: UTF-8 through platform/Utf8.h, single-byte pages
// through tables built from the system's characters, and the per-thread ANSI
// page.
#include "platform/CodePage.h"

#include "platform/CodePageSystem.h"
#include "platform/Unicode.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace platform {
namespace {

thread_local int t_threadCodePage = 0;

struct SingleByteTable {
    std::array<wchar_t, 256> decode{};
    std::unordered_map<wchar_t, unsigned char> encode;
};

// The single-byte pages the conversions carry.
bool IsListedSingleBytePage(int cp) {
    return (cp >= 1250 && cp <= 1258) || (cp >= 28591 && cp <= 28599) || cp == 28603 || cp == 28605 || cp == 437 ||
           cp == 850 || cp == 866 || cp == 20127;
}

// The table of one single-byte page, from the system's characters of its bytes.
std::shared_ptr<const SingleByteTable> BuildTable(int cp) {
    const std::optional<SingleBytePage> page = SystemSingleBytePage(cp);
    if (!page) return nullptr;
    auto table = std::make_shared<SingleByteTable>();
    for (size_t b = 0; b < page->size(); ++b) {
        table->decode[b] = (*page)[b];
        table->encode.emplace((*page)[b], static_cast<unsigned char>(b));
    }
    return table;
}

std::shared_ptr<const SingleByteTable> TableFor(int cp) {
    static std::mutex mutex;
    static std::map<int, std::shared_ptr<const SingleByteTable>> tables;
    std::lock_guard<std::mutex> lock(mutex);
    auto it = tables.find(cp);
    if (it != tables.end()) return it->second;
    auto table = IsListedSingleBytePage(cp) ? BuildTable(cp) : nullptr;
    tables.emplace(cp, table);
    return table;
}

// A concrete page (not 0 or 3) that the conversions can carry out.
bool IsSupportedPage(int cp) { return cp == kCodePageUtf8 || TableFor(cp) != nullptr; }

int ProcessCodePage() {
    const int cp = SystemAnsiCodePage();
    return cp != 0 && IsSupportedPage(cp) ? cp : kCodePageUtf8;
}

int Resolve(int cp) {
    if (cp == kCodePageAnsi || cp == kCodePageThreadAnsi) return ThreadAnsiCodePage();
    return cp;
}

}  // namespace

int ThreadAnsiCodePage() { return t_threadCodePage != 0 ? t_threadCodePage : ProcessCodePage(); }

bool SetThreadAnsiCodePage(int codePage) {
    if (codePage != 0 && (codePage == kCodePageThreadAnsi || !IsSupportedPage(codePage))) return false;
    t_threadCodePage = codePage;
    return true;
}

bool IsCodePageSupported(int codePage) { return IsSupportedPage(Resolve(codePage)); }

namespace {

// The code point that UTF-16 writes for ch: U+FFFD for values beyond U+10FFFF.
uint32_t Utf16CodePoint(wchar_t ch) {
    const uint32_t cp = static_cast<uint32_t>(ch);
    return cp > 0x10FFFF ? kReplacementCharacter : cp;
}

}  // namespace

size_t Utf16LeSize(std::wstring_view text) {
    size_t size = 0;
    for (wchar_t ch : text) size += Utf16CodePoint(ch) >= 0x10000 ? 4 : 2;
    return size;
}

void ToUtf16Le(std::wstring_view text, char* out) {
    auto put = [&out](uint32_t unit) {
        *out++ = static_cast<char>(unit & 0xFF);
        *out++ = static_cast<char>((unit >> 8) & 0xFF);
    };
    for (wchar_t ch : text) {
        uint32_t cp = Utf16CodePoint(ch);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            put(0xD800 | (cp >> 10));
            put(0xDC00 | (cp & 0x3FF));
        } else {
            put(cp);
        }
    }
}

std::string ToUtf16Le(std::wstring_view text) {
    std::string out(Utf16LeSize(text), '\0');
    ToUtf16Le(text, out.data());
    return out;
}

std::wstring FromUtf16(std::u16string_view units) {
    std::wstring out(units.size(), L'\0');
    out.resize(JoinSurrogatePairs(units.data(), units.size(), out.data()));
    return out;
}

std::optional<size_t> DecodeInto(int codePage, std::string_view bytes, wchar_t* out) {
    const int cp = Resolve(codePage);
    if (cp == kCodePageUtf8) return DecodeUtf8(bytes, out);
    auto table = TableFor(cp);
    if (!table) return std::nullopt;
    for (size_t i = 0; i < bytes.size(); ++i) out[i] = table->decode[static_cast<unsigned char>(bytes[i])];
    return bytes.size();
}

std::optional<std::wstring> Decode(int codePage, std::string_view bytes) {
    std::wstring out(bytes.size(), L'\0');
    const auto count = DecodeInto(codePage, bytes, out.data());
    if (!count) return std::nullopt;
    out.resize(*count);
    return out;
}

// The thread's page is always supported; UTF-8 stands behind it all the same.
std::wstring DecodeAnsi(std::string_view bytes) {
    std::optional<std::wstring> text = Decode(kCodePageAnsi, bytes);
    return text ? std::move(*text) : FromUtf8(bytes);
}

std::string EncodeAnsi(std::wstring_view text) {
    std::optional<std::string> bytes = Encode(kCodePageAnsi, text, '?');
    return bytes ? std::move(*bytes) : ToUtf8(text);
}

namespace {

// True when text[i] starts a surrogate pair that stands for one character
// (only where wide characters are UTF-16 code units).
bool PairAt(std::wstring_view text, size_t i) {
    return !kWideHoldsCodePoints && IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]);
}

}  // namespace

// A single-byte page gives one byte per character: a surrogate pair, which
// no such page holds, becomes one default character.
std::optional<size_t> EncodedLength(int codePage, std::wstring_view text) {
    const int cp = Resolve(codePage);
    if (cp == kCodePageUtf8) return Utf8Length(text);
    if (!TableFor(cp)) return std::nullopt;
    size_t length = 0;
    for (size_t i = 0; i < text.size(); ++i, ++length)
        if (PairAt(text, i)) ++i;
    return length;
}

std::optional<size_t> EncodeInto(int codePage, std::wstring_view text, char* out, char defaultChar, bool* usedDefault) {
    if (usedDefault) *usedDefault = false;
    const int cp = Resolve(codePage);
    if (cp == kCodePageUtf8) return EncodeUtf8(text, out);
    auto table = TableFor(cp);
    if (!table) return std::nullopt;
    size_t written = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        auto it = PairAt(text, i) ? table->encode.end() : table->encode.find(text[i]);
        if (it != table->encode.end()) {
            out[written++] = static_cast<char>(it->second);
        } else {
            out[written++] = defaultChar;
            if (usedDefault) *usedDefault = true;
            if (PairAt(text, i)) ++i;
        }
    }
    return written;
}

std::optional<std::string> Encode(int codePage, std::wstring_view text, char defaultChar, bool* usedDefault) {
    const auto length = EncodedLength(codePage, text);
    if (!length) {
        if (usedDefault) *usedDefault = false;
        return std::nullopt;
    }
    std::string out(*length, '\0');
    EncodeInto(codePage, text, out.data(), defaultChar, usedDefault);
    return out;
}

}  // namespace platform
