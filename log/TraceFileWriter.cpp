// The trace file writer: file creation, day change, line format, spin lock.
#include "log/TraceFileWriter.h"

#include <cstdarg>
#include <cwchar>
#include <new>

#include "log/TraceLineEscape.h"
#include "platform/CString.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"

const wchar_t* LevelLabel(int level) {
    static const wchar_t* const kLabels[7] = {L"", L"ERR", L"WRN", L"INF", L"DBG", L"-->", L"---"};
    if (level < 0 || level >= 70) return kLabels[0];
    return kLabels[level / 10];
}

// Acquire: pass when the word already holds the caller's id; otherwise swap
// the id in where the word is 0, and sleep 25 ms between failed attempts.
// Release: swap the caller's id back to 0 (no recursion count).
class CTraceFileWriter::SpinLock {
public:
    explicit SpinLock(std::atomic<uint32_t>& word) : m_word(word), m_id(platform::CurrentThreadId()) {
        for (;;) {
            if (m_word.load() == m_id) return;
            uint32_t expected = 0;
            m_word.compare_exchange_strong(expected, m_id);
            if (m_word.load() == m_id) return;
            platform::SleepMilliseconds(25);
        }
    }
    ~SpinLock() {
        uint32_t expected = m_id;
        m_word.compare_exchange_strong(expected, 0);
    }
    SpinLock(const SpinLock&) = delete;
    SpinLock& operator=(const SpinLock&) = delete;

private:
    std::atomic<uint32_t>& m_word;
    const uint32_t m_id;
};

void CTraceFileWriter::SetBaseName(const wchar_t* base) {
    SpinLock lock(m_ownerThread);
    m_file.reset();
    m_pBaseName = std::make_unique<std::wstring>(base ? base : L"");
}

void CTraceFileWriter::SetLevel(int level) {
    SpinLock lock(m_ownerThread);
    m_nLevel = level > 0 ? level : 0;
}

void CTraceFileWriter::CopyFileName(wchar_t* buffer, int capacity) {
    SpinLock lock(m_ownerThread);
    const size_t length = std::wcslen(m_szFileName);
    if (buffer && capacity >= 0 && static_cast<size_t>(capacity) >= length + 1)
        std::wmemcpy(buffer, m_szFileName, length + 1);
}

void CTraceFileWriter::CloseFile() {
    SpinLock lock(m_ownerThread);
    m_file.reset();
}

void CTraceFileWriter::Teardown() {
    SpinLock lock(m_ownerThread);
    m_file.reset();
    m_pBaseName.reset();
    m_clock = nullptr;
}

void CTraceFileWriter::SetClock(std::function<platform::LocalTime()> clock) {
    SpinLock lock(m_ownerThread);
    m_clock = std::move(clock);
}

platform::LocalTime CTraceFileWriter::Now() const { return m_clock ? m_clock() : platform::GetLocalTime(); }

void CTraceFileWriter::CreateLogFile() {
    const platform::LocalTime now = Now();
    CString stem;
    stem.Format(L"%s_%04d%02d%02d_%02d%02d%02d_%X", m_pBaseName ? m_pBaseName->c_str() : L"Trace", now.year, now.month,
                now.day, now.hour, now.minute, now.second, platform::CurrentProcessId());
    m_file.reset();
    // The file is always a new one: a name that is taken (by an earlier file
    // of this process, or by anything placed there, a link included) gives
    // way to the next one, stem_1.txt, stem_2.txt and so on.
    for (int clash = 0; clash < kMaxNameClashes; ++clash) {
        CString name = stem;
        if (clash > 0) name.AppendFormat(L"_%d", clash);
        name += L".txt";
        if (name.GetLength() > kMaxFileName) {
            // A name this long cannot be kept; no file is created for it.
            m_szFileName[0] = 0;
            return;
        }
        auto file = std::make_unique<CFile>();
        CFileException error;
        if (!file->Open(name,
                        CFile::modeCreate | CFile::modeCreateNew | CFile::modeWrite | CFile::shareDenyWrite |
                            CFile::typeBinary,
                        &error)) {
            if (platform::IsAlreadyExistsError(error.m_lOsError)) continue;
            return;
        }
        std::wmemcpy(m_szFileName, name.GetString(), static_cast<size_t>(name.GetLength()) + 1);
        m_fileDate = now;
        try {
            static const unsigned char kBom[2] = {0xFF, 0xFE};
            file->Write(kBom, 2);
        } catch (const CFileException&) {
            // The file exists; later lines still try to write to it.
        }
        m_file = std::move(file);
        return;
    }
}

namespace {

// The longest message of a line, in characters: the most CString formats.
constexpr size_t kMaxMessageLength = (size_t{1} << 26) - 1;

}  // namespace

void CTraceFileWriter::WriteLine(int level, const wchar_t* format, ...) {
    const int configured = m_nLevel.load();
    if (!format || configured == 0 || level > configured) return;

    SpinLock lock(m_ownerThread);
    const wchar_t* label = LevelLabel(level);
    const platform::LocalTime now = Now();
    if (!m_file) {
        CreateLogFile();
    } else if (now.year != m_fileDate.year || now.month != m_fileDate.month || now.day != m_fileDate.day) {
        m_file.reset();
        CreateLogFile();
    }

    CString line;
    line.Format(L"%02d:%02d:%02d.%03d %X %s: ", now.hour, now.minute, now.second, now.millisecond, m_ownerThread.load(),
                label);
    CString message;
    va_list args;
    va_start(args, format);
    message.FormatV(format, args);
    va_end(args);
    // Control characters in the message are escaped, so that it stays one line
    // here and in the parent log; escaping makes it no longer than the longest
    // message the formatter gives.
    AppendEscapedTraceText(line.str(), message.str(), kMaxMessageLength);
    line += L"\r\n";

    if (m_file) {
        const std::string bytes = platform::ToUtf16Le(line.str());
        try {
            m_file->Write(bytes.data(), static_cast<unsigned>(bytes.size()));
        } catch (const CFileException&) {
            // A failed write is dropped; the next line tries again.
        }
    }
    platform::DebugOutput(line.str());
}

namespace {

// Storage that outlives every static destructor, so the file name stays
// readable for the merge that runs in CTraceLog's destructor.
alignas(CTraceFileWriter) unsigned char g_writerStorage[sizeof(CTraceFileWriter)];

struct WriterTeardown {
    CTraceFileWriter* writer;
    ~WriterTeardown() { writer->Teardown(); }
};

}  // namespace

CTraceFileWriter& TheTraceFileWriter() {
    static CTraceFileWriter* const writer = new (g_writerStorage) CTraceFileWriter();
    static WriterTeardown teardown{writer};
    return *writer;
}
