#pragma once

#include "app/enginesession.h"
#include "chess/polyglot.h"
#include "engine/engineinterfacelistener.h"

#include <random>

#include <string>
#include <vector>

class ChessController;
class EngineProcess;
struct Move;

// The engine's turn: which side the chosen engine ("opponent") plays, at
// which level, asking it for its move (with the game clocks, when the game
// has them) and playing its answers, which count only for the position on
// screen. At the lower levels the opening book ("book.bin" in the program's
// folder) answers first, by weight, so that games vary.
class EngineTurn : public EngineInterfaceListener {
public:
    explicit EngineTurn(ChessController& controller);
    ~EngineTurn() override;
    EngineTurn(const EngineTurn&) = delete;
    EngineTurn& operator=(const EngineTurn&) = delete;

    // The level ladder's descriptions (engine/enginelevel.h), untranslated.
    static const std::vector<std::string>& get_levels();
    // A catalogue entry that is an engine (not a human).
    static bool isEngineSlot(int slot);
    // Levels below this one take their first moves from the book.
    static constexpr int kBookLevels = 8;

    int getOpponent() const;
    int getLevel() const;
    // Opponent 0 (a human) stops the engine.
    void setOpponent(int index);
    // The name a catalogue entry plays under, translated ("Human" too).
    static std::string playerName(int slot);
    // A changed opponent takes the side of the game on screen that is not
    // the user's (the top of the board) at once, with its name, unless that
    // side bears another name (a stored game's player).
    void followOpponent();
    void setLevel(int level);

    // Gives the turn to the engine if the side to move is one.
    void playEngineMove();
    void stopEngine();
    // A new game got its row id: an answer asked for it still counts.
    void gameStored(int id) { m_session.gameStored(id); }
    // The side to move is played by the chosen engine, the game goes on at
    // the end of its line, and nothing has been asked yet.
    bool isEngineTurnDue() const;
    // While the engine's move is awaited, the side to move is its own.
    bool isEngineThinkingHere() const;
    // True while a move has been asked of the engine and not yet played.
    bool isWaitingForEngine() const { return m_session.isWaiting(); }
    const EngineProcess* getEngine() const { return m_session.engine(); }

    // --- Engine listener. A move runs inside the platform's error handler.
    void moveFromEngine(const Move& move) override;
    void engineResigned(const std::string& result, const std::string& message) override;
    void engineHasNoMove(const std::string& message) override;
    void engineStopped(const std::string& message) override;

private:
    // The book's move for the position, or the null move.
    Move bookMove(const Board& position);
    void playAnswer(const Move& move);
    // An answer for the position on screen (else it ends the waiting only).
    bool acceptAnswer();

    ChessController& m_controller;
    EngineSession m_session;
    PolyglotBook m_book;
    // The book's path as last opened ("": not tried yet).
    std::string m_bookTried;
    std::mt19937 m_random{std::random_device{}()};
};
