// The user's configuration file of mivo: lines "KEY = VALUE" whose keys are
// long options without their dashes (proxy, max-difference, delay, cache,
// log-dir, trace-level). Blank lines and lines that begin with "#" are
// skipped. Each value is checked as the command line checks it; the first bad
// line ends the reading with a reason that names the file and the line.
// Called on the main thread only.
#pragma once

#include <string>

#include "host/CommandLine.h"

namespace mivo_host {

// Applies the lines of text, read from the file named fileName, to options.
// Answers "" on success, otherwise "FILE:LINE: reason" for the first bad line.
std::string ApplyConfigText(const std::string& text, const std::string& fileName, Options& options);

// Reads the file at path and applies it as ApplyConfigText does. A missing
// file is no error (answers ""); one that is no regular file, cannot be read
// or is larger than any configuration needs to be is.
std::string ApplyConfigFile(const std::string& path, Options& options);

}  // namespace mivo_host
