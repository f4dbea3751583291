#include "app/gamesession.h"

#include "app/chesscontroller.h"
#include "core/exception.h"
#include "core/log.h"
#include "core/trans.h"
#include "engine/enginefactory.h"
#include "game/game.h"
#include "game/pgnmove.h"

namespace {
// Piece types of the "promotion" setting: Queen, Rook, Bishop, Knight.
const int kPromotionPieces[] = {Piece::TypeQueen, Piece::TypeRook, Piece::TypeBishop,
                                Piece::TypeKnight};

const char* side_name(Color color)
{
    return color == White ? "White" : "Black";
}

// Material in pawns, by the usual values.
int material(const Board& board, Color color)
{
    static const int kValue[] = {0, 1, 3, 3, 5, 9, 0};
    int sum = 0;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const Piece* piece = board.getPiece(x, y);
            if (piece && piece->getColor() == color)
                sum += kValue[piece->getType()];
        }
    return sum;
}
} // namespace

GameSession::GameSession(ChessController& controller) : m_controller(controller) {}

int GameSession::promotion_piece(int index)
{
    if (index < 0 || index > 3)
        return Piece::TypeQueen;
    return kPromotionPieces[index];
}

int GameSession::getPromotion() const
{
    return m_controller.settings().value(Settings::Promotion);
}

void GameSession::setPromotion(int index)
{
    m_controller.settings().setValue(Settings::Promotion, index);
    log_info("Set Promotion: %d", index);
}

void GameSession::newGame(const Board& start, int white, int black, Color user, int parentRow,
                          const GameTimeControl& timeControl)
{
    ChessDocument& document = m_controller.document();
    Settings& settings = m_controller.settings();
    BaseBrowser& bases = m_controller.bases();
    // A game played is kept in the player's own base, never in a base of
    // reference games or puzzles; when that base cannot be opened the game is
    // played where it is but not stored.
    bool keep = true;
    if (!bases.isPlayerBaseOpen()) {
        const std::string open = document.database.path();
        bases.closeBase();
        keep = bases.openBaseOrRestore(settings.myBase(), open);
        parentRow = 0;
    }
    document.newGame(start, white, black, user, parentRow);
    Game& game = document.game();
    m_ending.clear();
    if (!keep || document.database.isReadOnly())
        game.flags |= Game::FlagNotStored;
    const std::string myName = settings.myName();
    game.white = (user == White && white == 0) ? myName : EngineTurn::playerName(white);
    game.black = (user == Black && black == 0) ? myName : EngineTurn::playerName(black);
    if (timeControl.enabled())
        set_game_time_control(game, timeControl);
    m_controller.engine().stopEngine();
    log_info("New game is started. White: %d (%s), Black %d (%s)", white, game.white.c_str(), black,
             game.black.c_str());
    // The game is shown first; an engine that plays the first move answers
    // later through the event loop.
    m_controller.onSelectGame();
    const Color toMove = start.getColorToMove();
    if ((toMove == White ? white : black) != 0)
        m_controller.engine().playEngineMove();
}

void GameSession::newGame(const NewGameChoice& choice)
{
    if (choice.white != 0 && choice.black != 0) {
        m_controller.platform().message(
            Platform::MessageInformation, translated("New Game"),
            translated("Two engines cannot play here: choose a human for one side."), 0);
        return;
    }
    const Game& current = m_controller.document().game();
    Board start;
    if (choice.fromCurrentPosition && current.current)
        start = current.current->boardAfter();
    else
        start.create_classic_board();
    const int parentRow = current.id >= 1 ? current.id : current.parent;

    m_controller.engine().setOpponent(choice.white != 0 ? choice.white : choice.black);
    newGame(start, choice.white, choice.black, choice.white != 0 ? Black : White, parentRow,
            choice.timeControl);
    if (!choice.addToBase)
        m_controller.document().game().flags |= Game::FlagNotStored;
}

