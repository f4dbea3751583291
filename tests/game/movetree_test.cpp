#include "chess/board.h"
#include "game/game.h"
#include "game/pgnmove.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

Board from_fen(const std::string& fen)
{
    Board board;
    board.importFromFEN(fen);
    return board;
}

// An open game on the position with the moves played one by one.
struct Played {
    explicit Played(const Board& start, const std::string& moves = "") : game(start)
    {
        game.open();
        std::istringstream in(moves);
        std::string san;
        while (in >> san)
            game.addMove(san);
    }
    PGNMove* current() const { return game.current; }
    Game game;
};

Board classic()
{
    Board board;
    board.create_classic_board();
    return board;
}

TEST(MoveTree, MateAndStalemateDecideFirst)
{
    Played fool(classic(), "f3 e5 g4 Qh4#");
    EXPECT_EQ(fool.current()->text, "Qh4#");
    EXPECT_EQ(fool.current()->result, ResultBlackWins);
    EXPECT_EQ(fool.current()->drawReason, DrawNone);

    Played scholar(classic(), "e4 e5 Bc4 Nc6 Qh5 Nf6 Qxf7#");
    EXPECT_EQ(scholar.current()->text, "4.Qxf7#");
    EXPECT_EQ(scholar.current()->result, ResultWhiteWins);

    // Stalemate wins over the fifty-move rule reached by the same move.
    Played stalemate(from_fen("k7/8/1Q6/8/8/8/8/7K w - - 99 80"), "Kg2");
    EXPECT_EQ(stalemate.current()->result, ResultDraw);
    EXPECT_EQ(stalemate.current()->drawReason, DrawStalemate);
}

TEST(MoveTree, FiftyMoveRuleFiresAtExactlyOneHundred)
{
    Played game(from_fen("k7/8/8/8/8/8/8/2R4K w - - 98 80"), "Rc2");
    EXPECT_EQ(game.current()->boardAfter().halfMoveClock, 99);
    EXPECT_EQ(game.current()->result, ResultInProgress);
    game.game.addMove(std::string("Kb8"));
    EXPECT_EQ(game.current()->boardAfter().halfMoveClock, 100);
    EXPECT_EQ(game.current()->result, ResultDraw);
    EXPECT_EQ(game.current()->drawReason, DrawFiftyMoveRule);
}

TEST(MoveTree, ThreefoldRepetitionCountsTheStartAndOwnLineOnly)
{
    Played game(classic(), "Nf3 Nf6 Ng1 Ng8");
    EXPECT_EQ(game.current()->drawReason, DrawNone); // second time only
    game.game.addMove(std::string("Nf3"));
    game.game.addMove(std::string("Nf6"));
    game.game.addMove(std::string("Ng1"));
    game.game.addMove(std::string("Ng8"));
    EXPECT_EQ(game.current()->result, ResultDraw);
    EXPECT_EQ(game.current()->drawReason, DrawThreefoldRepetition);

    // A variation from 2.Ng1 that comes back to the start position: the main
    // line's 2...Ng8 is no ancestor, so this is its second occurrence only.
    game.game.firstPosition();
    for (int i = 0; i < 3; ++i)
        game.game.nextPosition();
    ASSERT_EQ(game.current()->text, "2.Ng1");
    for (const char* san : {"Nc6", "Nf3", "Nb8", "Ng1", "Ng8"})
        game.game.addMove(std::string(san));
    EXPECT_EQ(game.current()->depth, 1u);
    EXPECT_EQ(game.current()->boardAfter(), classic());
    EXPECT_EQ(game.current()->drawReason, DrawNone);
}

TEST(MoveTree, RepetitionOfThePositionReachedByACaptureCounts)
{
    // 2.exd5 sets the clock to 0; its position comes back after 4.Ng1 and 6.Ng1.
    Played game(classic(), "e4 d5 exd5 Nf6 Nf3 Ng8 Ng1 Nf6 Nf3 Ng8");
    EXPECT_EQ(game.current()->drawReason, DrawNone);
    game.game.addMove(std::string("Ng1"));
    EXPECT_EQ(game.current()->drawReason, DrawThreefoldRepetition);
}

TEST(MoveTree, RepetitionIgnoresAnEnPassantSquareNoCaptureCanUse)
{
    // After 1.e4 no black pawn can take on e3: the start of the knight dance
    // already counts, so 5.Ng1 makes the third occurrence.
    Played unusable(classic(), "e4 Nf6 Nf3 Ng8 Ng1 Nf6 Nf3 Ng8");
    EXPECT_EQ(unusable.current()->drawReason, DrawNone);
    unusable.game.addMove(std::string("Ng1"));
    EXPECT_EQ(unusable.current()->drawReason, DrawThreefoldRepetition);

    // After 2...d5 exd6 is possible: that position does not come back.
    Played usable(classic(), "e4 Nf6 e5 d5 Nf3 Nc6 Ng1 Nb8 Nf3 Nc6 Ng1 Nb8");
    EXPECT_EQ(usable.current()->drawReason, DrawNone);
    usable.game.addMove(std::string("Nf3"));
    EXPECT_EQ(usable.current()->drawReason, DrawThreefoldRepetition);
}

