#pragma once

#include "app/enginesession.h"
#include "app/keyhold.h"
#include "app/settings.h"
#include "chess/board.h"
#include "chess/color.h"
#include "chess/move.h"
#include "core/gameresult.h"
#include "core/log.h"
#include "engine/enginebestmove.h"
#include "engine/engineinterfacelistener.h"
#include "views/chessboardview.h"
#include "views/chessdocument.h"
#include "views/gameinfoview.h"
#include "views/moveshistoryview.h"
#include "views/rect.h"
#include "views/repainttarget.h"

#include <string>
#include <utility>
#include <vector>

class AbstractView;
class ConfigFileAbstract;
class EngineProcess;
class PGNMove;
class QPainter;

// The platform-independent controller: owns the document (the open game base
// and the game on screen), the three views and the engine session. It plays
// the user's and the engine's moves, checks after every move whether the game
// is over, runs puzzles, opens and imports bases, moves through the games of
// the base, applies settings and maps keys and touches to actions. Whatever it
// needs from the window system it asks for through the pure virtual platform
// operations; everything else is here, so tests drive the program's own code.
//
// Settings are read from the configuration whenever they are needed, never
// cached. Everything runs on the GUI thread; the engine's answer arrives
// through the event loop.
class ChessAbstract : public EngineInterfaceListener, public RepaintTarget {
public:
    enum MessageType {
        MessageInformation = 1,
        MessageQuestion = 2,
        MessageWarning = 3,
        MessageError = 4
    };

    // The choices of the new-game dialog.
    struct NewGameChoice {
        int white = 0;
        int black = 0;
        bool fromCurrentPosition = false;
        bool addToBase = true;
    };

    explicit ChessAbstract(ConfigFileAbstract& config);
    ~ChessAbstract() override;
    ChessAbstract(const ChessAbstract&) = delete;
    ChessAbstract& operator=(const ChessAbstract&) = delete;

    // --- Engine listener
    void moveFromEngine(const Move& move) override;
    void engineResigned(const std::string& result, const std::string& message) override;
    void engineHasNoMove(const std::string& message) override;
    void engineStopped(const std::string& message) override;

    // --- Platform operations
    // invalidate (from RepaintTarget) asks for a repaint of a screen area.
    virtual Rect getClientRect() const = 0;
    virtual void message(MessageType type, const char* title, const char* text,
                         int timeoutMs) const = 0;
    // A question answered with Yes (true) or No; No where nobody can answer.
    virtual bool askYesNo(const char* title, const char* text) const
    {
        (void)title;
        (void)text;
        return false;
    }
    virtual void createMainMenu() = 0;
    virtual void showMainMenu() = 0;
    virtual void onPuzzleSolved() = 0;
    // A full (flashing) refresh of the e-ink panel.
    virtual void fullRefresh() = 0;
    // Runs playEngineMove once control is back in the event loop, reporting
    // its errors like any other action.
    virtual void startEngineTurn() = 0;
    // Shows a progress text over the window at once; "" hides it.
    virtual void showProgress(const std::string& text);

    // --- Tables
    // The level ladder's descriptions (engine/enginelevel.h), untranslated.
    static const std::vector<std::string>& get_levels();
    // "Off", "10%" ... "50%": share of the screen height for the move list.
    static const std::vector<std::string>& get_history_sizes();
    // Piece type for a "promotion" index 0..3 (Queen, Rook, Bishop, Knight);
    // Queen outside the range.
    static int promotion_piece(int index);
    // The move-list step of a pointer movement: one of (+-1, 0), (0, +-1),
    // or (0, 0) for a tap or an unclear diagonal.
    static std::pair<int, int> swipe_step(int dx, int dy);

    // --- Settings
    int getOpponent() const;
    int getLevel() const;
    int getPromotion() const;
    void setOpponent(int index);
    void setLevel(int level);
    void setPromotion(int index);
    // 0 or 1.
    int getBoardFontAntiAliasing() const;
    void setBoardFontAntiAliasing(int on);
    void setBoardAnnotation();
    // Rebuilds the board displayer; on failure "board.font" goes back to 0
    // and the Exception is passed on.
    void applyBoardFont();
    // After a settings dialog was accepted.
    void onSettings();

