// The readable output of mivo: the artist address, a table of albums, an
// album with its numbered tracks, the plug-in's facts, and the statistics on
// request. Text from the plug-in is made printable (no control characters
// reach the terminal) and columns are aligned by display width. UTF-8.
// Pure functions; safe from any thread.
#pragma once

#include <string>

#include "host/Commands.h"

namespace mivo_host {

// What the command found, as lines of text; withStatistics adds the download
// statistics (info always shows them).
std::string FormatHuman(const CommandResult& result, bool withStatistics);

// "Statistics: N downloads, N successful, N ms downloading", with its line break.
std::wstring StatisticsLine(const Statistics& statistics);

}  // namespace mivo_host
