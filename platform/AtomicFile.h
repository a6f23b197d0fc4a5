// Whole-file reads, an advisory lock between writers, and replacement of a
// file's contents in one step, for small files that several processes share
// (INI files in a common cache folder).
//
// Writers take the lock, read, and replace; readers need no lock, because a
// replacement is a rename of a complete temporary file over the old one, so a
// reader opens either the old or the new file, never a half-written one.
// On POSIX systems the lock is flock() on the file itself (created empty when
// missing). A
// writer that waited may find that the file it locked has meanwhile been
// replaced; it then locks the new file instead, so the lock it ends up with is
// on the file that the path names. flock() belongs to an open file
// description, so it separates threads of one process that use their own
// FileLock objects as well as separate processes. No extra files are made.
// Windows cannot replace a file that is open, so there the lock is LockFileEx
// on "<file>.lock", which exists only while writers hold or wait for it, and
// a replacement that meets a reader tries again for about a second.
//
// Every file here is opened as platform/FileOpen.h says: a final link is
// never followed, a FIFO or device never blocks and is refused, and a file
// without write permission is neither locked nor replaced.
//
// Thread-safe; a FileLock object belongs to the thread that made it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// Reads the whole regular file at path into bytes. Returns 0, or the error
// code (errno; ENOENT when nothing exists at path, ELOOP for a link, ENXIO
// for a FIFO or device; the Windows codes of platform/FileOpen.h).
// bytes is emptied first.
uint32_t ReadWholeFile(const std::wstring& path, std::string& bytes);

// Replaces the contents of path with bytes: writes a temporary file in the
// same folder and renames it over path. The file keeps its permission bits.
// Returns 0, or the error code: a link, a special file or a file that this
// process may not write (EACCES, also for a file without write permission
// bits in a process whose privileges would allow the write) is not replaced.
// On failure path is unchanged and the temporary file is gone. Writers that must not lose each other's changes
// hold a FileLock for path around their read and this call.
uint32_t ReplaceWholeFile(const std::wstring& path, std::string_view bytes);

// An exclusive advisory lock on the file at path, held from construction
// (which waits for it, and creates an empty file when none exists) to
// destruction. The file is opened for writing, so one that may not be
// written cannot be locked.
class FileLock {
public:
    explicit FileLock(const std::wstring& path);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // 0 when the lock is held, else the error code of the failed attempt.
    uint32_t error() const { return m_error; }

private:
    int m_fd = -1;
    uint32_t m_error = 0;
};

}  // namespace platform
