#pragma once

#include "chess/board.h"
#include "engine/enginebestmove.h"

#include <string>

class ChessController;
struct Move;

// A hint for the player to move in a game against an engine: the hint
// engine ("hint_engine", else the first UCI entry) searches the position with
// a bounded search and never plays. The answer marks the move's squares
// (ViewState::hint) until the position changes; a hint for a position left is
// dropped.
class HintSearch {
public:
    explicit HintSearch(ChessController& controller);
    HintSearch(const HintSearch&) = delete;
    HintSearch& operator=(const HintSearch&) = delete;

    // Asks for a hint, on the player's turn and once per position.
    void engineHint();
    // Drops a hint (shown or asked for) that no longer fits the position.
    void dropStaleHint();
    void clearHint();
    // A new game got its row id: the hint asked for it still counts.
    void gameStored(int id)
    {
        if (m_gameId == 0)
            m_gameId = id;
    }

private:
    // The hint asked for or shown belongs to the position on screen.
    bool isHintCurrent() const;
    void onHintFound(const Move& move);
    void onHintFailed(const std::string& text);

    ChessController& m_controller;
    EngineBestMove m_search;
    // The game and position of the hint asked for or shown.
    int m_gameId = 0;
    Board m_position;
};
