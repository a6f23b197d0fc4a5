// What the artist address cache's tests share: names, the fixture with its
// cache in a folder of its own, and the log capture.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "search/ArtistUrlCache.h"
#include "tests/support/LogCapture.h"
#include "tests/support/TempFolder.h"

namespace urlcache {

// The separator that the cache puts between folder names.
const std::string kSeparator = platform::ToUtf8(std::wstring(1, platform::kPathSeparator));

const CString kSourceName(L"mivo");
const CString kSourceId(L"0123456789abcdef0123456789abcdef");

inline std::string Show(const CString& text) { return platform::ToUtf8(text.str()); }

class ArtistUrlCacheTest : public ::testing::Test {
protected:
    TempFolder root;
    CArtistUrlCache cache{platform::FromUtf8(root.Utf8()), kSourceName, kSourceId};
    LogCapture log;

    std::string CacheFolder() const {
        return root.Utf8() + kSeparator + "mivo" + kSeparator + Show(kSourceId) + kSeparator;
    }

    std::string Lookup(const CString& name, float maxDifference = 1.0f) {
        CString result;
        if (!cache.ReadArtistUrl(name, result, maxDifference)) return "<none>";
        return Show(result);
    }
};

}  // namespace urlcache
