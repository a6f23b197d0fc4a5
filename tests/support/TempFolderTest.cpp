// The temporary folder and the whole-file helpers the tests share: each
// folder is new, empty and named alike in every form; it goes at scope exit
// with all it holds, read-only folders too, without following a link out;
// bytes come back as they were written.
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "tests/support/FileBytes.h"

namespace fs = std::filesystem;

namespace {

TEST(TempFolder, IsNewEmptyAndNamedAlikeInEveryForm) {
    TempFolder first, second;
    EXPECT_NE(first.path(), second.path());
    for (const TempFolder* folder : {&first, &second}) {
        EXPECT_TRUE(fs::is_directory(folder->path()));
        EXPECT_TRUE(fs::is_empty(folder->path()));
        EXPECT_EQ(folder->Utf8(), folder->path().string());
        EXPECT_EQ(folder->Wide(), platform::FromUtf8(folder->Utf8()));
        EXPECT_EQ(folder->Wide("a.txt"), folder->Wide() + L"/a.txt");
        EXPECT_EQ(folder->Wide(""), folder->Wide() + L"/") << "an empty name gives the folder with a separator";
        EXPECT_EQ(*folder / "a.txt", folder->path() / "a.txt");
    }
}

TEST(TempFolder, GoesWithAllItHoldsButNothingALinkPointsTo) {
    TempFolder outside;
    WriteBytes(outside / "kept", "outside the folder");
    fs::create_directory(outside / "kept-folder");
    WriteBytes(outside / "kept-folder" / "inner", "outside too");
    fs::path removed;
    {
        TempFolder folder;
        removed = folder.path();
        fs::create_directories(folder / "a" / "b");
        WriteBytes(folder / "a" / "b" / "file", "x");
        fs::create_directory(folder / "locked");
        WriteBytes(folder / "locked" / "file", "y");
        fs::create_symlink(outside / "kept", folder / "link-to-file");
        fs::create_directory_symlink(outside / "kept-folder", folder / "a" / "link-to-folder");
        ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
        // Folders without write or search permission, the top one included.
        fs::permissions(folder / "locked", fs::perms::owner_read);
        fs::permissions(folder / "a", fs::perms::none);
        fs::permissions(folder.path(), fs::perms::owner_read | fs::perms::owner_exec);
    }
    EXPECT_FALSE(fs::exists(removed));
    EXPECT_EQ(ReadBytes(outside / "kept"), "outside the folder");
    EXPECT_EQ(ReadBytes(outside / "kept-folder" / "inner"), "outside too");
}

TEST(FileBytes, WhatIsWrittenReadsBackByteForByte) {
    TempFolder folder;
    struct Row {
        const char* name;
        std::string before;  // what the file held, if anything
        std::string bytes;
    };
    const Row rows[] = {
        {"a new file", "", "plain text"},
        {"NUL and line ends", "", std::string("a\0b\r\nc\n\r", 9)},
        {"bytes that are no UTF-8", "", "\xFF\xFE\x80\xC3"},
        {"an empty file", "", ""},
        {"a longer file is cut", "a much longer content than what follows", "short"},
    };
    int n = 0;
    for (const Row& row : rows) {
        const fs::path file = folder / ("file" + std::to_string(n++));
        if (!row.before.empty()) WriteBytes(file, row.before);
        WriteBytes(file, row.bytes);
        EXPECT_TRUE(fs::is_regular_file(file)) << row.name;
        EXPECT_EQ(ReadBytes(file), row.bytes) << row.name;
    }
    EXPECT_EQ(ReadBytes(folder / "missing"), "") << "a missing file reads as nothing";
}

}  // namespace
