#pragma once

#include "chess/color.h"
#include "chess/piece.h"

// Process-wide holder of the twelve shared pieces, indexed by [type][colour].
// Created on first use of get_pieces_set(), destroyed by release_pieces_set()
// at program end; boards must not be used after that.
class PiecesSet {
public:
    static PiecesSet* get_pieces_set();
    static void release_pieces_set();

    // The shared piece of that kind and colour; nullptr for TypeNone or a
    // value out of range.
    const Piece* getPiece(Piece::Type type, Color color) const;

private:
    PiecesSet();
    ~PiecesSet();
    PiecesSet(const PiecesSet&) = delete;
    PiecesSet& operator=(const PiecesSet&) = delete;

    const Piece* m_pieces[7][2];
};
