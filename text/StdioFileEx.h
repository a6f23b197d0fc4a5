// CStdioFileEx: a line-oriented text file that reads and writes either
// UTF-16LE text with a byte-order mark or 8-bit text in a code page, and
// hands every line to the caller as wide text. Lines may be of any length.
//
// Opening for reading detects UTF-16LE by the mark FF FE; opening with
// modeUtf16Text selects UTF-16LE output, and a write at position 0 is
// preceded by the mark. Code points above U+FFFF are written as surrogate
// pairs and joined again on reading.
//
// The C stream keeps the file position for reads, writes, Seek and
// GetPosition alike. A write goes straight to the file descriptor, bypassing
// the stream's buffer: the descriptor is first moved to the stream's position
// and the stream is afterwards moved to where the write ended, so the data is
// in the file when WriteString returns and the position follows it.
//
// Lines are built in scratch buffers inside the object. A line or text that
// fits them (4,095 units) takes no heap memory; a longer one takes heap
// memory and gives it back before the call returns. One object is used
// by one thread at a time.
#pragma once

#include <string>

#include "platform/File.h"

// Holds a character array and frees it only when it owns it.
template <typename T>
class CTemplateSmartPtrArray {
public:
    CTemplateSmartPtrArray() = default;
    // Points at storage the holder does not own (a caller's buffer).
    explicit CTemplateSmartPtrArray(T* borrowed) : m_pData(borrowed), m_bOwner(false) {}
    virtual ~CTemplateSmartPtrArray() { Release(); }
    CTemplateSmartPtrArray(const CTemplateSmartPtrArray&) = delete;
    CTemplateSmartPtrArray& operator=(const CTemplateSmartPtrArray&) = delete;

    // Replaces the array by a new owned one of count elements.
    T* Allocate(size_t count) {
        T* fresh = new T[count]();
        Release();
        m_pData = fresh;
        m_bOwner = true;
        return fresh;
    }
    T* Get() const { return m_pData; }
    bool IsOwner() const { return m_bOwner; }

private:
    void Release() {
        if (m_pData && m_bOwner) delete[] m_pData;
        m_pData = nullptr;
        m_bOwner = false;
    }

    T* m_pData = nullptr;
    bool m_bOwner = false;
};

// Converts zero-terminated 8-bit text in codePage (-1: the thread's ANSI code
// page) into dest, which has room for capacity wide characters; dest gets a
// larger owned array when the text needs more. Returns the number of
// characters written, without the terminator; 0 when the conversion fails.
int ConvertMultiByteToWide(const char* text, CTemplateSmartPtrArray<wchar_t>& dest, int capacity, int codePage);

// Converts zero-terminated wide text into codePage (-1: the thread's ANSI code
// page); characters the page lacks become replacement. Growth as above.
// Returns the number of bytes written, without the terminator; 0 on failure.
int ConvertWideToMultiByte(const wchar_t* text, CTemplateSmartPtrArray<char>& dest, int capacity, int codePage,
                           char replacement);

class CStdioFileEx : public CStdioFile {
public:
    // The file's text is UTF-16LE.
    static constexpr unsigned modeUtf16Text = 0x200000;
    static constexpr int kBufferUnits = 4096;

    CStdioFileEx() = default;

    // Opens the file (always as a binary stream). For reading, FF FE at the
    // start selects UTF-16LE; with modeCreate or modeWrite, modeUtf16Text does.
    bool Open(const wchar_t* fileName, unsigned openFlags, CFileException* error = nullptr) override;
    // Moves the position; a read at position 0 afterwards skips the mark again.
    uint64_t Seek(int64_t offset, unsigned from) override;
    // Writes text as UTF-16LE (with the mark at position 0) or in the code page.
    void WriteString(const wchar_t* text) override;
    // Reads one line without its LF and one trailing CR; false at end of file.
    bool ReadString(CString& line) override;
    // Forwards to the base class.
    wchar_t* ReadString(wchar_t* buffer, unsigned maxChars) override;

    // True when the text is read as UTF-16LE.
    bool IsUnicode() const { return m_bUnicode; }

private:
    bool ReadUtf16Line(std::wstring& line);
    bool ReadByteLine(std::wstring& line);
    // Writes text at position through the descriptor; returns the bytes written.
    size_t WriteText(const wchar_t* text, uint64_t position);
    // Flushes the stream, drops what it read ahead and moves the descriptor to
    // the stream's position, which it returns.
    uint64_t HandPositionToDescriptor();
    // Moves the stream to position, where a direct write ended.
    void HandPositionToStream(uint64_t position);

    bool m_bUnicode = false;
    unsigned m_nFlags = 0;
    int m_nCodePage = -1;
    char m_chReplacement = '#';
    bool m_bMarkOnFirstWrite = true;
    bool m_bAtStart = true;
    // Scratch buffers reused by every line, so short lines need no allocation.
    wchar_t m_wideBuffer[kBufferUnits] = {};
    char m_byteBuffer[kBufferUnits] = {};
};
