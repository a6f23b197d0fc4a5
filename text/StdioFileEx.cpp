// CStdioFileEx: UTF-16LE and code-page text lines over CStdioFile.
//
// Lines are gathered in the object's scratch buffers; a line that outgrows
// them continues in a heap string local to the call. Writes bypass the
// stream's buffer: the stream hands its position to the descriptor before the
// write and takes the descriptor's position back after it.
#include "text/StdioFileEx.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cwchar>
#include <string>

#include "platform/CodePage.h"
#include "platform/Unicode.h"

namespace {

int ResolveCodePage(int codePage) { return codePage == -1 ? platform::kCodePageAnsi : codePage; }

// A line being read: units go into a fixed buffer that the caller owns, with
// one place kept free for a terminator; a line that outgrows it moves into a
// heap string owned here, so the memory goes back when the LineBuffer goes
// out of scope, before the read returns (also when an exception passes).
template <typename T>
class LineBuffer {
public:
    LineBuffer(T* fixed, size_t capacity) : m_fixed(fixed), m_capacity(capacity - 1) {}

    void Append(T unit) {
        if (!m_spilled && m_size < m_capacity) {
            m_fixed[m_size++] = unit;
            return;
        }
        if (!m_spilled) {
            m_heap.reserve(m_capacity * 2);
            m_heap.assign(m_fixed, m_size);
            m_spilled = true;
        }
        m_heap += unit;
        ++m_size;
    }

    T* Data() { return m_spilled ? m_heap.data() : m_fixed; }
    size_t Size() const { return m_size; }

    // The units followed by a zero.
    const T* Terminated() {
        if (m_spilled) return m_heap.c_str();
        m_fixed[m_size] = T();
        return m_fixed;
    }

private:
    T* m_fixed;
    size_t m_capacity;
    size_t m_size = 0;
    bool m_spilled = false;
    std::basic_string<T> m_heap;
};

}  // namespace

// Both conversions write straight into dest: a text that fits its storage
// takes no other memory.
int ConvertMultiByteToWide(const char* text, CTemplateSmartPtrArray<wchar_t>& dest, int capacity, int codePage) {
    if (!text) return 0;
    const int page = ResolveCodePage(codePage);
    if (!platform::IsCodePageSupported(page)) return 0;
    const std::string_view bytes(text, std::strlen(text));
    // No page gives more characters than bytes.
    const size_t room = bytes.size() + 1;
    wchar_t* out = dest.Get();
    if (!out || capacity < 0 || room > static_cast<size_t>(capacity)) out = dest.Allocate(room);
    const size_t count = platform::DecodeInto(page, bytes, out).value_or(0);
    out[count] = L'\0';
    return static_cast<int>(count);
}

int ConvertWideToMultiByte(const wchar_t* text, CTemplateSmartPtrArray<char>& dest, int capacity, int codePage,
                           char replacement) {
    if (!text) return 0;
    const int page = ResolveCodePage(codePage);
    const std::wstring_view wide(text);
    const auto length = platform::EncodedLength(page, wide);
    if (!length) return 0;
    const size_t needed = *length + 1;
    char* out = dest.Get();
    if (!out || capacity < 0 || needed > static_cast<size_t>(capacity)) out = dest.Allocate(needed);
    const size_t count = platform::EncodeInto(page, wide, out, replacement).value_or(0);
    out[count] = '\0';
    return static_cast<int>(count);
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
    const uint64_t position = HandPositionToDescriptor();
    size_t written = 0;
    try {
        written = WriteText(text, position);
    } catch (...) {
        // A failed write may have written part of the text: the descriptor knows how much.
        HandPositionToStream(CFile::GetPosition());
        throw;
    }
    HandPositionToStream(position + written);
}

size_t CStdioFileEx::WriteText(const wchar_t* text, uint64_t position) {
    if ((m_nFlags & modeUtf16Text) == 0) {
        CTemplateSmartPtrArray<char> holder(m_byteBuffer);
        const int n = ConvertWideToMultiByte(text, holder, kBufferUnits, m_nCodePage, m_chReplacement);
        if (n <= 0) return 0;
        CFile::Write(holder.Get(), static_cast<unsigned>(n));
        return static_cast<size_t>(n);
    }
    // The mark and the text leave in one write, from the byte buffer when they fit.
    const std::wstring_view view(text);
    const size_t markSize = m_bMarkOnFirstWrite && position == 0 ? 2 : 0;
    const size_t size = markSize + platform::Utf16LeSize(view);
    std::string heap;
    char* bytes = m_byteBuffer;
    if (size > sizeof m_byteBuffer) {
        heap.resize(size);
        bytes = heap.data();
    }
    if (markSize != 0) {
        bytes[0] = static_cast<char>(0xFF);
        bytes[1] = static_cast<char>(0xFE);
    }
    platform::ToUtf16Le(view, bytes + markSize);
    for (size_t done = 0; done < size;) {
        const size_t chunk = std::min<size_t>(size - done, 1u << 30);
        CFile::Write(bytes + done, static_cast<unsigned>(chunk));
        done += chunk;
    }
    return size;
}

uint64_t CStdioFileEx::HandPositionToDescriptor() {
    const uint64_t position = CStdioFile::GetPosition();
    if (std::fflush(m_pStream) != 0) ThrowOsError(static_cast<uint32_t>(errno ? errno : EIO));
    CFile::Seek(static_cast<int64_t>(position), begin);
    return position;
}

void CStdioFileEx::HandPositionToStream(uint64_t position) {
    // Positioning the stream also drops whatever it had read ahead, which the
    // write may have overtaken.
    CStdioFile::Seek(static_cast<int64_t>(position), begin);
}

bool CStdioFileEx::ReadString(CString& line) {
    line.Empty();
    if (m_bAtStart && m_bUnicode && GetPosition() == 0) {
        ReadByte();
        ReadByte();
    }
    std::wstring& text = line.str();
    const bool read = m_bUnicode ? ReadUtf16Line(text) : ReadByteLine(text);
    if (!read) return false;
    if (!text.empty() && text.back() == L'\r') text.pop_back();
    m_bAtStart = false;
    return true;
}

wchar_t* CStdioFileEx::ReadString(wchar_t* buffer, unsigned maxChars) {
    return CStdioFile::ReadString(buffer, maxChars);
}

bool CStdioFileEx::ReadUtf16Line(std::wstring& line) {
    LineBuffer<wchar_t> units(m_wideBuffer, kBufferUnits);
    bool any = false;
    for (;;) {
        const int low = ReadByte();
        if (low == EOF) break;
        const int high = ReadByte();
        if (high == EOF) break;  // a lone last byte holds no unit: end of file
        any = true;
        const wchar_t unit = static_cast<wchar_t>(low | (high << 8));
        if (unit == L'\n') break;
        units.Append(unit);
    }
    if (!any) return false;
    line.assign(units.Data(), platform::JoinSurrogatePairs(units.Data(), units.Size(), units.Data()));
    return true;
}

bool CStdioFileEx::ReadByteLine(std::wstring& line) {
    LineBuffer<char> bytes(m_byteBuffer, kBufferUnits);
    bool any = false;
    for (;;) {
        const int c = ReadByte();
        if (c == EOF) break;
        any = true;
        if (c == '\n') break;
        bytes.Append(static_cast<char>(c));
    }
    if (!any) return false;
    CTemplateSmartPtrArray<wchar_t> holder(m_wideBuffer);
    const int n = ConvertMultiByteToWide(bytes.Terminated(), holder, kBufferUnits, m_nCodePage);
    line.assign(holder.Get() ? holder.Get() : L"", static_cast<size_t>(n));
    return true;
}
