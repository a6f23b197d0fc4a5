#include <gtest/gtest.h>

#include "host/tag/TagValues.h"
#include "host/tag/TemporaryName.h"

namespace mivo_host {
namespace {

TEST(TagValues, NumbersInTagText) {
    struct Row {
        const char* text;
        std::optional<unsigned> leading;
        std::optional<unsigned> afterSlash;
    };
    const Row rows[] = {
        {"3", 3u, std::nullopt},
        {"3/12", 3u, 12u},
        {" 07 / 09", 7u, 9u},
        {"2004-05-01", 2004u, std::nullopt},
        {"", std::nullopt, std::nullopt},
        {"/12", std::nullopt, 12u},
        {"A side", std::nullopt, std::nullopt},
        {"99999999999999999999", std::nullopt, std::nullopt},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(LeadingNumber(row.text), row.leading) << row.text;
        EXPECT_EQ(NumberAfterSlash(row.text), row.afterSlash) << row.text;
    }
}

TEST(TemporaryName, OnlyOurCopiesMatch) {
    struct Row {
        const char* name;
        bool ours;
    };
    const Row rows[] = {
        {".song.mp3.mivo-tmp-a1B2c3", true},
        {".x.mivo-tmp-000000", true},
        {"song.mp3.mivo-tmp-a1B2c3", false},   // not hidden
        {".song.mp3.mivo-tmp-a1B2c", false},   // short suffix
        {".song.mp3.mivo-tmp-a1B2c!", false},  // not a letter or digit
        {".mivo-tmp-a1B2c3", false},           // no file name
        {".song.mp3", false},
        {".song.mp3.tmp-a1B2c3", false},
    };
    for (const Row& row : rows) EXPECT_EQ(IsTemporaryCopyName(row.name), row.ours) << row.name;
    std::string name = TemporaryNameTemplate("01 Song.flac");
    EXPECT_EQ(name, ".01 Song.flac.mivo-tmp-XXXXXX");
    EXPECT_TRUE(IsTemporaryCopyName(name));
}

}  // namespace
}  // namespace mivo_host
