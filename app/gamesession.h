#pragma once

#include "chess/color.h"
#include "core/gameresult.h"
#include "game/timecontrol.h"

#include <string>

class Board;
class ChessController;
class PGNMove;
struct Move;

// The game being played: new games and reset, the moves of either side
// (validated, a promotion completed, a hidden puzzle move checked), taking
// moves back, turning the board and the end-of-game text.
class GameSession {
public:
    // The choices of the new-game dialog.
    struct NewGameChoice {
        int white = 0;
        int black = 0;
        bool fromCurrentPosition = false;
        bool addToBase = true;
        // The clock of each side; none when not enabled.
        GameTimeControl timeControl;
    };

    explicit GameSession(ChessController& controller);
    GameSession(const GameSession&) = delete;
    GameSession& operator=(const GameSession&) = delete;

    // The game being played ends with a resignation: against an engine the
    // player's, between two people that of the side to move.
    void resign();
    // The player offers a draw. An engine accepts by engine_accepts_draw; a
    // person at the device is asked.
    void offerDraw();
    // A draw by threefold repetition or the fifty-move rule, claimed by the
    // player where draws are not automatic (Settings::DrawAutomatic).
    void claimDraw();
    // A game against an engine or a person that has not ended: resigning and
    // offering a draw mean something.
    bool isGameInPlay() const;
    // An engine without a score to go by accepts a draw from move 30 on when
    // its material is at most one pawn ahead (pawn 1, knight and bishop 3,
    // rook 5, queen 9).
    static bool engine_accepts_draw(const Board& position, Color engine);

    // Piece type for a "promotion" index 0..3 (Queen, Rook, Bishop, Knight);
    // Queen outside the range.
    static int promotion_piece(int index);
    int getPromotion() const;
    void setPromotion(int index);

    // A game started in a read-only base may move to the default base first
    // (when the user agrees), where it is kept.
    void newGame(const Board& start, int white, int black, Color user, int parentRow,
                 const GameTimeControl& timeControl = GameTimeControl());
    // A new game as chosen in the dialog; two engines are refused with a message.
    void newGame(const NewGameChoice& choice);
    // The game back at its start; a puzzle is unsolved again.
    void resetGame();
    // The move of the side to move; false when it was refused. A promotion
    // without a piece takes the stored choice.
    bool playMove(Move& move);
    // Makes the continuation node current and clears its hidden flag; the
    // layout of the elements from the old current on is recomputed.
    void revealNode(PGNMove* node);
    // The end-of-game text to show, or "": "Checkmate: White wins", a draw
    // with its reason, or once after it happened "White resigns", "Draw by
    // agreement".
    std::string checkGameState();
    // Back to the position before the player's last move: against an engine
    // that move and the engine's reply after it, between two people the last
    // move. At the end of a line the moves are removed (with a variation left
    // empty); inside a line, or where a variation branches off, only the
    // position goes back. An answer the engine still owes is discarded.
    // Nothing in a puzzle.
    void takeBack();
    void turnBoard();

private:
    // Ends the game with result; text is shown once by checkGameState.
    void endGame(GameResult result, const char* text);

    ChessController& m_controller;
    std::string m_ending;
};
