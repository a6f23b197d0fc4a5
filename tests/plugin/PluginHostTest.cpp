// The plug-in as a host sees it: the real library loaded with dlopen, its one
// export, independent interface objects, the host callback, the named
// properties and methods with their trace lines, the module identity, and
// what the library file itself shows (exports, information marker).
#include <gtest/gtest.h>

#include <memory>

#include "PluginHost.h"
#include "plugin/CommonDllInterface.h"
#include "tests/support/TempFolder.h"

namespace {

using namespace plugin_host;
using CommonInterface = CCommonDllInterface<CBasicTagsDllInterface>;

std::string Ascii(const CString& text) { return std::string(text.str().begin(), text.str().end()); }

struct InterfaceDeleter {
    void operator()(CBasicTagsDllInterface* object) const { delete object; }
};
using InterfacePtr = std::unique_ptr<CBasicTagsDllInterface, InterfaceDeleter>;

// A freshly loaded library (so the module-wide trace log starts closed) with
// one interface object; unloaded after each test.
class PluginHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(plugin.IsLoaded()) << dlerror();
        object.reset(plugin.Create());
        ASSERT_NE(object, nullptr);
    }
    void TearDown() override {
        object.reset();
        plugin.Close();
    }

    // Opens the trace log in the temporary folder at level Debug.
    void StartLog() {
        const CString logFolder(folder.path().wstring());
        const CString debug(L"Debug");
        ASSERT_EQ(object->Set(L"LogFolder", &logFolder), 1);
        ASSERT_EQ(object->Set(L"TraceLevel", &debug), 1);
    }

    // The lines of the run's trace file so far.
    std::wstring TraceText() {
        const auto files = FilesStartingWith(folder.path(), "mivo_");
        return files.size() == 1 ? ReadUtf16File(files[0]) : std::wstring(L"<no single trace file>");
    }

    TempFolder folder;
    LoadedPlugin plugin;
    InterfacePtr object;
};

TEST_F(PluginHostTest, EachCallMakesAnIndependentObject) {
    InterfacePtr second(plugin.Create());
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second.get(), object.get());

    const CString folderA((folder.path() / "a").wstring()), folderB((folder.path() / "b").wstring());
    fs::create_directories(folder.path() / "a");
    fs::create_directories(folder.path() / "b");
    // Each object owns its own artist cache: creating one does not touch the other.
    EXPECT_EQ(object->Set(L"LocalCacheFolder", &folderA), 1);
    EXPECT_EQ(second->Set(L"LocalCacheFolder", &folderB), 1);

    RecordingHost host;
    EXPECT_EQ(object->SetHost(&host), 1);
    EXPECT_EQ(second->SetHost(nullptr), 0) << "the host of one object is not the other's";
    second.reset();
    CString name;
    EXPECT_EQ(object->Property(L"SourceName", &name), 1) << "the first object lives on";
    EXPECT_EQ(name, L"mivo");
}

TEST_F(PluginHostTest, SetHostKeepsTheHostAndAnswersWhetherOneIsAttached) {
    auto* common = static_cast<CommonInterface*>(object.get());
    EXPECT_EQ(object->SetHost(nullptr), 0);
    EXPECT_TRUE(common->IsStopRequested()) << "no host: every long operation must stop";
    common->SignalHost();  // no host: nothing happens

    RecordingHost host;
    EXPECT_EQ(object->SetHost(&host), 1);
    EXPECT_FALSE(common->IsStopRequested());
    host.stop = true;
    EXPECT_TRUE(common->IsStopRequested());

    EXPECT_EQ(object->SetHost(nullptr), 1) << "null does not detach";
    EXPECT_TRUE(common->IsStopRequested()) << "still asks the same host";
    host.stop = false;
    EXPECT_FALSE(common->IsStopRequested());
    common->SignalHost();
    common->SignalHost();
    EXPECT_EQ(host.Signals(), 2);
}

TEST_F(PluginHostTest, OptionalSearchIsNotSupported) {
    const int rows[][4] = {{0, 0, 0, 0}, {1, 2, 3, 4}, {-1, -1, -1, -1}, {INT32_MAX, INT32_MIN, 0, 7}};
    for (const auto& args : rows)
        EXPECT_EQ(object->OptionalSearch(args[0], args[1], args[2], args[3]), 0)
            << "args " << args[0] << "," << args[1];
}

