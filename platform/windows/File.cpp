// Windows implementation of the file classes: ReadFile, WriteFile,
// SetFilePointerEx and friends on the kernel handle behind the descriptor.
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstdlib>

#include "platform/File.h"
#include "platform/FileShared.h"
#include "platform/windows/FileHandle.h"

namespace {

// Most bytes handed to one ReadFile or WriteFile call.
constexpr unsigned kMaxTransfer = 1u << 30;

uint32_t LastError(uint32_t fallback) {
    const DWORD code = ::GetLastError();
    return code != 0 ? code : fallback;
}

DWORD MoveMethod(unsigned from) {
    return from == CFile::current ? FILE_CURRENT : (from == CFile::end ? FILE_END : FILE_BEGIN);
}

}  // namespace

int CFileException::OsErrorToCause(uint32_t osError) {
    switch (osError) {
        case ERROR_FILE_NOT_FOUND: return fileNotFound;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_FILENAME_EXCED_RANGE:
        case ERROR_CANT_RESOLVE_FILENAME: return badPath;
        case ERROR_TOO_MANY_OPEN_FILES: return tooManyOpenFiles;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
        case ERROR_NOT_SUPPORTED:
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

unsigned CFile::Read(void* buffer, unsigned count) {
    DWORD got = 0;
    if (!::ReadFile(platform::windows::HandleOf(m_fd), buffer, count < kMaxTransfer ? count : kMaxTransfer, &got,
                    nullptr)) {
        const uint32_t error = LastError(ERROR_READ_FAULT);
        if (error != ERROR_HANDLE_EOF && error != ERROR_BROKEN_PIPE) ThrowOsError(error);
    }
    return got;
}

void CFile::Write(const void* buffer, unsigned count) {
    const char* p = static_cast<const char*>(buffer);
    while (count > 0) {
        DWORD written = 0;
        if (!::WriteFile(platform::windows::HandleOf(m_fd), p, count < kMaxTransfer ? count : kMaxTransfer, &written,
                         nullptr))
            ThrowOsError(LastError(ERROR_WRITE_FAULT));
        if (written == 0) ThrowOsError(ERROR_DISK_FULL);
        p += written;
        count -= written;
    }
}

uint64_t CFile::Seek(int64_t offset, unsigned from) {
    LARGE_INTEGER distance{};
    distance.QuadPart = offset;
    LARGE_INTEGER pos{};
    if (!::SetFilePointerEx(platform::windows::HandleOf(m_fd), distance, &pos, MoveMethod(from)))
        ThrowOsError(LastError(ERROR_NEGATIVE_SEEK));
    return static_cast<uint64_t>(pos.QuadPart);
}

uint64_t CFile::GetPosition() const {
    LARGE_INTEGER pos{};
    if (!::SetFilePointerEx(platform::windows::HandleOf(m_fd), LARGE_INTEGER{}, &pos, FILE_CURRENT))
        ThrowOsError(LastError(ERROR_INVALID_HANDLE));
    return static_cast<uint64_t>(pos.QuadPart);
}

uint64_t CFile::GetLength() const {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(platform::windows::HandleOf(m_fd), &size)) ThrowOsError(LastError(ERROR_INVALID_HANDLE));
    return static_cast<uint64_t>(size.QuadPart);
}

void CFile::SetLength(uint64_t length) {
    const HANDLE handle = platform::windows::HandleOf(m_fd);
    const uint64_t position = GetPosition();
    LARGE_INTEGER target{};
    target.QuadPart = static_cast<LONGLONG>(length);
    const bool cut = ::SetFilePointerEx(handle, target, nullptr, FILE_BEGIN) && ::SetEndOfFile(handle);
    const uint32_t error = cut ? 0 : LastError(ERROR_WRITE_FAULT);
    target.QuadPart = static_cast<LONGLONG>(position);
    ::SetFilePointerEx(handle, target, nullptr, FILE_BEGIN);
    if (error != 0) ThrowOsError(error);
}

void CFile::Close() {
    if (m_fd < 0) return;
    const int fd = m_fd;
    m_fd = -1;
    platform::ReleaseFileLock(fd);
    if (::_close(fd) != 0) ThrowOsError(LastError(ERROR_INVALID_HANDLE));
}

void CFile::Abort() {
    if (m_fd >= 0) {
        platform::ReleaseFileLock(m_fd);
        ::_close(m_fd);
    }
    m_fd = -1;
}

namespace platform {

int OpenRegularFileNamed(const std::wstring& name, const FileOpenRequest& request, uint32_t& error) {
    return windows::OpenRegularFileWide(name, request, error, nullptr);
}

uint32_t StreamErrorCode() {
    // The runtime keeps the kernel's code of a failed call in _doserrno.
    const unsigned long code = _doserrno;
    return code != 0 ? static_cast<uint32_t>(code) : static_cast<uint32_t>(ERROR_GEN_FAILURE);
}

void ReleaseFileLock(int fd) {
    const HANDLE handle = windows::HandleOf(fd);
    if (handle != INVALID_HANDLE_VALUE) windows::UnlockExclusive(handle);
}

}  // namespace platform

uint64_t CStdioFile::Seek(int64_t offset, unsigned from) {
    const int whence = from == current ? SEEK_CUR : (from == end ? SEEK_END : SEEK_SET);
    if (::_fseeki64(m_pStream, offset, whence) != 0) ThrowOsError(platform::StreamErrorCode());
    return GetPosition();
}

uint64_t CStdioFile::GetPosition() const {
    const int64_t pos = ::_ftelli64(m_pStream);
    if (pos < 0) ThrowOsError(platform::StreamErrorCode());
    return static_cast<uint64_t>(pos);
}
