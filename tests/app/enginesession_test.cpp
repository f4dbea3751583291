// The engine session on its own, with the scripted engine.

#include "app/enginesession.h"
#include "tests/app/apptestsupport.h"

#include "engine/engineinterfacelistener.h"
#include "engine/engineprocess.h"

#include <gtest/gtest.h>

#include <functional>

using apptest::Environment;
using apptest::SlotFake;
using apptest::SlotNamedHuman;

namespace {

struct Listener : EngineInterfaceListener {
    void moveFromEngine(const Move& move) override { onMove(move); }
    void engineStopped(const std::string&) override { ++stops; }
    void engineResigned(const std::string&, const std::string&) override {}
    void engineHasNoMove(const std::string&) override {}
    std::function<void(const Move&)> onMove;
    int stops = 0;
};

} // namespace

TEST(EngineSession, AnswerCountsForThePositionAskedAndStopInsideTheAnswerRetires)
{
    Environment env;
    Listener listener;
    EngineSession session;
    EXPECT_FALSE(session.start(SlotNamedHuman, 1, 0, listener));
    EXPECT_EQ(session.engine(), nullptr);

    Board start;
    start.create_classic_board();
    Move e4;
    ASSERT_TRUE(e4.setFromString("e2e4"));
    Board after = start;
    after.doMove(e4);

    // Asked in game 7 after 1.e4; the answer is taken, and the engine is
    // stopped from inside its own call: it must survive until it returns.
    ASSERT_TRUE(session.start(SlotFake, 1, 0, listener));
    session.ask(7, start, e4);
    EXPECT_TRUE(session.isWaitingFor(7, after));
    EXPECT_FALSE(session.isWaitingFor(8, after));
    EXPECT_FALSE(session.isWaitingFor(7, start));
    int answers = 0;
    bool counted = false;
    listener.onMove = [&](const Move& move) {
        EngineSession::Callback inCallback(session);
        ++answers;
        counted = session.accept(7, after);
        EXPECT_EQ(move.getAsString(), "e7e5");
        session.stop();
        EXPECT_EQ(session.engine(), nullptr);
    };
    ASSERT_TRUE(testsupport::waitUntil([&] { return answers == 1; }));
    EXPECT_TRUE(counted);
    EXPECT_FALSE(session.isWaiting());
    session.releaseRetired();

    // A fresh engine; its answer arrives after the user has moved on: stale.
    ASSERT_TRUE(session.start(SlotFake, 1, 0, listener));
    const EngineProcess* engine = session.engine();
    session.ask(7, start, e4);
    listener.onMove = [&](const Move&) {
        EngineSession::Callback inCallback(session);
        ++answers;
        counted = session.accept(7, start);
    };
    ASSERT_TRUE(testsupport::waitUntil([&] { return answers == 2; }));
    EXPECT_FALSE(counted);
    EXPECT_FALSE(session.isWaiting());
    EXPECT_EQ(session.engine(), engine);
    session.stop();
    EXPECT_EQ(session.engine(), nullptr);
    EXPECT_EQ(listener.stops, 0);
    EXPECT_EQ(env.logCount("has been destroyed"), 2);
}
