// The fixture of the trace log's tests.
#pragma once

#include <gtest/gtest.h>

#include "log/TraceFileWriter.h"
#include "log/TraceLog.h"

// Every test starts from a closed log with the system clock; the log object
// is module-wide, so state left by an earlier test in the same process is reset.
class TraceLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        TheTraceLog().Close();
        TheTraceLog().SetParentLogfilePath(L"");
        TheTraceFileWriter().SetClock(nullptr);
    }
    void TearDown() override {
        TheTraceLog().Close();
        TheTraceLog().SetParentLogfilePath(L"");
        TheTraceFileWriter().SetClock(nullptr);
        TheTraceLog().SetMergeWait(CTraceLog::kDefaultMergeWaitMilliseconds);
    }
};
