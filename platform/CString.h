// CString: the wide string of the plug-in's host boundary.
//
// Storage: one std::wstring of wchar_t. Lengths and positions count
// elements. On Linux wchar_t is 32 bits, so each element holds one Unicode
// code point; on Windows it is 16 bits and holds one UTF-16 code unit, so a
// character above U+FFFF takes two elements (a surrogate pair). Conversions to and from 8-bit text always
// name their code page explicitly (platform/CodePage.h); this class never
// converts implicitly.
//
// Format() conventions: "%s" and "%c" take wide arguments (wchar_t* and
// wchar_t), "%hs"/"%hc" take narrow ones.
//
// Header-only (bodies in platform/CStringImpl.h), so a host can use it without
// linking anything of the plug-in.
//
// A CString is a value; it is not shared between threads without a lock.
#pragma once

#include <cstdarg>
#include <string>
#include <string_view>

class CString {
public:
    CString() = default;
    CString(const wchar_t* text) : m_str(text ? text : L"") {}
    CString(const wchar_t* text, int length)
        : m_str(text ? std::wstring(text, length < 0 ? 0 : length) : std::wstring()) {}
    CString(std::wstring text) : m_str(std::move(text)) {}
    CString(std::wstring_view text) : m_str(text) {}
    CString(wchar_t ch, int repeat = 1) : m_str(repeat > 0 ? repeat : 0, ch) {}

    // Length in elements.
    int GetLength() const { return static_cast<int>(m_str.size()); }
    bool IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }

    // Zero-terminated text, valid until the string is changed.
    const wchar_t* GetString() const { return m_str.c_str(); }
    operator const wchar_t*() const { return m_str.c_str(); }
    const std::wstring& str() const { return m_str; }
    std::wstring& str() { return m_str; }

    // Element at index; index must lie in [0, GetLength()).
    wchar_t GetAt(int index) const { return m_str.at(static_cast<size_t>(index)); }
    void SetAt(int index, wchar_t ch) { m_str.at(static_cast<size_t>(index)) = ch; }

    // Position of the first occurrence at or after start, or -1.
    int Find(wchar_t ch, int start = 0) const;
    int Find(const wchar_t* sub, int start = 0) const;
    // Position of the last occurrence of ch, or -1.
    int ReverseFind(wchar_t ch) const;
    // Position of the first element that is one of chars, or -1.
    int FindOneOf(const wchar_t* chars) const;

    // Substrings; out-of-range positions and counts are clamped to the string.
    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    CString Left(int count) const;
    CString Right(int count) const;

    // Editing; each returns the new length (Delete, Insert) or a count (Replace, Remove).
    int Delete(int index, int count = 1);
    int Insert(int index, wchar_t ch);
    int Insert(int index, const wchar_t* text);
    int Replace(wchar_t oldCh, wchar_t newCh);
    int Replace(const wchar_t* oldText, const wchar_t* newText);
    int Remove(wchar_t ch);

    // White space removal (the runtime's wide white-space test) or removal of target characters.
    CString& Trim();
    CString& TrimLeft();
    CString& TrimRight();
    CString& Trim(wchar_t target);
    CString& TrimLeft(wchar_t target);
    CString& TrimRight(wchar_t target);
    CString& TrimLeft(const wchar_t* targets);
    CString& TrimRight(const wchar_t* targets);

    // Letter case by Unicode simple case mapping (a surrogate pair as one character).
    CString& MakeUpper();
    CString& MakeLower();

    // printf-style formatting with the conventions described above.
    void Format(const wchar_t* format, ...);
    void FormatV(const wchar_t* format, va_list args);
    void AppendFormat(const wchar_t* format, ...);

    // Three-way comparisons: exact, and ignoring letter case (Unicode simple case mapping).
    int Compare(const wchar_t* other) const;
    int CompareNoCase(const wchar_t* other) const;

    CString& operator=(const wchar_t* text) {
        m_str = text ? text : L"";
        return *this;
    }
    CString& operator=(wchar_t ch) {
        m_str.assign(1, ch);
        return *this;
    }
    CString& operator=(const std::wstring& text) {
        m_str = text;
        return *this;
    }
    CString& operator+=(const CString& other) {
        m_str += other.m_str;
        return *this;
    }
    CString& operator+=(const wchar_t* text) {
        if (text) m_str += text;
        return *this;
    }
    CString& operator+=(wchar_t ch) {
        m_str += ch;
        return *this;
    }
    CString& operator+=(const std::wstring& text) {
        m_str += text;
        return *this;
    }

    friend CString operator+(const CString& a, const CString& b) { return CString(a.m_str + b.m_str); }
    friend CString operator+(const CString& a, const wchar_t* b) {
        CString r(a);
        r += b;
        return r;
    }
    friend CString operator+(const wchar_t* a, const CString& b) {
        CString r(a);
        r += b;
        return r;
    }
    friend CString operator+(const CString& a, wchar_t b) {
        CString r(a);
        r += b;
        return r;
    }
    friend CString operator+(wchar_t a, const CString& b) {
        CString r(a);
        r += b;
        return r;
    }

    friend bool operator==(const CString& a, const CString& b) { return a.m_str == b.m_str; }
    friend bool operator==(const CString& a, const wchar_t* b) { return a.m_str == (b ? b : L""); }
    friend bool operator==(const wchar_t* a, const CString& b) { return b == a; }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, const wchar_t* b) { return !(a == b); }
    friend bool operator<(const CString& a, const CString& b) { return a.m_str < b.m_str; }

private:
    std::wstring m_str;
};

#include "platform/CStringImpl.h"
