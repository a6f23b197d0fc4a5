// CTraceFileWriter: the module-wide owner of the per-run trace file, the
// level filter and the line format.
//
// Created on first use (TheTraceFileWriter()) and torn down at module exit,
// before CTraceLog's destructor merges: teardown closes the file and frees
// the base name but keeps the file name, which the merge still reads.
//
// Thread-safety: each public operation holds a spin lock on the owner-thread
// word; a thread that holds it passes through (no recursion count). Callers
// that also hold CTraceLog's critical section take it first.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/File.h"
#include "platform/System.h"

// The label of a level: "ERR", "WRN", "INF", "DBG", "-->", "---" by tens; empty outside 10..69.
const wchar_t* LevelLabel(int level);

class CTraceFileWriter {
public:
    static constexpr int kMaxFileName = 1000;
    // How many taken names a new per-run file passes over before giving up.
    static constexpr int kMaxNameClashes = 100;

    CTraceFileWriter() = default;
    CTraceFileWriter(const CTraceFileWriter&) = delete;
    CTraceFileWriter& operator=(const CTraceFileWriter&) = delete;

    // Closes the current file and sets the path prefix of later file names.
    void SetBaseName(const wchar_t* base);
    // Stores level when positive, else 0 (off).
    void SetLevel(int level);
    // The configured level.
    int GetLevel() const { return m_nLevel.load(); }
    // Copies the file name into buffer when capacity holds it and its terminator.
    void CopyFileName(wchar_t* buffer, int capacity);
    // Closes the current file, if any.
    void CloseFile();
    // Formats and writes one line when level passes the filter; creates the
    // file on the first line and a new one when the local day has changed.
    void WriteLine(int level, const wchar_t* format, ...);

    // Closes the file and frees the base name; the file name stays readable.
    void Teardown();

    // Replaces the local-time source (tests drive the day change with it);
    // an empty function restores the system clock.
    void SetClock(std::function<platform::LocalTime()> clock);

private:
    class SpinLock;
    platform::LocalTime Now() const;
    void CreateLogFile();

    std::unique_ptr<CFile> m_file;
    std::atomic<int> m_nLevel{0};
    std::atomic<uint32_t> m_ownerThread{0};
    std::unique_ptr<std::wstring> m_pBaseName;
    platform::LocalTime m_fileDate;
    // The name of the file this writer last created (never one it failed to
    // create, so a merge only ever takes in and deletes a file of its own).
    wchar_t m_szFileName[kMaxFileName + 1] = {};
    std::function<platform::LocalTime()> m_clock;
};

// The module's trace file writer, created on first use.
CTraceFileWriter& TheTraceFileWriter();