void GameSession::resetGame()
{
    Game& game = m_controller.document().game();
    if (game.flags & Game::FlagPuzzle)
        m_controller.puzzles().setPuzzleFlags(0, Game::FlagSolved);
    game.close(false);
    game.open();
    m_controller.onSelectGame();
}

bool GameSession::playMove(Move& move)
{
    ChessDocument& document = m_controller.document();
    Game& game = document.game();
    PGNMove* current = game.current;
    if (!current || !game.errorText.empty())
        return false;
    const Board before = current->boardAfter();
    const Color toMove = before.getColorToMove();
    const Piece* piece = before.getPiece(move.fromX, move.fromY);
    if (!piece || piece->getColor() != toMove)
        return false;
    const int bits = before.validateMove(move, false);
    if (bits & Piece::MoveInvalid)
        return false;
    if (bits & Piece::MovePromotion) {
        if (move.promotion == 0) {
            const bool ask = m_controller.settings().flag(Settings::PromotionAsk);
            const int index = ask ? m_controller.platform().askPromotion() : getPromotion();
            if (index < 0)
                return false;
            move.promotion = promotion_piece(index);
        }
        if (move.promotion < Piece::TypeKnight || move.promotion > Piece::TypeQueen)
            return false;
    } else {
        move.promotion = 0;
    }

    PGNMove* next = current->findNextMove();
    if (next && next->hidden) {
        if (next->move == move) {
            revealNode(next);
        } else if (!m_controller.puzzles().playOtherSolution(next, move)) {
            // Still unsolved, and among the puzzles to retry.
            if (document.isPuzzle())
                m_controller.puzzles().missed();
            m_controller.platform().message(Platform::MessageInformation, translated("Puzzle"),
                                            translated("Incorrect move!"), 60000);
            return false;
        }
    } else {
        game.addMove(move);
    }

    if (g_pLog)
        g_pLog->write(2, Log::Info, "%s: fen=[%s], move=[%s]", side_name(toMove),
                      before.exportToFEN().c_str(), move.getAsString().c_str());
    // A hint lasts until the next move.
    m_controller.hints().clearHint();
    // The promotion choice is Queen again after every move; the setting is
    // only written when it was something else.
    if (getPromotion() != 0)
        setPromotion(0);
    m_controller.bases().keepGame();
    return true;
}

void GameSession::revealNode(PGNMove* node)
{
    Game& game = m_controller.document().game();
    PGNElement::reset_layout_cache(game.current);
    game.current = node;
    node->hidden = false;
}

std::string GameSession::checkGameState()
{
    Game& game = m_controller.document().game();
    if (!game.errorText.empty()) {
        if (g_pLog)
            g_pLog->write(2, Log::Error, "%s", game.errorText.c_str());
        m_controller.platform().message(Platform::MessageError, translated("Error"),
                                        game.errorText.c_str(), 10000);
        return "";
    }
    if (game.flags & Game::FlagPuzzle) {
        m_controller.puzzles().checkSolved();
        return "";
    }
    const PGNMove* current = game.current;
    if (!current)
        return "";
    if (!m_ending.empty()) {
        std::string text;
        text.swap(m_ending);
        return text;
    }
    const GameResult result = current->result;
    if (!m_controller.document().isOver())
        return "";
    std::string text = translated(result == ResultWhiteWins   ? "Checkmate: White wins"
                                  : result == ResultBlackWins ? "Checkmate: Black wins"
                                                              : game_result_to_message(result));
    if (result == ResultDraw) {
        text += " (";
        text += translated(draw_reason_to_message(current->drawReason));
        text += ")";
    }
    if (current->depth == 0)
        game.result = result;
    return text;
}

