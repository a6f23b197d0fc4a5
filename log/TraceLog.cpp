// The trace log front end and the merge of a run's file into the parent log.
#include "log/TraceLog.h"

#include <cstdarg>
#include <cwchar>
#include <optional>

#include "log/TraceFileWriter.h"
#include "platform/FileSystem.h"
#include "platform/System.h"
#include "text/StdioFileEx.h"

namespace {

// Constructed at module load, after the interface registry (priority 1001),
// so that it is destroyed, and merges, before the registry's unload sweep.
__attribute__((init_priority(1002))) CTraceLog g_traceLog;

bool PassesFilter(int level) {
    const int configured = TheTraceFileWriter().GetLevel();
    return configured != 0 && level <= configured;
}

std::wstring DoublePercent(const wchar_t* text) {
    std::wstring out;
    for (const wchar_t* p = text; *p; ++p) {
        out += *p;
        if (*p == L'%') out += L'%';
    }
    return out;
}

}  // namespace

CTraceLog& TheTraceLog() { return g_traceLog; }

CTraceLog::~CTraceLog() {
    try {
        CloseAndMerge();
    } catch (...) {
        // Nothing may escape a destructor at module unload.
    }
}

void CTraceLog::Open(const wchar_t* folder, const wchar_t* sourceName, int level) {
    CSingleLock lock(&m_cs, true);
    if (m_bOpen || !folder || !*folder) return;
    CString base(folder);
    if (base.Right(1) != CString(platform::kPathSeparator)) base += platform::kPathSeparator;
    m_strParentLogfilePath = MakeDefaultParentPath(base);
    TheTraceFileWriter().SetBaseName((base + (sourceName ? sourceName : L"")).GetString());
    SetLevel(level);
    m_bOpen = true;
}

void CTraceLog::SetTraceLevel(const wchar_t* levelName) {
    const CString name(levelName);
    int level = TRACE_ERROR;
    if (name == L"Warning") level = TRACE_WARNING;
    else if (name == L"Info") level = TRACE_INFO;
    else if (name == L"Debug" || name == L"Detail" || name == L"Verbose") level = TRACE_DEBUG;
    SetLevel(level);
}

void CTraceLog::SetLevel(int level) { TheTraceFileWriter().SetLevel(level); }

// The path is shared by every interface object of the module, which host
// threads may use at once: it is only read or written under the lock.
void CTraceLog::SetParentLogfilePath(const wchar_t* path) {
    CSingleLock lock(&m_cs, true);
    m_strParentLogfilePath = path;
}

CString CTraceLog::GetParentLogfilePath() const {
    CSingleLock lock(&m_cs, true);
    return m_strParentLogfilePath;
}

void CTraceLog::Write(int level, const wchar_t* text) {
    if (!text || !m_bOpen || !PassesFilter(level)) return;
    CSingleLock lock(&m_cs, true);
    if (!m_bOpen) return;
    const std::wstring literal = DoublePercent(text);
    TheTraceFileWriter().WriteLine(level, literal.c_str());
}

void CTraceLog::WriteFormat(int level, const wchar_t* format, ...) {
    if (!format || !m_bOpen) return;
    CString text;
    va_list args;
    va_start(args, format);
    text.FormatV(format, args);
    va_end(args);
    Write(level, text);
}

void CTraceLog::WriteLastError(int level, const wchar_t* text, uint32_t errorCode) {
    const std::wstring systemText = platform::SystemErrorText(errorCode);
    WriteFormat(level, L"%s GetLastError():%d, %s", text ? text : L"", static_cast<int>(errorCode), systemText.c_str());
}

void CTraceLog::Close() {
    CSingleLock lock(&m_cs, true);
    if (m_bOpen) TheTraceFileWriter().CloseFile();
    m_bOpen = false;
}

void CTraceLog::GetCurrentFileName(CString& fileName) {
    CSingleLock lock(&m_cs, true);
    wchar_t buffer[261] = {};
    TheTraceFileWriter().CopyFileName(buffer, 261);
    fileName = buffer;
}

CString CTraceLog::MakeDefaultParentPath(const wchar_t* folder) {
    CString path(folder);
    if (!path.IsEmpty() && path.Right(1) != CString(platform::kPathSeparator)) path += platform::kPathSeparator;
    const platform::LocalTime now = platform::GetLocalTime();
    path.AppendFormat(L"%04d%02d%02d_%02d%02d%02d_%X.txt", now.year, now.month, now.day, now.hour, now.minute,
                      now.second, platform::CurrentProcessId());
    return path;
}

void CTraceLog::CloseAndMerge() {
    Close();
    CString runFile;
    GetCurrentFileName(runFile);
    CSingleLock lock(&m_cs, true);
    const CString parentPath = m_strParentLogfilePath;
    if (runFile.IsEmpty() || parentPath.IsEmpty()) return;

    bool copied = false;
    {
        // The run's file is opened first, so that a merge with nothing to
        // copy never creates an empty parent file.
        CStdioFileEx source;
        CStdioFileEx parent;
        std::optional<uint64_t> blockStart;
        try {
            if (source.Open(runFile, CFile::modeRead | CFile::typeText) &&
                parent.Open(parentPath, CFile::modeWrite | CFile::shareDenyWrite | CFile::modeCreate |
                                            CFile::modeNoTruncate | CFile::typeText | CStdioFileEx::modeUtf16Text) &&
                // The system does not enforce the deny-write sharing: merges
                // of other processes are kept out by the lock, and the end of
                // the file is found only once it is held.
                parent.LockExclusive(m_mergeWaitMilliseconds)) {
                blockStart = parent.SeekToEnd();
                parent.WriteString((L"\r\n" + platform::FileNamePart(runFile.str()) + L"\r\n").c_str());
                CString line;
                while (source.ReadString(line)) {
                    line += L"\r\n";
                    parent.WriteString(line);
                }
                copied = true;
            }
        } catch (...) {
            copied = false;
            // A block cut short is taken out again: the run's file stays and
            // a later merge copies it whole, so no line appears twice.
            if (blockStart) {
                try {
                    parent.SetLength(*blockStart);
                } catch (...) {
                }
            }
        }
        source.Abort();
        parent.Abort();
    }
    // The run's file is deleted only after a complete copy, so no line is lost.
    if (copied) platform::DeleteFile(runFile.str());
}

void LogPrintf(int level, const wchar_t* format, ...) {
    if (!format) return;
    CString text;
    va_list args;
    va_start(args, format);
    text.FormatV(format, args);
    va_end(args);
    TheTraceLog().Write(level, text);
}
