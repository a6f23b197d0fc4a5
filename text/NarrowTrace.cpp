// Widening of 8-bit messages for the trace log.
#include "text/NarrowTrace.h"

#include "log/TraceFileWriter.h"
#include "log/TraceLog.h"
#include "platform/CodePage.h"
#include "text/CodePageConversion.h"

bool IsTraceLevelWritten(int level) {
    const int configured = TheTraceFileWriter().GetLevel();
    return TheTraceLog().IsOpen() && configured > 0 && level <= configured;
}

void WriteNarrowTrace(int level, const std::string& message) {
    TheTraceLog().Write(level, NarrowToWide(message.c_str(), platform::kCodePageThreadAnsi));
}

std::string NarrowForTrace(const wchar_t* text) {
    const WideToNarrow narrow(text, platform::kCodePageThreadAnsi);
    const char* bytes = narrow;
    return bytes ? std::string(bytes) : std::string();
}
