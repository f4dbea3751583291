#include "chess/board.h"
#include "chess/san.h"
#include "tests/support/test_support.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

// The shipped puzzles: every one must be a forced mate in the announced
// number of moves, and its recorded line must end in mate.

namespace {

struct Puzzle {
    std::string event;
    std::string fen;
    std::string flags;
    std::vector<std::string> moves;
};

std::vector<Puzzle> read_puzzles(const std::string& text)
{
    std::vector<Puzzle> puzzles;
    std::istringstream in(text);
    std::string line;
    const std::regex tag(R"re(^\[(\w+) "(.*)"\]$)re");
    std::string moveText;
    auto finish = [&]() {
        if (puzzles.empty() || moveText.empty())
            return;
        const std::string plain = std::regex_replace(moveText, std::regex(R"(\{[^}]*\})"), " ");
        std::istringstream words(plain);
        std::string word;
        while (words >> word) {
            if (std::regex_match(word, std::regex(R"(\d+\.+|1-0|0-1|1/2-1/2|\*)")))
                continue;
            word = std::regex_replace(word, std::regex(R"(^\d+\.+)"), "");
            puzzles.back().moves.push_back(word);
        }
        moveText.clear();
    };
    while (std::getline(in, line)) {
        std::smatch m;
        if (std::regex_match(line, m, tag)) {
            if (m[1] == "Event") {
                finish();
                puzzles.emplace_back();
                puzzles.back().event = m[2];
            } else if (m[1] == "FEN") {
                puzzles.back().fen = m[2];
            } else if (m[1] == "Flags") {
                puzzles.back().flags = m[2];
            }
        } else if (!puzzles.empty()) {
            moveText += line + " ";
        }
    }
    finish();
    return puzzles;
}

// Mate distance stockfish finds within the given number of moves, or 0.
int stockfish_mate(QProcess& engine, const std::string& fen, int moves)
{
    const std::string commands =
        "position fen " + fen + "\ngo mate " + std::to_string(moves) + "\n";
    engine.write(commands.c_str());
    int mate = 0;
    std::string pending;
    for (int waited = 0; waited < 300; ++waited) {
        if (!engine.canReadLine() && !engine.waitForReadyRead(100))
            continue;
        while (engine.canReadLine()) {
            const std::string line = engine.readLine().toStdString();
            std::smatch m;
            if (std::regex_search(line, m, std::regex(R"(score mate (-?\d+))")))
                mate = std::stoi(m[1]);
            else if (line.find(" score cp ") != std::string::npos)
                mate = 0;
            if (line.rfind("bestmove", 0) == 0)
                return mate;
        }
    }
    ADD_FAILURE() << "stockfish gave no best move for " << fen;
    return 0;
}

} // namespace

TEST(ShippedPuzzles, AreForcedMatesEndingInMate)
{
    const std::vector<Puzzle> puzzles =
        read_puzzles(testsupport::readFile(testsupport::sourcePath("assets/chess/puzzles.pgn")));
    ASSERT_GE(puzzles.size(), 20u);

    const std::string stockfish = testsupport::findProgram("stockfish");
    QProcess engine;
    if (!stockfish.empty()) {
        engine.start(QString::fromStdString(stockfish), QStringList());
        ASSERT_TRUE(engine.waitForStarted(10000));
        engine.write("uci\nisready\n");
    }

    for (const Puzzle& p : puzzles) {
        SCOPED_TRACE(p.event + " " + p.fen);
        EXPECT_EQ(p.flags, "2");
        std::smatch m;
        ASSERT_TRUE(std::regex_match(p.event, m, std::regex(R"(Mate in ([123]))")));
        const int n = std::stoi(m[1]);
        ASSERT_EQ(p.moves.size(), static_cast<size_t>(2 * n - 1));

        Board board;
        board.importFromFEN(p.fen);
        const Color solver = board.getColorToMove();
        for (const std::string& san : p.moves) {
            const Move move = move_from_san(board, board.getColorToMove(), san);
            board.doMove(move);
        }
        const Color loser = solver == White ? Black : White;
        EXPECT_TRUE(board.isCheck(loser) && board.isNoMoves(loser)) << "line does not end in mate";

        if (!stockfish.empty()) {
            EXPECT_EQ(stockfish_mate(engine, p.fen, n), n);
        }
    }
    if (!stockfish.empty()) {
        engine.write("quit\n");
        if (!engine.waitForFinished(5000))
            engine.kill();
        engine.waitForFinished(5000);
    }
}
