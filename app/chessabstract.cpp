#include "app/chessabstract.h"

#include "core/exception.h"
#include "core/log.h"
#include "core/trans.h"
#include "engine/enginefactory.h"
#include "engine/enginelevel.h"
#include "engine/enginesettings.h"
#include "game/game.h"
#include "game/pgnmove.h"

#include <QRect>

#include <cstdarg>
#include <cstdio>

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

ChessAbstract::ChessAbstract(ConfigFileAbstract& config)
    : m_settings(&config), m_infoView(&m_document),
      m_boardView(&m_document, ChessBoardView::DefaultMargin), m_historyView(&m_document)
{
    setLevel(getLevel());
    setPromotion(getPromotion());
    setBoardAnnotation();
    QObject::connect(&m_hintSearch, &EngineBestMove::found,
                     [this](const Move& move) { onHintFound(move); });
    QObject::connect(&m_hintSearch, &EngineBestMove::failed,
                     [this](const QString& text) { onHintFailed(text.toUtf8().toStdString()); });
}

ChessAbstract::~ChessAbstract()
{
    m_engine.stop();
}

void ChessAbstract::showProgress(const std::string&) {}

// ---------------------------------------------------------------------------
// Tables

const std::vector<std::string>& ChessAbstract::get_levels()
{
    static const std::vector<std::string> levels = [] {
        std::vector<std::string> list;
        for (int i = 0; i < EngineLevel::kCount; ++i)
            list.push_back(EngineLevel::description(i));
        return list;
    }();
    return levels;
}

const std::vector<std::string>& ChessAbstract::get_history_sizes()
{
    static const std::vector<std::string> sizes = {N_("Off"), "10%", "20%", "30%", "40%", "50%"};
    return sizes;
}

int ChessAbstract::promotion_piece(int index)
{
    if (index < 0 || index > 3)
        return Piece::TypeQueen;
    return kPromotionPieces[index];
}

// ---------------------------------------------------------------------------
// Settings

int ChessAbstract::getOpponent() const
{
    return m_settings.value(Settings::Opponent);
}

int ChessAbstract::getLevel() const
{
    return m_settings.value(Settings::Level);
}

int ChessAbstract::getPromotion() const
{
    return m_settings.value(Settings::Promotion);
}

void ChessAbstract::setOpponent(int index)
{
    m_settings.setValue(Settings::Opponent, index);
    logInfo("Set Opponent: %d (%s)", index,
            EngineFactory::instance().getEngineName(static_cast<unsigned>(index)));
    if (index == 0)
        deleteEngine();
}

void ChessAbstract::setLevel(int level)
{
    m_settings.setValue(Settings::Level, level);
    m_engine.setLevel(level);
    logInfo("Set Level: %d", level + 1);
}

void ChessAbstract::setPromotion(int index)
{
    m_settings.setValue(Settings::Promotion, index);
    logInfo("Set Promotion: %d", index);
}

int ChessAbstract::getBoardFontAntiAliasing() const
{
    return m_settings.flag(Settings::BoardFontAntiAliasing) ? 1 : 0;
}

void ChessAbstract::setBoardFontAntiAliasing(int on)
{
    m_settings.setFlag(Settings::BoardFontAntiAliasing, on != 0);
}

void ChessAbstract::setBoardAnnotation()
{
    m_boardView.setAnnotation(m_settings.flag(Settings::BoardAnnotation));
    m_boardView.setFrames(m_settings.flag(Settings::BoardInnerFrame),
                          m_settings.flag(Settings::BoardOuterFrame));
}

void ChessAbstract::applyBoardFont()
{
    try {
        m_boardView.applyBoardFont(m_settings.value(Settings::BoardFont),
                                   m_settings.flag(Settings::BoardFontAntiAliasing));
    } catch (const Exception&) {
        m_settings.setValue(Settings::BoardFont, 0);
        throw;
    }
}

