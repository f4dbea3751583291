#pragma once

#include "chess/board.h"

// Legal move generation that gives exactly the moves, order and counts of the
// pieces' rules, only faster: the candidates are played and taken back on one
// scratch copy of the squares instead of on a copy of the whole board, a move
// that cannot uncover the own king skips the test, and attacks are found by
// looking outward from the attacked square.
class MoveGenerator {
public:
    explicit MoveGenerator(const Board& board);

    // The legal moves of `piece` standing on (x, y), as Piece::generateMoves
    // defines them (a king also offers castling from its e-square).
    int generatePiece(const Piece* piece, int x, int y, Moves* moves);
    // The legal moves of every piece of the colour, files a..h, ranks within.
    // With stopAtFirst the count stops at the first piece that has any.
    int generateAll(Color color, Moves* moves, bool stopAtFirst);

    // Whether a piece of `by` attacks the square, by the rules of
    // Board::isFieldUnderControl with ignoreCheck (castling is no attack, a
    // piece never attacks a square holding one of its own side except a pawn).
    static bool isAttacked(const Piece* const squares[64], int square, Color by);
    // First king of the colour in file-major order, -1 when there is none.
    static int findKing(const Piece* const squares[64], Color color);

private:
    int generatePawn(const Piece* pawn, int x, int y, Moves* moves);
    int generateKing(const Piece* king, int x, int y, bool here, Moves* moves);
    int generateSteps(const Piece* piece, int x, int y, const int (*offsets)[2], int count,
                      Moves* moves);
    int generateRays(const Piece* piece, int x, int y, const int (*directions)[2], int count,
                     Moves* moves);
    // Whether the own king stays unattacked after the move; epVictim is the
    // square of a pawn taken en passant, rookFrom/rookTo the castling rook.
    bool isLegal(Color mover, int from, int to, int epVictim = -1, int rookFrom = -1,
                 int rookTo = -1);
    int kingSquare(Color color);
    bool inCheck(Color color);
    static int emit(int fromX, int fromY, int toX, int toY, bool promotion, Moves* moves);

    const Board& m_board;
    const Piece* m_squares[64];
    int m_king[2];
    int m_check[2]; // -1 not known yet, else 0 / 1
};
