#include "game/game.h"

#include "game/pgnvariantbegin.h"
#include "game/pgnvariantend.h"

namespace {

bool isMoveOf(const PGNElement* e, unsigned level)
{
    return e->getType() == PGNElement::TypeMove && e->depth == level;
}

Board classic_board()
{
    Board board;
    board.create_classic_board();
    return board;
}

} // namespace

Game::Game() : Game(classic_board()) {}

Game::Game(const Board& board)
{
    init(board);
}

Game::Game(const Game& other)
{
    copyClosed(other);
}

Game& Game::operator=(const Game& other)
{
    if (this != &other) {
        clear(root);
        root = nullptr;
        current = nullptr;
        copyClosed(other);
    }
    return *this;
}

Game::Game(Game&& other) noexcept
{
    *this = std::move(other);
}

Game& Game::operator=(Game&& other) noexcept
{
    if (this != &other) {
        clear(root);
        id = other.id;
        parent = other.parent;
        flags = other.flags;
        event = std::move(other.event);
        site = std::move(other.site);
        date = std::move(other.date);
        round = std::move(other.round);
        white = std::move(other.white);
        black = std::move(other.black);
        result = other.result;
        moveText = std::move(other.moveText);
        setUp = other.setUp;
        startBoard = other.startBoard;
        headers = std::move(other.headers);
        whitePlayer = other.whitePlayer;
        blackPlayer = other.blackPlayer;
        current = other.current;
        root = other.root;
        errorText = std::move(other.errorText);
        other.current = nullptr;
        other.root = nullptr;
    }
    return *this;
}

Game::~Game()
{
    clear(root);
}

void Game::copyClosed(const Game& other)
{
    id = other.id;
    parent = other.parent;
    flags = other.flags;
    event = other.event;
    site = other.site;
    date = other.date;
    round = other.round;
    white = other.white;
    black = other.black;
    result = other.result;
    moveText = other.moveText;
    setUp = other.setUp;
    startBoard = other.startBoard;
    headers = other.headers;
    whitePlayer = other.whitePlayer;
    blackPlayer = other.blackPlayer;
    current = nullptr;
    root = nullptr;
    errorText = other.errorText;
}

void Game::init(const Board& board)
{
    clear(root);
    id = -1;
    parent = 0;
    flags = 0;
    result = ResultInProgress;
    setUp = board != classic_board();
    startBoard = board;
    whitePlayer = 0;
    blackPlayer = 0;
    current = nullptr;
    root = nullptr;
    event.clear();
    site.clear();
    date.clear();
    round.clear();
    white.clear();
    black.clear();
    moveText.clear();
    errorText.clear();
    headers.clear();
}

void Game::clear(PGNElement* first)
{
    if (first != nullptr && first->prev != nullptr)
        first->prev->next = nullptr;
    while (first != nullptr) {
        PGNElement* next = first->next;
        delete first;
        first = next;
    }
}

void Game::invalidate(const std::string& text)
{
    errorText = text;
    startBoard.clear();
    if (root != nullptr) {
        clear(root->next);
        root->next = nullptr;
    } else {
        root = new PGNMove(nullptr, 0);
    }
    root->setBoardAfter(Board());
    root->result = ResultInProgress;
    root->drawReason = DrawNone;
    root->hidden = false;
    current = root;
}

bool Game::firstPosition()
{
    if (current == nullptr)
        return false;
    PGNMove* const start = current;
    while (current->parent != nullptr && current->parent->depth == current->depth)
        current = current->parent;
    return current != start;
}

bool Game::prevPosition()
{
    if (current == nullptr || current->parent == nullptr)
        return false;
    current = current->parent;
    return true;
}

bool Game::nextPosition()
{
    PGNMove* next = current != nullptr ? current->findNextMove() : nullptr;
    if (next == nullptr)
        return false;
    current = next;
    return true;
}

bool Game::lastPosition()
{
    if (current == nullptr)
        return false;
    PGNMove* const start = current;
    for (PGNMove* next = current->findNextMove(); next != nullptr && !next->hidden;
         next = next->findNextMove())
        current = next;
    return current != start;
}

