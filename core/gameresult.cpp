#include "core/gameresult.h"

#include "core/trans.h"

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

const char* draw_reason_to_message(int reason)
{
    static const char* const reasons[] = {"", N_("Stalemate"), N_("Insufficient material"),
                                          N_("Threefold repetition"), N_("Fifty-move rule")};
    if (reason < DrawNone || reason > DrawFiftyMoveRule)
        return "";
    return reasons[reason];
}
