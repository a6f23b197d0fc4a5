// Opening an audio file for its tags, and replacing it safely: the new
// version is made in a copy beside it, synced, given the original's
// permission bits and renamed over it, and the folder is synced. Links are
// never followed. A failure removes the copy and leaves the file unchanged.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "host/tag/AudioTags.h"
#include "host/tag/FdStream.h"

namespace mivo_host {

struct OpenedFile {
    std::unique_ptr<FdStream> stream;
    bool readOnly = false;
    std::optional<TagFailure> failure;
};

// Opens the regular file at path for reading.
OpenedFile OpenForReading(const std::string& path);

// Edits the copy of the file at path with edit and puts the copy in its place.
std::optional<TagFailure> ReplaceFileSafely(const std::string& path,
                                            const std::function<std::optional<TagFailure>(FdStream&)>& edit);

}  // namespace mivo_host
