#pragma once

#include "chess/board.h"
#include "chess/move.h"
#include "chess/movegenerator.h"
#include "core/gameresult.h"
#include "game/packedboard.h"
#include "game/pgnelement.h"

#include <string>

// The legal move of the side to move that the SAN denotes: move_from_san,
// and for castling, which that function returns untested, a legality test.
// Throws Exception "Error parsing SAN: ..." otherwise. after, when given,
// receives the position after the move.
Move read_san_move(const Board& board, const std::string& san, Board* after = nullptr);
// The same with a generator made for the board (its findings are reused).
Move read_san_move(MoveGenerator& generator, const std::string& san, Board* after);

// A move of the move list. Besides its place in the list, a move points to the
// move it is played after (parent), so the list also forms the tree of
// positions. The root of every list is a PGNMove without parent and without a
// move; its boardAfter() is the start position.
//
// A node keeps only the position after its move (packed); the position
// before it is its parent's position after. Both are returned as Board values.
// text, result and drawReason are computed once when the node is created.
class PGNMove : public PGNElement {
public:
    // A node with the null move, an empty board, no text and no result.
    PGNMove(PGNMove* parentMove, unsigned elementDepth);

    // "%d." with the full-move number for a White move, then the SAN; "" for
    // the root.
    std::string getText() const override { return text; }
    int getType() const override { return TypeMove; }

    // Position before the move: the parent's position after; the empty board
    // for the root.
    Board boardBefore() const;
    // Position after the move; for the root, the start position.
    Board boardAfter() const { return m_after.unpack(); }
    const PackedBoard& packedBoardAfter() const { return m_after; }
    // What an engine is asked about this position: the position before and
    // the move, or the position alone at the root and after a null move
    // ("--"), which engines cannot read.
    void engineRequest(Board* position, Move* last) const;
    void setBoardAfter(const Board& board) { m_after.pack(board); }
    Color colorToMove() const { return m_after.getColorToMove(); }

    // The child node for a legal move played from boardAfter(); the caller
    // links it into the list.
    PGNMove* addMove(unsigned childDepth, const Move& childMove);
    // Reads the SAN against boardAfter() (its Exception passes through).
    PGNMove* addMove(unsigned childDepth, const std::string& san);
    // The same as addMove(depth, move) with boardAfter() already unpacked;
    // after, when given, receives the child's position.
    PGNMove* addMove(const Board& before, unsigned childDepth, const Move& childMove,
                     Board* after = nullptr);

    // addMove for a move known to be legal in before (as read_san_move
    // returns it) with the position after it already played: the same node,
    // with the work of move_to_san and of the game state done once.
    // With deferMate the move search for mate and stalemate is left for
    // later: the node is written as if the side to move had a move, until
    // resolveMoves() tells otherwise (a legal child move proves it has one).
    // before and after are generators made for the two positions.
    PGNMove* addLegalMove(MoveGenerator& before, unsigned childDepth, const Move& childMove,
                          MoveGenerator& after, bool deferMate = false);
    // Settles a deferred search: hasMove tells that a legal move was played
    // from this node; otherwise the position is searched.
    void resolveMoves(bool hasMove);

    // result and drawReason from the position and the ancestors: mate,
    // stalemate, fifty-move rule, threefold repetition, insufficient material.
    void updateGameState();
    void updateGameState(const Board& after);

    // The continuation of this move in its own line, or null.
    PGNMove* findNextMove() const;
    // The element after which a continuation of this line or a new variation
    // to this move is linked: behind the move's comments, NAGs and variations.
    PGNElement* findInsertionPoint() const;
    // The nearest alternative to this move (a move with the same parent)
    // forward or backward in the list, or null.
    PGNMove* findVariant(bool forward) const;

    PGNMove* parent;
    std::string text;
    Move move;
    GameResult result = ResultInProgress;
    DrawReason drawReason = DrawNone;

private:
    // Mate or stalemate from the suffix of the SAN when it tells, else from the
    // position.
    void updateGameState(const Board& after, bool sanKnown);
    // The game state when check and the lack of moves are known.
    void setGameState(const Board& after, bool check, bool noMoves);

    PackedBoard m_after;
    bool m_movesPending = false;
};
