// FEN reading and writing: tolerated forms, every error condition with its
// reason, positions that cannot arise, counter wrap-around, castling letters
// only for real rights, and random or truncated texts that must give a board
// or the error, nothing else.
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
    // The side to move may be in check, even twice.
    EXPECT_EQ(round_trip("4k3/8/8/8/8/8/5n2/4K2r w - - 0 1"), "4k3/8/8/8/8/8/5n2/4K2r w - - 0 1");
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

TEST(Fen, EveryErrorNamesTheTextAndWhatIsWrong)
{
    const std::pair<const char*, const char*> bad[] = {
        {"4k3/8/8/8/8/8/8/4K3 w - - 0", "5 fields instead of 6"},
        {"4k3/8/8/8/8/8/8/4K3 w - - 0 1 x", "more than 6 fields"},
        {"", "0 fields instead of 6"},
        {"4k3/8/8/8/8/8/8/4K3\tw - - 0 1", "5 fields instead of 6"}, // tabs do not separate
        {"4k3p/8/8/8/8/8/8/4K3 w - - 0 1", "rank 8 has more than 8 squares"},
        {"4k3/7/8/8/8/8/8/4K3 w - - 0 1", "rank 7 has 7 squares instead of 8"},
        {"4k3/8/8/8/8/8/8/4K3/8 w - - 0 1", "more than 8 ranks"},
        {"4k3/8/8/4K3 w - - 0 1", "4 ranks instead of 8"},
        {"4k3/8/8/8/8/8/8/4K2 w - - 0 1", "rank 1 has 7 squares instead of 8"},
        {"p8/8/8/8/8/8/8/8 w - - 0 1", "rank 8 has 9 squares instead of 8"},
        {"9/8/8/8/8/8/8/8 w - - 0 1", "'9' is not a piece letter"},
        {"08/8/8/8/8/8/8/8 w - - 0 1", "'0' is not a piece letter"},
        {"4k3/8/8/8/8/8/8/4K2x w - - 0 1", "'x' is not a piece letter"},
        {"ppppppppp/8/8/8/8/8/8/8 w - - 0 1", "rank 8 has more than 8 squares"},
        {"4k3/8/8/8/8/8/8/4K3 white - - 0 1", "the side to move is \"white\", not w or b"},
        {"4k3/8/8/8/8/8/8/4K3 W - - 0 1", "the side to move is \"W\", not w or b"},
        {"4k3/8/8/8/8/8/8/4K3 w KQkqK - 0 1", "castling \"KQkqK\" has more than 4 letters"},
        {"4k3/8/8/8/8/8/8/4K3 w K- - 0 1", "'-' is not a castling letter"},
        {"4k3/8/8/8/8/8/8/4K3 w x - 0 1", "'x' is not a castling letter"},
        {"4k3/8/8/8/8/8/8/4K3 w - e 0 1", "\"e\" is not an en-passant square"},
        {"4k3/8/8/8/8/8/8/4K3 w - e33 0 1", "\"e33\" is not an en-passant square"},
        {"4k3/8/8/8/8/8/8/4K3 w - e9 0 1", "\"e9\" is not an en-passant square"},
        {"4k3/8/8/8/8/8/8/4K3 w - i3 0 1", "\"i3\" is not an en-passant square"},
    };
    for (const auto& [fen, reason] : bad)
        EXPECT_EQ(error_of(fen), std::string("Error parsing FEN: ") + fen + " (" + reason + ")");
}

TEST(Fen, PositionsThatCannotAriseInAGameAreRefused)
{
    const std::pair<const char*, const char*> impossible[] = {
        {"8/8/8/8/8/8/8/8 w - - 0 1", "no white king"},
        {"4k3/8/8/8/8/8/8/8 b - - 0 1", "no white king"},
        {"4k3/8/8/8/8/8/8/3KK3 w - - 0 1", "2 white kings"},
        {"4k3/8/8/8/8/8/8/4K3 w - - 0 1 ", ""},
        {"4k3/8/8/8/8/8/8/3K3k w - - 0 1", "2 black kings"},
        {"P3k3/8/8/8/8/8/8/4K3 w - - 0 1", "a white pawn stands on rank 8"},
        {"4k3/8/8/8/8/8/8/p3K3 b - - 0 1", "a black pawn stands on rank 1"},
        {"4k3/8/8/8/8/8/PPPPPPPP/P3K3 w - - 0 1", "a white pawn stands on rank 1"},
        {"4k3/8/8/8/8/P7/PPPPPPPP/4K3 w - - 0 1", "9 white pawns"},
        {"4k3/8/8/8/8/Q7/QQQQQQQQ/QQQQKQQQ w - - 0 1", "17 white pieces"},
        // The side not to move in check: its king could be taken.
        {"4k3/8/8/8/8/8/8/4K2r b - - 0 1", "White is in check with Black to move"},
        {"4k3/8/8/8/8/8/3N4/4K3 w - - 0 1", ""},
        {"4k3/8/3N4/8/8/8/8/4K3 w - - 0 1", "Black is in check with White to move"},
    };
    for (const auto& [fen, reason] : impossible) {
        const std::string expected =
            *reason ? std::string("Error parsing FEN: ") + fen + " (" + reason + ")" : "";
        EXPECT_EQ(error_of(fen), expected);
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
            EXPECT_EQ(std::string(e.what()).find("board.cpp"), std::string::npos);
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
    EXPECT_GT(accepted, 20);
}
