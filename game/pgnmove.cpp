#include "game/pgnmove.h"

#include "chess/san.h"

#include "core/exception.h"

#include <cstdio>
#include <cstring>

Move read_san_move(const Board& board, const std::string& san, Board* after)
{
    MoveGenerator generator(board);
    Board played;
    return read_san_move(generator, san, after != nullptr ? after : &played);
}

Move read_san_move(MoveGenerator& generator, const std::string& san, Board* after)
{
    const Board& board = generator.board();
    const Move move = move_from_san(generator, board.getColorToMove(), san);
    const size_t start = san.find_first_not_of("/=+#x!?");
    const bool castling = start != std::string::npos && (san[start] == 'O' || san[start] == '0');
    if (castling && (board.moveBits(move) & Piece::MoveInvalid) != 0)
        throw Exception(false, "Error parsing SAN: %s in position: %s", san.c_str(),
                        board.exportToFEN().c_str());
    if (after != nullptr) {
        *after = board;
        after->doMove(move);
    }
    return move;
}

PGNMove::PGNMove(PGNMove* parentMove, unsigned elementDepth)
    : PGNElement(elementDepth), parent(parentMove)
{
}

Board PGNMove::boardBefore() const
{
    return parent != nullptr ? parent->boardAfter() : Board();
}

void PGNMove::engineRequest(Board* position, Move* last) const
{
    if (parent == nullptr || move.isNull()) {
        *position = boardAfter();
        *last = Move();
    } else {
        *position = parent->boardAfter();
        *last = move;
    }
}

PGNMove* PGNMove::addMove(unsigned childDepth, const Move& childMove)
{
    return addMove(boardAfter(), childDepth, childMove);
}

PGNMove* PGNMove::addMove(unsigned childDepth, const std::string& san)
{
    const Board before = boardAfter();
    return addMove(before, childDepth, read_san_move(before, san));
}

PGNMove* PGNMove::addMove(const Board& before, unsigned childDepth, const Move& childMove,
                          Board* after)
{
    PGNMove* child = new PGNMove(this, childDepth);
    child->move = childMove;
    Board board = before;
    board.doMove(childMove);
    child->m_after.pack(board);

    const std::string san = move_to_san(before, childMove);
    if (before.getColorToMove() == White) {
        char number[8];
        snprintf(number, sizeof number, "%u.", static_cast<unsigned>(before.fullMoveNumber));
        child->text = number;
        child->text += san;
    } else {
        child->text = san;
    }
    child->updateGameState(board, !san.empty() && !childMove.isNull());
    if (after != nullptr)
        *after = board;
    return child;
}

namespace {

// Appends "%u." to the buffer.
char* write_move_number(char* out, unsigned number)
{
    char digits[8];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + number % 10);
        number /= 10;
    } while (number != 0);
    while (count > 0)
        *out++ = digits[--count];
    *out++ = '.';
    return out;
}

} // namespace

PGNMove* PGNMove::addLegalMove(MoveGenerator& beforeMoves, unsigned childDepth,
                               const Move& childMove, MoveGenerator& afterMoves, bool deferMate)
{
    const Board& before = beforeMoves.board();
    const Board& board = afterMoves.board();
    const Piece* piece = before.getPiece(childMove.fromX, childMove.fromY);
    if (piece == nullptr || childMove.isNull())
        return addMove(before, childDepth, childMove);

    PGNMove* child = new PGNMove(this, childDepth);
    child->move = childMove;
    child->m_after = m_after;
    child->m_after.update(board, childMove);

    // The SAN as move_to_san writes it, from what is known of a legal move.
    char text[32];
    char* out = text;
    if (before.getColorToMove() == White)
        out = write_move_number(out, before.fullMoveNumber);
    const int dx = childMove.toX - childMove.fromX;
    const bool pawn = piece->type == Piece::TypePawn;
    int bits = 0;
    if (piece->type == Piece::TypeKing && (dx == 2 || dx == -2)) {
        bits = dx == 2 ? Piece::MoveShortCastle : Piece::MoveLongCastle;
    } else {
        if (before.getPiece(childMove.toX, childMove.toY) != nullptr || (pawn && dx != 0))
            bits |= Piece::MoveCapture;
        if (pawn && childMove.toY == (piece->color == White ? 7 : 0))
            bits |= Piece::MovePromotion;
    }
    out = write_san(out, beforeMoves, childMove, bits);
    const Color side = board.getColorToMove();
    const bool check = afterMoves.inCheck(side);
    const bool noMoves = !deferMate && afterMoves.generateAll(side, nullptr, true) == 0;
    if (check)
        *out++ = noMoves ? '#' : '+';
    child->text.assign(text, out);
    child->setGameState(board, check, noMoves);
    child->m_movesPending = deferMate;
    return child;
}

