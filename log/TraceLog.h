// The trace log front end: the one object through which every part of the
// plug-in writes its diagnostic lines.
//
// One CTraceLog exists per loaded module (TheTraceLog()); it is constructed
// when the module loads and, when the module unloads, its destructor closes
// the run's file and merges it into the parent log. Lines go to a per-run
// UTF-16LE file in the log folder through the file writer underneath
// (log/TraceFileWriter.h). Until Open() nothing is written anywhere.
//
// Thread-safety: every operation may be called from any thread. Open, Write,
// WriteFormat, WriteLastError, Close, GetCurrentFileName and the copy phase of
// CloseAndMerge serialise on m_cs, then on the writer's own lock.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/CString.h"
#include "platform/CriticalSection.h"

enum TraceLevel {
    TRACE_ERROR = 10,
    TRACE_WARNING = 20,
    TRACE_INFO = 30,
    TRACE_DEBUG = 40,
};

class CTraceLog {
public:
    CTraceLog() = default;
    // Runs CloseAndMerge(), so an unmerged run reaches the parent log at unload.
    ~CTraceLog();
    CTraceLog(const CTraceLog&) = delete;
    CTraceLog& operator=(const CTraceLog&) = delete;

    // Starts logging into folder: sets the default parent path, the file base
    // name folder + sourceName and the level. Does nothing for an empty folder
    // or while the log is open. No file is created until the first line passes.
    void Open(const wchar_t* folder, const wchar_t* sourceName, int level);

    // Sets the level by name: "Error", "Warning", "Info", "Debug"/"Detail"/"Verbose";
    // any other name selects Error.
    void SetTraceLevel(const wchar_t* levelName);
    // Sets the writer's level (0 or below turns writing off).
    void SetLevel(int level);
    // Names the file that CloseAndMerge() appends the run to.
    void SetParentLogfilePath(const wchar_t* path);
    // The current parent log path.
    CString GetParentLogfilePath() const;

    // Writes text literally at level. Does nothing while closed or for null text.
    void Write(int level, const wchar_t* text);
    // Formats printf-style (wide conventions, see CString) and writes the result literally.
    void WriteFormat(int level, const wchar_t* format, ...);
    // Writes "<text> GetLastError():<code>, <system text>" at level.
    void WriteLastError(int level, const wchar_t* text, uint32_t errorCode);

    // Closes the run's file; later writes are dropped until the next Open().
    void Close();
    // Closes the run's file, appends it to the parent log and deletes it.
    // Merges of several processes into one parent log take turns on an
    // exclusive lock of the parent file. The run's file is kept when the
    // parent cannot be opened (a link, a special file, a read-only file), its
    // lock is not granted within the merge wait, or copying fails.
    void CloseAndMerge();
    // Sets how long CloseAndMerge waits for the parent log's lock
    // (kDefaultMergeWaitMilliseconds until set).
    void SetMergeWait(uint32_t milliseconds) { m_mergeWaitMilliseconds = milliseconds; }

    static constexpr uint32_t kDefaultMergeWaitMilliseconds = 10000;

    // The full name of the run's most recent file (empty when none or longer than 260 characters).
    void GetCurrentFileName(CString& fileName);
    // folder (with a trailing separator) + "YYYYMMDD_hhmmss_<pid hex>.txt" for the current local time.
    static CString MakeDefaultParentPath(const wchar_t* folder);

    // True between Open() and Close().
    bool IsOpen() const { return m_bOpen; }

private:
    std::atomic<bool> m_bOpen{false};
    std::atomic<uint32_t> m_mergeWaitMilliseconds{kDefaultMergeWaitMilliseconds};
    CString m_strParentLogfilePath;
    // Guards the parent path and the open/close/merge steps; mutable so
    // that reading the path from a const log can take it.
    mutable CCriticalSection m_cs;
};

// The module's trace log.
CTraceLog& TheTraceLog();

// Formats printf-style and writes the result through TheTraceLog().Write().
void LogPrintf(int level, const wchar_t* format, ...);
