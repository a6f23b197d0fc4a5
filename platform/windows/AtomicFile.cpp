// Windows implementation of whole-file reads, locked writers and replacement
// by MoveFileExW.
//
// A file that is open cannot be replaced on Windows, so the writers' lock
// cannot sit on the file itself as it does elsewhere: it is a LockFileEx lock
// on "<file>.lock", a file that the kernel deletes when the last writer that
// opened it closes it. Readers hold the file for the moment of their read;
// a replacement that meets one tries again for a bounded time.
#include "platform/AtomicFile.h"

#include <io.h>
#include <windows.h>

#include "platform/FileOpen.h"
#include "platform/System.h"
#include "platform/TemporaryName.h"
#include "platform/windows/FileHandle.h"

namespace platform {
namespace {

constexpr FileOpenRequest kWriteExisting{FileAccess::write, FileCreation::openExisting, false, false};
constexpr FileOpenRequest kCreateNew{FileAccess::write, FileCreation::createNew, false, false};

// A replacement that meets a reader tries again this often, this far apart:
// about a second in all.
constexpr int kMoveTries = 20;
constexpr uint32_t kMovePauseMilliseconds = 50;

// Opening a lock file that its last holder is deleting fails until the
// deletion is complete; such opens are tried again this often, this far apart.
constexpr int kLockOpenTries = 400;
constexpr uint32_t kLockOpenPauseMilliseconds = 5;

constexpr LONG kStatusDeletePending = static_cast<LONG>(0xC0000056L);

// Closes a C runtime descriptor when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0) ::_close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }
    HANDLE handle() const { return windows::HandleOf(m_fd); }
    // Closes now and reports the result, so a failed final write is noticed.
    uint32_t Close() {
        const int result = ::_close(m_fd);
        m_fd = -1;
        return result == 0 ? 0u : static_cast<uint32_t>(ERROR_WRITE_FAULT);
    }

private:
    int m_fd;
};

uint32_t LastError() {
    const DWORD code = ::GetLastError();
    return code != 0 ? code : ERROR_GEN_FAILURE;
}

uint32_t WriteAll(HANDLE handle, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = bytes.size() < (1u << 30) ? static_cast<DWORD>(bytes.size()) : (1u << 30);
        DWORD written = 0;
        if (!::WriteFile(handle, bytes.data(), chunk, &written, nullptr)) return LastError();
        if (written == 0) return ERROR_DISK_FULL;
        bytes.remove_prefix(written);
    }
    return 0;
}

// Errors of a move that a reader holding the target causes.
bool IsHeldByAnother(uint32_t error) {
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// Moves temporary over target, trying again while a reader holds target.
uint32_t MoveOver(const std::wstring& temporary, const std::wstring& target) {
    uint32_t error = 0;
    for (int attempt = 0; attempt < kMoveTries; ++attempt) {
        if (attempt > 0) SleepMilliseconds(kMovePauseMilliseconds);
        if (::MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) return 0;
        error = LastError();
        if (!IsHeldByAnother(error)) break;
    }
    return error;
}

// True when the open that just failed met a file whose deletion is pending.
bool MetPendingDeletion() {
    using LastStatus = LONG(WINAPI*)();
    static const LastStatus lastStatus =
        reinterpret_cast<LastStatus>(reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"),
                                                                              "RtlGetLastNtStatus")));
    return lastStatus && lastStatus() == kStatusDeletePending;
}

// Opens the lock file of path: created when missing, deleted when its last
// handle closes, never reached through a link.
HANDLE OpenLockFile(const std::wstring& path, uint32_t& error) {
    const std::wstring name = path + L".lock";
    for (int attempt = 0; attempt < kLockOpenTries; ++attempt) {
        const HANDLE handle =
            ::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            if (::GetFileType(handle) == FILE_TYPE_DISK) return handle;
            ::CloseHandle(handle);
            error = ERROR_NOT_SUPPORTED;
            return INVALID_HANDLE_VALUE;
        }
        error = LastError();
        if (error != ERROR_ACCESS_DENIED || !MetPendingDeletion()) return INVALID_HANDLE_VALUE;
        SleepMilliseconds(kLockOpenPauseMilliseconds);
    }
    return INVALID_HANDLE_VALUE;
}

}  // namespace

uint32_t ReadWholeFile(const std::wstring& path, std::string& bytes) {
    bytes.clear();
    uint32_t error = 0;
    const Descriptor fd(windows::OpenRegularFileWide(path, FileOpenRequest{}, error, nullptr));
    if (fd.get() < 0) return error;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(fd.handle(), &size)) return LastError();
    // Read straight into the string, sized by the file's length and grown
    // when the file turns out longer.
    size_t used = 0;
    bytes.resize(static_cast<size_t>(size.QuadPart > 0 ? size.QuadPart : 0) + 4096);
    for (;;) {
        if (used == bytes.size()) bytes.resize(bytes.size() * 2);
        const size_t room = bytes.size() - used;
        DWORD got = 0;
        if (!::ReadFile(fd.handle(), bytes.data() + used, room < (1u << 30) ? static_cast<DWORD>(room) : (1u << 30),
                        &got, nullptr)) {
            const uint32_t readError = LastError();
            if (readError == ERROR_HANDLE_EOF) break;
            bytes.clear();
            return readError;
        }
        if (got == 0) break;
        used += got;
    }
    bytes.resize(used);
    return 0;
}

uint32_t ReplaceWholeFile(const std::wstring& path, std::string_view bytes) {
    if (path.empty()) return ERROR_FILE_NOT_FOUND;
    // The file that is there must be one that this process may write: a
    // move would replace a link, a device or a read-only file as readily as
    // a writable one.
    uint32_t error = 0;
    {
        const Descriptor existing(windows::OpenRegularFileWide(path, kWriteExisting, error, nullptr));
        if (existing.get() < 0 && error != ERROR_FILE_NOT_FOUND) return error;
    }
    std::wstring temporary;
    int raw = -1;
    for (int attempt = 0; attempt < 100 && raw < 0; ++attempt) {
        temporary = TemporaryNameBeside(path);
        raw = windows::OpenRegularFileWide(temporary, kCreateNew, error, nullptr);
        if (raw < 0 && error != ERROR_FILE_EXISTS) return error;
    }
    if (raw < 0) return ERROR_FILE_EXISTS;
    Descriptor fd(raw);

    error = WriteAll(fd.handle(), bytes);
    const uint32_t closeError = fd.Close();
    if (error == 0) error = closeError;
    if (error == 0) error = MoveOver(temporary, path);
    if (error != 0) ::DeleteFileW(temporary.c_str());
    return error;
}

FileLock::FileLock(const std::wstring& path) {
    if (path.empty()) {
        m_error = ERROR_FILE_NOT_FOUND;
        return;
    }
    const HANDLE handle = OpenLockFile(path, m_error);
    if (handle == INVALID_HANDLE_VALUE) return;
    m_error = windows::WaitLockExclusive(handle);
    if (m_error == 0) m_fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), 0);
    if (m_fd < 0) {
        if (m_error == 0) m_error = ERROR_TOO_MANY_OPEN_FILES;
        ::CloseHandle(handle);
    }
}

FileLock::~FileLock() {
    if (m_fd < 0) return;
    windows::UnlockExclusive(windows::HandleOf(m_fd));
    ::_close(m_fd);
}

}  // namespace platform
