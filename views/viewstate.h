#pragma once

#include "chess/move.h"
#include "chess/position.h"
#include "core/gameresult.h"
#include "game/game.h"
#include "game/pgnmove.h"

#include <functional>
#include <string>

// What the views show: the game on screen and the interaction state around
// it (the mode, the board cursor and the selected square, a hint marking the
// two squares of a suggested move, the puzzle counts). The views read it; the
// controller's document fills it. Free of the game base.
class ViewState {
public:
    // Which part of the screen the keys act on.
    enum GameMode { BoardMode = 0, HistoryMode = 1 };

    struct PuzzleCount {
        int solved = 0;
        int total = 0;
        bool operator==(const PuzzleCount& o) const
        {
            return solved == o.solved && total == o.total;
        }
    };

    // Solved and total puzzles of the base and of the contents heading of
    // the shown puzzle, as last counted: painting never asks the base.
    struct PuzzleProgress {
        bool known = false;
        // The rows the heading covers; the whole base when there is none.
        int first = 0;
        int last = 0;
        PuzzleCount base;
        PuzzleCount heading;
        bool operator==(const PuzzleProgress& o) const
        {
            return known == o.known && first == o.first && last == o.last && base == o.base &&
                   heading == o.heading;
        }
        bool operator!=(const PuzzleProgress& o) const { return !(*this == o); }
    };

    // shown: the game on screen, which outlives this object.
    explicit ViewState(const Game* shown) : m_shown(shown) {}

    GameMode mode = BoardMode;
    Position cursor;
    Position selection;
    // The suggested move; the null move when there is none.
    Move hint;
    PuzzleProgress progress;
    // The opening of the shown position ("B90 Sicilian, Najdorf"; "" for
    // none) and the mark of a running review ("Review 40%"; "" for none).
    std::string opening;
    std::string reviewMark;
    // The game's clocks as the header shows them ("4:50"), by colour.
    bool clockShown = false;
    std::string clockText[2];
    // The player's puzzle rating; 0 while there is none.
    int playerRating = 0;
    // The contents heading a game row belongs to ("" for none); unset: none.
    std::function<std::string(int gameId)> headingOf;
    // Whether an engine's answer for the side to move is awaited; unset: no.
    std::function<bool()> engineThinking;
    // One line the move list shows while it is empty (at the first start:
    // how to reach the menu); "" for none.
    std::string tip;

    const Game& game() const { return *m_shown; }
    std::string heading(int gameId) const { return headingOf ? headingOf(gameId) : std::string(); }
    bool isEngineThinking() const { return engineThinking && engineThinking(); }

    bool isFlipped() const { return (game().flags & Game::FlagViewAsBlack) != 0; }
    bool isPuzzle() const { return (game().flags & Game::FlagPuzzle) != 0; }
    bool isSolvedPuzzle() const
    {
        return (game().flags & (Game::FlagPuzzle | Game::FlagSolved)) ==
               (Game::FlagPuzzle | Game::FlagSolved);
    }
    bool hasError() const { return !game().errorText.empty(); }
    // The node of the shown position, or null while no game is open.
    const PGNMove* currentNode() const { return game().current; }
    // Whether the shown position ends the game (mate or a draw by rule; a
    // threefold repetition or the fifty-move rule only with automatic draws).
    bool isOver() const
    {
        const PGNMove* node = currentNode();
        return node && node->result != ResultInProgress && !isClaimableDraw();
    }
    // A threefold repetition or the fifty-move rule that the player may
    // claim, automatic draws being off.
    bool isClaimableDraw() const
    {
        const PGNMove* node = currentNode();
        return !automaticDraws && node && node->result == ResultDraw &&
               (node->drawReason == DrawThreefoldRepetition ||
                node->drawReason == DrawFiftyMoveRule);
    }

    // Settings::DrawAutomatic, set by the controller.
    bool automaticDraws = true;

private:
    const Game* m_shown;
};
