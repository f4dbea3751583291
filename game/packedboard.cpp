#include "game/packedboard.h"

#include <cstring>

namespace {

// Byte i of the packed squares: square 2i in the low four bits, 2i + 1 in the
// high ones, each as its Board square code (type, plus 8 for Black).
uint8_t pair_code(const Board& board, int i)
{
    return static_cast<uint8_t>(board.squares[2 * i] | (board.squares[2 * i + 1] << 4));
}

} // namespace

PackedBoard::PackedBoard()
    : m_squares(), m_flags(0), m_enPassantX(-1), m_enPassantY(-1), m_fullMoveNumber(1),
      m_halfMoveClock(0)
{
}

void PackedBoard::pack(const Board& board)
{
    for (int i = 0; i < 32; ++i)
        m_squares[i] = pair_code(board, i);
    packState(board);
}

void PackedBoard::update(const Board& after, const Move& move)
{
    if (!move.isNull()) {
        for (const int rank : {move.fromY, move.toY}) {
            if (rank < 0 || rank > 7)
                continue;
            for (int i = rank * 4; i < rank * 4 + 4; ++i)
                m_squares[i] = pair_code(after, i);
        }
    }
    packState(after);
}

void PackedBoard::packState(const Board& board)
{
    m_flags = board.flags;
    m_enPassantX = static_cast<int8_t>(board.enPassantX);
    m_enPassantY = static_cast<int8_t>(board.enPassantY);
    m_fullMoveNumber = board.fullMoveNumber;
    m_halfMoveClock = board.halfMoveClock;
}

void PackedBoard::unpack(Board* board) const
{
    for (int i = 0; i < 32; ++i) {
        board->squares[2 * i] = m_squares[i] & 15;
        board->squares[2 * i + 1] = static_cast<uint8_t>(m_squares[i] >> 4);
    }
    board->flags = m_flags;
    board->enPassantX = m_enPassantX;
    board->enPassantY = m_enPassantY;
    board->fullMoveNumber = m_fullMoveNumber;
    board->halfMoveClock = m_halfMoveClock;
}

bool PackedBoard::samePosition(const PackedBoard& other) const
{
    return m_flags == other.m_flags && m_enPassantX == other.m_enPassantX &&
           m_enPassantY == other.m_enPassantY &&
           memcmp(m_squares, other.m_squares, sizeof m_squares) == 0;
}

bool PackedBoard::repeats(const PackedBoard& other) const
{
    if (m_flags != other.m_flags || memcmp(m_squares, other.m_squares, sizeof m_squares) != 0)
        return false;
    if (m_enPassantX == other.m_enPassantX && m_enPassantY == other.m_enPassantY)
        return true;
    // Differing squares: rare, so the positions are unpacked only here.
    return !unpack().canCaptureEnPassant() && !other.unpack().canCaptureEnPassant();
}
