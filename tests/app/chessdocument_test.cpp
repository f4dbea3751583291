#include "app/chessdocument.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

TEST(ChessDocument, NewGameIsSetUpForTheUser)
{
    testsupport::TempDir dir;
    ChessDocument doc;
    doc.mode = ViewState::HistoryMode;
    doc.loadBase(dir.file("games.cdb").c_str());
    EXPECT_EQ(doc.mode, ViewState::BoardMode);

    Board start;
    start.create_classic_board();
    doc.mode = ViewState::HistoryMode;
    doc.newGame(start, 0, 2, Black, 5);
    const Game& game = doc.game();
    ASSERT_NE(game.root, nullptr);
    EXPECT_EQ(game.current, game.root);
    EXPECT_EQ(game.parent, 5);
    EXPECT_EQ(game.event, "inkmate match");
    EXPECT_EQ(game.site, "inkmate");
    EXPECT_EQ(game.round, "-");
    EXPECT_TRUE(std::regex_match(game.date, std::regex(R"(20\d\d\.[01]\d\.[0-3]\d)"))) << game.date;
    EXPECT_EQ(game.whitePlayer, 0);
    EXPECT_EQ(game.blackPlayer, 2);
    EXPECT_EQ(game.result, ResultInProgress);
    EXPECT_TRUE(doc.isFlipped());
    EXPECT_EQ(doc.mode, ViewState::BoardMode);
    EXPECT_EQ(doc.cursor, Position(4, 6));

    // A start position that is already mate carries its result.
    start.importFromFEN("rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 3");
    doc.newGame(start, 1, 0, White, 0);
    EXPECT_FALSE(doc.isFlipped());
    EXPECT_EQ(doc.cursor, Position(4, 1));
    EXPECT_EQ(doc.game().result, ResultBlackWins);
    EXPECT_TRUE(doc.isOver());
    doc.closeBase();
}

TEST(ChessDocument, ViewsReadTheHeadingOfTheShownRow)
{
    ChessDocument doc;
    EXPECT_EQ(doc.heading(3), "");
    ChessBase::HeaderItem first;
    first.gameId = 1;
    first.text = "Part one";
    ChessBase::HeaderItem second;
    second.gameId = 5;
    second.text = "Opening traps";
    doc.database.items = {first, second};
    EXPECT_EQ(doc.heading(3), "Part one");
    EXPECT_EQ(doc.heading(5), "Opening traps");
    EXPECT_EQ(doc.heading(12), "Opening traps");
    // The views see the base's current game.
    doc.game().id = 7;
    const ViewState& state = doc;
    EXPECT_EQ(state.game().id, 7);
}

} // namespace
