#pragma once

#include "chess/board.h"

#include <iosfwd>
#include <string>
#include <unordered_map>

class Game;
class PGNMove;

// An opening's ECO code ("B90") and name ("Sicilian, Najdorf").
struct OpeningName {
    std::string eco;
    std::string name;
};

// The named positions of a PGN file of opening lines, each game one line
// with its "ECO", "Opening" and, when any, "Variation" and "SubVariation"
// tags (as pgn-extract's eco.pgn). A position is known by its placement, side
// to move and castling rights, so a line reached by another order of moves
// gets the same name.
class OpeningTable {
public:
    // Reads the lines of in; a malformed line is skipped. Returns the number
    // of named positions.
    size_t load(std::istream& in);
    // load from a file; false when it cannot be read.
    bool loadFile(const std::string& path);
    // The table file of a program folder: "openings/eco.pgn" there, else
    // pgn-extract's as installed; "" when neither can be read.
    static std::string locate(const std::string& folder);
    size_t size() const { return m_names.size(); }

    // The name of the position, or null.
    const OpeningName* find(const Board& position) const;
    // The name of the last named position on the way to node: its own, else
    // its parent's, and so on back to the start; null when none is named.
    const OpeningName* find(const PGNMove* node) const;
    // The opening of a game's main line (a closed game opened on a copy);
    // null for a game that cannot be read or has no named position.
    const OpeningName* find(const Game& game) const;
    // Sets the tags "ECO" and "Opening" of a game that has neither; true
    // when it did.
    bool tag(Game& game) const;

private:
    static std::string key(const Board& position);

    std::unordered_map<std::string, OpeningName> m_names;
};
