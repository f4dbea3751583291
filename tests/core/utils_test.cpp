#include "core/exception.h"
#include "core/gameresult.h"
#include "core/regexpsearcher.h"
#include "core/utils.h"

#include <gtest/gtest.h>

TEST(Utils, VacuumTrimsOnlyTheEnds)
{
    EXPECT_EQ(vacuum(" \tinner  text\r\n"), "inner  text");
    EXPECT_EQ(vacuum(" \t\r\n "), "");
    EXPECT_EQ(vacuum(""), "");
    EXPECT_EQ(vacuum("x"), "x");
}

TEST(Utils, SplitSkipsEmptyPiecesAndAppends)
{
    std::vector<std::string> out{"kept"};
    splitInVector(",a,,b;c;", ",;", out);
    EXPECT_EQ(out, (std::vector<std::string>{"kept", "a", "b", "c"}));
    std::vector<std::string> none;
    splitInVector(",,,", ",", none);
    splitInVector("", ",", none);
    EXPECT_TRUE(none.empty());
    splitInVector("whole", "", none);
    EXPECT_EQ(none, (std::vector<std::string>{"whole"}));
}

TEST(Utils, PathsAndBases)
{
    EXPECT_EQ(get_path("one/two/file.pgn"), "one/two");
    EXPECT_EQ(get_path("dir\\file"), "dir");
    EXPECT_EQ(get_path("file.pgn"), "file.pgn");
    EXPECT_EQ(get_base("/data/games.pgn"), "/data/games");
    EXPECT_EQ(get_base("my.folder/file"), "my");
    EXPECT_EQ(get_base("noext"), "noext");
}

TEST(Utils, ExcerptCutsBeforeAUtf8Sequence)
{
    EXPECT_EQ(excerpt("short", 5), "short");
    EXPECT_EQ(excerpt("ab\xc3\xa9z", 3), "ab...");
    EXPECT_EQ(excerpt("ab\xc3\xa9z", 4), "ab\xc3\xa9...");
}

TEST(Utils, GameResultTexts)
{
    EXPECT_STREQ(game_result_to_message(ResultInProgress), "In progress");
    EXPECT_STREQ(game_result_to_message(ResultWhiteWins), "White wins");
    EXPECT_STREQ(game_result_to_message(ResultBlackWins), "Black wins");
    EXPECT_STREQ(game_result_to_message(ResultDraw), "Draw");
}

TEST(RegExpSearcher, GroupsStopAtTheFirstUnmatchedGroup)
{
    RegExpSearcher header("^\\[([A-Za-z0-9_]+)[ \t]+\"(.*)\"\\]", 2);
    std::vector<std::string> out{"stale"};
    ASSERT_TRUE(header.search("[White \"Kasparov, G\"]", &out));
    EXPECT_EQ(out, (std::vector<std::string>{"[White \"Kasparov, G\"]", "White", "Kasparov, G"}));
    EXPECT_FALSE(header.search("1. e4 e5", &out));

    RegExpSearcher partial("(a+)(x)?", 2);
    ASSERT_TRUE(partial.search("baab", &out));
    EXPECT_EQ(out, (std::vector<std::string>{"aa", "aa"}));
    EXPECT_TRUE(partial.search("aaa"));
}

TEST(RegExpSearcher, CompileErrorNamesThePattern)
{
    try {
        RegExpSearcher bad("(unbalanced", 1);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_TRUE(e.isCritical());
        EXPECT_STREQ(e.what(), "Error compiling regexp: (unbalanced");
    }
    RegExpSearcher reuse("a", 0);
    EXPECT_THROW(reuse.set_reg_exp("[", 0), Exception);
    EXPECT_FALSE(reuse.search("a"));
}
