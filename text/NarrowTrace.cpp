// Widening of 8-bit messages for the trace log.
#include "text/NarrowTrace.h"

#include "log/TraceLog.h"
#include "platform/CodePage.h"
#include "text/CodePageConversion.h"

void WriteNarrowTrace(int level, const std::string& message) {
    TheTraceLog().Write(level, NarrowToWide(message.c_str(), platform::kCodePageThreadAnsi));
}

std::string NarrowForTrace(const wchar_t* text) {
    const WideToNarrow narrow(text, platform::kCodePageThreadAnsi);
    const char* bytes = narrow;
    return bytes ? std::string(bytes) : std::string();
}
