// Windows implementation of the file classes. Opening files is not yet
// carried out on Windows: Open fails with ERROR_CALL_NOT_IMPLEMENTED (the
// caller's usual failure path: a false result and its exception's text), and
// every other operation, which needs an open file, throws the exception of an
// invalid handle.
#include <windows.h>

#include "platform/File.h"

#undef DeleteFile

int CFileException::OsErrorToCause(uint32_t osError) {
    switch (osError) {
        case ERROR_FILE_NOT_FOUND: return fileNotFound;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_FILENAME_EXCED_RANGE: return badPath;
        case ERROR_TOO_MANY_OPEN_FILES: return tooManyOpenFiles;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION: return accessDenied;
        case ERROR_INVALID_HANDLE: return invalidFile;
        case ERROR_NEGATIVE_SEEK:
        case ERROR_SEEK_ON_DEVICE: return badSeek;
        case ERROR_READ_FAULT:
        case ERROR_WRITE_FAULT: return hardIO;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL: return diskFull;
        default: return genericException;
    }
}

CFile::CFile(const wchar_t* fileName, unsigned openFlags) {
    CFileException error;
    if (!Open(fileName, openFlags, &error)) throw error;
}

CFile::~CFile() { CFile::Abort(); }

bool CFile::Open(const wchar_t* fileName, unsigned /*openFlags*/, CFileException* error) {
    Abort();
    m_strFileName = fileName ? fileName : L"";
    if (error) *error = CFileException(CFileException::genericException, ERROR_CALL_NOT_IMPLEMENTED, m_strFileName);
    return false;
}

bool CFile::LockExclusive(uint32_t /*waitMilliseconds*/) { return false; }

unsigned CFile::Read(void*, unsigned) { ThrowOsError(ERROR_INVALID_HANDLE); }

void CFile::Write(const void*, unsigned) { ThrowOsError(ERROR_INVALID_HANDLE); }

uint64_t CFile::Seek(int64_t, unsigned) { ThrowOsError(ERROR_INVALID_HANDLE); }

uint64_t CFile::GetPosition() const { ThrowOsError(ERROR_INVALID_HANDLE); }

uint64_t CFile::GetLength() const { ThrowOsError(ERROR_INVALID_HANDLE); }

void CFile::SetLength(uint64_t) { ThrowOsError(ERROR_INVALID_HANDLE); }

void CFile::Close() { m_fd = -1; }

void CFile::Abort() { m_fd = -1; }

void CFile::Remove(const wchar_t* fileName) {
    const CString name(fileName);
    if (!::DeleteFileW(name.GetString())) {
        const uint32_t osError = ::GetLastError();
        throw CFileException(CFileException::OsErrorToCause(osError), osError, name);
    }
}

void CFile::ThrowOsError(uint32_t osError) const {
    throw CFileException(CFileException::OsErrorToCause(osError), osError, m_strFileName);
}

CStdioFile::~CStdioFile() { CStdioFile::Abort(); }

bool CStdioFile::Open(const wchar_t* fileName, unsigned openFlags, CFileException* error) {
    return CFile::Open(fileName, openFlags, error);
}

int CStdioFile::ReadByte() { ThrowOsError(ERROR_INVALID_HANDLE); }

bool CStdioFile::ReadString(CString&) { ThrowOsError(ERROR_INVALID_HANDLE); }

wchar_t* CStdioFile::ReadString(wchar_t*, unsigned) { ThrowOsError(ERROR_INVALID_HANDLE); }

void CStdioFile::WriteString(const wchar_t*) { ThrowOsError(ERROR_INVALID_HANDLE); }

uint64_t CStdioFile::Seek(int64_t, unsigned) { ThrowOsError(ERROR_INVALID_HANDLE); }

uint64_t CStdioFile::GetPosition() const { ThrowOsError(ERROR_INVALID_HANDLE); }

unsigned CStdioFile::Read(void*, unsigned) { ThrowOsError(ERROR_INVALID_HANDLE); }

void CStdioFile::Write(const void*, unsigned) { ThrowOsError(ERROR_INVALID_HANDLE); }

void CStdioFile::Close() { CFile::Close(); }

void CStdioFile::Abort() { CFile::Abort(); }