    // --- Redraw
    // Redraws every view but except; full repaints whole rectangles (the
    // whole client area without except), otherwise each view invalidates
    // what changed.
    void updateAllViews(const AbstractView* except, bool full);
    // Finishes a user action: checkGameState, redraw, the result message.
    void completeAction(bool full);
    // The game on screen changed: cursor and selection anew, full redraw.
    void onSelectGame();

    // --- Game play
    void newGame(const Board& start, int white, int black, Color user, int parentRow);
    // A new game as chosen in the dialog; two engines are refused with a message.
    void newGame(const NewGameChoice& choice);
    // The game back at its start; a puzzle is unsolved again.
    void resetGame();
    // The move of the side to move; false when it was refused. A promotion
    // without a piece takes the stored choice.
    bool playMove(Move& move);
    // Gives the turn to the engine if the side to move is one.
    void playEngineMove();
    void deleteEngine();
    // The end-of-game text to show, or "".
    std::string checkGameState();
    void continueGame();
    void turnBoard();
    ChessDocument::GameMode getMode() const { return m_document.mode; }
    // A different mode also clears the selection.
    void setMode(ChessDocument::GameMode mode);
    // The move list on the whole screen.
    void showHistory();

    // --- Aids (chessabstractaids.cpp)
    // A hint for the player to move: in a game against an engine engineHint;
    // in a puzzle nothing yet.
    void hint();
    // Asks the hint engine ("hint_engine", else the first UCI entry) for the
    // best move of the position with a bounded search; it never plays. The
    // answer marks the move's squares until the position changes; a hint for
    // a position left is dropped.
    void engineHint();
    // Back to the position before the player's last move: against an engine
    // that move and the engine's reply after it, between two people the last
    // move. At the end of a line the moves are removed (with a variation left
    // empty); inside a line, or where a variation branches off, only the
    // position goes back. An answer the engine still owes is discarded.
    // Nothing in a puzzle.
    void takeBack();

    // --- Game base
    void loadBase(const char* path);
    void saveBase(const char* path);
    // The default base, "game.cdb" in the data folder: where a new game goes
    // that a read-only base cannot keep.
    std::string defaultBaseFile() const;
    // Closes the base, storing its game; false only on an unexpected failure.
    bool saveBaseNoThrow(const char* path);
    // Stores the game on screen, which stays open; false, with the error
    // shown, when it cannot be stored.
    bool storeGame();
    // The game base opened at start: "last_opened", else the default base.
    std::string defaultBasePath() const;
    // Opens path as the game base. On failure the error is shown and the base
    // open before (then the default base) is opened again, so a game base is
    // always open afterwards; throws a critical Exception if none opens.
    // True when path itself was opened.
    bool openBaseOrRestore(const std::string& path, const std::string& previous);
    // Leaves the open base for path ("" or the same file: stays) and shows
    // its game. A game that cannot be stored keeps its base open.
    void openBase(const std::string& path);
    // Imports the PGN file into the base of the same name beside it (".cdb")
    // and opens that; import errors are shown and the base open before stays.
    void importPgn(const std::string& file);
    // Makes the game of that row current (0: none chosen).
    void openGame(int gameId);
    void firstGame();
    void lastGame();
    void keyNext();
    void keyPrev();
    void nextUnsolvedPuzzle();

    // --- Puzzles (chessabstractpuzzle.cpp)
    // In an unsolved puzzle at the solver's turn: the first use marks the
    // square of the piece to move, the second plays the hidden move. The
    // puzzle counts as helped.
    void puzzleHint();
    // Plays out the hidden line, one move now and one for each OK; the
    // puzzle counts as failed and helped, and stays unsolved.
    void showSolution();
    // Opens the next failed, unsolved puzzle, from the first after the last.
    void retryFailedPuzzles();
    // The solved/total counts of the shown puzzle's heading and base: all
    // counted when the base was opened since or the heading differs, the
    // solved ones alone when solvedChanged is set.
    void refreshPuzzleProgress(bool solvedChanged);

