// What the Windows file code shares: the safe open over CreateFileW, the
// kernel handle behind a C runtime descriptor, and the byte range its
// advisory locks take.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/FileOpen.h"

namespace platform::windows {

// Opens path as platform::OpenRegularFile does, with a wide name. Returns the
// C runtime descriptor that owns the kernel handle, or -1 with error set.
int OpenRegularFileWide(const std::wstring& path, const FileOpenRequest& request, uint32_t& error, bool* created);

// The kernel handle of a C runtime descriptor (INVALID_HANDLE_VALUE for none).
HANDLE HandleOf(int fd);

// One attempt at the exclusive advisory lock of handle: 0 when it is held,
// ERROR_LOCK_VIOLATION when another open of the file holds it, else the error.
uint32_t TryLockExclusive(HANDLE handle);

// Waits until the exclusive advisory lock of handle is held. 0 or the error.
uint32_t WaitLockExclusive(HANDLE handle);

// Releases the advisory lock of handle, when this handle holds it.
void UnlockExclusive(HANDLE handle);

}  // namespace platform::windows