void ChessAbstract::onSettings()
{
    if (g_pTrans) {
        g_pTrans->load(static_cast<unsigned>(m_settings.value(Settings::Lang)));
    }
    createMainMenu();
    setOpponent(getOpponent());
    setLevel(getLevel());
    setBoardAnnotation();
    layout(getClientRect());
    updateAllViews(nullptr, true);
}

// ---------------------------------------------------------------------------
// Redraw

void ChessAbstract::updateAllViews(const AbstractView* except, bool full)
{
    dropStaleHint();
    if (!except && full) {
        const Rect client = getClientRect();
        invalidate(QRect(client.left, client.top, client.width, client.height));
        return;
    }
    AbstractView* views[] = {&m_infoView, &m_boardView, &m_historyView};
    for (AbstractView* view : views) {
        if (view == except)
            continue;
        if (full) {
            const Rect& r = view->getRect();
            invalidate(QRect(r.left, r.top, r.width, r.height));
        } else {
            view->update(this);
        }
    }
}

void ChessAbstract::completeAction(bool full)
{
    const std::string text = checkGameState();
    updateAllViews(nullptr, full);
    if (!text.empty())
        message(MessageInformation, translated("Game"), text.c_str(), 60000);
}

void ChessAbstract::onSelectGame()
{
    clearHint();
    m_hintAt = nullptr;
    m_showingSolution = false;
    refreshPuzzleProgress(false);
    m_document.selection = Position();
    m_document.cursor = m_document.isSolvedPuzzle() ? Position() : Position(3, 3);
    completeAction(true);
    fullRefresh();
}

// ---------------------------------------------------------------------------
// Game play

void ChessAbstract::newGame(const Board& start, int white, int black, Color user, int parentRow)
{
    // A game started in a read-only base would be lost when left.
    const ChessBase& base = m_document.database;
    const std::string fallback = defaultBaseFile();
    if (base.isReadOnly() && base.path() != fallback &&
        askYesNo(translated("New Game"), translated(kOfferDefaultBase))) {
        const std::string readOnly = base.path();
        saveBase(readOnly.c_str());
        try {
            loadBase(fallback.c_str());
            m_settings.setLastOpened(fallback);
            // The empty game an empty base starts with gives way to this one.
            if (m_document.game().id == 0)
                m_document.game().flags |= Game::FlagNotStored;
            parentRow = 0;
        } catch (const Exception& e) {
            message(MessageError, translated("Error"), e.what(), 0);
            loadBase(readOnly.c_str());
        }
    }
    m_document.newGame(start, white, black, user, parentRow);
    Game& game = m_document.game();
    const std::string myName = m_settings.myName();
    const EngineFactory& engines = EngineFactory::instance();
    game.white = (user == White && white == 0)
                     ? myName
                     : engines.getEngineName(static_cast<unsigned>(white));
    game.black = (user == Black && black == 0)
                     ? myName
                     : engines.getEngineName(static_cast<unsigned>(black));
    deleteEngine();
    logInfo("New game is started. White: %d (%s), Black %d (%s)", white, game.white.c_str(), black,
            game.black.c_str());
    // The game is shown first; an engine that plays the first move answers
    // later through the event loop.
    onSelectGame();
    const Color toMove = start.getColorToMove();
    if ((toMove == White ? white : black) != 0)
        playEngineMove();
}

void ChessAbstract::newGame(const NewGameChoice& choice)
{
    if (choice.white != 0 && choice.black != 0) {
        message(MessageInformation, translated("New Game"),
                translated("Two engines cannot play here: choose a human for one side."), 0);
        return;
    }
    const Game& current = m_document.game();
    Board start;
    if (choice.fromCurrentPosition && current.current)
        start = current.current->boardAfter();
    else
        start.create_classic_board();
    const int parentRow = current.id >= 1 ? current.id : current.parent;

    setOpponent(choice.white != 0 ? choice.white : choice.black);
    newGame(start, choice.white, choice.black, choice.white != 0 ? Black : White, parentRow);
    if (!choice.addToBase)
        m_document.game().flags |= Game::FlagNotStored;
}

