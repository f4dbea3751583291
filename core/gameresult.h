#pragma once

// The state a position leaves the game in, and why a drawn game is drawn.
enum GameResult { ResultInProgress = 0, ResultWhiteWins = 1, ResultBlackWins = 2, ResultDraw = 3 };

enum DrawReason {
    DrawNone = 0,
    DrawStalemate = 1,
    DrawInsufficientMaterial = 2,
    DrawThreefoldRepetition = 3,
    DrawFiftyMoveRule = 4
};

// "In progress", "White wins", "Black wins" or "Draw".
const char* game_result_to_message(GameResult result);
// "", "Stalemate", "Insufficient material", "Threefold repetition" or
// "Fifty-move rule", untranslated; "" outside the range.
const char* draw_reason_to_message(int reason);
