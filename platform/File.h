// CFile, CStdioFile and CFileException: binary and text files over the C
// runtime's descriptors (on Windows each owns a kernel file handle) and C
// streams.
//
// File names are wide; POSIX systems store them on disk as UTF-8. Open flags
// are bits that callers combine: a mode, a sharing flag, creation and type
// flags. Sharing flags are accepted but not enforced: every open lets others
// read, write, rename and delete, as POSIX files do; writers that share a
// file serialise through LockExclusive. The
// throwing operations report failures as CFileException, thrown by value.
// An object is used by one thread at a time.
#pragma once

#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>

#include "platform/CString.h"

class CFileException : public std::exception {
public:
    enum Cause {
        none = 0,
        genericException,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile
    };

    CFileException() = default;
    CFileException(int cause, uint32_t osError, const CString& fileName);

    // Copies the error text into buffer (at most maxChars - 1 characters and a terminator).
    bool GetErrorMessage(wchar_t* buffer, unsigned maxChars, unsigned* helpContext = nullptr) const;
    // The error text: the system's description of the error and the file name.
    CString GetErrorText() const;
    const char* what() const noexcept override;

    // Maps a system error code (errno, or a Windows error code) to a cause.
    static int OsErrorToCause(uint32_t osError);

    int m_cause = none;
    uint32_t m_lOsError = 0;
    CString m_strFileName;

private:
    std::string m_what;
};

class CFile {
public:
    enum OpenFlags : unsigned {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000,
        // With modeCreate: the file must not exist yet; anything at the name,
        // a link included, makes the open fail.
        modeCreateNew = 0x1000000
    };
    enum SeekPosition { begin = 0, current = 1, end = 2 };

    CFile() = default;
    // Opens the file; throws CFileException on failure.
    CFile(const wchar_t* fileName, unsigned openFlags);
    virtual ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // Opens the file. On failure returns false and fills *error when given.
    // Only regular files open; nothing blocks on a FIFO or device. A file
    // opened for writing or creating is never reached through a final link,
    // and an existing one without any write permission bit is refused.
    virtual bool Open(const wchar_t* fileName, unsigned openFlags, CFileException* error = nullptr);
    // Reads up to count bytes; returns the number read (0 at end of file). Throws on error.
    virtual unsigned Read(void* buffer, unsigned count);
    // Writes all count bytes. Throws on error (a full disk included).
    virtual void Write(const void* buffer, unsigned count);
    // Moves the position; returns the new one. Throws on error.
    virtual uint64_t Seek(int64_t offset, unsigned from);
    uint64_t SeekToEnd() { return Seek(0, end); }
    void SeekToBegin() { Seek(0, begin); }
    // The current position. Throws on error.
    virtual uint64_t GetPosition() const;
    // The file's length in bytes. Throws on error.
    uint64_t GetLength() const;
    // Cuts or extends the file to length bytes; the position is unchanged. Throws on error.
    void SetLength(uint64_t length);
    // Closes the file; throws when the system reports an error on closing.
    virtual void Close();
    // Closes the file without raising anything.
    virtual void Abort();

    // Takes an exclusive advisory lock on the file against every other open
    // of it, in this process or another, waiting at most waitMilliseconds.
    // The lock is held until Close. False when it was not granted in time.
    bool LockExclusive(uint32_t waitMilliseconds);

    bool IsOpen() const { return m_fd >= 0; }
    const CString& GetFilePath() const { return m_strFileName; }

    // Deletes a file. Throws on error.
    static void Remove(const wchar_t* fileName);

protected:
    [[noreturn]] void ThrowOsError(uint32_t osError) const;

    int m_fd = -1;
    unsigned m_openFlags = 0;
    CString m_strFileName;
};

class CStdioFile : public CFile {
public:
    CStdioFile() = default;
    ~CStdioFile() override;

    // Opens the file and a C stream over it.
    bool Open(const wchar_t* fileName, unsigned openFlags, CFileException* error = nullptr) override;
    // Reads one line of 8-bit text in the thread's ANSI code page, without its line end.
    virtual bool ReadString(CString& line);
    // Reads at most maxChars - 1 characters up to and including LF; null at end of file.
    virtual wchar_t* ReadString(wchar_t* buffer, unsigned maxChars);
    // Writes text as 8-bit text in the thread's ANSI code page.
    virtual void WriteString(const wchar_t* text);
    uint64_t Seek(int64_t offset, unsigned from) override;
    uint64_t GetPosition() const override;
    unsigned Read(void* buffer, unsigned count) override;
    void Write(const void* buffer, unsigned count) override;
    void Close() override;
    void Abort() override;

protected:
    // Reads one byte from the stream; -1 at end of file. Throws on a read error.
    int ReadByte();

    std::FILE* m_pStream = nullptr;
};