void PGNMove::resolveMoves(bool hasMove)
{
    if (!m_movesPending)
        return;
    m_movesPending = false;
    if (hasMove)
        return;
    const Board board = boardAfter();
    const Color side = board.getColorToMove();
    if (!board.isNoMoves(side))
        return;
    // Mate or stalemate decides over every other state.
    const bool check = board.isCheck(side);
    if (check && !text.empty() && text.back() == '+')
        text.back() = '#';
    drawReason = DrawNone;
    result = ResultInProgress;
    setGameState(board, check, true);
}

void PGNMove::updateGameState()
{
    updateGameState(boardAfter(), false);
}

void PGNMove::updateGameState(const Board& after)
{
    updateGameState(after, false);
}

void PGNMove::updateGameState(const Board& after, bool sanKnown)
{
    // A legal move's SAN already ends in "#" for mate and in "+" for check
    // with a reply; only a quiet move needs the move search.
    const Color side = after.getColorToMove();
    if (sanKnown) {
        const char last = text.back();
        const bool check = last == '#' || last == '+';
        setGameState(after, check, last == '#' || (!check && after.isNoMoves(side)));
    } else {
        const bool noMoves = after.isNoMoves(side);
        setGameState(after, noMoves && after.isCheck(side), noMoves);
    }
}

void PGNMove::setGameState(const Board& after, bool check, bool noMoves)
{
    if (noMoves) {
        if (check) {
            result = after.getColorToMove() == White ? ResultBlackWins : ResultWhiteWins;
        } else {
            result = ResultDraw;
            drawReason = DrawStalemate;
        }
        return;
    }

    if (after.halfMoveClock >= 100) {
        result = ResultDraw;
        drawReason = DrawFiftyMoveRule;
        return;
    }

    // Two earlier occurrences in this line. A position reached by a pawn move
    // or a capture still counts; nothing before it can repeat.
    int count = 2;
    for (const PGNMove* m = parent; m != nullptr && count > 0; m = m->parent) {
        if (m->m_after.repeats(m_after))
            --count;
        if (m->m_after.halfMoveClock() == 0 && m->prev != nullptr)
            break;
    }
    if (count == 0) {
        result = ResultDraw;
        drawReason = DrawThreefoldRepetition;
        return;
    }

    if (after.isInsufficientMaterial()) {
        result = ResultDraw;
        drawReason = DrawInsufficientMaterial;
    }
}

PGNMove* PGNMove::findNextMove() const
{
    // A continuation lies inside this move's own variation: the walk ends at
    // the variation's ")" or where the level drops.
    for (PGNElement* e = next; e != nullptr; e = e->next) {
        if (e->depth < depth)
            return nullptr;
        const int type = e->getType();
        if (e->depth == depth) {
            if (type == TypeVariantEnd)
                return nullptr;
            if (type == TypeMove && static_cast<PGNMove*>(e)->parent == this)
                return static_cast<PGNMove*>(e);
        }
    }
    return nullptr;
}

PGNElement* PGNMove::findInsertionPoint() const
{
    PGNElement* e = const_cast<PGNMove*>(this);
    while (e->next != nullptr && e->next->depth >= depth) {
        const int type = e->next->getType();
        if (e->next->depth == depth && (type == TypeMove || type == TypeVariantEnd))
            break;
        e = e->next;
    }
    return e;
}

PGNMove* PGNMove::findVariant(bool forward) const
{
    for (PGNElement* e = forward ? next : prev; e != nullptr; e = forward ? e->next : e->prev) {
        // Every alternative to this move comes after the move they share.
        if (!forward && e == parent)
            return nullptr;
        if (e->getType() == TypeMove && static_cast<PGNMove*>(e)->parent == parent)
            return static_cast<PGNMove*>(e);
    }
    return nullptr;
}