TEST_F(PluginHostTest, SearchSlotsAndPageDownloadAnswerFailureWithoutAHost) {
    CString url(L"unchanged"), text(L"unchanged");
    AlbumInfoList albums;
    albums.emplace_back(L"Left by the host");
    AlbumInfo album(L"T", L"A", 0, L"", L"www.catalogue.example/album/x", 0);
    std::wstring cover;
    TrackInfoList tracks;
    EXPECT_EQ(object->FindArtistUrl(L"Someone", url), 0);
    EXPECT_EQ(object->GetAlbumDetails(album, cover, tracks), 0);
    EXPECT_EQ(static_cast<CommonInterface*>(object.get())->DownloadPage(L"www.catalogue.example/", text), 0);
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_TRUE(tracks.empty());
}

TEST_F(PluginHostTest, FreshObjectProperties) {
    CString sourceName, sourceId;
    EXPECT_EQ(object->Property(L"SourceName", &sourceName), 1);
    EXPECT_EQ(sourceName, L"mivo");
    EXPECT_EQ(object->Property(L"SourceId", &sourceId), 1);
    const std::string md5sum = RunCommand("md5sum '" MIVO_PLUGIN_PATH "'").substr(0, 32);
    EXPECT_EQ(Ascii(sourceId), md5sum);

    for (const wchar_t* name :
         {L"StatisticDownloadCounter", L"StatisticSuccessfulDownloads", L"StatisticTotalDownloadTime",
          L"SupportedSearch", L"AlbumsItearationConstant", L"TitlesItearationConstant"}) {
        int value = -1;
        EXPECT_EQ(object->Property(name, &value), 1) << Ascii(name);
        EXPECT_EQ(value, 0) << Ascii(name);
    }
}

TEST_F(PluginHostTest, SetAnswersAndTraceLines) {
    StartLog();
    fs::create_directories(folder.path() / "cache");
    const CString cache((folder.path() / "cache").wstring());
    const CString other(folder.path().wstring());
    const CString parent((folder.path() / "parent.txt").wstring());
    const CString empty;
    const std::wstring prefix = L"CCommonDllInterface::Set Property ";
    struct Row {
        const wchar_t* name;
        const CString* value;
        int result;
        std::wstring line;  // expected in the trace file after the call
    };
    const Row rows[] = {
        {L"localcachefolder", &cache, 0, L"WRN: " + prefix + L"localcachefolder:  - Can not be set.\r\n"},
        {L"LocalCacheFolder", nullptr, 0, L"WRN: " + prefix + L"LocalCacheFolder:  - Can not be set.\r\n"},
        {L"LocalCacheFolder", &empty, 0, L"WRN: " + prefix + L"LocalCacheFolder: Path not specified\r\n"},
        {L"LocalCacheFolder", &cache, 1, L"DBG: " + prefix + L"LocalCacheFolder: " + cache.str() + L"\r\n"},
        {L"LocalCacheFolder", &other, 0, L"INF: " + prefix + L"LocalCacheFolder: already ini.lized\r\n"},
        {L"LogFolder", &empty, 1, L"DBG: " + prefix + L"LogFolder: \r\n"},
        {L"LogFolder", &other, 1, L"DBG: " + prefix + L"LogFolder: " + other.str() + L"\r\n"},
        {L"TraceLevel", nullptr, 0, L"WRN: " + prefix + L"TraceLevel:  - Can not be set.\r\n"},
        {L"ParentLogfilePath", &parent, 1, L"DBG: " + prefix + L"ParentLogfilePath: " + parent.str() + L"\r\n"},
        {L"ParentLogfilePath", nullptr, 0, L"WRN: " + prefix + L"ParentLogfilePath:  - Can not be set.\r\n"},
        {L"SourceName", &other, 0, L"WRN: " + prefix + L"SourceName:  - Can not be set.\r\n"},
        {L"", &other, 0, L"WRN: " + prefix + L":  - Can not be set.\r\n"},
    };
    for (const Row& row : rows) {
        const std::string what = Ascii(row.name) + " = " + (row.value ? Ascii(*row.value) : "null");
        EXPECT_EQ(object->Set(row.name, row.value), row.result) << what;
        EXPECT_NE(TraceText().find(row.line), std::wstring::npos) << what;
    }

    // An unknown level name selects Error: from now on warnings are dropped.
    const CString unknownLevel(L"debug");
    EXPECT_EQ(object->Set(L"TraceLevel", &unknownLevel), 1);
    EXPECT_EQ(object->Set(L"Dropped", &other), 0);
    EXPECT_EQ(TraceText().find(L"Dropped"), std::wstring::npos);
    EXPECT_EQ(TraceText().find(prefix + L"TraceLevel: debug"), std::wstring::npos);
}