void GameSession::takeBack()
{
    ChessDocument& document = m_controller.document();
    Game& game = document.game();
    PGNMove* current = game.current;
    if (!current || !current->parent || !game.errorText.empty() || document.isPuzzle())
        return;
    // Against an engine back to the player's last move, between two people
    // one move.
    PGNMove* from = current;
    const bool whiteEngine = EngineTurn::isEngineSlot(game.whitePlayer);
    if (whiteEngine != EngineTurn::isEngineSlot(game.blackPlayer)) {
        const Color player = whiteEngine ? Black : White;
        while (from->parent && from->parent->colorToMove() != player)
            from = from->parent;
        if (!from->parent)
            return;
    }
    // Its answer would be for a position that is gone.
    if (m_controller.engine().isWaitingForEngine())
        m_controller.engine().stopEngine();
    const std::string first = from->text;
    const bool mainLine = from->depth == 0;
    PGNMove* const back = from->parent;
    const bool removed = !current->findNextMove() && game.removeLineFrom(from);
    game.current = back;
    // A main line that ended (mate, resignation) goes on again.
    if (removed && mainLine)
        game.result = ResultInProgress;
    log_info("Take back from %s, moves %s", first.c_str(), removed ? "removed" : "kept");
    document.selection = Position();
    m_controller.completeAction(false);
    m_controller.bases().keepGame();
}

bool GameSession::isGameInPlay() const
{
    const ChessDocument& document = m_controller.document();
    const Game& game = document.game();
    const PGNMove* current = game.current;
    if (!current || !game.errorText.empty() || (game.flags & Game::FlagPuzzle) ||
        game.result != ResultInProgress)
        return false;
    // A position further on in the record, or one that ended the game, is
    // no game in play.
    return !current->findNextMove() && !document.isOver();
}

void GameSession::claimDraw()
{
    if (!isGameInPlay() || !m_controller.document().isClaimableDraw())
        return;
    endGame(ResultDraw, m_controller.document().game().current->drawReason == DrawFiftyMoveRule
                            ? N_("Draw by the fifty-move rule")
                            : N_("Draw by threefold repetition"));
}

void GameSession::endGame(GameResult result, const char* text)
{
    Game& game = m_controller.document().game();
    m_controller.engine().stopEngine();
    game.result = result;
    m_ending = translated(text);
    log_info("Game over: %s", text);
    m_controller.completeAction(false);
    m_controller.bases().keepGame();
}

void GameSession::resign()
{
    if (!isGameInPlay())
        return;
    const Game& game = m_controller.document().game();
    Color side = game.current->colorToMove();
    const bool whiteEngine = EngineTurn::isEngineSlot(game.whitePlayer);
    if (whiteEngine != EngineTurn::isEngineSlot(game.blackPlayer))
        side = whiteEngine ? Black : White;
    endGame(side == White ? ResultBlackWins : ResultWhiteWins,
            side == White ? N_("White resigns") : N_("Black resigns"));
}

void GameSession::offerDraw()
{
    if (!isGameInPlay())
        return;
    const Game& game = m_controller.document().game();
    const Board position = game.current->boardAfter();
    const bool whiteEngine = EngineTurn::isEngineSlot(game.whitePlayer);
    const bool blackEngine = EngineTurn::isEngineSlot(game.blackPlayer);
    bool accepted = false;
    if (whiteEngine != blackEngine) {
        accepted = engine_accepts_draw(position, whiteEngine ? White : Black);
        if (!accepted)
            m_controller.platform().message(Platform::MessageInformation, translated("Offer Draw"),
                                            translated("The engine declines the draw."), 10000);
    } else {
        const Color offering = position.getColorToMove();
        accepted = m_controller.platform().askYesNo(
            translated("Offer Draw"),
            translated(offering == White ? "White offers a draw. Accept?"
                                         : "Black offers a draw. Accept?"));
    }
    if (accepted)
        endGame(ResultDraw, N_("Draw by agreement"));
}

bool GameSession::engine_accepts_draw(const Board& position, Color engine)
{
    if (position.fullMoveNumber < 30)
        return false;
    const Color other = engine == White ? Black : White;
    return material(position, engine) - material(position, other) <= 1;
}

void GameSession::turnBoard()
{
    ChessDocument& document = m_controller.document();
    Game& game = document.game();
    if (game.flags & Game::FlagPuzzle)
        return;
    game.flags ^= Game::FlagViewAsBlack;
    document.selection = Position();
    m_controller.updateAllViews(nullptr, true);
}
