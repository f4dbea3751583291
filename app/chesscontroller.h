#pragma once

#include "app/basebrowser.h"
#include "app/chessdocument.h"
#include "app/clockkeeper.h"
#include "app/engineturn.h"
#include "app/gamereviewer.h"
#include "app/gamesession.h"
#include "app/hintsearch.h"
#include "app/inputrouter.h"
#include "app/openingnames.h"
#include "app/platform.h"
#include "app/puzzletrainer.h"
#include "app/screenlayout.h"
#include "app/settings.h"
#include "core/log.h"

class AbstractView;
class ConfigFileAbstract;

// The platform-independent controller: it owns the document (the open game
// base and the game on screen) and the parts that act on it, and runs the
// steps they share (redraw, the end of an action, a newly shown game). The
// parts:
//   GameSession   play, take back, new game and reset, the end of a game
//   EngineTurn    the engine's turn and its answers
//   HintSearch    the hint engine's search for the player to move
//   PuzzleTrainer puzzle hints, shown solutions, retries and counts
//   BaseBrowser   opening and importing bases, moving through the games
//   InputRouter   keys, the held OK and touches to commands
//   OpeningNames  the opening of the position on screen and of stored games
//   GameReviewer  the engine's review of a finished game
//   ScreenLayout  the views, their fonts, layout and painting
//   ClockKeeper   the game's clocks: charged per move, shown, flag fall
// Whatever it needs from the window system it asks of the Platform handed
// in, so tests drive the program's own code. Everything runs on the GUI
// thread; the engine's answers arrive through the event loop.
class ChessController {
public:
    ChessController(ConfigFileAbstract& config, Platform& platform);
    ~ChessController();
    ChessController(const ChessController&) = delete;
    ChessController& operator=(const ChessController&) = delete;

    Settings& settings() { return m_settings; }
    const Settings& settings() const { return m_settings; }
    Platform& platform() const { return m_platform; }
    ChessDocument& document() { return m_document; }
    const ChessDocument& document() const { return m_document; }
    ScreenLayout& screen() { return m_screen; }
    const ScreenLayout& screen() const { return m_screen; }
    EngineTurn& engine() { return m_engine; }
    const EngineTurn& engine() const { return m_engine; }
    HintSearch& hints() { return m_hints; }
    GameSession& session() { return m_session; }
    PuzzleTrainer& puzzles() { return m_puzzles; }
    const PuzzleTrainer& puzzles() const { return m_puzzles; }
    BaseBrowser& bases() { return m_bases; }
    InputRouter& input() { return m_input; }
    OpeningNames& openings() { return m_openings; }
    GameReviewer& reviewer() { return m_reviewer; }
    ClockKeeper& clock() { return m_clock; }
    const ClockKeeper& clock() const { return m_clock; }

    // Redraws every view but except (ScreenLayout::updateViews), after
    // dropping a hint that no longer fits the position.
    void updateAllViews(const AbstractView* except, bool full);
    // Finishes a user action: the game state, redraw, the result message.
    void completeAction(bool full);
    // The game on screen changed: cursor and selection anew, full redraw.
    void onSelectGame();
    // Back to the board from the move list; a due engine turn starts.
    void continueGame();
    // Back on the board: a due engine turn starts, as OK would start it.
    void askEngineIfDue();
    // Runs the engine's turn once control is back in the event loop.
    void startEngineTurn();
    // A different mode also clears the selection.
    void setMode(ViewState::GameMode mode);
    // The move list on the whole screen.
    void showHistory();
    // A hint for the player to move: in a puzzle PuzzleTrainer::puzzleHint,
    // in a game against an engine HintSearch::engineHint.
    void hint();
    // Whether the menu's Hint and Show Solution do something here: a hidden
    // move to hint at in a puzzle, or the player's turn in a game against an
    // engine; an unsolved puzzle whose solution is not shown yet.
    bool canHint() const;
    bool canShowSolution() const;
    // After a settings dialog was accepted.
    void onSettings();
    // Logs "Error: text" at the given severity and shows it in an error box.
    void showError(const char* text, Log::MsgType type = Log::Error) const;

private:
    Settings m_settings;
    Platform& m_platform;
    ChessDocument m_document;
    ScreenLayout m_screen;
    EngineTurn m_engine;
    HintSearch m_hints;
    GameSession m_session;
    PuzzleTrainer m_puzzles;
    BaseBrowser m_bases;
    InputRouter m_input;
    OpeningNames m_openings;
    GameReviewer m_reviewer;
    ClockKeeper m_clock;
};

// A log line of level 2 (settings, engines, games), formatted like printf.
void log_info(const char* format, ...) __attribute__((format(printf, 1, 2)));
