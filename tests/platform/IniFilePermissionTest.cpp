// INI file replacement and POSIX permission bits and inodes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/CodePage.h"
#include "tests/platform/IniFileFixture.h"

namespace {

using namespace inifile;
using platform::WriteIniValue;

TEST_F(IniFileTest, ReplacementKeepsPermissionsAndSkipsUnchangedValues) {
    ASSERT_TRUE(WriteIniValue(file, L"A", L"k", L"1"));
    ASSERT_EQ(::chmod(platform::ToUtf8(file).c_str(), 0640), 0);
    ASSERT_TRUE(WriteIniValue(file, L"A", L"k", L"2"));
    struct stat st {};
    ASSERT_EQ(::stat(platform::ToUtf8(file).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    const ino_t inode = st.st_ino;
    ASSERT_TRUE(WriteIniValue(file, L"a", L"k", L"2"));
    ASSERT_EQ(::stat(platform::ToUtf8(file).c_str(), &st), 0);
    EXPECT_EQ(st.st_ino, inode) << "the same value again does not rewrite the file";
}

}  // namespace
