#pragma once

#include "chess/board.h"
#include "chess/color.h"
#include "chess/move.h"
#include "core/gameresult.h"
#include "engine/engineinterfacelistener.h"
#include "views/chessboardview.h"
#include "views/chessdocument.h"
#include "views/gameinfoview.h"
#include "views/moveshistoryview.h"
#include "views/rect.h"

#include <memory>
#include <string>
#include <vector>

class AbstractView;
class ConfigFileAbstract;
class EngineInterfaceAbstract;
class PGNMove;
class RepaintTarget;

// The platform-independent controller: owns the document (the open game base
// and the game on screen), the three views and at most one running engine.
// It plays the user's and the engine's moves, checks after every move whether
// the game is over, runs puzzles, moves through the games of the base, applies
// settings and maps keys and touches to actions. Whatever it needs from the
// window system it asks for through the pure virtual platform operations.
//
// Settings are read from the configuration whenever they are needed, never
// cached. Everything runs on the GUI thread; the engine's answer arrives
// through the event loop.
class ChessAbstract : public EngineInterfaceListener {
public:
    enum MessageType {
        MessageInformation = 1,
        MessageQuestion = 2,
        MessageWarning = 3,
        MessageError = 4
    };

    explicit ChessAbstract(ConfigFileAbstract& config);
    ~ChessAbstract() override;
    ChessAbstract(const ChessAbstract&) = delete;
    ChessAbstract& operator=(const ChessAbstract&) = delete;

    // --- Engine listener
    void moveFromEngine(const Move& move) override;
    void engineStopped(const std::string& message) override;

    // --- Platform operations
    // Redraws every view but except; full repaints whole rectangles,
    // otherwise each view invalidates what changed.
    virtual void updateAllViews(const AbstractView* except, bool full) = 0;
    // Finishes a user action: checkGameState, redraw, the result message.
    virtual void completeAction(bool full) = 0;
    virtual void navigateHistory(int dx, int dy) = 0;
    virtual void navigateNormal(int dx, int dy) = 0;
    // The OK key in board mode; the main window selects or plays.
    virtual void keyOkReleased() {}
    virtual Rect getClientRect() const = 0;
    virtual void message(MessageType type, const char* title, const char* text,
                         int timeoutMs) const = 0;
    virtual void showHourGlassAt(int x, int y) const = 0;
    virtual void hideHourGlass() const = 0;
    virtual void createMainMenu() = 0;
    virtual void showMainMenu() = 0;
    virtual void onPuzzleSolved() = 0;
    virtual void loadBase(const char* path);
    virtual void saveBase(const char* path);
    virtual void moveToEngine(const Board& board, const Move& move);
    virtual void onSelectGame();
    // A full (flashing) refresh of the e-ink panel.
    virtual void fullRefresh() = 0;

    // --- Tables
    // The level ladder's descriptions (engine/enginelevel.h), untranslated.
    static const std::vector<std::string>& get_levels();
    // "Off", "10%" ... "50%": share of the screen height for the move list.
    static const std::vector<std::string>& get_history_sizes();
    // Piece type for a "promotion" index 0..3 (Queen, Rook, Bishop, Knight);
    // Queen outside the range.
    static int promotion_piece(int index);
    // "", "Stalemate", "Insufficient material", "Threefold repetition",
    // "Fifty-move rule"; "" outside the range.
    static const char* draw_reason_to_message(int reason);

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

    // --- Game play
    void newGame(const Board& start, int white, int black, Color user, int parentRow);
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

    // --- Game base
    // Closes the base, storing its game; false only on an unexpected failure.
    bool saveBaseNoThrow(const char* path);
    void firstGame();
    void lastGame();
    void keyNext();
    void keyPrev();
    void nextUnsolvedPuzzle();

    // --- Input
    void keyLeft();
    void keyRight();
    void keyUp();
    void keyDown();
    // Whether a step right may go to the next move now (else the page turns).
    bool canSelectNextNove() const;
    void onPointerDown(int x, int y);
    void onPointerUp(int x, int y);
    // Divides the client rectangle among the info, board and history views.
    void layout(const Rect& client);

    // --- Access
    ChessDocument& getDocument() { return m_document; }
    const ChessDocument& getDocument() const { return m_document; }
    ChessBoardView& getBoardView() { return m_boardView; }
    MovesHistoryView& getHistoryView() { return m_historyView; }
    GameInfoView& getInfoView() { return m_infoView; }
    const EngineInterfaceAbstract* getEngine() const { return m_engine; }
    // True while a move has been asked of the engine and not yet played.
    bool isWaitingForEngine() const { return m_engineAsked; }
    // The side to move is played by the chosen engine, the game goes on at
    // the end of its line, and nothing has been asked yet.
    bool isEngineTurnDue() const;

protected:
    // Shared steps of the main window's keyOkReleased, navigateNormal and
    // navigateHistory. Views are redrawn through target (partial updates);
    // whole-view redraws go through updateAllViews.
    //
    // OK in board mode: selects a piece, or plays the move and runs
    // completeAction(false). True when the engine's turn should follow: after
    // a move that did not end the game, or when it is the engine's turn and
    // nothing has been asked (it stopped). The caller then starts
    // playEngineMove from the event loop.
    bool okOnBoard(RepaintTarget& target);
    // Moves the board cursor, if there is one.
    void moveBoardCursor(int dx, int dy, RepaintTarget& target);
    // Steps through the move list, turning its pages.
    void stepHistory(int dx, int dy, RepaintTarget& target);

    ConfigFileAbstract& m_config;

private:
    // The engine stops serving: destroyed at once, or kept aside until the
    // next engine operation when it is still delivering a line.
    void dropEngine(bool deferred);
    void releaseRetiredEngine();
    // Makes the continuation node current and clears its hidden flag; the
    // layout of the elements from the old current on is recomputed.
    void revealNode(PGNMove* node);
    bool isPieceOfSideToMove(const Position& position) const;
    void logInfo(const char* format, ...) const __attribute__((format(printf, 2, 3)));

    EngineInterfaceAbstract* m_engine = nullptr;
    // An engine dropped while it was handing over a line; deleted later.
    std::unique_ptr<EngineInterfaceAbstract> m_retiredEngine;
    // The position the engine was asked to answer; a reply for any other
    // position (the user moved on, another game) is ignored.
    bool m_engineAsked = false;
    int m_engineGameId = 0;
    Board m_engineBoard;
    bool m_inEngineReply = false;

    ChessDocument m_document;
    GameInfoView m_infoView;
    ChessBoardView m_boardView;
    MovesHistoryView m_historyView;
};
