#include "chess/board.h"
#include "core/exception.h"
#include "game/game.h"
#include "game/pgnmove.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

namespace {

Board classic()
{
    Board board;
    board.create_classic_board();
    return board;
}

// The list from the root's next element: "text@depth" per element.
std::string list_of(const Game& game)
{
    std::string out;
    for (const PGNElement* e = game.root->next; e != nullptr; e = e->next) {
        if (!out.empty())
            out += ' ';
        out += e->getText() + "@" + std::to_string(e->depth);
    }
    return out;
}

Game opened(const std::string& moveText, unsigned flags = 0)
{
    Game game;
    game.moveText = moveText;
    game.flags = flags;
    game.open();
    return game;
}

TEST(Game, InitAndResultTexts)
{
    Game game(classic());
    EXPECT_EQ(game.id, -1);
    EXPECT_FALSE(game.setUp);
    EXPECT_FALSE(game.isOpen());
    Board other;
    other.importFromFEN("8/8/8/8/8/8/8/K6k w - - 0 1");
    game.init(other);
    EXPECT_TRUE(game.setUp);

    EXPECT_STREQ(Game::game_result_to_str(ResultInProgress), "*");
    EXPECT_STREQ(Game::game_result_to_str(ResultWhiteWins), "1-0");
    EXPECT_STREQ(Game::game_result_to_str(ResultBlackWins), "0-1");
    EXPECT_STREQ(Game::game_result_to_str(ResultDraw), "1/2-1/2");
    EXPECT_EQ(Game::str_to_game_result("1-0"), ResultWhiteWins);
    EXPECT_EQ(Game::str_to_game_result("0-1"), ResultBlackWins);
    EXPECT_EQ(Game::str_to_game_result("1/2-1/2"), ResultDraw);
    EXPECT_EQ(Game::str_to_game_result("1/2"), ResultInProgress);
    EXPECT_EQ(Game::str_to_game_result(""), ResultInProgress);
}

TEST(Game, AddMoveStepsExtendsOrOpensAVariation)
{
    Game game = opened("1.e4 (1.d4) e5 *");
    game.firstPosition();
    PGNMove* e4 = game.root->findNextMove();
    const std::string before = list_of(game);

    // The move that already follows: a step, nothing new.
    game.addMove(std::string("e4"));
    EXPECT_EQ(game.current, e4);
    EXPECT_EQ(list_of(game), before);

    // Another move: a new variation after the existing ones.
    game.firstPosition();
    game.addMove(std::string("c4"));
    EXPECT_EQ(list_of(game), "1.e4@0 (@1 1.d4@1 )@1 (@1 1.c4@1 )@1 e5@0");
    EXPECT_EQ(game.current->text, "1.c4");
    EXPECT_EQ(game.current->parent, game.root);

    // At the end of a line the line grows.
    game.addMove(std::string("c5"));
    EXPECT_EQ(list_of(game), "1.e4@0 (@1 1.d4@1 )@1 (@1 1.c4@1 c5@1 )@1 e5@0");
    game.prevVariant(); // c5 has no alternative
    EXPECT_EQ(game.current->text, "c5");

    // A variation inside a variation goes one level deeper.
    game.prevPosition();
    game.addMove(std::string("e5"));
    EXPECT_EQ(list_of(game), "1.e4@0 (@1 1.d4@1 )@1 (@1 1.c4@1 c5@1 (@2 e5@2 )@2 )@1 e5@0");
}

TEST(Game, RemoveLineFromCutsALinesEndButNoBranch)
{
    Game game = opened("1.e4 e5 {good} 2.Nf3 (2.Nc3 Nf6 {a line} 3.f4) 2...Nc6 3.Bb5 *");
    game.lastPosition();
    PGNMove* nc6 = game.current->parent;
    PGNMove* nf3 = nc6->parent;
    // A variation branches off after Nf3: nothing is removed.
    EXPECT_FALSE(game.removeLineFrom(nf3));
    EXPECT_FALSE(game.removeLineFrom(game.root));
    EXPECT_EQ(game.current->text, "3.Bb5");

    // The end of the main line goes; current was among it.
    EXPECT_TRUE(game.removeLineFrom(nc6));
    EXPECT_EQ(game.current, nf3);
    EXPECT_EQ(list_of(game), "1.e4@0 e5@0 {@0 good@0 }@0 2.Nf3@0 (@1 2.Nc3@1 Nf6@1 {@1 a@1 line@1 "
                             "}@1 3.f4@1 )@1");

    // Inside a variation its end goes with the comment; a variation left
    // without a move goes whole, while current elsewhere stays.
    PGNMove* nc3 = nf3->findVariant(true);
    PGNMove* f4 = nc3->findNextMove()->findNextMove();
    game.current = f4;
    EXPECT_TRUE(game.removeLineFrom(nc3->findNextMove()));
    EXPECT_EQ(game.current, nc3);
    game.current = nf3;
    EXPECT_TRUE(game.removeLineFrom(nc3));
    EXPECT_EQ(game.current, nf3);
    EXPECT_EQ(list_of(game), "1.e4@0 e5@0 {@0 good@0 }@0 2.Nf3@0");
    game.close(true);
    EXPECT_EQ(game.moveText, "1.e4 e5 { good } 2.Nf3 $500 *");
}

TEST(Game, AddingAVariationResetsTheLayoutFromTheInsertionOn)
{
    Game game = opened("1.e4 e5 2.Nf3 *");
    for (PGNElement* e = game.root; e != nullptr; e = e->next) {
        e->page = 3;
        e->width = 10;
    }
    game.firstPosition();
    game.nextPosition(); // e4
    game.addMove(std::string("c5"));
    const PGNMove* e5 = game.root->findNextMove()->findNextMove();
    EXPECT_EQ(e5->page, 3);
    EXPECT_EQ(e5->width, 10);
    for (const PGNElement* e = e5->next; e != nullptr; e = e->next) {
        EXPECT_EQ(e->page, -1);
        EXPECT_EQ(e->width, 0);
    }
}

TEST(Game, NavigationInsideVariations)
{
    Game game = opened("1.e4 e5 2.Nf3 (2.Nc3 Nf6 (2...Nc6 3.Bc4) 3.f4) 2...Nc6 *");
    EXPECT_EQ(game.current, game.root);
    EXPECT_FALSE(game.prevPosition());
    EXPECT_TRUE(game.lastPosition());
    EXPECT_EQ(game.current->text, "Nc6");
    EXPECT_EQ(game.current->depth, 0u);

    game.prevPosition(); // 2.Nf3
    EXPECT_TRUE(game.nextVariant());
    EXPECT_EQ(game.current->text, "2.Nc3");
    EXPECT_FALSE(game.nextVariant());
    EXPECT_TRUE(game.nextPosition());
    EXPECT_TRUE(game.nextVariant());
    EXPECT_EQ(game.current->text, "Nc6");
    EXPECT_EQ(game.current->depth, 2u);
    EXPECT_TRUE(game.lastPosition());
    EXPECT_EQ(game.current->text, "3.Bc4");

    // firstPosition stops at the variation's first move; one step back
    // leaves the variation.
    EXPECT_TRUE(game.firstPosition());
    EXPECT_EQ(game.current->text, "Nc6");
    EXPECT_TRUE(game.prevPosition());
    EXPECT_EQ(game.current->text, "2.Nc3");
    EXPECT_FALSE(game.firstPosition());
    EXPECT_EQ(game.current->text, "2.Nc3");
    EXPECT_TRUE(game.prevVariant());
    EXPECT_EQ(game.current->text, "2.Nf3");
    EXPECT_TRUE(game.firstPosition());
    EXPECT_EQ(game.current, game.root);
    EXPECT_FALSE(game.firstPosition());
}

TEST(Game, PuzzleHidesTheSolversMovesUntilRevealed)
{
    // White to move at the start: White's moves are hidden, Black's are not.
    Game game = opened("1.e4 e5 2.Nf3 Nc6 *", Game::FlagPuzzle);
    std::vector<bool> hidden;
    for (PGNMove* m = game.root->findNextMove(); m != nullptr; m = m->findNextMove())
        hidden.push_back(m->hidden);
    EXPECT_EQ(hidden, (std::vector<bool>{true, false, true, false}));
    EXPECT_FALSE(game.checkPuzzleSolved());
    EXPECT_FALSE(game.lastPosition());
    EXPECT_EQ(game.current, game.root);

    for (PGNMove* m = game.root->findNextMove(); m != nullptr; m = m->findNextMove())
        m->hidden = false;
    EXPECT_TRUE(game.checkPuzzleSolved());

    // Opened at "$500" after 1.e4: Black solves.
    Game black = opened("1.e4 $500 e5 2.Nf3 Nc6 *", Game::FlagPuzzle);
    EXPECT_EQ(black.current->text, "1.e4");
    EXPECT_FALSE(black.current->hidden);
    EXPECT_TRUE(black.current->findNextMove()->hidden);
    EXPECT_FALSE(black.current->findNextMove()->findNextMove()->hidden);

    // A puzzle's text is never rewritten.
    black.close(true);
    EXPECT_EQ(black.moveText, "1.e4 $500 e5 2.Nf3 Nc6 *");
}

TEST(Game, InvalidGameKeepsOnlyAnEmptyRootAndItsText)
{
    Game game;
    game.moveText = "1.e4 e5 2.Qxh8 *";
    EXPECT_THROW(game.open(), Exception);
    ASSERT_TRUE(game.isOpen());
    game.invalidate("bad move");
    EXPECT_EQ(game.errorText, "bad move");
    EXPECT_EQ(game.root->next, nullptr);
    EXPECT_EQ(game.current, game.root);
    EXPECT_EQ(game.root->boardAfter(), Board());
    EXPECT_EQ(game.startBoard, Board());
    game.close(true);
    EXPECT_EQ(game.moveText, "1.e4 e5 2.Qxh8 *");

    Game closed;
    closed.invalidate("unreadable");
    ASSERT_NE(closed.root, nullptr);
    EXPECT_EQ(closed.current, closed.root);
}

TEST(Game, CopiesAreClosedAndMovesTransferTheList)
{
    Game game = opened("1.e4 e5 *");
    game.lastPosition();
    Game copy(game);
    EXPECT_FALSE(copy.isOpen());
    EXPECT_EQ(copy.moveText, "1.e4 e5 *");
    copy.open();
    EXPECT_NE(copy.root, game.root);

    PGNMove* root = game.root;
    Game moved(std::move(game));
    EXPECT_EQ(moved.root, root);
    EXPECT_EQ(game.root, nullptr);
    moved = copy;
    EXPECT_FALSE(moved.isOpen());
}

TEST(Game, AddMoveRejectsIllegalTextAndImpossibleCastling)
{
    Game game = opened("1.e4 *");
    game.lastPosition();
    EXPECT_THROW(game.addMove(std::string("Ke7e5")), Exception);
    EXPECT_THROW(game.addMove(std::string("O-O")), Exception);
    EXPECT_THROW(game.addMove(std::string("")), Exception);
    EXPECT_EQ(game.current->text, "1.e4");
    EXPECT_EQ(game.current->next, nullptr);
}

TEST(Game, VeryLongAndDeepListsAreBuiltWrittenAndFreedWithoutRecursion)
{
    // 40,000 plies in one line, then 3,000 nested variations of the last move.
    std::string text;
    for (int i = 0; i < 10000; ++i)
        text += "Nf3 Nf6 Ng1 Ng8 ";
    for (int i = 0; i < 3000; ++i)
        text += "(Ng8 ";
    text += std::string(3000, ')') + " *";
    Game game = opened(text);
    EXPECT_TRUE(game.lastPosition());
    EXPECT_EQ(game.current->boardAfter().fullMoveNumber, 20001);
    EXPECT_EQ(game.current->drawReason, DrawFiftyMoveRule);
    unsigned deepest = 0;
    const PGNElement* last = game.root;
    for (; last->next != nullptr; last = last->next)
        deepest = std::max(deepest, last->depth);
    EXPECT_EQ(deepest, 3000u);
    EXPECT_EQ(last->getType(), PGNElement::TypeVariantEnd);
    EXPECT_EQ(last->depth, 1u);

    // Deep levels are not indented further: the text stays linear in size.
    game.close(true);
    EXPECT_LT(game.moveText.size(), 300000u);
    game.open();
    EXPECT_EQ(game.current->text, "Ng8");
    game.close(true);
    const std::string again = game.moveText;
    game.open();
    game.close(true);
    EXPECT_EQ(game.moveText, again);
}

} // namespace
