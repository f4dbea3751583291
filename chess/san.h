#pragma once

#include "chess/board.h"
#include "chess/color.h"
#include "chess/move.h"
#include "chess/movegenerator.h"
#include "chess/piece.h"

#include <string>

// Standard Algebraic Notation. Promotions are written with "/" ("e8/Q").

// The SAN of the move in the position; "" when the move is not legal there.
std::string move_to_san(const Board& board, const Move& move);

// Writes the SAN of a legal move other than the null move, without its check
// or mate mark, to out (8 characters at most) and returns the end. bits are
// the move's Board::moveBits; MoveCapture, MoveShortCastle, MoveLongCastle
// and MovePromotion are the ones read.
char* write_san(char* out, const Board& board, const Move& move, int bits);
// The same with a generator made for the board (its findings are reused).
char* write_san(char* out, MoveGenerator& generator, const Move& move, int bits);

// The one SAN reader, for typed moves and PGN alike: the unique legal move of
// the colour that the text denotes; throws Exception "Error parsing SAN: ..."
// otherwise. Annotation characters "/=+#x!?" are ignored; "O-O", "0-0", long
// forms "e2e4" and short pawn captures "ed5", "ed" are accepted. Castling is
// returned when the king, the rook, the right and the free squares are there;
// whether the king crosses an attacked square is the caller's test.
Move move_from_san(const Board& board, Color color, const std::string& san);
// The same with a generator made for the board (its findings are reused).
Move move_from_san(MoveGenerator& generator, Color color, const std::string& san);
