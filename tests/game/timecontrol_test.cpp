// Time controls as PGN tags, "[%clk]" comments on moves, and both kept when
// the move text is written and read again.
#include "game/game.h"
#include "game/timecontrol.h"

#include <gtest/gtest.h>

TEST(TimeControl, TagsAndClockComments)
{
    EXPECT_EQ(TimeControl::fromTag("300+3"), (TimeControl{300000, 3000}));
    EXPECT_EQ(TimeControl::fromTag(" 600 "), (TimeControl{600000, 0}));
    for (const char* none : {"-", "?", "", "40/7200", "*180", "300+", "+3", "1234567+1"})
        EXPECT_FALSE(TimeControl::fromTag(none).enabled()) << none;
    EXPECT_EQ((TimeControl{900000, 10000}).toTag(), "900+10");
    EXPECT_EQ((TimeControl{1800000, 0}).toTag(), "1800");
    EXPECT_EQ(TimeControl().toTag(), "-");

    EXPECT_EQ(clock_comment(3723999), "[%clk 1:02:03]");
    EXPECT_EQ(clock_comment(-5), "[%clk 0:00:00]");
    EXPECT_EQ(parse_clock_comment("[%clk 1:02:03]"), 3723000);
    EXPECT_EQ(parse_clock_comment("good move [%clk 0:00:09.5] [%emt 0:00:01]"), 9500);
    EXPECT_EQ(parse_clock_comment("[%clk 1:60:03]"), -1);
    EXPECT_EQ(parse_clock_comment("[%clk]"), -1);
}

TEST(TimeControl, KeptInTheMoveText)
{
    Game game;
    game.moveText = "{[%timecontrol 300+3 60]} 1. e4 {[%clk 0:04:58]} e5 {fine [%clk 0:00:59]} "
                    "2. Nf3 (2. Nc3 {[%clk 0:01:00]}) 2... Nc6 *";
    game.open();
    GameTimeControl control = game_time_control(game);
    EXPECT_EQ(control.side[White], (TimeControl{300000, 3000}));
    EXPECT_EQ(control.side[Black], (TimeControl{60000, 0}));
    const PGNMove* e4 = game.root->findNextMove();
    ASSERT_NE(e4, nullptr);
    EXPECT_EQ(node_clock(e4), 298000);
    EXPECT_EQ(node_clock(e4->findNextMove()), 59000);
    // A comment inside a variation belongs to its own move only.
    EXPECT_EQ(node_clock(e4->findNextMove()->findNextMove()), -1);

    game.lastPosition();
    set_node_clock(game.current, 61000);
    game.close(true);
    game.open();
    game.lastPosition();
    EXPECT_EQ(node_clock(game.current), 61000);
    EXPECT_EQ(game_time_control(game), control);

    // The tags come first; a new game gets both.
    Game fresh;
    fresh.open();
    set_game_time_control(fresh, GameTimeControl::both({900000, 10000}));
    EXPECT_EQ(fresh.headers["TimeControl"], "900+10");
    EXPECT_EQ(fresh.headers.count("BlackTimeControl"), 0u);
    fresh.headers.clear();
    EXPECT_EQ(game_time_control(fresh), GameTimeControl::both({900000, 10000}));
}

// The move list shows a comment's words, not its commands.
TEST(TimeControl, CommandsAreHiddenInTheMoveList)
{
    Game game;
    game.moveText = "1. e4 {good [%clk 0:04:58] [%timecontrol 60 60] move} *";
    game.open();
    std::string shown;
    for (const PGNElement* e = game.root; e; e = e->next) {
        if (e->getType() == PGNElement::TypeCommentElement && e->isVisible())
            shown += e->getText() + " ";
    }
    EXPECT_EQ(shown, "good move ");
}
