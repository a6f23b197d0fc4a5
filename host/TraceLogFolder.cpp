// The run's trace log folder and the failure lines read back from it.
#include "host/TraceLogFolder.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <system_error>
#include <utility>

#include "host/PrivateFolder.h"
#include "host/Utf8Path.h"
#include "host/WideText.h"

namespace mivo_host {

namespace fs = std::filesystem;

namespace {

// A per-run file larger than this is read from its end only: the lines that
// explain a failure are the last ones, and memory stays bounded.
constexpr std::streamoff kMaxReadBytes = 4 * 1024 * 1024;

// The name every per-run file of this process has: "mivo_DATE_TIME_PID.txt",
// the process id in upper-case hexadecimal.
bool IsOwnRunFile(const std::string& name) {
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, "_%X.txt", static_cast<unsigned>(CurrentProcessId()));
    const size_t length = std::strlen(suffix);
    return name.rfind("mivo_", 0) == 0 && name.size() > length &&
           name.compare(name.size() - length, length, suffix) == 0;
}

// The last kMaxReadBytes bytes (at most) of file as it stood when it was
// opened: a file that grows meanwhile is not followed past that.
std::string TailOfFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return {};
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size <= 0) return {};
    // Whole UTF-16 units only.
    const std::streamoff start = size > kMaxReadBytes ? (size - kMaxReadBytes) & ~std::streamoff(1) : 0;
    in.seekg(start);
    std::string bytes(static_cast<size_t>(size - start), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<size_t>(in.gcount()));
    return bytes;
}

std::wstring DecodeUtf16Le(const std::string& bytes) {
    std::wstring text;
    text.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const wchar_t unit =
            static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
        // Where wide text is UTF-16 (Windows) a pair of surrogates stays two units.
        if (sizeof(wchar_t) >= 4 && unit >= 0xD800 && unit <= 0xDBFF && i + 3 < bytes.size()) {
            const wchar_t low = static_cast<wchar_t>(static_cast<unsigned char>(bytes[i + 2]) |
                                                     static_cast<unsigned char>(bytes[i + 3]) << 8);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                text += static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        text += unit;
    }
    if (!text.empty() && text[0] == 0xFEFF) text.erase(0, 1);
    return text;
}

// "HH:MM:SS.mmm THREAD LABEL: text": the text of an error, warning or Info line, else nothing.
bool ExplainingText(std::wstring_view line, std::wstring& text) {
    const size_t firstBlank = line.find(L' ');
    if (firstBlank == std::wstring_view::npos) return false;
    const size_t secondBlank = line.find(L' ', firstBlank + 1);
    if (secondBlank == std::wstring_view::npos) return false;
    const std::wstring_view rest = line.substr(secondBlank + 1);
    for (const std::wstring_view label :
         {std::wstring_view(L"ERR: "), std::wstring_view(L"WRN: "), std::wstring_view(L"INF: ")})
        if (rest.substr(0, label.size()) == label) {
            text = rest.substr(label.size());
            // The system's error texts end in a line break, which the log shows escaped.
            if (text.size() >= 4 && text.compare(text.size() - 4, 4, L"\\r\\n") == 0) text.resize(text.size() - 4);
            return true;
        }
    return false;
}

}  // namespace

std::vector<std::string> ExplainingTexts(const std::string& utf16Bytes) {
    const std::wstring text = DecodeUtf16Le(utf16Bytes);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        std::wstring_view line(text.data() + start, end - start);
        if (!line.empty() && line.back() == L'\r') line.remove_suffix(1);
        std::wstring explaining;
        if (ExplainingText(line, explaining)) lines.push_back(ToUtf8(Printable(explaining)));
        start = end + 1;
    }
    return lines;
}

TraceLogFolder::TraceLogFolder() : m_private(true), m_started(fs::file_time_type::clock::now()) {
    std::error_code error;
    const fs::path base = fs::temp_directory_path(error);
    if (error) {
        m_error = "no temporary folder for the plug-in's trace log: " + error.message();
        return;
    }
    m_path = CreatePrivateFolder(base, "mivo-log-", m_error);
}

TraceLogFolder::TraceLogFolder(fs::path userFolder)
    : m_path(std::move(userFolder)), m_started(fs::file_time_type::clock::now()) {}

TraceLogFolder::~TraceLogFolder() {
    if (!m_private || m_path.empty()) return;
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
}

std::vector<std::string> TraceLogFolder::ExplainingLines(size_t maxLines) const {
    std::vector<std::string> lines;
    if (m_path.empty()) return lines;
    // A file of an earlier process with the same id is older than this run.
    const auto earliest = m_started - std::chrono::seconds(2);
    std::vector<fs::path> files;
    std::error_code error;
    for (fs::directory_iterator it(m_path, error), end; !error && it != end; it.increment(error)) {
        std::error_code ignored;
        // A link is not followed, wherever it points: the plug-in writes plain files.
        if (!fs::is_regular_file(it->symlink_status(ignored)) || !IsOwnRunFile(PathToUtf8(it->path().filename())))
            continue;
        if (it->last_write_time(ignored) < earliest) continue;
        files.push_back(it->path());
    }
    // Names carry the creation date and time, so their order is the order of the run.
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
        std::vector<std::string> found = ExplainingTexts(TailOfFile(file));
        lines.insert(lines.end(), std::make_move_iterator(found.begin()), std::make_move_iterator(found.end()));
    }
    if (lines.size() > maxLines) lines.erase(lines.begin(), lines.end() - static_cast<std::ptrdiff_t>(maxLines));
    return lines;
}

}  // namespace mivo_host
