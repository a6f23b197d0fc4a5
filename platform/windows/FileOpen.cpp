// Windows implementation of the safe open and the bounded exclusive lock,
// over CreateFileW and LockFileEx. Descriptors are the C runtime's, each
// owning its kernel handle, so that the file classes and the C streams above
// them work as they do elsewhere.
#include "platform/FileOpen.h"

#include <fcntl.h>
#include <io.h>

#include "platform/CodePage.h"
#include "platform/System.h"
#include "platform/windows/FileHandle.h"

namespace platform {
namespace {

// How often a waiting LockExclusive tries again.
constexpr uint32_t kLockRetryMilliseconds = 5;

// Files are shared the way POSIX files are: other opens may read, write,
// rename and delete. Writers that share a file serialise through the lock.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The advisory lock covers one byte far beyond the end of any real file.
// Windows locks are mandatory for the bytes they cover; nobody reads or
// writes there, so the lock keeps out other lockers only.
constexpr DWORD kLockOffsetLow = 0xFFFFFFFEu;
constexpr DWORD kLockOffsetHigh = 0x7FFFFFFFu;

DWORD DesiredAccess(FileAccess access) {
    switch (access) {
        case FileAccess::write: return GENERIC_WRITE;
        case FileAccess::readWrite: return GENERIC_READ | GENERIC_WRITE;
        default: return GENERIC_READ;
    }
}

int RuntimeFlags(FileAccess access) {
    switch (access) {
        case FileAccess::write: return _O_WRONLY | _O_BINARY;
        case FileAccess::readWrite: return _O_RDWR | _O_BINARY;
        default: return _O_RDONLY | _O_BINARY;
    }
}

DWORD Disposition(FileCreation creation) {
    switch (creation) {
        case FileCreation::openOrCreate: return OPEN_ALWAYS;
        case FileCreation::createNew: return CREATE_NEW;
        default: return OPEN_EXISTING;
    }
}

int Fail(uint32_t code, uint32_t& error) {
    error = code;
    return -1;
}

uint32_t LastError() {
    const DWORD code = ::GetLastError();
    return code != 0 ? code : ERROR_GEN_FAILURE;
}

// The reason an opened handle may not be used, or 0.
uint32_t RefusalOf(HANDLE handle, const FileOpenRequest& request, bool created) {
    // Pipes, consoles and devices ("NUL", "COM1", a FIFO under a
    // compatibility layer) are no disk files.
    if (::GetFileType(handle) != FILE_TYPE_DISK) return ERROR_NOT_SUPPORTED;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info)) return LastError();
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return ERROR_ACCESS_DENIED;
    if (!request.followLink && (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return ERROR_CANT_RESOLVE_FILENAME;
    if (request.access != FileAccess::read && !created && (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY))
        return ERROR_ACCESS_DENIED;
    return 0;
}

uint32_t Truncate(HANDLE handle) {
    LARGE_INTEGER zero{};
    if (!::SetFilePointerEx(handle, zero, nullptr, FILE_BEGIN) || !::SetEndOfFile(handle)) return LastError();
    return 0;
}

OVERLAPPED LockRange() {
    OVERLAPPED range{};
    range.Offset = kLockOffsetLow;
    range.OffsetHigh = kLockOffsetHigh;
    return range;
}

}  // namespace

namespace windows {

int OpenRegularFileWide(const std::wstring& path, const FileOpenRequest& request, uint32_t& error, bool* created) {
    error = 0;
    if (created) *created = false;
    if (path.empty()) return Fail(ERROR_FILE_NOT_FOUND, error);
    // Without FILE_FLAG_OPEN_REPARSE_POINT the kernel would follow a link;
    // with it, the link itself opens and the checks below refuse it.
    const DWORD flags = FILE_ATTRIBUTE_NORMAL | (request.followLink ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    const HANDLE handle = ::CreateFileW(path.c_str(), DesiredAccess(request.access), kShareAll, nullptr,
                                        Disposition(request.creation), flags, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return Fail(LastError(), error);
    const bool made = request.creation == FileCreation::createNew ||
                      (request.creation == FileCreation::openOrCreate && ::GetLastError() != ERROR_ALREADY_EXISTS);

    uint32_t refusal = RefusalOf(handle, request, made);
    if (refusal == 0 && request.truncate && !made) refusal = Truncate(handle);
    int fd = -1;
    if (refusal == 0) {
        fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), RuntimeFlags(request.access));
        if (fd < 0) refusal = ERROR_TOO_MANY_OPEN_FILES;
    }
    if (refusal != 0) {
        ::CloseHandle(handle);
        // A file made here for nothing is not left behind.
        if (made) ::DeleteFileW(path.c_str());
        return Fail(refusal, error);
    }
    if (created) *created = made;
    return fd;
}

HANDLE HandleOf(int fd) { return fd < 0 ? INVALID_HANDLE_VALUE : reinterpret_cast<HANDLE>(::_get_osfhandle(fd)); }

uint32_t TryLockExclusive(HANDLE handle) {
    OVERLAPPED range = LockRange();
    if (::LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &range)) return 0;
    const uint32_t error = LastError();
    return error == ERROR_IO_PENDING ? ERROR_LOCK_VIOLATION : error;
}

uint32_t WaitLockExclusive(HANDLE handle) {
    OVERLAPPED range = LockRange();
    return ::LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &range) ? 0u : LastError();
}

void UnlockExclusive(HANDLE handle) {
    OVERLAPPED range = LockRange();
    // Fails harmlessly (ERROR_NOT_LOCKED) when this handle holds no lock.
    ::UnlockFileEx(handle, 0, 1, 0, &range);
}

}  // namespace windows

int OpenRegularFile(const std::string& path, const FileOpenRequest& request, uint32_t& error, bool* created) {
    return windows::OpenRegularFileWide(FromUtf8(path), request, error, created);
}

bool HasWritePermission(uint32_t mode) { return (mode & 0222u) != 0; }

uint32_t LockExclusive(int fd, uint32_t waitMilliseconds) {
    const HANDLE handle = windows::HandleOf(fd);
    if (handle == INVALID_HANDLE_VALUE) return ERROR_INVALID_HANDLE;
    const uint32_t start = GetTickCount();
    for (;;) {
        const uint32_t error = windows::TryLockExclusive(handle);
        if (error != ERROR_LOCK_VIOLATION) return error;
        const uint32_t waited = GetTickCount() - start;
        if (waited >= waitMilliseconds) return ERROR_LOCK_VIOLATION;
        const uint32_t left = waitMilliseconds - waited;
        SleepMilliseconds(left < kLockRetryMilliseconds ? left : kLockRetryMilliseconds);
    }
}

}  // namespace platform
