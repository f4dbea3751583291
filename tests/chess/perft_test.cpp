// Leaf counts of the legal move tree against published counts (Chess
// Programming Wiki perft positions and the well-known edge-case suite), and a
// move-by-move comparison with Stockfish where it is installed.
#include "chess/board.h"
#include "chess/perft.h"
#include "tests/support/test_support.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <map>
#include <random>

namespace {

struct PerftCase {
    const char* name;
    const char* fen;
    int depth;
    uint64_t nodes;
};

const PerftCase kCases[] = {
    {"start_depth1", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 1, 20},
    {"start_depth3", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 3, 8902},
    {"start_depth4", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 4, 197281},
    {"kiwipete_depth1", "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", 1,
     48},
    {"kiwipete_depth2", "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", 2,
     2039},
    {"kiwipete_depth3", "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", 3,
     97862},
    {"cpw3_rook_pawn_endgame", "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", 5, 674624},
    {"cpw4_promotions_castling", "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
     3, 9467},
    {"cpw4_mirrored", "r2q1rk1/pP1p2pp/Q4n2/bbp1p3/Np6/1B3NBn/pPPP1PPP/R3K2R b KQ - 0 1", 3, 9467},
    {"cpw5", "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", 3, 62379},
    {"cpw6", "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10", 3, 89890},
    {"illegal_en_passant_pin", "3k4/3p4/8/K1P4r/8/8/8/8 b - - 0 1", 5, 185429},
    {"illegal_en_passant_diagonal", "8/8/4k3/8/2p5/8/B2P2K1/8 w - - 0 1", 5, 135655},
    {"en_passant_gives_check", "8/8/1k6/2b5/2pP4/8/5K2/8 b - d3 0 1", 5, 206379},
    {"short_castling_gives_check", "5k2/8/8/8/8/8/8/4K2R w K - 0 1", 5, 120330},
    {"long_castling_gives_check", "3k4/8/8/8/8/8/8/R3K3 w Q - 0 1", 5, 141077},
    {"castling_rights_lost", "r3k2r/1b4bq/8/8/8/8/7B/R3K2R w KQkq - 0 1", 3, 27826},
    {"castling_prevented", "r3k2r/8/3Q4/8/8/5q2/8/R3K2R b KQkq - 0 1", 3, 50509},
    {"promote_out_of_check", "2K2r2/4P3/8/8/8/8/8/3k4 w - - 0 1", 5, 266199},
    {"discovered_check", "8/8/1P2K3/8/2n5/1q6/8/5k2 b - - 0 1", 4, 31961},
    {"promote_to_give_check", "4k3/1P6/8/8/8/8/K7/8 w - - 0 1", 5, 38983},
    {"underpromotion", "8/P1k5/K7/8/8/8/8/8 w - - 0 1", 5, 18135},
    {"self_stalemate", "K1k5/8/P7/8/8/8/8/8 w - - 0 1", 6, 2217},
    {"stalemate_and_checkmate", "8/k1P5/8/1K6/8/8/8/8 w - - 0 1", 6, 43261},
    {"double_check", "8/8/2k5/5q2/5n2/8/5K2/8 b - - 0 1", 4, 23527},
};

class PerftTable : public ::testing::TestWithParam<PerftCase> {};

} // namespace

TEST_P(PerftTable, MatchesPublishedCount)
{
    const PerftCase& c = GetParam();
    Board board;
    board.importFromFEN(c.fen);
    EXPECT_EQ(perft(board, c.depth), c.nodes);
}

INSTANTIATE_TEST_SUITE_P(Positions, PerftTable, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<PerftCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(Perft, DepthZeroIsOneAndCountsEqualGeneratedMoves)
{
    Board board;
    board.create_classic_board();
    EXPECT_EQ(perft(board, 0), 1u);
    board.importFromFEN("8/P1k5/K7/8/8/8/8/8 w - - 0 1");
    Moves moves;
    EXPECT_EQ(perft(board, 1), static_cast<uint64_t>(board.generateMoves(White, &moves)));
    EXPECT_EQ(perft(board, 1), moves.size());
}

namespace {
// "go perft" of Stockfish: move -> count.
std::map<std::string, uint64_t> stockfish_divide(QProcess& sf, const std::string& fen, int depth)
{
    std::map<std::string, uint64_t> result;
    sf.write(("position fen " + fen + "\ngo perft " + std::to_string(depth) + "\n").c_str());
    std::string line;
    for (;;) {
        if (!sf.canReadLine() && !sf.waitForReadyRead(5000))
            break;
        while (sf.canReadLine()) {
            line = sf.readLine().trimmed().toStdString();
            if (line.rfind("Nodes searched", 0) == 0)
                return result;
            const size_t colon = line.find(": ");
            if (colon != std::string::npos && colon <= 5)
                result[line.substr(0, colon)] = std::stoull(line.substr(colon + 2));
        }
    }
    ADD_FAILURE() << "no answer from stockfish for " << fen;
    return result;
}
} // namespace

TEST(Perft, DivideAgreesWithStockfishOnPlayedPositions)
{
    const std::string program = testsupport::findProgram("stockfish");
    if (program.empty())
        GTEST_SKIP() << "stockfish not installed";
    QProcess sf;
    sf.start(QString::fromStdString(program), QStringList());
    ASSERT_TRUE(sf.waitForStarted(10000));
    std::mt19937 rng(42);
    const char* starts[] = {
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    };
    int compared = 0;
    for (const char* start : starts) {
        Board board;
        board.importFromFEN(start);
        for (int ply = 0; ply < 40; ++ply) {
            Moves moves;
            board.generateMoves(board.getColorToMove(), &moves);
            if (moves.empty())
                break;
            if (ply % 4 == 0) {
                const std::string fen = board.exportToFEN();
                const auto expected = stockfish_divide(sf, fen, 2);
                std::map<std::string, uint64_t> mine;
                for (const Move& m : moves) {
                    Board child = board;
                    child.doMove(m);
                    mine[m.getAsString()] = perft(child, 1);
                }
                EXPECT_EQ(mine, expected) << fen;
                ++compared;
            }
            board.doMove(moves[rng() % moves.size()]);
        }
    }
    EXPECT_GT(compared, 20);
    sf.write("quit\n");
    if (!sf.waitForFinished(5000)) {
        sf.kill();
        sf.waitForFinished(5000);
    }
}
