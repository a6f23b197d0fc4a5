// POSIX implementation of the file classes.
#include "platform/File.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/CodePage.h"
#include "platform/FileOpen.h"
#include "platform/System.h"

int CFileException::OsErrorToCause(uint32_t osError) {
    switch (osError) {
        case ENOENT: return fileNotFound;
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP: return badPath;
        case EMFILE:
        case ENFILE: return tooManyOpenFiles;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
        case ENXIO: return accessDenied;
        case EBADF: return invalidFile;
        case ESPIPE:
        case EINVAL: return badSeek;
        case EIO: return hardIO;
        case ENOSPC:
        case EDQUOT:
        case EFBIG: return diskFull;
        default: return genericException;
    }
}

CFile::CFile(const wchar_t* fileName, unsigned openFlags) {
    CFileException error;
    if (!Open(fileName, openFlags, &error)) throw error;
}

CFile::~CFile() { CFile::Abort(); }

bool CFile::Open(const wchar_t* fileName, unsigned openFlags, CFileException* error) {
    Abort();
    m_strFileName = fileName ? fileName : L"";
    platform::FileOpenRequest request;
    switch (openFlags & 3u) {
        case modeWrite: request.access = platform::FileAccess::write; break;
        case modeReadWrite: request.access = platform::FileAccess::readWrite; break;
        default: request.access = platform::FileAccess::read; break;
    }
    if (openFlags & modeCreate) {
        const bool createNew = (openFlags & modeCreateNew) != 0;
        request.creation = createNew ? platform::FileCreation::createNew : platform::FileCreation::openOrCreate;
        request.truncate = !createNew && !(openFlags & modeNoTruncate);
    }
    // Only a file opened purely for reading may be reached through a link.
    request.followLink = request.access == platform::FileAccess::read && !(openFlags & modeCreate);
    uint32_t osError = 0;
    const int fd = platform::OpenRegularFile(platform::ToUtf8(m_strFileName.str()), request, osError);
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

unsigned CFile::Read(void* buffer, unsigned count) {
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer, count);
        if (n >= 0) return static_cast<unsigned>(n);
        if (errno != EINTR) ThrowOsError(static_cast<uint32_t>(errno));
    }
}

void CFile::Write(const void* buffer, unsigned count) {
    const char* p = static_cast<const char*>(buffer);
    while (count > 0) {
        const ssize_t n = ::write(m_fd, p, count);
        if (n < 0) {
            if (errno == EINTR) continue;
            ThrowOsError(static_cast<uint32_t>(errno));
        }
        if (n == 0) ThrowOsError(ENOSPC);
        p += n;
        count -= static_cast<unsigned>(n);
    }
}

uint64_t CFile::Seek(int64_t offset, unsigned from) {
    const int whence = from == current ? SEEK_CUR : (from == end ? SEEK_END : SEEK_SET);
    const off_t pos = ::lseek(m_fd, static_cast<off_t>(offset), whence);
    if (pos < 0) ThrowOsError(static_cast<uint32_t>(errno));
    return static_cast<uint64_t>(pos);
}

uint64_t CFile::GetPosition() const {
    const off_t pos = ::lseek(m_fd, 0, SEEK_CUR);
    if (pos < 0) ThrowOsError(static_cast<uint32_t>(errno));
    return static_cast<uint64_t>(pos);
}

uint64_t CFile::GetLength() const {
    struct stat st {};
    if (::fstat(m_fd, &st) != 0) ThrowOsError(static_cast<uint32_t>(errno));
    return static_cast<uint64_t>(st.st_size);
}

void CFile::SetLength(uint64_t length) {
    if (::ftruncate(m_fd, static_cast<off_t>(length)) != 0) ThrowOsError(static_cast<uint32_t>(errno));
}

void CFile::Close() {
    if (m_fd < 0) return;
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0 && errno != EINTR) ThrowOsError(static_cast<uint32_t>(errno));
}

void CFile::Abort() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}

void CFile::Remove(const wchar_t* fileName) {
    const CString name(fileName);
    if (::unlink(platform::ToUtf8(name.str()).c_str()) != 0) {
        const uint32_t osError = static_cast<uint32_t>(errno);
        throw CFileException(CFileException::OsErrorToCause(osError), osError, name);
    }
}

void CFile::ThrowOsError(uint32_t osError) const {
    throw CFileException(CFileException::OsErrorToCause(osError), osError, m_strFileName);
}

// ---------------------------------------------------------------------------

CStdioFile::~CStdioFile() { CStdioFile::Abort(); }

bool CStdioFile::Open(const wchar_t* fileName, unsigned openFlags, CFileException* error) {
    CStdioFile::Abort();
    if (!CFile::Open(fileName, openFlags, error)) return false;
    const char* mode = (openFlags & 3u) == modeWrite ? "wb" : ((openFlags & 3u) == modeReadWrite ? "r+b" : "rb");
    m_pStream = ::fdopen(m_fd, mode);
    if (!m_pStream) {
        const uint32_t osError = static_cast<uint32_t>(errno);
        CFile::Abort();
        if (error) *error = CFileException(CFileException::OsErrorToCause(osError), osError, m_strFileName);
        return false;
    }
    return true;
}

int CStdioFile::ReadByte() {
    const int c = std::fgetc(m_pStream);
    if (c == EOF && std::ferror(m_pStream)) ThrowOsError(static_cast<uint32_t>(errno ? errno : EIO));
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

uint64_t CStdioFile::Seek(int64_t offset, unsigned from) {
    const int whence = from == current ? SEEK_CUR : (from == end ? SEEK_END : SEEK_SET);
    if (::fseeko(m_pStream, static_cast<off_t>(offset), whence) != 0) ThrowOsError(static_cast<uint32_t>(errno));
    return GetPosition();
}

uint64_t CStdioFile::GetPosition() const {
    const off_t pos = ::ftello(m_pStream);
    if (pos < 0) ThrowOsError(static_cast<uint32_t>(errno));
    return static_cast<uint64_t>(pos);
}

unsigned CStdioFile::Read(void* buffer, unsigned count) {
    const size_t n = std::fread(buffer, 1, count, m_pStream);
    if (n < count && std::ferror(m_pStream)) ThrowOsError(static_cast<uint32_t>(errno ? errno : EIO));
    return static_cast<unsigned>(n);
}

void CStdioFile::Write(const void* buffer, unsigned count) {
    if (count == 0) return;
    if (std::fwrite(buffer, 1, count, m_pStream) != count) ThrowOsError(static_cast<uint32_t>(errno ? errno : EIO));
}

void CStdioFile::Close() {
    if (!m_pStream) {
        CFile::Close();
        return;
    }
    std::FILE* stream = m_pStream;
    m_pStream = nullptr;
    m_fd = -1;
    if (std::fclose(stream) != 0) ThrowOsError(static_cast<uint32_t>(errno));
}

void CStdioFile::Abort() {
    if (m_pStream) {
        std::fclose(m_pStream);
        m_pStream = nullptr;
        m_fd = -1;
    }
    CFile::Abort();
}
