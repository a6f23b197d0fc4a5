// The parts of CStdioFile and CFile that every system shares: open flags,
// the C stream over the descriptor, and 8-bit text lines.
#include <algorithm>
#include <cwchar>

#include "platform/CodePage.h"
#include "platform/File.h"
#include "platform/FileShared.h"
#include "platform/FileSystem.h"

namespace platform {

FileOpenRequest FileOpenRequestOf(unsigned openFlags) {
    FileOpenRequest request;
    switch (openFlags & 3u) {
        case CFile::modeWrite: request.access = FileAccess::write; break;
        case CFile::modeReadWrite: request.access = FileAccess::readWrite; break;
        default: request.access = FileAccess::read; break;
    }
    if (openFlags & CFile::modeCreate) {
        const bool createNew = (openFlags & CFile::modeCreateNew) != 0;
        request.creation = createNew ? FileCreation::createNew : FileCreation::openOrCreate;
        request.truncate = !createNew && !(openFlags & CFile::modeNoTruncate);
    }
    // Only a file opened purely for reading may be reached through a link.
    request.followLink = request.access == FileAccess::read && !(openFlags & CFile::modeCreate);
    return request;
}

}  // namespace platform

CFile::CFile(const wchar_t* fileName, unsigned openFlags) {
    CFileException error;
    if (!Open(fileName, openFlags, &error)) throw error;
}

CFile::~CFile() { CFile::Abort(); }

bool CFile::Open(const wchar_t* fileName, unsigned openFlags, CFileException* error) {
    Abort();
    m_strFileName = fileName ? fileName : L"";
    uint32_t osError = 0;
    const int fd = platform::OpenRegularFileNamed(m_strFileName.str(), platform::FileOpenRequestOf(openFlags), osError);
    if (fd < 0) {
        if (error) *error = CFileException(CFileException::OsErrorToCause(osError), osError, m_strFileName);
        return false;
    }
    m_fd = fd;
    m_openFlags = openFlags;
    return true;
}

bool CFile::LockExclusive(uint32_t waitMilliseconds) {
    return m_fd >= 0 && platform::LockExclusive(m_fd, waitMilliseconds) == 0;
}

void CFile::Remove(const wchar_t* fileName) {
    const CString name(fileName);
    const uint32_t osError = platform::DeleteFile(name.str());
    if (osError != 0) throw CFileException(CFileException::OsErrorToCause(osError), osError, name);
}

void CFile::ThrowOsError(uint32_t osError) const {
    throw CFileException(CFileException::OsErrorToCause(osError), osError, m_strFileName);
}

CStdioFile::~CStdioFile() { CStdioFile::Abort(); }

bool CStdioFile::Open(const wchar_t* fileName, unsigned openFlags, CFileException* error) {
    CStdioFile::Abort();
    if (!CFile::Open(fileName, openFlags, error)) return false;
    const char* mode = (openFlags & 3u) == modeWrite ? "wb" : ((openFlags & 3u) == modeReadWrite ? "r+b" : "rb");
    m_pStream = ::fdopen(m_fd, mode);
    if (!m_pStream) {
        const uint32_t osError = platform::StreamErrorCode();
        CFile::Abort();
        if (error) *error = CFileException(CFileException::OsErrorToCause(osError), osError, m_strFileName);
        return false;
    }
    return true;
}

int CStdioFile::ReadByte() {
    const int c = std::fgetc(m_pStream);
    if (c == EOF && std::ferror(m_pStream)) ThrowOsError(platform::StreamErrorCode());
    return c;
}

bool CStdioFile::ReadString(CString& line) {
    line.Empty();
    std::string bytes;
    int c = ReadByte();
    if (c == EOF) return false;
    while (c != EOF && c != '\n') {
        bytes += static_cast<char>(c);
        c = ReadByte();
    }
    if (!bytes.empty() && bytes.back() == '\r') bytes.pop_back();
    line = platform::DecodeAnsi(bytes);
    return true;
}

wchar_t* CStdioFile::ReadString(wchar_t* buffer, unsigned maxChars) {
    if (!buffer || maxChars == 0) return nullptr;
    std::string bytes;
    int c = 0;
    while (bytes.size() + 1 < maxChars && (c = ReadByte()) != EOF) {
        bytes += static_cast<char>(c);
        if (c == '\n') break;
    }
    if (bytes.empty()) return nullptr;
    const std::wstring text = platform::DecodeAnsi(bytes);
    const size_t n = std::min<size_t>(text.size(), maxChars - 1);
    std::wmemcpy(buffer, text.data(), n);
    buffer[n] = 0;
    return buffer;
}

void CStdioFile::WriteString(const wchar_t* text) {
    if (!text) return;
    const std::string bytes = platform::EncodeAnsi(text);
    Write(bytes.data(), static_cast<unsigned>(bytes.size()));
}

unsigned CStdioFile::Read(void* buffer, unsigned count) {
    const size_t n = std::fread(buffer, 1, count, m_pStream);
    if (n < count && std::ferror(m_pStream)) ThrowOsError(platform::StreamErrorCode());
    return static_cast<unsigned>(n);
}

void CStdioFile::Write(const void* buffer, unsigned count) {
    if (count == 0) return;
    if (std::fwrite(buffer, 1, count, m_pStream) != count) ThrowOsError(platform::StreamErrorCode());
}

void CStdioFile::Close() {
    if (!m_pStream) {
        CFile::Close();
        return;
    }
    std::FILE* stream = m_pStream;
    m_pStream = nullptr;
    platform::ReleaseFileLock(m_fd);
    m_fd = -1;
    if (std::fclose(stream) != 0) ThrowOsError(platform::StreamErrorCode());
}

void CStdioFile::Abort() {
    if (m_pStream) {
        platform::ReleaseFileLock(m_fd);
        std::fclose(m_pStream);
        m_pStream = nullptr;
        m_fd = -1;
    }
    CFile::Abort();
}