TEST(MoveTree, RepetitionNeedsTheSameCastlingRights)
{
    // The king walk loses the castling rights: the start position is not repeated.
    Played game(from_fen("4k3/8/8/8/8/8/8/R3K2R w KQ - 0 1"), "Kf1 Kf8 Ke1 Ke8 Kf1 Kf8 Ke1 Ke8");
    EXPECT_EQ(game.current()->drawReason, DrawNone);
    game.game.addMove(std::string("Kf1"));
    game.game.addMove(std::string("Kf8"));
    game.game.addMove(std::string("Ke1"));
    game.game.addMove(std::string("Ke8"));
    EXPECT_EQ(game.current()->drawReason, DrawThreefoldRepetition);
}

TEST(MoveTree, InsufficientMaterialAfterACapture)
{
    Played game(from_fen("k7/8/8/8/8/8/2n5/N6K w - - 0 1"), "Nxc2");
    EXPECT_EQ(game.current()->text, "1.Nxc2");
    EXPECT_EQ(game.current()->result, ResultDraw);
    EXPECT_EQ(game.current()->drawReason, DrawInsufficientMaterial);
}

TEST(MoveTree, FindersWalkTheListAsATree)
{
    Game game;
    game.moveText = "1.e4 (1.d4 d5) (1.c4) e5 (1...c5 2.Nf3) 2.Nf3 *";
    game.open();
    PGNMove* root = game.root;
    PGNMove* e4 = root->findNextMove();
    ASSERT_NE(e4, nullptr);
    EXPECT_EQ(e4->text, "1.e4");
    PGNMove* e5 = e4->findNextMove();
    ASSERT_NE(e5, nullptr);
    EXPECT_EQ(e5->text, "e5");
    EXPECT_EQ(e5->findNextMove()->text, "2.Nf3");

    PGNMove* d4 = e4->findVariant(true);
    ASSERT_NE(d4, nullptr);
    EXPECT_EQ(d4->text, "1.d4");
    EXPECT_EQ(d4->depth, 1u);
    EXPECT_EQ(d4->parent, root);
    EXPECT_EQ(d4->findNextMove()->text, "d5");
    EXPECT_EQ(d4->findNextMove()->findNextMove(), nullptr);
    PGNMove* c4 = d4->findVariant(true);
    ASSERT_NE(c4, nullptr);
    EXPECT_EQ(c4->text, "1.c4");
    EXPECT_EQ(c4->findVariant(true), nullptr);
    EXPECT_EQ(c4->findVariant(false), d4);
    EXPECT_EQ(d4->findVariant(false), e4);
    EXPECT_EQ(e4->findVariant(false), nullptr);

    // A Black move opening a variation has no number.
    PGNMove* c5 = e5->findVariant(true);
    ASSERT_NE(c5, nullptr);
    EXPECT_EQ(c5->text, "c5");
    EXPECT_EQ(c5->findNextMove()->text, "2.Nf3");
    EXPECT_EQ(c5->findNextMove()->boardBefore(), c5->boardAfter());

    // Insertion goes behind the move's variations, before the next move.
    EXPECT_EQ(e4->findInsertionPoint()->getType(), PGNElement::TypeVariantEnd);
    EXPECT_EQ(e4->findInsertionPoint()->next, e5);
    EXPECT_EQ(c5->findNextMove()->findInsertionPoint()->getType(), PGNElement::TypeMove);
    EXPECT_EQ(c5->findNextMove()->findInsertionPoint()->next->getType(),
              PGNElement::TypeVariantEnd);
}

TEST(MoveTree, NodeKeepsBothPositionsInLittleMemory)
{
    PGNMove root(nullptr, 0);
    EXPECT_EQ(root.text, "");
    EXPECT_EQ(root.page, -1);
    EXPECT_TRUE(root.move.isNull());
    EXPECT_EQ(root.boardAfter(), Board());
    EXPECT_EQ(root.boardAfter().fullMoveNumber, 1);
    root.setBoardAfter(classic());
    PGNMove* e4 = root.addMove(0, std::string("e4"));
    EXPECT_EQ(e4->boardBefore(), classic());
    EXPECT_EQ(e4->boardAfter().exportToFEN(),
              "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1");
    EXPECT_EQ(e4->move, Move(4, 1, 4, 3));
    PGNMove* e5 = e4->addMove(0, Move(4, 6, 4, 4));
    EXPECT_EQ(e5->text, "e5");
    EXPECT_EQ(e5->boardAfter().fullMoveNumber, 2);
    delete e5;
    delete e4;
    // Two boards per node without 2 x 536 bytes of squares.
    EXPECT_LE(sizeof(PGNMove), 176u);
}

} // namespace
