#include "chess/board.h"
#include "chess/piece.h"
#include "engine/enginebuilder.h"
#include "engine/engineprocess.h"
#include "tests/engine/engine_test_support.h"

#include <QFile>

#include <gtest/gtest.h>

#include <memory>

using namespace enginetest;

namespace {

struct RealEngine {
    const char* program;
    const char* kind;
    const char* arguments;
};

void PrintTo(const RealEngine& e, std::ostream* os)
{
    *os << e.program;
}

// A position to ask from: FEN (empty: the start) and the last move played in it.
struct Request {
    const char* name;
    const char* fen;
    const char* last;
};

const Request kRequests[] = {
    {"start", "", ""},
    {"after 1.e4", "", "e2e4"},
    {"promotion to make", "4k3/1P6/8/8/8/8/8/7K b - - 0 1", "e8e7"},
    {"black promotes, castling and en passant", "r3k2r/8/8/8/3pP3/8/6p1/R3K2R b KQkq e3 0 1", ""},
};

Board positionOf(const Request& r)
{
    Board board;
    if (*r.fen)
        board.importFromFEN(r.fen);
    else
        board.create_classic_board();
    return board;
}

Move lastOf(const Request& r)
{
    Move move;
    if (*r.last)
        move.setFromString(r.last);
    return move;
}

// Legal in the position, with a promotion letter exactly on a promotion.
::testing::AssertionResult legalIn(const Board& board, const Move& move)
{
    const Piece* piece = board.getPiece(move.fromX, move.fromY);
    const int bits = board.validateMove(move, false);
    const bool promotes = (bits & Piece::MovePromotion) != 0;
    if (!piece || piece->color != board.getColorToMove() || (bits & Piece::MoveInvalid) ||
        (!promotes && move.promotion != 0))
        return ::testing::AssertionFailure()
               << move.getAsString() << " is illegal in " << board.exportToFEN();
    return ::testing::AssertionSuccess();
}

// The engine programs linked below a root folder, as the staged program has them.
class RealEngines : public ::testing::TestWithParam<RealEngine> {
protected:
    std::unique_ptr<EngineProcess> start(int level)
    {
        const RealEngine& e = GetParam();
        const std::string path = testsupport::findProgram(e.program);
        if (path.empty())
            return nullptr;
        QFile::link(QString::fromStdString(path), QString::fromStdString(m_root.file(e.program)));
        const EngineDescriptor d(
            std::string(e.kind) + "|" + e.program + "|" + e.program + e.arguments, m_root.path());
        EngineSettings settings;
        settings.level = level;
        std::unique_ptr<EngineProcess> engine = EngineBuilder(d, settings).start();
        engine->setListener(&m_listener);
        return engine;
    }

    testsupport::TempDir m_root;
    RecordingListener m_listener;
};

} // namespace

TEST_P(RealEngines, AnswerLegallyAtLevelsOneAndFive)
{
    auto engine = start(0);
    if (!engine)
        GTEST_SKIP() << GetParam().program << " is not installed";
    for (const int level : {0, 4}) {
        engine->setLevel(level);
        for (const Request& r : kRequests) {
            const size_t before = m_listener.moves.size();
            const Board position = positionOf(r);
            const Move last = lastOf(r);
            engine->playMove(position, last);
            ASSERT_TRUE(waitUntil([&] { return m_listener.moves.size() > before; }, 30000))
                << r.name << " at level " << level;
            Board asked = position;
            if (!last.isNull())
                asked.doMove(last);
            EXPECT_TRUE(legalIn(asked, m_listener.moves.back())) << r.name << ", level " << level;
        }
    }
    EXPECT_TRUE(m_listener.stops.empty());
    EXPECT_FALSE(engine->hasStopped());
}

INSTANTIATE_TEST_SUITE_P(Installed, RealEngines,
                         ::testing::Values(RealEngine{"stockfish", "UCI", ""},
                                           RealEngine{"gnuchess", "UCI", " --uci"},
                                           RealEngine{"hoichess", "XBOARD", ""},
                                           RealEngine{"phalanx", "XBOARD", ""}),
                         [](const ::testing::TestParamInfo<RealEngine>& info) {
                             return std::string(info.param.program);
                         });

// Fairy-Max cannot take "setboard": the program must say so rather than wait
// for a move or take one it played from another position.
TEST(RealEngineFailures, EngineWithoutSetboardIsReportedNotAwaited)
{
    const std::string path = testsupport::findProgram("fairymax");
    if (path.empty())
        GTEST_SKIP() << "fairymax is not installed";
    for (const Request& r : kRequests) {
        RecordingListener listener;
        EngineSettings settings;
        settings.level = 2;
        auto engine =
            EngineBuilder(EngineDescriptor("XBOARD|Fairy-Max|" + path.substr(1), ""), settings)
                .start();
        engine->setListener(&listener);
        engine->playMove(positionOf(r), lastOf(r));
        ASSERT_TRUE(waitUntil([&] { return !listener.stops.empty(); }, 20000)) << r.name;
        EXPECT_TRUE(listener.moves.empty()) << r.name;
        EXPECT_TRUE(engine->hasStopped());
    }
}
