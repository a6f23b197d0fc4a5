// Album folders for the tag command's tests: audio files of every format,
// copied from one sample per format (made once per test program with the
// encoders), given the tags a row asks for.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "host/tag/AudioTagFile.h"
#include "tests/support/TempFolder.h"
#include "tests/tag/samples/AudioSamples.h"

namespace tagcmd_test {

namespace fs = std::filesystem;
using mivo_host::TagChanges;
using mivo_host::test::AudioFormat;

// The sample file of format, made on first use in a folder that lives as long as the program.
inline const fs::path& Sample(AudioFormat format) {
    static TempFolder folder;
    static std::map<AudioFormat, fs::path> made;
    auto it = made.find(format);
    if (it == made.end()) {
        const fs::path file = folder.path() / ("sample" + mivo_host::test::ExtensionOf(format));
        mivo_host::test::MakeAudioFile(format, file, "");
        it = made.emplace(format, file).first;
    }
    return it->second;
}

// Makes the file at path of format with the tags in tags set (the sample's
// own title "Old" and comment "keep me" stay unless tags change them).
inline void MakeTrackFile(AudioFormat format, const fs::path& path, const TagChanges& tags = {}) {
    fs::copy_file(Sample(format), path, fs::copy_options::overwrite_existing);
    const auto written = mivo_host::WriteAudioTags(path.string(), tags);
    if (!written.Ok()) throw std::runtime_error("cannot prepare " + path.string() + ": " + written.failure->message);
}

inline TagChanges Titled(const std::string& title, std::optional<unsigned> track = std::nullopt) {
    TagChanges changes;
    changes.title = title;
    changes.track = track;
    return changes;
}

}  // namespace tagcmd_test
