// Windows implementation of opening and locking files by descriptor. The
// Windows file classes do not go through descriptors; these fail with
// ERROR_CALL_NOT_IMPLEMENTED.
#include "platform/FileOpen.h"

#include <windows.h>

namespace platform {

int OpenRegularFile(const std::string& /*path*/, const FileOpenRequest& /*request*/, uint32_t& error, bool* created) {
    if (created) *created = false;
    error = ERROR_CALL_NOT_IMPLEMENTED;
    return -1;
}

bool HasWritePermission(uint32_t mode) { return (mode & 0222u) != 0; }

uint32_t LockExclusive(int /*fd*/, uint32_t /*waitMilliseconds*/) { return ERROR_CALL_NOT_IMPLEMENTED; }

}  // namespace platform
