// Rules of Board and the pieces: castling, en passant, promotion, counters,
// check/mate/stalemate bits, insufficient material, equality, Move strings.
#include "chess/board.h"
#include "chess/movegenerator.h"
#include "tests/chess/chesstestutil.h"

#include <gtest/gtest.h>

namespace {
bool legal(const Board& b, const char* move)
{
    return !(b.validateMove(mv(move), false) & Piece::MoveInvalid);
}

const Piece* piece(Piece::Type type, Color color)
{
    return Piece::get(type, color);
}
} // namespace

TEST(Board, StartPositionAndSharedPieces)
{
    Board b;
    EXPECT_EQ(b.exportToFEN(), "8/8/8/8/8/8/8/8 w - - 0 1");
    b.create_classic_board();
    EXPECT_EQ(b.exportToFEN(), "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    EXPECT_EQ(b.flags, 0x0F);
    EXPECT_EQ(b.getKingPosition(White), Position(4, 0));
    EXPECT_EQ(b.getKingPosition(Black), Position(4, 7));
    EXPECT_EQ(b.squares[8], b.squares[15]); // the same code: white pawn
    EXPECT_NE(b.squares[8], b.squares[48]);
    EXPECT_EQ(b.getPiece(0, 1), b.getPiece(7, 1)); // one constant piece per code
    EXPECT_EQ(b.getPiece(0, 1), piece(Piece::TypePawn, White));
    EXPECT_EQ(b.getPiece(4, 7)->getCode(), Piece::code(Piece::TypeKing, Black));
    EXPECT_EQ(b.getPiece(4, 4), nullptr);
    EXPECT_EQ(b.getPiece(8, 0), nullptr);
    EXPECT_EQ(b.generateMoves(White, nullptr), 20);
    const Piece* q = piece(Piece::TypeQueen, Black);
    EXPECT_EQ(q->getSymbol(0), 'w');
    EXPECT_EQ(q->getSymbol(1), 'W');
    EXPECT_EQ(q->getSymbol(2), 'Q');
    EXPECT_EQ(q->getSymbol(3), 'q');
    EXPECT_EQ(Piece::piece_type_to_char(0), '-');
    EXPECT_EQ(Piece::piece_type_to_char(6), 'K');
    EXPECT_EQ(Piece::piece_type_to_char(7), '-');
    EXPECT_EQ(piece(Piece::TypeNone, White), nullptr);
    EXPECT_EQ(opposite_color(static_cast<Color>(5)), White);
    b.clear();
    EXPECT_EQ(b.getKingPosition(White), Position(-1, -1));
}

TEST(Board, CastlingThroughIntoAndOutOfCheck)
{
    // Rook on f8 covers f1: short castling crosses an attacked square.
    EXPECT_FALSE(legal(fen("4kr2/8/8/8/8/8/8/R3K2R w KQ - 0 1"), "e1g1"));
    EXPECT_TRUE(legal(fen("4kr2/8/8/8/8/8/8/R3K2R w KQ - 0 1"), "e1c1"));
    // King in check.
    EXPECT_FALSE(legal(fen("4k3/8/8/8/8/8/8/R3K2r w Q - 0 1"), "e1c1"));
    // Landing square attacked.
    EXPECT_FALSE(legal(fen("2r1k3/8/8/8/8/8/8/R3K2R w KQ - 0 1"), "e1c1"));
    // Only b1 attacked: long castling is fine; b1 occupied: not.
    EXPECT_TRUE(legal(fen("1r2k3/8/8/8/8/8/8/R3K2R w KQ - 0 1"), "e1c1"));
    EXPECT_FALSE(legal(fen("4k3/8/8/8/8/8/8/RN2K2R w KQ - 0 1"), "e1c1"));
    // A black pawn on e2 or h2 attacks f1 or g1.
    EXPECT_FALSE(legal(fen("4k3/8/8/8/8/8/4p3/R3K2R w KQ - 0 1"), "e1g1"));
    EXPECT_FALSE(legal(fen("4k3/8/8/8/8/8/7p/R3K2R w KQ - 0 1"), "e1g1"));
    // A pawn never attacks straight ahead.
    const Board b = fen("4k3/8/8/8/8/4p3/8/4K3 w - - 0 1");
    EXPECT_FALSE(b.isFieldUnderControl(Position(4, 1), Black, true));
    EXPECT_TRUE(b.isFieldUnderControl(Position(3, 1), Black, true));
    EXPECT_EQ(b.validateMove(mv("e1e2"), false), 0);
}

TEST(Board, CastlingRightsAndRookOnTheCorner)
{
    Board b = fen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
    const int r = b.validateMove(mv("e1g1"), false);
    EXPECT_EQ(r & Piece::MoveShortCastle, Piece::MoveShortCastle);
    Board c = b;
    c.doMove(mv("e1g1"));
    EXPECT_EQ(c.exportToFEN(), "r3k2r/8/8/8/8/8/8/R4RK1 b kq - 1 1");
    c = b;
    c.doMove(mv("h1h5"));
    EXPECT_EQ(c.flags & 0x0F, Board::WhiteLongCastle | 0x03);
    c = b;
    c.doMove(mv("e1e2"));
    EXPECT_EQ(c.flags & 0x0F, 0x03);
    // A rook captured on its corner takes the right with it, also when another
    // rook comes back to that corner later.
    c = b;
    c.doMove(mv("h1h8"));
    EXPECT_EQ(c.flags & 0x0F, Board::WhiteLongCastle | Board::BlackLongCastle);
    EXPECT_EQ(c.exportToFEN(), "r3k2R/8/8/8/8/8/8/R3K3 b Qq - 0 1");
    c.squares[63] = Piece::code(Piece::TypeRook, Black);
    EXPECT_FALSE(legal(c, "e8g8"));
    c = b;
    c.doMove(mv("a1a8"));
    EXPECT_EQ(c.flags & 0x0F, Board::WhiteShortCastle | Board::BlackShortCastle);
}

TEST(Board, EnPassant)
{
    Board b;
    b.create_classic_board();
    b.doMove(mv("e2e4"));
    EXPECT_EQ(b.getEnPassant(), Position(4, 2));
    EXPECT_EQ(b.exportToFEN(), "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1");
    b.doMove(mv("g8f6"));
    EXPECT_EQ(b.getEnPassant(), Position(-1, -1));

    b = fen("4k3/8/8/3pP3/8/8/8/4K3 w - d6 5 9");
    EXPECT_EQ(b.validateMove(mv("e5d6"), false), Piece::MoveCapture);
    b.doMove(mv("e5d6"));
    EXPECT_EQ(b.exportToFEN(), "4k3/8/3P4/8/8/8/8/4K3 b - - 0 9");
    // Taking en passant would clear the rank between the king and the rook.
    EXPECT_FALSE(legal(fen("8/8/8/K2pP2r/8/8/8/7k w - d6 0 1"), "e5d6"));
    // The null move clears the en-passant square and keeps the clock: after
    // a pass the pawn on d5 can no longer be taken.
    b = fen("4k3/8/8/3pP3/8/8/8/4K3 w - d6 5 9");
    b.doMove(Move());
    EXPECT_EQ(b.exportToFEN(), "4k3/8/8/3pP3/8/8/8/4K3 b - - 5 9");
    b.doMove(Move());
    EXPECT_EQ(b.exportToFEN(), "4k3/8/8/3pP3/8/8/8/4K3 w - - 5 10");
    EXPECT_FALSE(legal(b, "e5d6"));
}

TEST(Board, Promotion)
{
    const Board b = fen("3r3k/4P3/8/8/8/8/8/4K3 w - - 0 1");
    EXPECT_EQ(b.validateMove(mv("e7e8"), false), Piece::MovePromotion);
    EXPECT_EQ(b.validateMove(mv("e7d8q"), false),
              Piece::MoveCapture | Piece::MovePromotion | Piece::MoveCheck);
    EXPECT_EQ(b.validateMove(mv("e7e8r"), false), Piece::MovePromotion | Piece::MoveCheck);
    // Promotion to a king or a pawn is not chess.
    for (int promotion : {1, 6, 7, -1})
        EXPECT_EQ(b.validateMove(Move(4, 6, 4, 7, promotion), false), Piece::MoveInvalid);
    Moves moves;
    EXPECT_EQ(MoveGenerator(b).generateFrom(6 * 8 + 4, &moves), 8);
    ASSERT_EQ(moves.size(), 8u);
    EXPECT_EQ(moves[0].getAsString(), "e7e8q");
    EXPECT_EQ(moves[3].getAsString(), "e7e8b");
    // Promotion 0 leaves a pawn; anything but N, B, R, Q is never placed.
    Board c = b;
    c.doMove(mv("e7e8"));
    EXPECT_EQ(c.exportToFEN(), "3rP2k/8/8/8/8/8/8/4K3 b - - 0 1");
    c = b;
    c.doMove(Move(4, 6, 4, 7, Piece::TypeKing));
    EXPECT_EQ(c.exportToFEN(), "3rP2k/8/8/8/8/8/8/4K3 b - - 0 1");
    c = b;
    c.doMove(mv("e7d8n"));
    EXPECT_EQ(c.exportToFEN(), "3N3k/8/8/8/8/8/8/4K3 b - - 0 1");
    // A promotion piece on a pawn move short of the last rank is not applied.
    c = fen("4k3/8/8/8/8/8/4P3/4K3 w - - 0 1");
    c.doMove(Move(4, 1, 4, 3, Piece::TypeQueen));
    EXPECT_EQ(c.exportToFEN(), "4k3/8/8/8/4P3/8/8/4K3 b - e3 0 1");
}

TEST(Board, CheckMateStalemateBits)
{
    Board b;
    b.create_classic_board();
    for (const char* m : {"f2f3", "e7e5", "g2g4"})
        b.doMove(mv(m));
    EXPECT_EQ(b.validateMove(mv("d8h4"), false), Piece::MoveCheckmate);
    b.doMove(mv("d8h4"));
    EXPECT_TRUE(b.isCheck(White));
    EXPECT_TRUE(b.isNoMoves(White));
    const Board s = fen("k7/8/1Q6/8/8/8/8/4K3 w - - 0 1");
    EXPECT_EQ(s.validateMove(mv("e1e2"), false), Piece::MoveStalemate);
    EXPECT_EQ(s.validateMove(mv("b6b7"), false), Piece::MoveCheck);
    EXPECT_EQ(s.validateMove(mv("b6c7"), false), Piece::MoveStalemate);
    EXPECT_EQ(s.validateMove(mv("b6a6"), false), Piece::MoveCheck);
    // Moves that do not belong to the board.
    EXPECT_EQ(s.validateMove(Move(-1, 0, 0, 0), false), Piece::MoveInvalid);
    EXPECT_EQ(s.validateMove(Move(0, 0, 8, 0), false), Piece::MoveInvalid);
    EXPECT_EQ(s.validateMove(mv("d4d5"), false), Piece::MoveInvalid);
    EXPECT_EQ(s.validateMove(Move(), false), 0);
    EXPECT_FALSE(s.isFieldUnderControl(Position(-1, -1), White, true));
    EXPECT_TRUE(s.isFieldUnderControl(Position(0, 6), White, false));
    // A board played with a move from an empty square is left unchanged.
    Board u = s;
    u.doMove(mv("d4d5"));
    EXPECT_EQ(u.exportToFEN(), s.exportToFEN());
}

TEST(Board, NoKingNeverFailsTheOwnKingTest)
{
    // No FEN gives such a board; an editor may.
    Board b = fen("4k3/8/8/8/8/8/8/R3K2r w - - 0 1");
    b.squares[4] = 0;
    EXPECT_EQ(b.getKingPosition(White), Position(-1, -1));
    EXPECT_EQ(b.validateMove(mv("a1a2"), false) & Piece::MoveInvalid, 0);
    EXPECT_FALSE(b.isCheck(White));
}

TEST(Board, InsufficientMaterial)
{
    EXPECT_TRUE(fen("4k3/8/8/8/8/8/8/4K3 w - - 0 1").isInsufficientMaterial());
    EXPECT_TRUE(fen("4k3/8/8/8/8/8/8/2B1K3 w - - 0 1").isInsufficientMaterial());
    EXPECT_TRUE(fen("4k3/8/8/8/8/8/8/2n1K3 w - - 0 1").isInsufficientMaterial());
    EXPECT_FALSE(fen("4kb2/8/8/8/8/8/8/2B1K3 w - - 0 1").isInsufficientMaterial());
    EXPECT_FALSE(fen("4k3/8/8/8/8/8/8/1NN1K3 w - - 0 1").isInsufficientMaterial());
    EXPECT_FALSE(fen("4k3/8/8/8/8/8/8/3RK3 w - - 0 1").isInsufficientMaterial());
    EXPECT_FALSE(fen("4k3/8/8/8/8/8/P7/4K3 w - - 0 1").isInsufficientMaterial());
}

TEST(Board, EqualityIgnoresOnlyTheCounters)
{
    const Board a = fen("4k3/8/8/3pP3/8/8/8/4K2R w - d6 0 1");
    EXPECT_EQ(a, fen("4k3/8/8/3pP3/8/8/8/4K2R w - d6 17 40"));
    EXPECT_NE(a, fen("4k3/8/8/3pP3/8/8/8/4K2R b - d6 0 1"));
    EXPECT_NE(a, fen("4k3/8/8/3pP3/8/8/8/4K2R w - - 0 1"));
    EXPECT_NE(a, fen("4k3/8/8/3pP3/8/8/8/4K2R w K d6 0 1"));
    EXPECT_NE(a, fen("4k3/8/8/3pP3/8/8/8/3K3R w - d6 0 1"));
}

TEST(Board, HalfMoveClockAndMoveNumber)
{
    Board b;
    b.create_classic_board();
    for (const char* m : {"g1f3", "g8f6", "f3g1"})
        b.doMove(mv(m));
    EXPECT_EQ(b.halfMoveClock, 3);
    EXPECT_EQ(b.fullMoveNumber, 2);
    b.doMove(mv("e7e5"));
    EXPECT_EQ(b.halfMoveClock, 0);
    EXPECT_EQ(b.fullMoveNumber, 3);
}

TEST(Move, CoordinateStrings)
{
    Move m;
    EXPECT_TRUE(m.isNull());
    EXPECT_TRUE(m.setFromString("e7e8q"));
    EXPECT_EQ(m, Move(4, 6, 4, 7, 5));
    EXPECT_EQ(m.getAsString(), "e7e8q");
    EXPECT_TRUE(m.setFromString("a1h8N"));
    EXPECT_EQ(m, Move(0, 0, 7, 7, 2));
    EXPECT_EQ(Move(1, 0, 2, 2, 4).getAsString(), "b1c3r");
    EXPECT_EQ(Move(1, 0, 2, 2, 6).getAsString(), "b1c3");
    EXPECT_FALSE(m.setFromString("e2e"));
    EXPECT_FALSE(m.setFromString("e2e4qq"));
    EXPECT_FALSE(m.setFromString("e7e8k"));
    EXPECT_EQ(m.getFrom(), Position(4, 6)); // coordinates already stored
    EXPECT_TRUE(m.setFromString("z9a0"));   // no range test
    EXPECT_EQ(m, Move(25, 8, 0, -1, 0));
}
