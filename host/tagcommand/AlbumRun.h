// What `mivo tag` did with one album: the terms searched for, the album
// found, the plan for its files with what each write did, and how it ended.
// Filled in by the tag command on the main thread, read by the outputs.
#pragma once

#include <optional>
#include <string>

#include "host/Commands.h"
#include "host/tagcommand/AlbumPlan.h"
#include "host/tagcommand/SearchTerms.h"

namespace mivo_host {

// How an album ended, worst last; the exit status follows the worst of a run.
enum class AlbumEnd {
    Done,         // every file that had something to change was written (or --dry-run)
    NotWritten,   // nothing written: not confirmed (no terminal, no --yes) or declined
    FilesFailed,  // a file was skipped or its write failed, or the album could not be read
    NotFound,     // nothing to search for, or the search found no album
    Download,     // a download failed (the search's or the cover's)
    Interrupted,  // a stop signal cut the work short
};

struct AlbumRun {
    std::string path;                  // as given
    SearchTerms terms;                 // empty until the files were read
    std::optional<AlbumResult> found;  // the album the search completed
    AlbumPlan plan;
    AlbumEnd end = AlbumEnd::Done;
    std::string error;       // why the album ended badly, a line for the user
    std::string coverError;  // the cover could not be had or saved
};

}  // namespace mivo_host
