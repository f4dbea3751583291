// A puzzle row's moves against the board's own rules: random games, each
// pair of moves turned into a row, must convert, with "+" exactly where the
// board sees check and "#" (and the solver's win) exactly where it sees mate.
#include "base/puzzleimport.h"
#include "chess/board.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

std::string uci(const Move& move)
{
    std::string text = {static_cast<char>('a' + move.fromX), static_cast<char>('1' + move.fromY),
                        static_cast<char>('a' + move.toX), static_cast<char>('1' + move.toY)};
    if (move.promotion != 0)
        text += "?nbrq"[move.promotion - 1];
    return text;
}

} // namespace

TEST(PuzzleRow, ChecksAndMatesAgreeWithTheBoardOverRandomGames)
{
    std::mt19937 random(20261208);
    const std::vector<std::string> starts = {
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", "6k1/5ppp/8/8/8/8/5PPP/R5K1 w - - 0 1",
        "4k3/1P6/8/8/8/8/6p1/4K3 w - - 0 1"};
    int checks = 0;
    int mates = 0;
    for (int game = 0; game < 600; ++game) {
        Board board;
        board.importFromFEN(starts[static_cast<size_t>(game) % starts.size()]);
        for (int ply = 0; ply < 120; ++ply) {
            Moves moves;
            if (board.generateMoves(board.getColorToMove(), &moves) == 0)
                break;
            // Half the time a checking move when there is one, to reach mates.
            std::vector<Move> checking;
            for (const Move& move : moves) {
                Board after = board;
                after.doMove(move);
                if (after.isCheck(after.getColorToMove()))
                    checking.push_back(move);
            }
            const std::vector<Move>& pool = !checking.empty() && random() % 2 ? checking : moves;
            const Move first = pool[random() % pool.size()];
            Board between = board;
            between.doMove(first);
            Moves replies;
            if (between.generateMoves(between.getColorToMove(), &replies) == 0)
                break;
            // Half the time a mate when there is one.
            std::vector<Move> mating;
            for (const Move& reply : replies) {
                Board after = between;
                after.doMove(reply);
                if (after.isCheck(after.getColorToMove()) &&
                    after.isNoMoves(after.getColorToMove()))
                    mating.push_back(reply);
            }
            const std::vector<Move>& answers = !mating.empty() && random() % 2 ? mating : replies;
            const Move second = answers[random() % answers.size()];
            Board end = between;
            end.doMove(second);
            const Color side = end.getColorToMove();
            const bool check = end.isCheck(side);
            const bool mate = check && end.isNoMoves(side);

            const std::vector<std::string> columns = {"r",
                                                      board.exportToFEN(),
                                                      uci(first) + " " + uci(second),
                                                      "1500",
                                                      "80",
                                                      "90",
                                                      "10",
                                                      "",
                                                      "https://example.org",
                                                      ""};
            PuzzleImport::Puzzle puzzle;
            std::string message;
            ASSERT_TRUE(PuzzleImport::convert(columns, &puzzle, &message))
                << columns[1] << " " << columns[2] << ": " << message;
            const std::string& text = puzzle.moveText;
            // The last move's SAN, between the last two spaces (the result follows).
            const size_t result = text.rfind(' ');
            const size_t lastMove = text.rfind(' ', result - 1);
            const std::string tail = text.substr(lastMove + 1, result - lastMove - 1);
            EXPECT_EQ(tail.find('#') != std::string::npos, mate) << columns[1] << " " << text;
            EXPECT_EQ(tail.find_first_of("+#") != std::string::npos, check)
                << columns[1] << " " << text;
            EXPECT_EQ(puzzle.result != ResultInProgress, mate) << columns[1] << " " << text;
            checks += check;
            mates += mate;
            board = between;
        }
    }
    // The games reached enough of both to mean something.
    EXPECT_GT(checks, 1500);
    EXPECT_GT(mates, 100);
}
