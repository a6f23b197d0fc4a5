// What unloading the library does: interface objects the host left behind
// are destroyed by the registry's sweep, and the run's trace file is merged
// into the parent log. Also the module identity when the library's own file
// can no longer be read.
//
// The sweep is observed by the memory it frees: this program replaces the
// global operator new/delete (the library's deleting destructors call them
// too) and records freed addresses while a test asks it to.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <new>

#include "PluginHost.h"
#include "tests/support/TempFolder.h"

namespace {

std::atomic<bool> g_recordFrees{false};
std::array<std::atomic<void*>, 4096> g_freed;
std::atomic<size_t> g_freedCount{0};

void RecordFree(void* pointer) {
    if (!pointer || !g_recordFrees.load()) return;
    const size_t index = g_freedCount.fetch_add(1);
    if (index < g_freed.size()) g_freed[index].store(pointer);
}

bool WasFreed(const void* pointer) {
    const size_t count = std::min(g_freedCount.load(), g_freed.size());
    for (size_t i = 0; i < count; ++i)
        if (g_freed[i].load() == pointer) return true;
    return false;
}

}  // namespace

void* operator new(std::size_t size) {
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* pointer) noexcept {
    RecordFree(pointer);
    std::free(pointer);
}
void operator delete(void* pointer, std::size_t) noexcept {
    RecordFree(pointer);
    std::free(pointer);
}

namespace {

using namespace plugin_host;

TEST(PluginUnload, SweepsObjectsTheHostLeftAndMergesTheLog) {
    TempFolder folder;
    LoadedPlugin plugin;
    ASSERT_TRUE(plugin.IsLoaded()) << dlerror();
    CBasicTagsDllInterface* destroyedByHost = plugin.Create();
    CBasicTagsDllInterface* leftA = plugin.Create();
    CBasicTagsDllInterface* leftB = plugin.Create();
    ASSERT_TRUE(destroyedByHost && leftA && leftB);

    const CString logFolder(folder.path().wstring()), parent((folder.path() / "host.log").wstring());
    ASSERT_EQ(leftA->Set(L"LogFolder", &logFolder), 1);
    ASSERT_EQ(leftB->Set(L"ParentLogfilePath", &parent), 1) << "the trace log is one for the module";
    int unused = 0;
    leftA->Property(L"NoSuchProperty", &unused);
    const auto runFiles = FilesStartingWith(folder.path(), "mivo_");
    ASSERT_EQ(runFiles.size(), 1u);

    delete destroyedByHost;  // leaves the registry (a second destruction would fault under the sanitizers)

    g_freedCount = 0;
    g_recordFrees = true;
    plugin.Close();
    g_recordFrees = false;

    EXPECT_TRUE(WasFreed(leftA)) << "the oldest object left behind is destroyed at unload";
    EXPECT_TRUE(WasFreed(leftB));

    EXPECT_FALSE(fs::exists(runFiles[0]));
    const std::wstring merged = ReadUtf16File(folder.path() / "host.log");
    EXPECT_EQ(merged.rfind(L"\xFEFF\r\n" + runFiles[0].filename().wstring() + L"\r\n", 0), 0u);
    EXPECT_NE(merged.find(L"ERR: CCommonDllInterface::Property not found: NoSuchProperty\r\n"), std::wstring::npos);
}

TEST(PluginUnload, ReloadingStartsWithAClosedLog) {
    TempFolder folder;
    {
        LoadedPlugin plugin;
        ASSERT_TRUE(plugin.IsLoaded()) << dlerror();
        CBasicTagsDllInterface* object = plugin.Create();
        const CString logFolder(folder.path().wstring());
        ASSERT_EQ(object->Set(L"LogFolder", &logFolder), 1);
        delete object;
    }
    LoadedPlugin plugin;
    ASSERT_TRUE(plugin.IsLoaded()) << dlerror();
    CBasicTagsDllInterface* object = plugin.Create();
    int unused = 0;
    object->Property(L"NotLogged", &unused);
    for (const auto& file : FilesStartingWith(folder.path(), "mivo_"))
        EXPECT_EQ(ReadUtf16File(file).find(L"NotLogged"), std::wstring::npos);
    delete object;
}

TEST(PluginUnload, SourceIdHashesTheModuleLoadedByARelativePathAfterTheFolderChanged) {
    TempFolder folder;
    const fs::path copy = folder.path() / "libmivo-relative.so";
    fs::copy_file(MIVO_PLUGIN_PATH, copy);
    const fs::path before = fs::current_path();
    fs::current_path(folder.path());
    LoadedPlugin plugin("./libmivo-relative.so");
    // The host moves on; a file of the same name in the new folder must not be hashed instead.
    fs::create_directories(folder.path() / "elsewhere");
    fs::current_path(folder.path() / "elsewhere");
    WriteBytes(folder / "elsewhere" / "libmivo-relative.so", "not the module");
    ASSERT_TRUE(plugin.IsLoaded()) << dlerror();
    CBasicTagsDllInterface* object = plugin.Create();
    CString id;
    ASSERT_EQ(object->Property(L"SourceId", &id), 1);
    fs::current_path(before);
    EXPECT_EQ(std::string(id.GetString(), id.GetString() + id.GetLength()),
              RunCommand("md5sum '" + copy.string() + "'").substr(0, 32));
    delete object;
}

TEST(PluginUnload, UnreadableModuleFileLeavesTheSourceIdEmpty) {
    TempFolder folder;
    // A private copy of the library, loaded and then removed from disk, so
    // the next object cannot read its own module file.
    const fs::path copy = folder.path() / "libmivo-copy.so";
    fs::copy_file(MIVO_PLUGIN_PATH, copy);
    LoadedPlugin plugin(copy.string());
    ASSERT_TRUE(plugin.IsLoaded()) << dlerror();
    CBasicTagsDllInterface* first = plugin.Create();
    CString id;
    ASSERT_EQ(first->Property(L"SourceId", &id), 1);
    EXPECT_EQ(id.GetLength(), 32);
    const CString logFolder(folder.path().wstring());
    ASSERT_EQ(first->Set(L"LogFolder", &logFolder), 1);

    fs::remove(copy);
    CBasicTagsDllInterface* second = plugin.Create();
    ASSERT_NE(second, nullptr) << "construction never fails on the checksum";
    CString emptyId(L"x");
    ASSERT_EQ(second->Property(L"SourceId", &emptyId), 1);
    EXPECT_TRUE(emptyId.IsEmpty());
    const auto runFiles = FilesStartingWith(folder.path(), "mivo_");
    ASSERT_EQ(runFiles.size(), 1u);
    const std::wstring trace = ReadUtf16File(runFiles[0]);
    const size_t at = trace.find(L"ERR: Can not make MD5hash, CFileException: ");
    ASSERT_NE(at, std::wstring::npos) << "the Error line names the failure";
    EXPECT_NE(trace.find(copy.wstring(), at), std::wstring::npos) << "and the file";
    delete second;
    delete first;
}

}  // namespace
