#pragma once

#include "app/keyhold.h"

#include <utility>

class ChessController;
struct Position;

// Keys and touches to commands: the cursor keys on the board or in the move
// list, OK (a short press, or one held to open the menu), the stylus on the
// board, the move list (taps and swipes) and the header.
class InputRouter {
public:
    explicit InputRouter(ChessController& controller);
    InputRouter(const InputRouter&) = delete;
    InputRouter& operator=(const InputRouter&) = delete;

    // The move-list step of a pointer movement: one of (+-1, 0), (0, +-1),
    // or (0, 0) for a tap or an unclear diagonal.
    static std::pair<int, int> swipe_step(int dx, int dy);

    void keyLeft();
    void keyRight();
    // On the board up and down move the cursor; at a solved puzzle or an
    // ended game they go to the previous and next game.
    void keyUp();
    void keyDown();
    // OK: on the board as keyOkReleased (or the next move of a shown
    // solution), elsewhere back to the board.
    void keyOk();
    // The OK key by press and release: a short press acts as keyOk on its
    // release, one held for KeyHold::kHoldMs opens the menu and does nothing
    // else until its real release (KeyHold). Each returns what to do with the
    // window's OK timer (a delay in ms, KeyHold::kStopTimer or kLeaveTimer),
    // whose expiry calls okKeyTimer.
    int okKeyDown(bool autoRepeat);
    int okKeyUp(bool autoRepeat);
    int okKeyTimer();
    bool isOkKeyHeld() const { return m_okKey.isHeld(); }
    // Back: puts a picked-up piece down; in the move list, back to the board.
    void keyBack();
    // OK in board mode: selects a piece, or plays the move and completes the
    // action; the engine's turn follows through startEngineTurn.
    void keyOkReleased();
    // Moves the board cursor, if there is one.
    void navigateNormal(int dx, int dy);
    // Steps through the move list, turning its pages.
    void navigateHistory(int dx, int dy);
    // Whether a step right may go to the next move now (else the page turns).
    bool canSelectNextMove() const;
    void onPointerDown(int x, int y);
    void onPointerUp(int x, int y);

private:
    // OK on the board: true when the engine's turn should follow (after a
    // move that did not end the game, or when it is the engine's turn and
    // nothing has been asked, as after it stopped).
    bool okOnBoard();
    bool isPieceOfSideToMove(const Position& position) const;

    ChessController& m_controller;
    KeyHold m_okKey;
    // Where the stylus last went down in the move list; (-1, -1) = none.
    int m_pressedX = -1;
    int m_pressedY = -1;
};
