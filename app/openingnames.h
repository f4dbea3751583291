#pragma once

#include "game/openingtable.h"

class ChessController;
class Game;

// The opening of the position on screen (ViewState::opening) and of the
// games stored, from the table of named lines of the program's folder, read
// on first use.
class OpeningNames {
public:
    explicit OpeningNames(ChessController& controller);
    OpeningNames(const OpeningNames&) = delete;
    OpeningNames& operator=(const OpeningNames&) = delete;

    // Names the position on screen: "ECO name" of its last named position.
    void refresh();
    // The tags "ECO" and "Opening" for a game without them.
    bool tag(Game& game);
    const OpeningTable& table();

private:
    ChessController& m_controller;
    OpeningTable m_table;
    bool m_loaded = false;
};
