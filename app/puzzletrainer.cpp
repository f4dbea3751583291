#include "app/puzzletrainer.h"

#include "app/chesscontroller.h"
#include "core/trans.h"
#include "game/game.h"
#include "game/pgnmove.h"

#include <climits>

namespace {
ViewState::PuzzleCount count_of(const ChessBase::PuzzleCount& count)
{
    ViewState::PuzzleCount out;
    out.solved = count.solved;
    out.total = count.total;
    return out;
}
} // namespace

PuzzleTrainer::PuzzleTrainer(ChessController& controller) : m_controller(controller) {}

void PuzzleTrainer::reset()
{
    m_hintAt = nullptr;
    m_showingSolution = false;
}

void PuzzleTrainer::puzzleHint()
{
    ChessDocument& document = m_controller.document();
    Game& game = document.game();
    PGNMove* current = game.current;
    if (!document.isPuzzle() || document.isSolvedPuzzle() || m_showingSolution || !current ||
        !game.errorText.empty())
        return;
    PGNMove* next = current->findNextMove();
    // Only the solver's own moves are hidden.
    if (!next || !next->hidden)
        return;
    setPuzzleFlags(Game::FlagHelped);
    if (m_hintAt != current) {
        m_hintAt = current;
        document.selection = next->move.getFrom();
        document.cursor = next->move.getFrom();
        m_controller.updateAllViews(nullptr, false);
        return;
    }
    m_hintAt = nullptr;
    document.selection = Position();
    m_controller.session().revealNode(next);
    m_controller.completeAction(false);
    // The opponent's reply follows as after the solver's own move.
    if (!document.isOver() && !document.isSolvedPuzzle())
        m_controller.startEngineTurn();
}

void PuzzleTrainer::showSolution()
{
    ChessDocument& document = m_controller.document();
    if (!document.isPuzzle() || document.isSolvedPuzzle() || m_showingSolution ||
        !document.game().errorText.empty())
        return;
    setPuzzleFlags(Game::FlagFailed | Game::FlagHelped);
    m_showingSolution = true;
    m_hintAt = nullptr;
    document.selection = Position();
    document.cursor = Position();
    stepSolution();
}

bool PuzzleTrainer::stepSolution()
{
    Game& game = m_controller.document().game();
    PGNMove* next = game.current ? game.current->findNextMove() : nullptr;
    if (!next)
        return false;
    m_controller.session().revealNode(next);
    m_controller.completeAction(false);
    return true;
}

void PuzzleTrainer::retryFailedPuzzles()
{
    ChessBase& base = m_controller.document().database;
    if (base.nextFailedPuzzle()) {
        m_controller.onSelectGame();
        return;
    }
    // Past the last one: round again from the first.
    const int first = base.getNextFailedPuzzleRowID(0);
    if (first == 0) {
        m_controller.platform().message(Platform::MessageInformation, translated("Puzzle"),
                                        translated("No failed puzzles to retry."), 10000);
        return;
    }
    m_controller.bases().openGame(first);
}

void PuzzleTrainer::checkSolved()
{
    ChessDocument& document = m_controller.document();
    Game& game = document.game();
    // A shown solution does not solve the puzzle.
    if ((game.flags & Game::FlagSolved) || m_showingSolution || !game.isOpen() ||
        !game.checkPuzzleSolved())
        return;
    // Stored at once, so that the counts include it. A failed bit stays as a
    // record; the retry leaves solved puzzles out.
    setPuzzleFlags(Game::FlagSolved);
    document.selection = Position();
    document.cursor = Position();
    const int seconds = m_controller.settings().value(Settings::NextPuzzle);
    if (seconds > 0)
        m_controller.platform().defer(seconds * 1000,
                                      [this] { m_controller.bases().nextUnsolvedPuzzle(); });
}

void PuzzleTrainer::setPuzzleFlags(unsigned set, unsigned clear)
{
    const ChessDocument& document = m_controller.document();
    const unsigned before = document.game().flags;
    m_controller.document().database.setPuzzleFlags(set, clear);
    if ((before ^ document.game().flags) & Game::FlagSolved)
        refreshPuzzleProgress(true);
}

void PuzzleTrainer::refreshPuzzleProgress(bool solvedChanged)
{
    ChessDocument& document = m_controller.document();
    ViewState::PuzzleProgress& progress = document.progress;
    ChessBase& base = document.database;
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
        progress.base = count_of(base.countPuzzles());
    progress.heading = whole ? progress.base : count_of(base.countPuzzles(first, last));
    progress.first = first;
    progress.last = last;
    progress.known = true;
}