void ChessAbstract::resetGame()
{
    Game& game = m_document.game();
    if (game.flags & Game::FlagPuzzle)
        setPuzzleFlags(0, Game::FlagSolved);
    game.close(false);
    game.open();
    onSelectGame();
}

bool ChessAbstract::playMove(Move& move)
{
    Game& game = m_document.game();
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
        if (next->move != move) {
            // Still unsolved, and among the puzzles to retry.
            if (m_document.isPuzzle())
                setPuzzleFlags(Game::FlagFailed);
            message(MessageInformation, translated("Puzzle"), translated("Incorrect move!"), 60000);
            return false;
        }
        revealNode(next);
    } else {
        game.addMove(move);
    }

    if (g_pLog)
        g_pLog->write(2, Log::Info, "%s: fen=[%s], move=[%s]", side_name(toMove),
                      before.exportToFEN().c_str(), move.getAsString().c_str());
    // A hint lasts until the next move.
    clearHint();
    // The promotion choice is Queen again after every move; the setting is
    // only written when it was something else.
    if (getPromotion() != 0)
        setPromotion(0);
    return true;
}

void ChessAbstract::revealNode(PGNMove* node)
{
    Game& game = m_document.game();
    PGNElement::reset_layout_cache(game.current);
    game.current = node;
    node->hidden = false;
}

void ChessAbstract::playEngineMove()
{
    m_engine.releaseRetired();
    Game& game = m_document.game();
    PGNMove* current = game.current;
    if (!current || !game.errorText.empty())
        return;

    // The record already continues (a puzzle's reply, a replayed game).
    if (PGNMove* next = current->findNextMove()) {
        // A hidden move is the solver's to find, never given away.
        if (next->hidden)
            return;
        revealNode(next);
        completeAction(false);
        return;
    }

    const Board position = current->boardAfter();
    int& slot = position.getColorToMove() == White ? game.whitePlayer : game.blackPlayer;
    const int opponent = getOpponent();
    if (slot != opponent) {
        deleteEngine();
        slot = opponent;
    }
    if (slot == 0 || current->result != ResultInProgress)
        return;

    if (m_engine.engine() && m_engine.isWaiting()) {
        // Already thinking about this very position.
        if (m_engine.isWaitingFor(game.id, position))
            return;
        // Its answer would belong to another position: start afresh.
        deleteEngine();
    }
    // A human entry at a non-zero slot: nobody to ask.
    if (!m_engine.start(static_cast<unsigned>(slot), getLevel(),
                        m_settings.value(Settings::EngineTimeout), *this))
        return;
    // After a null move ("--") the engine is sent the position alone.
    if (current == game.root || !current->parent || current->move.isNull())
        m_engine.ask(game.id, position, Move());
    else
        m_engine.ask(game.id, current->boardBefore(), current->move);
}

bool ChessAbstract::isEngineTurnDue() const
{
    const Game& game = m_document.game();
    const PGNMove* current = game.current;
    // A game ended by its record or a resignation has no engine turn left.
    if (m_engine.isWaiting() || !current || !game.errorText.empty() ||
        game.result != ResultInProgress || current->result != ResultInProgress ||
        current->findNextMove())
        return false;
    const int slot = current->colorToMove() == White ? game.whitePlayer : game.blackPlayer;
    return slot == getOpponent() && isEngineSlot(slot);
}