TEST_F(PluginHostTest, PropertyAndCallMethodRefusals) {
    StartLog();
    CString text(L"untouched");
    int number = 42;
    struct Row {
        const wchar_t* name;
        void* out;
    };
    const Row rows[] = {
        {L"sourcename", &text},
        {L"SourceName", nullptr},
        {L"SourceId", nullptr},
        {L"LogFolder", &text},
        {L"Unknown", &number},
        {L"StatisticDownloadCounter", nullptr},
        {L"TitlesIterationConstant", &number},  // only the misspelt name is known
    };
    for (const Row& row : rows) {
        EXPECT_EQ(object->Property(row.name, row.out), 0) << Ascii(row.name);
        EXPECT_NE(TraceText().find(L"ERR: CCommonDllInterface::Property not found: " + std::wstring(row.name) +
                                   L"\r\n"),
                  std::wstring::npos)
            << Ascii(row.name);
    }
    EXPECT_EQ(text, L"untouched");
    EXPECT_EQ(number, 42);

    EXPECT_EQ(object->CallMethod(L"closeandmergelog", nullptr), 0);
    EXPECT_NE(TraceText().find(L"ERR: CCommonDllInterface::CallMethod - Method not found: closeandmergelog\r\n"),
              std::wstring::npos);
    EXPECT_EQ(object->CallMethod(L"", nullptr), 0);
    EXPECT_NE(TraceText().find(L"ERR: CCommonDllInterface::CallMethod - Method not found: \r\n"), std::wstring::npos);
}

TEST_F(PluginHostTest, NothingIsLoggedBeforeLogFolder) {
    int number = 0;
    EXPECT_EQ(object->Property(L"Nope", &number), 0);
    EXPECT_EQ(object->CallMethod(L"CloseAndMergeLog", nullptr), 1) << "1 even with no log open";
    EXPECT_TRUE(fs::is_empty(folder.path()));
}

TEST_F(PluginHostTest, CloseAndMergeLogAppendsTheRunToTheParentLog) {
    const CString parentBefore((folder.path() / "before.txt").wstring());
    EXPECT_EQ(object->Set(L"ParentLogfilePath", &parentBefore), 1);
    StartLog();  // replaces the parent path set before it by the default one
    const CString parent((folder.path() / "parent.txt").wstring());
    EXPECT_EQ(object->Set(L"ParentLogfilePath", &parent), 1);
    int number = 0;
    object->Property(L"Missing", &number);
    const auto runFiles = FilesStartingWith(folder.path(), "mivo_");
    ASSERT_EQ(runFiles.size(), 1u);

    EXPECT_EQ(object->CallMethod(L"CloseAndMergeLog", nullptr), 1);
    EXPECT_FALSE(fs::exists(runFiles[0])) << "the run's file is deleted after the merge";
    EXPECT_FALSE(fs::exists(folder.path() / "before.txt"));
    const std::wstring merged = ReadUtf16File(folder.path() / "parent.txt");
    EXPECT_EQ(merged.rfind(L"\xFEFF\r\n" + runFiles[0].filename().wstring() + L"\r\n", 0), 0u);
    EXPECT_NE(merged.find(L"ERR: CCommonDllInterface::Property not found: Missing\r\n"), std::wstring::npos);
}

TEST(PluginLibraryFile, ExportsOnlyGetDllInterface) {
    const std::string symbols = RunCommand("nm -D --defined-only '" MIVO_PLUGIN_PATH "'");
    ASSERT_FALSE(symbols.empty());
    std::vector<std::string> names;
    size_t start = 0;
    while (start < symbols.size()) {
        const size_t end = symbols.find('\n', start);
        const std::string line = symbols.substr(start, end - start);
        if (!line.empty()) names.push_back(line.substr(line.rfind(' ') + 1));
        start = end == std::string::npos ? symbols.size() : end + 1;
    }
    EXPECT_EQ(names, std::vector<std::string>{"GetDllInterface"}) << symbols;
}

TEST(PluginLibraryFile, CarriesTheInformationMarker) {
    const std::string marker =
        "###_PluginInfo_###Name=\"Mivo\";Type=search;Version=2.1.2000.0;VersionInt=2.1;Author=\"Valdrune\";"
        "Desc=\"Search basic tags plugin for Mivo\";InfoUrl=\"http://valdrune.example/mivo/\";###";
    const std::string bytes = ReadBytes(MIVO_PLUGIN_PATH);
    const size_t at = bytes.find(marker);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(bytes[at + marker.size()], '\0') << "the marker is a zero-terminated text";
}

}  // namespace
