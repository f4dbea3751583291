#pragma once

#include <iosfwd>
#include <string>
#include <vector>

class ChessBase;

// Writes the games of an open game base as PGN in row order, each game with
// its tag pairs as Game::writePGN writes them and its stored move text as it
// is, and each contents entry as a heading pseudo-game (a "Header" tag whose
// first character is the entry's level) in front of the game it starts at.
// Importing the output gives the same rows in the games and contents tables.
class BaseExporter {
public:
    struct Report {
        int games = 0;
        int headings = 0;
        // "game N: MESSAGE" for rows that could not be written faithfully.
        std::vector<std::string> warnings;
    };

    static Report write(ChessBase& base, std::ostream& out);
};