    // --- Input
    void keyLeft();
    void keyRight();
    void keyUp();
    void keyDown();
    // OK: on the board as keyOkReleased, elsewhere back to the board.
    void keyOk();
    // The OK key by press and release: a short press acts as keyOk on its
    // release, one held for KeyHold::kHoldMs opens the menu and does nothing
    // else. okKeyDown is true when the window is to start the hold timer,
    // whose expiry calls okKeyHoldTime.
    bool okKeyDown(bool autoRepeat);
    void okKeyUp(bool autoRepeat);
    void okKeyHoldTime();
    // OK in board mode: selects a piece, or plays the move and completes the
    // action; the engine's turn follows through startEngineTurn.
    void keyOkReleased();
    // Moves the board cursor, if there is one.
    void navigateNormal(int dx, int dy);
    // Steps through the move list, turning its pages.
    void navigateHistory(int dx, int dy);
    // Whether a step right may go to the next move now (else the page turns).
    bool canSelectNextNove() const;
    void onPointerDown(int x, int y);
    void onPointerUp(int x, int y);
    // Divides the client rectangle among the info, board and history views.
    void layout(const Rect& client);
    // Paints the views' parts of area, laying them out first when the client
    // rectangle changed since.
    void paint(QPainter& painter, const QRect& area);

    // --- Errors
    // Logs "Error: text" at the given severity and shows it in an error box.
    void showError(const char* text, Log::MsgType type = Log::Error) const;

    // --- Access
    ChessDocument& getDocument() { return m_document; }
    const ChessDocument& getDocument() const { return m_document; }
    ChessBoardView& getBoardView() { return m_boardView; }
    MovesHistoryView& getHistoryView() { return m_historyView; }
    GameInfoView& getInfoView() { return m_infoView; }
    const EngineProcess* getEngine() const { return m_engine.engine(); }
    // True while a move has been asked of the engine and not yet played.
    bool isWaitingForEngine() const { return m_engine.isWaiting(); }
    // The side to move is played by the chosen engine, the game goes on at
    // the end of its line, and nothing has been asked yet.
    bool isEngineTurnDue() const;

protected:
    Settings m_settings;

private:
    // OK on the board: true when the engine's turn should follow (after a
    // move that did not end the game, or when it is the engine's turn and
    // nothing has been asked, as after it stopped).
    bool okOnBoard();
    // Makes the continuation node current and clears its hidden flag; the
    // layout of the elements from the old current on is recomputed.
    void revealNode(PGNMove* node);
    bool isPieceOfSideToMove(const Position& position) const;
    // A catalogue entry that is an engine (not a human).
    static bool isEngineSlot(int slot);
    // The hint asked for or shown belongs to the position on screen.
    bool isHintCurrent() const;
    // Drops a hint (shown or asked for) that no longer fits the position.
    void dropStaleHint();
    void clearHint();
    void onHintFound(const Move& move);
    void onHintFailed(const std::string& text);
    // While the engine's move is awaited, the side to move is its own.
    bool isEngineThinkingHere() const;
    // Back on the board: a due engine turn starts, as OK would start it.
    void askEngineIfDue();
    // The next move of a shown solution; false at its end.
    bool stepSolution();
    // Stores flags of the shown puzzle (where the base can) and counts again
    // when the solved bit changed.
    void setPuzzleFlags(unsigned set, unsigned clear = 0);
    void logInfo(const char* format, ...) const __attribute__((format(printf, 2, 3)));

    // The position a hint marked its piece in; a hint there plays the move.
    const PGNMove* m_hintAt = nullptr;
    // OK steps through the solution of the shown puzzle.
    bool m_showingSolution = false;
    // The client rectangle of the last layout.
    Rect m_laidOut{0, 0, 0, 0};
    EngineSession m_engine;
    EngineBestMove m_hintSearch;
    // The game and position of the hint asked for or shown.
    int m_hintGameId = 0;
    Board m_hintPosition;
    KeyHold m_okKey;
    ChessDocument m_document;
    GameInfoView m_infoView;
    ChessBoardView m_boardView;
    MovesHistoryView m_historyView;
};
