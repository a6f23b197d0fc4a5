// mivo-cache-letter: writes and reads artist cache entries through the
// plug-in's own cache code, so that cache files made by the builds for
// different systems can be compared and exchanged.
//
//   mivo-cache-letter id                       prints the source id: the MD5 of this program's file
//   mivo-cache-letter write ROOT ENTRIES       stores each "name<TAB>address" line of ENTRIES
//   mivo-cache-letter read ROOT NAMES RESULT   writes "name<TAB>address" (address empty when not
//                                              found) to RESULT for each line of NAMES
//
// Entries live under ROOT/mivo/<source id>/, as the plug-in keeps them. The
// files are UTF-8 with LF or CR LF line ends; arguments are plain ASCII paths.
// Exit status: 0 done, 1 an entry could not be written or read, 2 usage or file errors.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/CodePage.h"
#include "platform/File.h"
#include "platform/System.h"
#include "search/ArtistUrlCache.h"
#include "text/MD5Checksum.h"

namespace {

const wchar_t kSourceName[] = L"mivo";

// Anything that tells this program's file apart from others.
void ProgramAnchor() {}

CString OwnSourceId() {
    const std::wstring path = platform::ModuleFileName(reinterpret_cast<const void*>(&ProgramAnchor));
    try {
        return CMD5Checksum::ComputeFileHash(path.c_str());
    } catch (const CFileException&) {
        return CString();
    }
}

// The lines of a UTF-8 file, without their line ends; empty lines are skipped.
bool ReadLines(const char* path, std::vector<std::wstring>& lines) {
    std::string bytes;
    if (platform::ReadWholeFile(platform::FromUtf8(path), bytes) != 0) return false;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string_view line(bytes.data() + start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!line.empty()) lines.push_back(platform::FromUtf8(line));
        start = end + 1;
    }
    return true;
}

int Write(const char* root, const char* entriesPath) {
    std::vector<std::wstring> lines;
    if (!ReadLines(entriesPath, lines)) return 2;
    CArtistUrlCache cache(platform::FromUtf8(root), kSourceName, OwnSourceId());
    int status = 0;
    for (const std::wstring& line : lines) {
        const size_t tab = line.find(L'\t');
        if (tab == std::wstring::npos) return 2;
        if (cache.WriteArtistUrl(line.substr(0, tab), line.substr(tab + 1)) != 1) {
            std::fprintf(stderr, "mivo-cache-letter: cannot store %s\n", platform::ToUtf8(line.substr(0, tab)).c_str());
            status = 1;
        }
    }
    return status;
}

int Read(const char* root, const char* namesPath, const char* resultPath) {
    std::vector<std::wstring> names;
    if (!ReadLines(namesPath, names)) return 2;
    CArtistUrlCache cache(platform::FromUtf8(root), kSourceName, OwnSourceId());
    std::string result;
    int status = 0;
    for (const std::wstring& name : names) {
        CString address;
        // Only the name itself: no other stored name is near enough.
        if (cache.ReadArtistUrl(name, address, 0.5f) != 1) status = 1;
        result += platform::ToUtf8(name) + "\t" + platform::ToUtf8(address.str()) + "\n";
    }
    if (platform::ReplaceWholeFile(platform::FromUtf8(resultPath), result) != 0) return 2;
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "id" && argc == 2) {
        const CString id = OwnSourceId();
        if (id.IsEmpty()) return 2;
        std::printf("%s\n", platform::ToUtf8(id.str()).c_str());
        return 0;
    }
    if (command == "write" && argc == 4) return Write(argv[2], argv[3]);
    if (command == "read" && argc == 5) return Read(argv[2], argv[3], argv[4]);
    std::fprintf(stderr, "usage: mivo-cache-letter id | write ROOT ENTRIES | read ROOT NAMES RESULT\n");
    return 2;
}
