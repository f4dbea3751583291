#pragma once

#include "chess/board.h"
#include "chess/move.h"

#include <cstdint>

// A position in 40 bytes: four bits per square (piece type, plus 8 for Black),
// the Board flags, the en-passant square and both move counters. Move nodes
// keep their position this way, so a long game stays small in memory.
class PackedBoard {
public:
    // The empty board of Board().
    PackedBoard();
    explicit PackedBoard(const Board& board) { pack(board); }

    void pack(const Board& board);
    // Packs the position after a move, given that this holds the position
    // before it: a move changes squares of its from- and to-ranks only.
    void update(const Board& after, const Move& move);
    void unpack(Board* board) const;
    Board unpack() const
    {
        Board board;
        unpack(&board);
        return board;
    }

    // Board::operator==: placement, flags and en-passant square; the counters
    // are not compared.
    bool samePosition(const PackedBoard& other) const;
    // The same position for the repetition rule: samePosition, where an
    // en-passant square that no legal capture can use does not count.
    bool repeats(const PackedBoard& other) const;

    uint16_t flags() const { return m_flags; }
    Color getColorToMove() const { return (m_flags & Board::BlackToMove) ? Black : White; }
    uint16_t fullMoveNumber() const { return m_fullMoveNumber; }
    uint16_t halfMoveClock() const { return m_halfMoveClock; }

private:
    // Everything but the squares: flags, en-passant square, counters.
    void packState(const Board& board);

    uint8_t m_squares[32];
    uint16_t m_flags;
    int8_t m_enPassantX;
    int8_t m_enPassantY;
    uint16_t m_fullMoveNumber;
    uint16_t m_halfMoveClock;
};
