#include "core/gameresult.h"

const char* game_result_to_message(GameResult result)
{
    switch (result) {
    case ResultWhiteWins:
        return "White wins";
    case ResultBlackWins:
        return "Black wins";
    case ResultDraw:
        return "Draw";
    case ResultInProgress:
    default:
        return "In progress";
    }
}
