#include "chess/san.h"
#include "core/exception.h"
#include "game/game.h"
#include "game/pgnmove.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

// The move (or the error) of move_from_san, with the castling test of the tree.
std::string reference_read(const Board& board, const std::string& san)
{
    try {
        const Move move = move_from_san(board, board.getColorToMove(), san);
        const size_t start = san.find_first_not_of("/=+#x!?");
        if (start != std::string::npos && (san[start] == 'O' || san[start] == '0') &&
            (board.validateMove(move, false) & Piece::MoveInvalid) != 0)
            return "castling refused";
        return move.getAsString();
    } catch (const Exception& e) {
        return e.what();
    }
}

std::string fast_read(const Board& board, const std::string& san)
{
    try {
        Board after;
        const Move move = read_san_move(board, san, &after);
        Board played = board;
        played.doMove(move);
        if (played != after || played.halfMoveClock != after.halfMoveClock)
            return "after differs";
        return move.getAsString();
    } catch (const Exception& e) {
        const std::string text = e.what();
        return text.find("pgnmove.cpp") != std::string::npos ? "castling refused" : text;
    }
}

// Opens every game of the file and checks every move node against a node
// made by the plain addMove (move_to_san and updateGameState), and the SAN
// reader against move_from_san on spellings of every legal move.
void check_file(const std::string& path, int every)
{
    std::istringstream in(testsupport::readFile(path));
    Game game;
    size_t nodes = 0;
    for (int number = 0;; ++number) {
        try {
            if (!game.load(in))
                break;
            if (number % every != 0)
                continue;
            game.open();
        } catch (const Exception&) {
            continue;
        }
        for (PGNElement* e = game.root->next; e != nullptr; e = e->next) {
            if (e->getType() != PGNElement::TypeMove)
                continue;
            PGNMove* node = static_cast<PGNMove*>(e);
            PGNMove* reference = node->parent->addMove(node->depth, node->move);
            ASSERT_EQ(node->text, reference->text);
            ASSERT_EQ(node->result, reference->result) << node->text;
            ASSERT_EQ(node->drawReason, reference->drawReason) << node->text;
            ASSERT_TRUE(node->packedBoardAfter().samePosition(reference->packedBoardAfter()));
            ASSERT_EQ(node->boardAfter().halfMoveClock, reference->boardAfter().halfMoveClock);
            ASSERT_EQ(node->boardAfter().fullMoveNumber, reference->boardAfter().fullMoveNumber);
            delete reference;
            ++nodes;

            if (nodes % 97 != 0)
                continue;
            const Board before = node->boardBefore();
            Moves moves;
            before.generateMoves(before.getColorToMove(), &moves);
            for (const Move& m : moves) {
                std::string san = move_to_san(before, m);
                std::string bare = san;
                if (isdigit(static_cast<unsigned char>(bare[0])) != 0)
                    bare = bare.substr(bare.find('.') + 1);
                std::vector<std::string> spellings = {bare, bare + "!?", m.getAsString(),
                                                      "N" + bare.substr(1), bare.substr(1)};
                const size_t slash = bare.find('/');
                if (slash != std::string::npos)
                    spellings.push_back(bare.substr(0, slash) + "=" + bare.substr(slash + 1));
                for (const std::string& text : spellings)
                    ASSERT_EQ(fast_read(before, text), reference_read(before, text)) << text;
            }
        }
        game.close(false);
    }
    EXPECT_GT(nodes, 10000u);
}

TEST(TreeFastPath, NodesEqualThoseOfThePlainPathOnRealGames)
{
    check_file(testsupport::dataPath("lichess-slice.pgn"), 1);
    check_file(testsupport::dataPath("masters-slice.pgn"), 1);
}

TEST(TreeFastPath, NodesEqualThoseOfThePlainPathOnTheCorpus)
{
    SKIP_WITHOUT_CORPUS("lichess.pgn");
    SKIP_WITHOUT_CORPUS("sample-1in20.pgn");
    check_file(testsupport::corpusPath("lichess.pgn"), 2);
    check_file(testsupport::corpusPath("sample-1in20.pgn"), 25);
}

