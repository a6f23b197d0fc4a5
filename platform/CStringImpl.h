// Bodies of the CString operations, kept in a header so that CString needs no
// compiled part of the plug-in: a host that links nothing of the plug-in can use it.
// Included by platform/CString.h only. Index arguments out of range are
// clamped to the string (positions to [0, length], counts to what follows the
// position), so callers that pass a computed position never fault.
#pragma once

#include <cwchar>
#include <vector>

#include "platform/Unicode.h"

namespace platform::detail {

inline int Clamp(int value, int low, int high) { return value < low ? low : (value > high ? high : value); }

// Rewrites a CString format, where "%s"/"%c" take wide arguments, into one for
// the C library's wide printf, where they take narrow ones.
inline std::wstring TranslateFormat(const wchar_t* format) {
    std::wstring out;
    for (const wchar_t* p = format; *p; ++p) {
        out += *p;
        if (*p != L'%') continue;
        ++p;
        if (*p == L'%') {
            out += L'%';
            continue;
        }
        while (*p && std::wcschr(L"-+ #0123456789.*", *p)) out += *p++;
        bool narrow = false, wide = false;
        std::wstring length;
        while (*p && std::wcschr(L"hlLqjzt", *p)) {
            if (*p == L'h') narrow = true;
            else if (*p == L'l' && (p[1] == L's' || p[1] == L'c' || p[1] == L'S' || p[1] == L'C')) wide = true;
            else length += *p;
            ++p;
        }
        if (*p == 0) break;
        const wchar_t conv = *p;
        if (conv == L's' || conv == L'c') {
            out += narrow ? std::wstring() : std::wstring(L"l");
            out += conv;
        } else if (conv == L'S' || conv == L'C') {
            out += wide ? std::wstring(L"l") : std::wstring();
            out += static_cast<wchar_t>(conv == L'S' ? L's' : L'c');
        } else {
            out += length;
            out += conv;
        }
    }
    return out;
}

}  // namespace platform::detail

