#pragma once

#include "chess/color.h"
#include "chess/move.h"
#include "chess/piece.h"
#include "chess/position.h"

#include <cstdint>
#include <string>

// A chess position as a plain value: copied and compared freely. Squares are
// indexed y * 8 + x and hold piece codes (Piece::code: the type, plus 8 for
// Black; 0 = empty). A move is legal when MoveGenerator generates it.
class Board {
public:
    // Bits of flags.
    enum Flags {
        BlackShortCastle = 0x01,
        BlackLongCastle = 0x02,
        WhiteShortCastle = 0x04,
        WhiteLongCastle = 0x08,
        BlackToMove = 0x10,
        CastlingRights = 0x0F
    };

    // An empty board: flags 0, no en-passant square, move 1, clock 0.
    Board();

    // flags 0 and every square empty; en passant and counters stay.
    void clear();
    // The standard starting position.
    void create_classic_board();

    // First king of the colour, scanning files a..h and ranks 1..8 within
    // each file; (-1, -1) when there is none.
    Position getKingPosition(Color color) const;
    // Whether a piece of the colour attacks the square.
    bool isFieldUnderControl(const Position& position, Color color, bool ignoreCheck) const;
    // Whether the colour's king is attacked by the opponent.
    bool isCheck(Color color) const;
    // True when no piece of the colour has a legal move.
    bool isNoMoves(Color color) const;
    // Result bits (Piece::ValidationBits) including check, mate and stalemate.
    int validateMove(const Move& move, bool ignoreCheck) const;
    // The move's bits without the check, mate and stalemate search: MoveInvalid,
    // or its capture, castling and promotion bits (MoveGenerator::moveBits).
    // With ignoreCheck a move that leaves the own king attacked counts too.
    int moveBits(const Move& move, bool ignoreCheck = false) const;
    // Plays the move without a legality test (the null move passes).
    void doMove(const Move& move);
    // No pawn, rook or queen, and at most three pieces with the kings.
    bool isInsufficientMaterial() const;

    // The castling rights whose king and rook stand on their home squares.
    uint16_t standingCastlingRights() const;
    // Whether a pawn of the side to move can legally take en passant.
    bool canCaptureEnPassant() const;

    // Flags, en-passant square and squares; the counters are not compared.
    bool operator==(const Board& other) const;
    bool operator!=(const Board& other) const { return !(*this == other); }

    // Replaces the whole position; throws Exception, saying what is wrong,
    // on a malformed text or a position that cannot arise in a game.
    void importFromFEN(const std::string& fen);
    // Why the position cannot arise in a game (a king missing or doubled, a
    // pawn on rank 1 or 8, too many pawns or pieces, the side not to move in
    // check); empty when it can.
    std::string impossibility() const;
    std::string exportToFEN() const;

    // Conveniences.
    Color getColorToMove() const { return (flags & BlackToMove) ? Black : White; }
    // nullptr when empty or off the board.
    const Piece* getPiece(int x, int y) const
    {
        return (x >= 0 && x < 8 && y >= 0 && y < 8) ? Piece::of(squares[y * 8 + x]) : nullptr;
    }
    const Piece* getPiece(const Position& position) const
    {
        return getPiece(position.x, position.y);
    }
    Position getEnPassant() const { return Position(enPassantX, enPassantY); }
    // All legal moves of the colour (pieces visited file by file, ranks within);
    // a promotion counts four. The moves are appended when a list is given.
    int generateMoves(Color color, Moves* moves) const;

    uint16_t flags;
    uint8_t squares[64];
    int32_t enPassantX;
    int32_t enPassantY;
    uint16_t fullMoveNumber;
    uint16_t halfMoveClock;
};
