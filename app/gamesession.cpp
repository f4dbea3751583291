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

const char* const kOfferDefaultBase =
    N_("This game base is read-only. Play the new game in the default base, where it is saved?");

const char* side_name(Color color)
{
    return color == White ? "White" : "Black";
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

void GameSession::newGame(const Board& start, int white, int black, Color user, int parentRow)
{
    ChessDocument& document = m_controller.document();
    Platform& platform = m_controller.platform();
    Settings& settings = m_controller.settings();
    BaseBrowser& bases = m_controller.bases();
    // A game started in a read-only base would be lost when left.
    const ChessBase& base = document.database;
    const std::string fallback = bases.defaultBaseFile();
    if (base.isReadOnly() && base.path() != fallback &&
        platform.askYesNo(translated("New Game"), translated(kOfferDefaultBase))) {
        const std::string readOnly = base.path();
        bases.closeBase();
        try {
            bases.loadBase(fallback.c_str());
            settings.setLastOpened(fallback);
            // The empty game an empty base starts with gives way to this one.
            if (document.game().id == 0)
                document.game().flags |= Game::FlagNotStored;
            parentRow = 0;
        } catch (const Exception& e) {
            platform.message(Platform::MessageError, translated("Error"), e.what(), 0);
            bases.loadBase(readOnly.c_str());
        }
    }
    document.newGame(start, white, black, user, parentRow);
    Game& game = document.game();
    const std::string myName = settings.myName();
    const EngineFactory& engines = EngineFactory::instance();
    game.white = (user == White && white == 0)
                     ? myName
                     : engines.getEngineName(static_cast<unsigned>(white));
    game.black = (user == Black && black == 0)
                     ? myName
                     : engines.getEngineName(static_cast<unsigned>(black));
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
    newGame(start, choice.white, choice.black, choice.white != 0 ? Black : White, parentRow);
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
        if (move.promotion == 0)
            move.promotion = promotion_piece(getPromotion());
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
    const GameResult result = current->result;
    if (result != ResultWhiteWins && result != ResultBlackWins && result != ResultDraw)
        return "";
    std::string text = translated(game_result_to_message(result));
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
