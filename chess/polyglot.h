#pragma once

#include "chess/board.h"
#include "chess/move.h"

#include <cstdint>
#include <string>
#include <vector>

// An opening book in the Polyglot format: 16-byte big-endian records (key,
// move, weight, learn) sorted by the position's key. The file is searched in
// place, never read whole.
class PolyglotBook {
public:
    struct Entry {
        Move move;
        uint16_t weight = 0;
    };

    // The position's key: pieces, castling rights, an en-passant file when a
    // pawn of the side to move stands beside the pawn that passed, the side.
    static uint64_t key(const Board& board);

    // False with a message when the file is missing, unreadable or no book.
    bool open(const std::string& path, std::string* error);
    bool isOpen() const { return !m_path.empty(); }
    const std::string& path() const { return m_path; }
    uint64_t size() const { return m_count; }

    // The book's legal moves for the position, in the file's order.
    std::vector<Entry> entries(const Board& board) const;
    // A move chosen by weight: `random` in [0, 1) picks along the summed
    // weights. The null move when the book has none for the position.
    Move pick(const Board& board, double random) const;

    static const uint64_t kRandom[781];

private:
    std::string m_path;
    uint64_t m_count = 0;
};
