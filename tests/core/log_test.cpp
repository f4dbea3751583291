#include "core/exception.h"
#include "core/log.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <regex>

using testsupport::TempDir;

TEST(Log, ThresholdsAndLineFormat)
{
    TempDir dir;
    const std::string path = dir.file("inkmate.log.txt");
    testsupport::writeFile(path, "old line\n");
    {
        Log log(path, 2, 2);
        testing::internal::CaptureStdout();
        log.write(3, Log::Info, "hidden %d", 3);
        log.write(2, Log::Warning, "shown %s", "two");
        log.write(1, Log::Fatal, "fatal");
        const std::string console = testing::internal::GetCapturedStdout();
        EXPECT_EQ(console.find("hidden"), std::string::npos);
        EXPECT_NE(console.find("\tW\tshown two\n"), std::string::npos);
    }
    const std::string text = testsupport::readFile(path);
    EXPECT_EQ(text.rfind("old line\n", 0), 0u) << "appends";
    EXPECT_EQ(text.find("hidden"), std::string::npos);
    const std::string rest = text.substr(9);
    const std::regex twoLines(R"((\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\]\t[IWEF]\t[^\n]*\n){2})");
    EXPECT_TRUE(std::regex_match(rest, twoLines)) << rest;
    EXPECT_NE(rest.find("\tF\tfatal\n"), std::string::npos);
}

TEST(Log, ConsoleThresholdBelowFileThreshold)
{
    TempDir dir;
    Log log(dir.file("l.txt"), 3, 1);
    testing::internal::CaptureStdout();
    log.write(3, Log::Info, "traffic");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_NE(testsupport::readFile(dir.file("l.txt")).find("traffic"), std::string::npos);
}

TEST(Log, LongLinesAreCutNotRejected)
{
    TempDir dir;
    Log log(dir.file("l.txt"), 2, 0);
    log.write(1, Log::Error, "%s", std::string(5000, 'x').c_str());
    const std::string text = testsupport::readFile(dir.file("l.txt"));
    EXPECT_NE(text.find(std::string(1023, 'x') + "\n"), std::string::npos);
    EXPECT_EQ(text.find(std::string(1024, 'x')), std::string::npos);
}

TEST(Log, UnwritableFolderThrowsCritical)
{
    try {
        Log log("/nonexistent-folder/inkmate.log.txt", 2, 2);
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_TRUE(e.isCritical());
        EXPECT_STREQ(e.what(), "Couldn't open log file: /nonexistent-folder/inkmate.log.txt");
    }
}

TEST(Exception, FormatsAndCutsLongMessages)
{
    Exception e(false, "Bad %s at line %d", "FEN", 12);
    EXPECT_FALSE(e.isCritical());
    EXPECT_STREQ(e.what(), "Bad FEN at line 12");
    Exception big(true, "%s", std::string(10000, 'y').c_str());
    EXPECT_EQ(std::string(big.what()).size(), 8191u);
    e.formatMessage("now %d", 5);
    EXPECT_STREQ(e.what(), "now 5");
}