namespace {

// The placement and side of a FEN put on a board as they are: the FEN reader
// refuses such positions, a board editor may leave them.
Board odd_board(const std::string& fen)
{
    Board board;
    int square = 56;
    size_t at = 0;
    for (; at < fen.size() && fen[at] != ' '; ++at) {
        const char c = fen[at];
        if (c == '/') {
            square -= 16;
        } else if (c >= '1' && c <= '8') {
            square += c - '0';
        } else {
            const bool black = c >= 'a' && c <= 'z';
            const Piece::Type type =
                Piece::char_to_piece_type(black ? static_cast<char>(c - 'a' + 'A') : c);
            board.squares[square++] = Piece::code(type, black ? Black : White);
        }
    }
    if (fen.compare(at, 2, " b") == 0)
        board.flags |= Board::BlackToMove;
    return board;
}

} // namespace

TEST(TreeFastPath, OddPositionsWithoutOneKingEachAgreeToo)
{
    // No Black king, two White kings, a king that can be taken, stalemate and
    // mate at the ends of lines and inside variations.
    const char* const games[][2] = {
        {"8/8/8/8/8/8/4P2p/4K3 w - - 0 1", "1.e4 (1.Kd1 h1=Q+) h1=Q+ 2.Kd2 Qh6+ *"},
        {"4k3/8/8/8/8/8/8/K3K3 w - - 0 1", "1.Ka2 Kd7 2.Ke2 Kd6 3.Kb3 Kc5 *"},
        {"4k3/8/8/8/8/8/4R3/4K3 b - - 0 1", "1...Kd7 2.Rd2+ Kc6 3.Rd6+ Kxd6 4.Kd2 *"},
        {"4k3/4R3/8/8/8/8/8/4K3 w - - 0 1", "1.Rxe8 (1.Rd7 Kxd7) *"},
        {"k7/8/1Q6/8/8/8/8/7K w - - 0 1", "1.Kg2 (1.Qb7+ Kxb7) (1.Qa6+ Kb8 2.Qb7#) *"},
        {"7k/8/6Q1/8/8/8/8/K7 w - - 0 1", "1.Qg7+ Kxg7 (1...Kxg7) *"},
    };
    for (const auto& g : games) {
        Game game;
        game.startBoard = odd_board(g[0]);
        game.moveText = g[1];
        try {
            game.open();
        } catch (const Exception& e) {
            ADD_FAILURE() << g[1] << ": " << e.what();
            continue;
        }
        int moves = 0;
        for (PGNElement* e = game.root->next; e != nullptr; e = e->next) {
            if (e->getType() != PGNElement::TypeMove)
                continue;
            PGNMove* node = static_cast<PGNMove*>(e);
            PGNMove* reference = node->parent->addMove(node->depth, node->move);
            EXPECT_EQ(node->text, reference->text) << g[1];
            EXPECT_EQ(node->result, reference->result) << node->text;
            EXPECT_EQ(node->drawReason, reference->drawReason) << node->text;
            delete reference;
            ++moves;
        }
        EXPECT_GT(moves, 1) << g[1];
    }
}

TEST(TreeFastPath, ReaderAgreesOnOddTexts)
{
    Board board;
    board.importFromFEN("r3k2r/1P4P1/8/3pP3/8/2N3N1/8/R3K2R w KQkq d6 0 1");
    for (const char* text :
         {"Ne4",  "Nce4",   "N3e4",  "Nge4",  "exd6",    "ed6",  "ed",    "b8Q", "b8",
          "b8=K", "bxa8=Q", "gxh8N", "O-O",   "0-0-0",   "Ke2",  "K",     "",    "x",
          "Rh8",  "R1a2",   "Rb1",   "Ra1a2", "e6",      "e5e6", "a9",    "N",   "Qe4",
          "--",   "nf3",    "e8=Q",  "Nc3e4", "Nxe4+!!", "Ne4#", "N3e4e4"})
        EXPECT_EQ(fast_read(board, text), reference_read(board, text)) << text;
}

} // namespace
