// The tag command of mivo: for each album a PATH names, read the files'
// tags, search the album through the plug-in as lookup does, pair the files
// with its tracks, show the changes, ask (or take --yes) and write them. Its
// output (the preview, or one JSON document) goes to stdout, its messages to
// stderr. A build without TagLib has no tag support: CMake then compiles
// TagCommandMissing.cpp instead of TagCommand.cpp behind this header.
// Used on the main thread, between the session's configuration and its close.
#pragma once

#include "host/CommandLine.h"
#include "host/Progress.h"
#include "plugin/BasicTagsDllInterface.h"

namespace mivo_host {

// Whether this build reads and writes audio tags.
bool TagSupported();

// Runs options.command (tag) on plugin; stopRequested ends the work early
// (a file being written is finished or left as it was, never half written).
// Answers the exit status: 0 done, 1 nothing found or a file not written
// (also when writing needed --yes), 3 a download failed, 128 + the signal
// number after a stop.
int RunTagCommand(const Options& options, CBasicTagsDllInterface& plugin, bool (*stopRequested)(), Progress& progress);

}  // namespace mivo_host