inline int CString::Find(wchar_t ch, int start) const {
    if (start < 0) start = 0;
    if (start >= GetLength()) return -1;
    const size_t pos = m_str.find(ch, static_cast<size_t>(start));
    return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

inline int CString::Find(const wchar_t* sub, int start) const {
    if (!sub) return -1;
    if (start < 0) start = 0;
    if (start > GetLength()) return -1;
    const size_t pos = m_str.find(sub, static_cast<size_t>(start));
    return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

inline int CString::ReverseFind(wchar_t ch) const {
    const size_t pos = m_str.rfind(ch);
    return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

inline int CString::FindOneOf(const wchar_t* chars) const {
    if (!chars) return -1;
    const size_t pos = m_str.find_first_of(chars);
    return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

inline CString CString::Mid(int first) const { return Mid(first, GetLength()); }

inline CString CString::Mid(int first, int count) const {
    first = platform::detail::Clamp(first, 0, GetLength());
    count = platform::detail::Clamp(count, 0, GetLength() - first);
    return CString(m_str.substr(static_cast<size_t>(first), static_cast<size_t>(count)));
}

inline CString CString::Left(int count) const {
    return CString(m_str.substr(0, static_cast<size_t>(platform::detail::Clamp(count, 0, GetLength()))));
}

inline CString CString::Right(int count) const {
    count = platform::detail::Clamp(count, 0, GetLength());
    return CString(m_str.substr(static_cast<size_t>(GetLength() - count)));
}

inline int CString::Delete(int index, int count) {
    index = platform::detail::Clamp(index, 0, GetLength());
    count = platform::detail::Clamp(count, 0, GetLength() - index);
    m_str.erase(static_cast<size_t>(index), static_cast<size_t>(count));
    return GetLength();
}

inline int CString::Insert(int index, wchar_t ch) {
    m_str.insert(static_cast<size_t>(platform::detail::Clamp(index, 0, GetLength())), 1, ch);
    return GetLength();
}

inline int CString::Insert(int index, const wchar_t* text) {
    if (text) m_str.insert(static_cast<size_t>(platform::detail::Clamp(index, 0, GetLength())), text);
    return GetLength();
}

inline int CString::Replace(wchar_t oldCh, wchar_t newCh) {
    int count = 0;
    for (auto& c : m_str)
        if (c == oldCh) {
            c = newCh;
            ++count;
        }
    return count;
}

inline int CString::Replace(const wchar_t* oldText, const wchar_t* newText) {
    if (!oldText || !*oldText) return 0;
    const std::wstring from(oldText), to(newText ? newText : L"");
    size_t pos = m_str.find(from);
    if (pos == std::wstring::npos) return 0;
    std::wstring result;
    result.reserve(m_str.size());
    size_t last = 0;
    int count = 0;
    while (pos != std::wstring::npos) {
        result.append(m_str, last, pos - last);
        result += to;
        last = pos + from.size();
        ++count;
        pos = m_str.find(from, last);
    }
    result.append(m_str, last, std::wstring::npos);
    m_str.swap(result);
    return count;
}

inline int CString::Remove(wchar_t ch) {
    const size_t before = m_str.size();
    std::erase(m_str, ch);
    return static_cast<int>(before - m_str.size());
}

inline CString& CString::Trim() { return TrimRight().TrimLeft(); }

inline CString& CString::TrimLeft() {
    size_t i = 0;
    while (i < m_str.size() && platform::IsSpace(m_str[i])) ++i;
    m_str.erase(0, i);
    return *this;
}

inline CString& CString::TrimRight() {
    size_t n = m_str.size();
    while (n > 0 && platform::IsSpace(m_str[n - 1])) --n;
    m_str.resize(n);
    return *this;
}

inline CString& CString::Trim(wchar_t target) { return TrimRight(target).TrimLeft(target); }

inline CString& CString::TrimLeft(wchar_t target) {
    const wchar_t targets[2] = {target, 0};
    return TrimLeft(targets);
}

inline CString& CString::TrimRight(wchar_t target) {
    const wchar_t targets[2] = {target, 0};
    return TrimRight(targets);
}

inline CString& CString::TrimLeft(const wchar_t* targets) {
    if (!targets || !*targets) return *this;
    const size_t i = m_str.find_first_not_of(targets);
    m_str.erase(0, i == std::wstring::npos ? m_str.size() : i);
    return *this;
}

inline CString& CString::TrimRight(const wchar_t* targets) {
    if (!targets || !*targets) return *this;
    const size_t i = m_str.find_last_not_of(targets);
    m_str.resize(i == std::wstring::npos ? 0 : i + 1);
    return *this;
}

inline CString& CString::MakeUpper() {
    platform::MapCase(m_str, true);
    return *this;
}

inline CString& CString::MakeLower() {
    platform::MapCase(m_str, false);
    return *this;
}

inline void CString::Format(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

inline void CString::AppendFormat(const wchar_t* format, ...) {
    CString tail;
    va_list args;
    va_start(args, format);
    tail.FormatV(format, args);
    va_end(args);
    m_str += tail.m_str;
}

inline void CString::FormatV(const wchar_t* format, va_list args) {
    m_str.clear();
    if (!format) return;
    const std::wstring fmt = platform::detail::TranslateFormat(format);
    // vswprintf reports "buffer too small" as -1 (C library of POSIX systems)
    // or as the length the whole text needs (some Windows runtimes), and
    // encoding errors as -1; the buffer grows until the text fits or a size no
    // log line needs.
    for (size_t size = 256; size <= (size_t{1} << 26); size *= 4) {
        std::vector<wchar_t> buffer(size);
        va_list copy;
        va_copy(copy, args);
        const int n = std::vswprintf(buffer.data(), size, fmt.c_str(), copy);
        va_end(copy);
        if (n >= 0 && static_cast<size_t>(n) < size) {
            m_str.assign(buffer.data(), static_cast<size_t>(n));
            return;
        }
    }
}

inline int CString::Compare(const wchar_t* other) const { return m_str.compare(other ? other : L""); }

inline int CString::CompareNoCase(const wchar_t* other) const {
    return platform::CompareNoCase(m_str, other ? std::wstring_view(other) : std::wstring_view());
}
