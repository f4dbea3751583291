#include "base/storedrow.h"

#include "base/gamestable.h"
#include "base/sqlitestatement.h"
#include "core/exception.h"
#include "core/trans.h"
#include "game/game.h"

#include <climits>

StoredRow StoredRow::read(const SQLiteStatement& statement, int first)
{
    StoredRow row;
    row.parent = statement.columnInt64(first + GamesTable::ColParent);
    for (int i = 0; i < 6; ++i)
        row.texts[i] = statement.columnText(first + GamesTable::ColEvent + i);
    row.hasFen = !statement.isNull(first + GamesTable::ColFen);
    if (row.hasFen)
        row.fen = statement.columnText(first + GamesTable::ColFen);

    const int result = first + GamesTable::ColResult;
    const int64_t resultValue = statement.columnInt64(result);
    row.resultText = statement.isNull(result) ? "NULL" : statement.columnText(result);
    row.resultValid = (statement.isInteger(result) || statement.isNull(result)) &&
                      resultValue >= 0 && resultValue <= 3;
    row.result = row.resultValid ? static_cast<int>(resultValue) : 0;

    const int flags = first + GamesTable::ColFlags;
    const int64_t flagsValue = statement.columnInt64(flags);
    row.flagsText = statement.isNull(flags) ? "NULL" : statement.columnText(flags);
    row.flagsValid = (statement.isInteger(flags) || statement.isNull(flags)) && flagsValue >= 0 &&
                     flagsValue <= 0xffffffffLL;
    row.flags = row.flagsValid ? static_cast<unsigned>(flagsValue) : 0u;

    const int moveText = first + GamesTable::ColMoveText;
    row.moveTextNull = statement.isNull(moveText);
    row.moveTextBytes = statement.columnBytes(moveText);
    if (row.moveTextBytes <= kMaxMoveText)
        row.moveText = statement.columnText(moveText);
    return row;
}

std::string StoredRow::toGame(Game& game)
{
    game.parent = parent > 0 && parent <= INT_MAX ? static_cast<int>(parent) : 0;
    game.event = std::move(texts[0]);
    game.site = std::move(texts[1]);
    game.date = std::move(texts[2]);
    game.round = std::move(texts[3]);
    game.white = std::move(texts[4]);
    game.black = std::move(texts[5]);
    game.result = static_cast<GameResult>(result);
    // A stored game is stored: the not-stored bit means nothing in a row.
    game.flags = flags & ~Game::FlagNotStored;
    try {
        if (!resultValid)
            throw Exception(false, translated("Invalid result in the stored game: %s"),
                            resultText.c_str());
        if (!flagsValid)
            throw Exception(false, translated("Invalid flags in the stored game: %s"),
                            flagsText.c_str());
        if (moveTextNull)
            throw Exception(false, translated("The stored game has no move text"));
        if (moveTextBytes > kMaxMoveText)
            throw Exception(false, translated("The stored move text is too long"));
        game.moveText = std::move(moveText);
        if (hasFen) {
            game.startBoard.importFromFEN(fen);
            game.setUp = true;
        }
        game.open();
    } catch (const Exception& e) {
        game.invalidate(e.what());
        return e.what();
    }
    return std::string();
}
