// Puzzle training in the controller: hints, shown solutions, the retry of
// failed puzzles and the progress counts the header shows.

#include "app/chessabstract.h"

#include "core/trans.h"
#include "game/game.h"
#include "game/pgnmove.h"

#include <climits>

void ChessAbstract::puzzleHint()
{
    Game& game = m_document.game();
    PGNMove* current = game.current;
    if (!m_document.isPuzzle() || m_document.isSolvedPuzzle() || m_showingSolution || !current ||
        !game.errorText.empty())
        return;
    PGNMove* next = current->findNextMove();
    // Only the solver's own moves are hidden.
    if (!next || !next->hidden)
        return;
    setPuzzleFlags(Game::FlagHelped);
    if (m_hintAt != current) {
        m_hintAt = current;
        m_document.selection = next->move.getFrom();
        m_document.cursor = next->move.getFrom();
        updateAllViews(nullptr, false);
        return;
    }
    m_hintAt = nullptr;
    m_document.selection = Position();
    revealNode(next);
    completeAction(false);
    // The opponent's reply follows as after the solver's own move.
    if (!m_document.isOver() && !m_document.isSolvedPuzzle())
        startEngineTurn();
}

void ChessAbstract::showSolution()
{
    if (!m_document.isPuzzle() || m_document.isSolvedPuzzle() || m_showingSolution ||
        !m_document.game().errorText.empty())
        return;
    setPuzzleFlags(Game::FlagFailed | Game::FlagHelped);
    m_showingSolution = true;
    m_hintAt = nullptr;
    m_document.selection = Position();
    m_document.cursor = Position();
    stepSolution();
}

bool ChessAbstract::stepSolution()
{
    Game& game = m_document.game();
    PGNMove* next = game.current ? game.current->findNextMove() : nullptr;
    if (!next)
        return false;
    revealNode(next);
    completeAction(false);
    return true;
}

void ChessAbstract::retryFailedPuzzles()
{
    ChessBase& base = m_document.database;
    if (base.nextFailedPuzzle()) {
        onSelectGame();
        return;
    }
    // Past the last one: round again from the first.
    const int first = base.getNextFailedPuzzleRowID(0);
    if (first == 0) {
        message(MessageInformation, translated("Puzzle"), translated("No failed puzzles to retry."),
                10000);
        return;
    }
    openGame(first);
}

void ChessAbstract::setPuzzleFlags(unsigned set, unsigned clear)
{
    const Game& game = m_document.game();
    const unsigned before = game.flags;
    m_document.database.setPuzzleFlags(set, clear);
    if ((before ^ game.flags) & Game::FlagSolved)
        refreshPuzzleProgress(true);
}

void ChessAbstract::refreshPuzzleProgress(bool solvedChanged)
{
    ChessDocument::PuzzleProgress& progress = m_document.progress;
    ChessBase& base = m_document.database;
    const Game& game = base.game;
    if (!(game.flags & Game::FlagPuzzle) || game.id < 1)
        return;
    int first = 1;
    int last = INT_MAX;
    const ChessBase::HeaderItem* header = base.getHeader(game.id);
    if (header && header->gameId <= game.id)
        base.headingRange(header, &first, &last);
    const bool whole = first == 1 && last == INT_MAX;
    if (progress.known && first == progress.first && last == progress.last) {
        // The totals stay; only a solved bit changed.
        if (solvedChanged) {
            progress.base.solved = base.countSolvedPuzzles(1, INT_MAX);
            progress.heading.solved =
                whole ? progress.base.solved : base.countSolvedPuzzles(first, last);
        }
        return;
    }
    if (!progress.known || solvedChanged)
        progress.base = base.countPuzzles();
    progress.heading = whole ? progress.base : base.countPuzzles(first, last);
    progress.first = first;
    progress.last = last;
    progress.known = true;
}
