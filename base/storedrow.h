#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class Game;
class SQLiteStatement;

// The columns of one games row (GamesTable::Column), copied out of a statement, with the
// checks every reader of a row applies before the row becomes a game.
struct StoredRow {
    // Longest move text a game is stored or opened with.
    static constexpr size_t kMaxMoveText = 16u << 20;

    int64_t parent = 0;
    // Event, Site, Date, Round, White, Black.
    std::string texts[6];
    bool hasFen = false;
    std::string fen;
    bool resultValid = true;
    int result = 0;
    bool flagsValid = true;
    unsigned flags = 0;
    // Result and Flags as stored, for messages.
    std::string resultText;
    std::string flagsText;
    bool moveTextNull = false;
    size_t moveTextBytes = 0;
    // Empty when the stored text is over kMaxMoveText.
    std::string moveText;

    // Reads the columns of GamesTable::Column, the first at column first.
    static StoredRow read(const SQLiteStatement& statement, int first);

    // Fills game (already reset) from the row and opens its tree; a row that
    // cannot be opened leaves the game invalid with the reason. Returns the
    // reason, empty for a good game.
    std::string toGame(Game& game);
};
