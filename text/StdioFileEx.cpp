// CStdioFileEx: UTF-16LE and code-page text lines over CStdioFile.
#include "text/StdioFileEx.h"

#include <cstring>
#include <cwchar>

#include "platform/CodePage.h"

namespace {

int ResolveCodePage(int codePage) { return codePage == -1 ? platform::kCodePageAnsi : codePage; }

}  // namespace

int ConvertMultiByteToWide(const char* text, CTemplateSmartPtrArray<wchar_t>& dest, int capacity, int codePage) {
    if (!text) return 0;
    const auto wide = platform::Decode(ResolveCodePage(codePage), std::string_view(text, std::strlen(text)));
    if (!wide) return 0;
    const size_t needed = wide->size() + 1;
    wchar_t* out = dest.Get();
    if (!out || capacity < 0 || needed > static_cast<size_t>(capacity)) out = dest.Allocate(needed);
    std::wmemcpy(out, wide->c_str(), needed);
    return static_cast<int>(wide->size());
}

int ConvertWideToMultiByte(const wchar_t* text, CTemplateSmartPtrArray<char>& dest, int capacity, int codePage,
                           char replacement) {
    if (!text) return 0;
    const auto bytes = platform::Encode(ResolveCodePage(codePage), std::wstring_view(text), replacement);
    if (!bytes) return 0;
    const size_t needed = bytes->size() + 1;
    char* out = dest.Get();
    if (!out || capacity < 0 || needed > static_cast<size_t>(capacity)) out = dest.Allocate(needed);
    std::memcpy(out, bytes->c_str(), needed);
    return static_cast<int>(bytes->size());
}

bool CStdioFileEx::Open(const wchar_t* fileName, unsigned openFlags, CFileException* error) {
    m_bUnicode = (openFlags & modeUtf16Text) != 0;
    openFlags = (openFlags & ~static_cast<unsigned>(typeText)) | typeBinary;
    m_nFlags = openFlags;
    if (!CStdioFile::Open(fileName, openFlags, error)) return false;
    if ((openFlags & (modeCreate | modeWrite)) == 0) {
        const int first = ReadByte();
        const int second = first == EOF ? EOF : ReadByte();
        m_bUnicode = first == 0xFF && second == 0xFE;
        CStdioFile::Seek(0, begin);
    }
    m_bAtStart = true;
    return true;
}

uint64_t CStdioFileEx::Seek(int64_t offset, unsigned from) {
    m_bAtStart = true;
    return CStdioFile::Seek(offset, from);
}

void CStdioFileEx::WriteString(const wchar_t* text) {
    if (!text) return;
    const bool utf16 = (m_nFlags & modeUtf16Text) != 0;
    if (utf16) {
        if (m_bMarkOnFirstWrite && CFile::GetPosition() == 0) {
            static const unsigned char kBom[2] = {0xFF, 0xFE};
            CFile::Write(kBom, 2);
        }
        const std::string bytes = platform::ToUtf16Le(text);
        CFile::Write(bytes.data(), static_cast<unsigned>(bytes.size()));
        return;
    }
    CTemplateSmartPtrArray<char> holder(m_byteBuffer);
    const int n = ConvertWideToMultiByte(text, holder, kBufferUnits, m_nCodePage, m_chReplacement);
    if (n > 0) CFile::Write(holder.Get(), static_cast<unsigned>(n));
}

bool CStdioFileEx::ReadString(CString& line) {
    line.Empty();
    if (m_bAtStart && m_bUnicode && GetPosition() == 0) {
        ReadByte();
        ReadByte();
    }
    std::wstring text;
    const bool read = m_bUnicode ? ReadUtf16Line(text) : ReadByteLine(text);
    if (!read) return false;
    if (!text.empty() && text.back() == L'\r') text.pop_back();
    line = std::move(text);
    m_bAtStart = false;
    return true;
}

wchar_t* CStdioFileEx::ReadString(wchar_t* buffer, unsigned maxChars) { return CStdioFile::ReadString(buffer, maxChars); }

bool CStdioFileEx::ReadUtf16Line(std::wstring& line) {
    m_units.clear();
    bool any = false;
    for (;;) {
        const int low = ReadByte();
        if (low == EOF) break;
        const int high = ReadByte();
        if (high == EOF) break;  // a lone last byte holds no unit: end of file
        any = true;
        const char16_t unit = static_cast<char16_t>(low | (high << 8));
        if (unit == u'\n') break;
        m_units += unit;
    }
    if (!any) return false;
    line = platform::FromUtf16(m_units);
    return true;
}

bool CStdioFileEx::ReadByteLine(std::wstring& line) {
    m_bytes.clear();
    bool any = false;
    for (;;) {
        const int c = ReadByte();
        if (c == EOF) break;
        any = true;
        if (c == '\n') break;
        m_bytes += static_cast<char>(c);
    }
    if (!any) return false;
    CTemplateSmartPtrArray<wchar_t> holder(m_wideBuffer);
    const int n = ConvertMultiByteToWide(m_bytes.c_str(), holder, kBufferUnits, m_nCodePage);
    line.assign(holder.Get() ? holder.Get() : L"", static_cast<size_t>(n));
    return true;
}
