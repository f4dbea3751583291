// FEN reading and writing: tolerated forms, every error condition with its
// message, counter wrap-around, castling letters only for real rights, and
// random or truncated texts that must give a board or the error, nothing else.
#include "chess/board.h"
#include "core/exception.h"

#include <gtest/gtest.h>

#include <random>

namespace {
std::string error_of(const std::string& fen)
{
    Board b;
    try {
        b.importFromFEN(fen);
    } catch (const Exception& e) {
        EXPECT_FALSE(e.isCritical());
        return e.what();
    }
    return std::string();
}

std::string round_trip(const std::string& fen)
{
    Board b;
    b.importFromFEN(fen);
    return b.exportToFEN();
}
} // namespace

TEST(Fen, AcceptedForms)
{
    EXPECT_EQ(round_trip("  rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR   w KQkq -  0 1  "),
              "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    EXPECT_EQ(round_trip("8/8/8/8/8/8/8/8 w - - 0 1"), "8/8/8/8/8/8/8/8 w - - 0 1");
    // Two ranks only: the rest stays empty; "p8" overshoots harmlessly.
    EXPECT_EQ(round_trip("4k3/8 b - - 3 7"), "4k3/8/8/8/8/8/8/8 b - - 3 7");
    EXPECT_EQ(round_trip("p8/8/8/8/8/8/8/8 w - - 0 1"), "p7/8/8/8/8/8/8/8 w - - 0 1");
    // A well-formed square that no double step can have crossed reads as none.
    EXPECT_EQ(round_trip("4k3/8/8/8/8/8/8/4K3 w - e5 0 1"), "4k3/8/8/8/8/8/8/4K3 w - - 0 1");
    // Counters: no digits read as 0, -1 wraps in the 16-bit fields.
    EXPECT_EQ(round_trip("4k3/8/8/8/8/8/8/4K3 w - - x -1"), "4k3/8/8/8/8/8/8/4K3 w - - 0 65535");
    EXPECT_EQ(round_trip("4k3/8/8/8/8/8/8/4K3 w - - 65537 12abc"),
              "4k3/8/8/8/8/8/8/4K3 w - - 1 12");
    for (const char* castling : {"KQkq", "kq", "KK", "qkQK"}) {
        Board b;
        EXPECT_NO_THROW(
            b.importFromFEN(std::string("r3k2r/8/8/8/8/8/8/R3K2R w ") + castling + " - 0 1"))
            << castling;
    }
    Board b;
    b.importFromFEN("r3k2r/8/8/8/8/8/8/R3K2R w KK - 0 1");
    EXPECT_EQ(b.flags, Board::WhiteShortCastle);
}

TEST(Fen, EveryErrorNamesTheTextAndTheSource)
{
    const char* bad[] = {
        "8/8/8/8/8/8/8/8 w - - 0",           // five fields
        "8/8/8/8/8/8/8/8 w - - 0 1 x",       // seven fields
        "",                                  // none
        "8/8/8/8/8/8/8/8\tw - - 0 1",        // tabs do not separate
        "8p/8/8/8/8/8/8/8 w - - 0 1",        // character after a complete rank
        "7/8/8/8/8/8/8/8 w - - 0 1",         // "/" before the rank is complete
        "8/8/8/8/8/8/8/8/8 w - - 0 1",       // ninth rank
        "9/8/8/8/8/8/8/8 w - - 0 1",         // digit 9
        "08/8/8/8/8/8/8/8 w - - 0 1",        // digit 0
        "pppppppp/8/8/8/8/8/8/8x w - - 0 1", // unknown letter
        "ppppppppp/8/8/8/8/8/8/8 w - - 0 1", // ninth pawn
        "8/8/8/8/8/8/8/8 white - - 0 1",     // side longer than one character
        "8/8/8/8/8/8/8/8 W - - 0 1",         // side other than w and b
        "8/8/8/8/8/8/8/8 w KQkqK - 0 1",     // castling of five characters
        "8/8/8/8/8/8/8/8 w K- - 0 1",        // "-" among letters
        "8/8/8/8/8/8/8/8 w x - 0 1",         // unknown castling letter
        "8/8/8/8/8/8/8/8 w - e 0 1",         // en passant of one character
        "8/8/8/8/8/8/8/8 w - e33 0 1",       // of three
        "8/8/8/8/8/8/8/8 w - e9 0 1",        // rank outside 1..8
        "8/8/8/8/8/8/8/8 w - i3 0 1",        // file outside a..h
    };
    for (const char* fen : bad) {
        const std::string message = error_of(fen);
        EXPECT_EQ(message.rfind(
                      std::string("Error parsing FEN: ") + fen + " [File: board.cpp, Line: ", 0),
                  0u)
            << "'" << fen << "' gave '" << message << "'";
        EXPECT_EQ(message.back(), ']') << message;
    }
}

TEST(Fen, FailedReadLeavesTheBoardUnchanged)
{
    Board b;
    b.create_classic_board();
    const Board before = b;
    EXPECT_THROW(b.importFromFEN("4k3/8/8/8/8/8/8/4K3 w - e9 0 1"), Exception);
    EXPECT_EQ(b, before);
    EXPECT_EQ(b.fullMoveNumber, 1);
}

TEST(Fen, CastlingLettersOnlyWhereKingAndRookStand)
{
    // A right whose king or rook is not at home is dropped on reading, so the
    // position plays as it is written.
    Board b;
    b.importFromFEN("4k2r/8/8/8/8/8/8/R3K3 w KQkq - 0 1");
    EXPECT_EQ(b.flags & Board::CastlingRights, Board::WhiteLongCastle | Board::BlackShortCastle);
    EXPECT_EQ(b.exportToFEN(), "4k2r/8/8/8/8/8/8/R3K3 w Qk - 0 1");
    b.importFromFEN("4k3/8/8/8/8/8/8/4K1R1 w K - 0 1");
    b.doMove(Move(6, 0, 7, 0));
    b.doMove(Move(4, 7, 3, 6));
    EXPECT_EQ(b.validateMove(Move(4, 0, 6, 0), false), Piece::MoveInvalid);
    b.importFromFEN("r2k3r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
    EXPECT_EQ(b.exportToFEN(), "r2k3r/8/8/8/8/8/8/R3K2R w KQ - 0 1");
    b.importFromFEN("r3k2r/8/8/8/8/8/8/R3K1r1 w KQkq - 0 1"); // black rook on g1
    EXPECT_EQ(b.exportToFEN(), "r3k2r/8/8/8/8/8/8/R3K1r1 w Qkq - 0 1");
}

TEST(Fen, EnPassantSquareOnlyWhereADoubleStepCanHaveCrossedIt)
{
    // Kept: the opponent's pawn in front, the square and the one behind empty.
    EXPECT_EQ(round_trip("4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1"), "4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1");
    EXPECT_EQ(round_trip("4k3/8/8/8/4P3/8/8/4K3 b - e3 0 1"), "4k3/8/8/8/4P3/8/8/4K3 b - e3 0 1");
    // Dropped: a knight in front, the wrong rank for the side, an own pawn, a
    // blocked origin, an occupied square.
    for (const char* fen :
         {"4k3/8/8/3PN3/8/8/8/4K3 w - e6 0 1", "4k3/8/8/8/4P3/8/8/4K3 w - e3 0 1",
          "4k3/8/8/4P3/8/8/8/4K3 w - e6 0 1", "4k3/4n3/8/4p3/8/8/8/4K3 w - e6 0 1",
          "4k3/8/4n3/4p3/8/8/8/4K3 w - e6 0 1", "4k3/8/8/8/8/8/8/4K3 w - e5 0 1"}) {
        Board b;
        b.importFromFEN(fen);
        EXPECT_FALSE(b.getEnPassant().isValid()) << fen;
    }
    // The bogus square no longer lets a pawn take a knight "en passant".
    Board b;
    b.importFromFEN("4k3/8/8/3PN3/8/8/8/4K3 w - e6 0 1");
    EXPECT_EQ(b.validateMove(Move(3, 4, 4, 5), false), Piece::MoveInvalid);
}

TEST(Fen, RandomAndTruncatedTextsGiveABoardOrTheError)
{
    const std::string valid[] = {
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
        "8/8/8/K2pP2r/8/8/8/7k w - d6 0 1",
    };
    const std::string alphabet = "pnbrqkPNBRQK12345678/0 9wb-KQkqeah\t\n\x01\xff-+x";
    std::mt19937 rng(99);
    int accepted = 0;
    auto feed = [&](const std::string& text) {
        Board b;
        try {
            b.importFromFEN(text);
            ++accepted;
            Board again;
            again.importFromFEN(b.exportToFEN()); // whatever is read can be written and read
            EXPECT_EQ(again.exportToFEN(), b.exportToFEN());
            b.generateMoves(b.getColorToMove(), nullptr);
        } catch (const Exception& e) {
            EXPECT_EQ(std::string(e.what()).rfind("Error parsing FEN: ", 0), 0u);
        }
    };
    for (const std::string& fen : valid) {
        for (size_t n = 0; n <= fen.size(); ++n)
            feed(fen.substr(0, n));
        for (int i = 0; i < 300; ++i) {
            std::string text = fen;
            const int edits = 1 + static_cast<int>(rng() % 4);
            for (int e = 0; e < edits; ++e) {
                const size_t at = rng() % (text.size() + 1);
                const char c = alphabet[rng() % alphabet.size()];
                switch (rng() % 3) {
                case 0:
                    text.insert(at, 1, c);
                    break;
                case 1:
                    if (at < text.size())
                        text[at] = c;
                    break;
                default:
                    if (at < text.size())
                        text.erase(at, 1);
                }
            }
            feed(text);
        }
    }
    for (int i = 0; i < 300; ++i) {
        std::string text(rng() % 120, ' ');
        for (char& c : text)
            c = alphabet[rng() % alphabet.size()];
        feed(text);
    }
    feed(std::string(100000, '8'));
    feed(std::string(100000, ' '));
    EXPECT_GT(accepted, 30);
}
