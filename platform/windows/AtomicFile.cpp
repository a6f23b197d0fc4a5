// Windows implementation of whole-file reads, locked writers and replacement.
// Not yet carried out: every operation fails with ERROR_CALL_NOT_IMPLEMENTED,
// so readers find no file and writers change nothing.
#include "platform/AtomicFile.h"

#include <windows.h>

namespace platform {

uint32_t ReadWholeFile(const std::wstring& /*path*/, std::string& bytes) {
    bytes.clear();
    return ERROR_CALL_NOT_IMPLEMENTED;
}

uint32_t ReplaceWholeFile(const std::wstring& /*path*/, std::string_view /*bytes*/) {
    return ERROR_CALL_NOT_IMPLEMENTED;
}

FileLock::FileLock(const std::wstring& /*path*/) : m_error(ERROR_CALL_NOT_IMPLEMENTED) {}

FileLock::~FileLock() = default;

}  // namespace platform
