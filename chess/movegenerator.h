#pragma once

#include "chess/board.h"

#include <cstdint>

// The rules of the pieces: the legal moves of a position, found on a scratch
// copy of the squares with precomputed step and ray tables. A move that
// cannot uncover the own king is not played to test it, and in check only
// moves that take or block the one checker are tried; attacks are found by
// looking outward from the attacked square.
//
// Order: pieces file by file (a..h), ranks within; per piece pawn step,
// double step, captures right then left; knight and king offsets; rays
// outward one at a time; castling short then long. A promotion gives four
// moves: queen, rook, knight, bishop.
class MoveGenerator {
public:
    // ownKingTest false: moves that leave the own king attacked count too.
    explicit MoveGenerator(const Board& board, bool ownKingTest = true);
    MoveGenerator(const MoveGenerator&) = delete;
    MoveGenerator& operator=(const MoveGenerator&) = delete;

    // The board it was made for; reset() after that board changed.
    const Board& board() const { return m_board; }
    void reset();
    // Whether the first king of the colour is attacked (found once).
    bool inCheck(Color color);

    // The legal moves of every piece of the colour. With stopAtFirst the
    // count stops at the first piece that has any.
    int generateAll(Color color, Moves* moves, bool stopAtFirst);
    // The legal moves of the piece on the square (0..63); with to >= 0 only
    // those to that square.
    int generateFrom(int from, Moves* moves, int to = -1);
    // MoveInvalid when the move is not one of the generated ones (the
    // promotion piece aside), or when it promotes to anything but a knight,
    // bishop, rook or queen (0 leaves the choice open); otherwise its
    // MoveCapture, MoveShortCastle, MoveLongCastle and MovePromotion bits.
    int moveBits(const Move& move);
    // The squares (at most 16, written to from) among `allowed` (a bit per
    // square) of the pieces with that code that have a legal move to the
    // square `to`, found by looking outward from `to`; their number. Any order.
    int sourcesOf(uint8_t piece, int to, uint64_t allowed, int* from);

    // Whether a piece of `by` attacks the square. Castling is no attack; a
    // square holding a piece of `by` is attacked only by its pawns.
    static bool isAttacked(const uint8_t squares[64], int square, Color by);
    // First king of the colour in file-major order, -1 when there is none.
    static int findKing(const uint8_t squares[64], Color color);

private:
    int generatePawn(int from, Moves* moves);
    int generateKing(int from, Moves* moves);
    int generateSteps(int from, const uint8_t* targets, int count, Moves* moves);
    int generateRays(int from, int firstRay, int lastRay, Moves* moves);
    // Counts (and lists) the move when it is wanted and legal.
    int offer(int from, int to, bool promotes, Moves* moves, int epVictim = -1, int rookFrom = -1,
              int rookTo = -1);
    // Whether the own king stays unattacked after the move; epVictim is the
    // square of a pawn taken en passant, rookFrom/rookTo the castling rook.
    bool isLegal(int from, int to, int epVictim, int rookFrom, int rookTo);
    // Whether taking the piece off `from` and putting one on `to` opens a
    // line from the king to an enemy slider.
    bool opensLine(Color mover, int king, int from, int to) const;
    void findKings(Color color);
    void findCheckers(Color color);

    const Board& m_board;
    // The occupied squares of m_squares as it is between moves tried.
    uint64_t occupied() const;
    // The nearest occupied square along ray d from the square; -1 when none.
    int firstOnRay(int square, int d) const;

    int findSources(uint8_t piece, int to, int* from);

    uint8_t m_squares[64];
    uint64_t m_occupied;
    // The last sourcesOf answer over every square: reading a move and
    // writing its SAN ask the same question.
    uint8_t m_sourcesPiece = 0;
    int m_sourcesTo = -1;
    int m_sourcesCount = 0;
    int m_sources[16];
    bool m_ownKingTest;
    int m_onlyTo = -1;
    int m_king[2] = {-2, -2};        // -2 not searched yet
    int m_kings[2] = {0, 0};         // number of kings of each colour
    int m_checks[2] = {-1, -1};      // checkers of the king, -1 not searched yet
    uint64_t m_evasions[2] = {0, 0}; // squares that take or block the checker
};
