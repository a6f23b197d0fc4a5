// Internal to the file classes: what both systems' implementations share.
#pragma once

#include <cstdint>
#include <string>

#include "platform/FileOpen.h"

namespace platform {

// The open request that CFile open flags stand for.
FileOpenRequest FileOpenRequestOf(unsigned openFlags);

// OpenRegularFile for a wide file name.
int OpenRegularFileNamed(const std::wstring& name, const FileOpenRequest& request, uint32_t& error);

// The system error code of the C stream operation that just failed
// (never 0: a generic I/O error when the runtime recorded none).
uint32_t StreamErrorCode();

// Releases the advisory lock that CFile::LockExclusive took on fd, before fd
// is closed (closing alone releases it only eventually on some systems).
void ReleaseFileLock(int fd);

}  // namespace platform
