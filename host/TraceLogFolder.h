// The folder the plug-in writes its trace log into during one run of mivo,
// and the plug-in's own explanation of a failure read back from it.
//
// Without --log-dir the host keeps a private folder below the system's
// temporary folder: the plug-in logs its errors, warnings and Info lines there, the host
// reads them when the run fails, and the folder goes with everything in it
// when this object is destroyed (after the plug-in module is unloaded, so
// nothing writes into it any more). With --log-dir the user's folder is used
// and left alone.
//
// Owned by main; used on the main thread only.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace mivo_host {

class TraceLogFolder {
public:
    // A private folder of its own; check Ready().
    TraceLogFolder();
    // The user's folder, which must exist.
    explicit TraceLogFolder(std::filesystem::path userFolder);
    ~TraceLogFolder();
    TraceLogFolder(const TraceLogFolder&) = delete;
    TraceLogFolder& operator=(const TraceLogFolder&) = delete;

    // False when the private folder could not be created (Error() says why).
    bool Ready() const { return !m_path.empty(); }
    const std::string& Error() const { return m_error; }
    const std::filesystem::path& Path() const { return m_path; }
    bool Private() const { return m_private; }

    // The error, warning and Info lines this process's plug-in wrote into the
    // folder during the run, their text only (time, thread and level cut
    // off), oldest first, at most maxLines of the last ones.
    std::vector<std::string> ExplainingLines(size_t maxLines) const;

private:
    std::filesystem::path m_path;
    bool m_private = false;
    std::string m_error;
    std::filesystem::file_time_type m_started;
};

// The error, warning and Info texts among the lines of one per-run trace file
// (UTF-16LE bytes, byte-order mark and CR LF line ends), oldest first.
std::vector<std::string> ExplainingTexts(const std::string& utf16Bytes);

}  // namespace mivo_host
