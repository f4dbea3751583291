// TextSource: the reasons a file cannot be read (run under valgrind, the
// missing file once read the mode of a failed stat()), and lines read.
#include "base/textsource.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

TEST(TextSource, MissingFileAndFolderGiveTheirOwnReason)
{
    testsupport::TempDir dir;
    TextSource missing;
    EXPECT_FALSE(missing.open(dir.file("missing.csv")));
    EXPECT_EQ(missing.error(), strerror(ENOENT));

    TextSource folder;
    EXPECT_FALSE(folder.open(dir.path()));
    EXPECT_EQ(folder.error(), strerror(EISDIR));

    testsupport::writeFile(dir.file("rows.csv"), "a,b\r\nc");
    TextSource rows;
    ASSERT_TRUE(rows.open(dir.file("rows.csv")));
    const char* text = nullptr;
    size_t length = 0;
    ASSERT_TRUE(rows.readLine(&text, &length));
    EXPECT_EQ(std::string(text, length), "a,b");
    ASSERT_TRUE(rows.readLine(&text, &length));
    EXPECT_EQ(std::string(text, length), "c");
    EXPECT_FALSE(rows.readLine(&text, &length));
    EXPECT_TRUE(rows.error().empty());
}
