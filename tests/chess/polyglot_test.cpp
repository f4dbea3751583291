// The Polyglot book: the keys published with the format, castling and
// promotion records, the choice by weight, bad files, and Debian's book.
#include "chess/polyglot.h"
#include "tests/chess/chesstestutil.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

Board played(const std::vector<const char*>& moves)
{
    Board board;
    board.create_classic_board();
    for (const char* text : moves)
        board.doMove(mv(text));
    return board;
}

std::string record(uint64_t key, uint16_t move, uint16_t weight)
{
    std::string bytes;
    for (int shift = 56; shift >= 0; shift -= 8)
        bytes += static_cast<char>(key >> shift & 0xFF);
    bytes += static_cast<char>(move >> 8);
    bytes += static_cast<char>(move & 0xFF);
    bytes += static_cast<char>(weight >> 8);
    bytes += static_cast<char>(weight & 0xFF);
    return bytes + std::string(4, '\0');
}

uint16_t raw(int fromX, int fromY, int toX, int toY, int promotion = 0)
{
    return static_cast<uint16_t>(promotion << 12 | fromY << 9 | fromX << 6 | toY << 3 | toX);
}

} // namespace

TEST(Polyglot, PublishedKeys)
{
    EXPECT_EQ(PolyglotBook::key(played({})), 0x463b96181691fc9cULL);
    EXPECT_EQ(PolyglotBook::key(played({"e2e4"})), 0x823c9b50fd114196ULL);
    EXPECT_EQ(PolyglotBook::key(played({"e2e4", "d7d5"})), 0x0756b94461c50fb0ULL);
    EXPECT_EQ(PolyglotBook::key(played({"e2e4", "d7d5", "e4e5"})), 0x662fafb965db29d4ULL);
    EXPECT_EQ(PolyglotBook::key(played({"e2e4", "d7d5", "e4e5", "f7f5"})), 0x22a48b5a8e47ff78ULL);
    EXPECT_EQ(PolyglotBook::key(played({"e2e4", "d7d5", "e4e5", "f7f5", "e1e2"})),
              0x652a607ca3f242c1ULL);
    EXPECT_EQ(PolyglotBook::key(played({"e2e4", "d7d5", "e4e5", "f7f5", "e1e2", "e8f7"})),
              0x00fdd303c946bdd9ULL);
    EXPECT_EQ(PolyglotBook::key(played({"a2a4", "b7b5", "h2h4", "b5b4", "c2c4"})),
              0x3c8123ea7b067637ULL);
    EXPECT_EQ(PolyglotBook::key(played({"a2a4", "b7b5", "h2h4", "b5b4", "c2c4", "b4c3", "a1a3"})),
              0x5c3f9b829b279560ULL);
    // The same position read from FEN.
    EXPECT_EQ(
        PolyglotBook::key(fen("rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3")),
        0x22a48b5a8e47ff78ULL);
}

TEST(Polyglot, RecordsCastlingPromotionAndWeights)
{
    testsupport::TempDir dir;
    const Board castle = fen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
    const Board promote = fen("4k3/1P6/8/8/8/8/8/4K3 w - - 0 1");
    const uint64_t castleKey = PolyglotBook::key(castle);
    const uint64_t promoteKey = PolyglotBook::key(promote);
    // Records sorted by key: the king takes its rook for castling; a move
    // the position does not allow is left out.
    std::string bytes;
    const bool castleFirst = castleKey < promoteKey;
    const std::string castleRecords = record(castleKey, raw(4, 0, 7, 0), 3) +
                                      record(castleKey, raw(4, 0, 0, 0), 1) +
                                      record(castleKey, raw(4, 0, 4, 5), 50);
    const std::string promoteRecords = record(promoteKey, raw(1, 6, 1, 7, 4), 1);
    bytes = castleFirst ? castleRecords + promoteRecords : promoteRecords + castleRecords;
    testsupport::writeFile(dir.file("small.bin"), bytes);

    PolyglotBook book;
    std::string error;
    ASSERT_TRUE(book.open(dir.file("small.bin"), &error)) << error;
    EXPECT_EQ(book.size(), 4u);
    const auto entries = book.entries(castle);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].move, mv("e1g1"));
    EXPECT_EQ(entries[1].move, mv("e1c1"));
    // Weights 3 and 1: three quarters of the draws castle short.
    EXPECT_EQ(book.pick(castle, 0.0), mv("e1g1"));
    EXPECT_EQ(book.pick(castle, 0.74), mv("e1g1"));
    EXPECT_EQ(book.pick(castle, 0.76), mv("e1c1"));
    EXPECT_EQ(book.pick(promote, 0.5), mv("b7b8q"));
    EXPECT_TRUE(book.pick(played({}), 0.5).isNull());

    testsupport::writeFile(dir.file("odd.bin"), bytes + "x");
    EXPECT_FALSE(book.open(dir.file("odd.bin"), &error));
    EXPECT_NE(error.find("odd.bin"), std::string::npos);
    EXPECT_FALSE(book.isOpen());
    EXPECT_FALSE(book.open(dir.file("missing.bin"), &error));
    EXPECT_NE(error.find("missing.bin"), std::string::npos);
}

TEST(Polyglot, DebianBookStartPosition)
{
    const char* path = "/usr/share/games/gnuchess/book.bin";
    if (!std::ifstream(path))
        GTEST_SKIP() << "gnuchess-book is not installed";
    PolyglotBook book;
    std::string error;
    ASSERT_TRUE(book.open(path, &error)) << error;
    EXPECT_EQ(book.size(), 180358u);
    const auto entries = book.entries(played({}));
    ASSERT_EQ(entries.size(), 13u);
    EXPECT_EQ(entries[0].move, mv("e2e4"));
    EXPECT_EQ(entries[0].weight, 12135);
    EXPECT_EQ(entries[1].move, mv("d2d4"));
    EXPECT_EQ(entries[1].weight, 11257);
    EXPECT_EQ(entries[12].move, mv("a2a3"));
    // After 1.e4 the book answers for Black too.
    EXPECT_FALSE(book.pick(played({"e2e4"}), 0.3).isNull());
}
