// Opening the files that the plug-in creates or writes, in folders that other
// users and processes may share, and locking them between processes.
//
// OpenRegularFile never follows a final symbolic link when it writes, never
// blocks on a FIFO or a device (the open is non-blocking; the descriptor it
// returns is blocking again), refuses anything but a regular file, and does
// not open a file without any write permission bit for writing, also in a
// process whose privileges would let it (a read-only file stays read-only).
// Truncation happens only after those checks, so a refused file keeps its
// contents.
//
// Descriptors are the C runtime's descriptors, owned by the caller; on Windows
// each owns the kernel handle of a CreateFileW open that shares reading,
// writing and deletion with other opens. Error codes are the system's: the
// POSIX codes named below, and on Windows ERROR_CANT_RESOLVE_FILENAME for a
// link, ERROR_NOT_SUPPORTED for anything but a disk file, ERROR_ACCESS_DENIED
// for a folder or a read-only file opened for writing, ERROR_FILE_EXISTS for
// a clash of createNew. Thread-safe.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

enum class FileAccess { read, write, readWrite };

enum class FileCreation {
    openExisting,  // the file must exist
    openOrCreate,  // the file is created when nothing exists at the name
    createNew,     // the file is created; anything at the name (a link too) is a clash: EEXIST
};

struct FileOpenRequest {
    FileAccess access = FileAccess::read;
    FileCreation creation = FileCreation::openExisting;
    // Cut an existing file to length 0 once it has passed the checks.
    bool truncate = false;
    // Follow a final symbolic link. Only for reading files the plug-in does not own.
    bool followLink = false;
};

// Opens the regular file at path (UTF-8). On success returns the descriptor
// (close-on-exec, blocking) and sets error to 0; *created, when given, tells
// whether this call created the file. On failure returns -1 and sets error to
// the system error code: ELOOP for a symbolic link that is not followed,
// ENXIO for a FIFO, device or socket, EISDIR for a folder, EACCES for a file
// without write permission opened for writing, EEXIST for a clash of
// createNew, or what open(2) reported.
int OpenRegularFile(const std::string& path, const FileOpenRequest& request, uint32_t& error, bool* created = nullptr);

// True when a file with these permission bits counts as writable: at least
// one write bit (owner, group or others) is set.
bool HasWritePermission(uint32_t mode);

// Takes an exclusive advisory lock on the open file description of fd (flock,
// or LockFileEx on a byte far beyond the file's end on Windows), waiting at
// most waitMilliseconds. Returns 0 when the lock is held (until the
// description is closed), EWOULDBLOCK (ERROR_LOCK_VIOLATION on Windows) when
// the wait ran out, or the error code of a failed attempt.
uint32_t LockExclusive(int fd, uint32_t waitMilliseconds);

}  // namespace platform