void ChessAbstract::moveFromEngine(const Move& move)
{
    EngineSession::Callback inCallback(m_engine);
    Game& game = m_document.game();
    // Only the answer to the position on screen counts; anything else was
    // asked for a position the user has left.
    // (An empty board stands for no position on screen.)
    if (!m_engine.accept(game.id, game.current ? game.current->boardAfter() : Board())) {
        if (g_pLog)
            g_pLog->write(2, Log::Warning, "Engine move %s ignored: not for this position",
                          move.getAsString().c_str());
        return;
    }
    Move played = move;
    if (!playMove(played)) {
        if (g_pLog)
            g_pLog->write(1, Log::Error, "Engine error: invalid move %s",
                          move.getAsString().c_str());
        m_engine.stop();
        message(MessageError, translated("Error"), translated("Engine error: invalid move"), 10000);
        return;
    }
    completeAction(false);
}

void ChessAbstract::engineResigned(const std::string& result, const std::string& text)
{
    EngineSession::Callback inCallback(m_engine);
    Game& game = m_document.game();
    if (!m_engine.accept(game.id, game.current ? game.current->boardAfter() : Board()))
        return;
    game.result = Game::str_to_game_result(result);
    completeAction(false);
    message(MessageInformation, translated("Engine"), text.c_str(), 10000);
}

void ChessAbstract::engineHasNoMove(const std::string& text)
{
    EngineSession::Callback inCallback(m_engine);
    Game& game = m_document.game();
    if (!m_engine.accept(game.id, game.current ? game.current->boardAfter() : Board()))
        return;
    message(MessageWarning, translated("Engine"), text.c_str(), 10000);
}

void ChessAbstract::engineStopped(const std::string& text)
{
    // The text may belong to the engine stopped here.
    const std::string shown = text;
    m_engine.stop();
    message(MessageWarning, translated("Engine"), shown.c_str(), 10000);
}

void ChessAbstract::deleteEngine()
{
    m_engine.stop();
}

std::string ChessAbstract::checkGameState()
{
    Game& game = m_document.game();
    if (!game.errorText.empty()) {
        if (g_pLog)
            g_pLog->write(2, Log::Error, "%s", game.errorText.c_str());
        message(MessageError, translated("Error"), game.errorText.c_str(), 10000);
        return "";
    }
    if (game.flags & Game::FlagPuzzle) {
        // A shown solution does not solve the puzzle.
        if (!(game.flags & Game::FlagSolved) && !m_showingSolution && game.isOpen() &&
            game.checkPuzzleSolved()) {
            // Stored at once, so that the counts include it. A failed bit
            // stays as a record; the retry leaves solved puzzles out.
            setPuzzleFlags(Game::FlagSolved);
            m_document.selection = Position();
            m_document.cursor = Position();
            onPuzzleSolved();
        }
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

void ChessAbstract::continueGame()
{
    setMode(ChessDocument::BoardMode);
    completeAction(false);
    fullRefresh();
    askEngineIfDue();
}

void ChessAbstract::askEngineIfDue()
{
    // Back at a position where the engine is to move but was not asked (its
    // answer came while the user was looking elsewhere): ask it now.
    if (isEngineTurnDue())
        playEngineMove();
}

void ChessAbstract::turnBoard()
{
    Game& game = m_document.game();
    if (game.flags & Game::FlagPuzzle)
        return;
    game.flags ^= Game::FlagViewAsBlack;
    m_document.selection = Position();
    updateAllViews(nullptr, true);
}

void ChessAbstract::setMode(ChessDocument::GameMode mode)
{
    if (mode == m_document.mode)
        return;
    m_document.mode = mode;
    m_document.selection = Position();
}

void ChessAbstract::showHistory()
{
    setMode(ChessDocument::HistoryMode);
    updateAllViews(nullptr, true);
}

// ---------------------------------------------------------------------------

void ChessAbstract::showError(const char* text, Log::MsgType type) const
{
    if (g_pLog)
        g_pLog->write(1, type, "Error: %s", text);
    message(MessageError, translated("Error"), text, 0);
}

void ChessAbstract::logInfo(const char* format, ...) const
{
    if (!g_pLog)
        return;
    char text[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    g_pLog->write(2, Log::Info, "%s", text);
}