bool Game::prevVariant()
{
    PGNMove* variant = current != nullptr ? current->findVariant(false) : nullptr;
    if (variant == nullptr)
        return false;
    current = variant;
    return true;
}

bool Game::nextVariant()
{
    PGNMove* variant = current != nullptr ? current->findVariant(true) : nullptr;
    if (variant == nullptr)
        return false;
    current = variant;
    return true;
}

void Game::addMove(const Move& move)
{
    if (current == nullptr)
        return;
    PGNMove* next = current->findNextMove();
    if (next == nullptr) {
        PGNMove* node = current->addMove(current->depth, move);
        PGNElement::link_after(current->findInsertionPoint(), node);
        PGNElement::reset_layout_cache(node);
        current = node;
        return;
    }
    if (next->move == move) {
        current = next;
        return;
    }
    const unsigned depth = current->depth + 1;
    PGNMove* node = current->addMove(depth, move);
    PGNElement* where = next->findInsertionPoint();
    PGNElement* begin = new PGNVariantBegin(depth);
    PGNElement::link_after(where, begin);
    PGNElement::link_after(begin, node);
    PGNElement::link_after(node, new PGNVariantEnd(depth));
    PGNElement::reset_layout_cache(begin);
    current = node;
}

void Game::addMove(const std::string& san)
{
    if (current == nullptr)
        return;
    const Board board = current->boardAfter();
    addMove(read_san_move(board, san));
}

bool Game::removeLineFrom(PGNMove* from)
{
    if (from == nullptr || from->parent == nullptr)
        return false;
    const unsigned level = from->depth;
    const auto closesLine = [level](const PGNElement* e) {
        return e->getType() == PGNElement::TypeVariantEnd && e->depth == level;
    };
    const auto opensLine = [level](const PGNElement* e) {
        return e->getType() == PGNElement::TypeVariantBegin && e->depth == level;
    };
    PGNElement* last = from;
    bool holdsCurrent = from == current;
    for (PGNElement* e = from->next; e != nullptr && !closesLine(e); e = e->next) {
        // Brackets and moves of a variation lie one level deeper.
        if (e->depth != level)
            return false;
        holdsCurrent = holdsCurrent || e == current;
        last = e;
    }
    PGNMove* const parentMove = from->parent;
    PGNElement* first = from;
    // A variation left without a move goes as a whole, brackets and comments.
    if (last->next != nullptr && closesLine(last->next)) {
        PGNElement* begin = from->prev;
        while (!opensLine(begin) && !isMoveOf(begin, level))
            begin = begin->prev;
        if (opensLine(begin)) {
            first = begin;
            last = last->next;
        }
    }
    PGNElement* before = first->prev;
    PGNElement* after = last->next;
    last->next = nullptr;
    before->next = after;
    if (after != nullptr)
        after->prev = before;
    first->prev = nullptr;
    clear(first);
    PGNElement::reset_layout_cache(before);
    if (holdsCurrent)
        current = parentMove;
    return true;
}

void Game::setupPuzzle()
{
    if (current == nullptr)
        return;
    const Color solver = current->colorToMove();
    for (PGNMove* m = current->findNextMove(); m != nullptr; m = m->findNextMove()) {
        if (m->parent->colorToMove() == solver)
            m->hidden = true;
    }
}

bool Game::checkPuzzleSolved() const
{
    for (const PGNElement* e = root; e != nullptr; e = e->next) {
        if (e->hidden && e->getType() == PGNElement::TypeMove)
            return false;
    }
    return true;
}

const char* Game::game_result_to_str(GameResult value)
{
    switch (value) {
    case ResultWhiteWins:
        return "1-0";
    case ResultBlackWins:
        return "0-1";
    case ResultDraw:
        return "1/2-1/2";
    case ResultInProgress:
    default:
        return "*";
    }
}

GameResult Game::str_to_game_result(const std::string& text)
{
    if (text == "1-0")
        return ResultWhiteWins;
    if (text == "0-1")
        return ResultBlackWins;
    if (text == "1/2-1/2")
        return ResultDraw;
    return ResultInProgress;
}
