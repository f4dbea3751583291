#include "app/puzzletrainer.h"

#include "app/chesscontroller.h"
#include "base/puzzletables.h"
#include "core/trans.h"
#include "game/game.h"
#include "game/pgncommentelement.h"
#include "game/pgnmove.h"
#include "views/puzzlethemes.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdlib>

const int PuzzleTrainer::kDifficultyOffsets[5] = {-600, -300, 0, 300, 600};

namespace {

ViewState::PuzzleCount count_of(const ChessBase::PuzzleCount& count)
{
    ViewState::PuzzleCount out;
    out.solved = count.solved;
    out.total = count.total;
    return out;
}

// The rating after the last " · " of the stored heading, as the import writes it.
bool rating_of_heading(const std::string& event, int* rating)
{
    const size_t dot = event.rfind("\u00b7 ");
    if (dot == std::string::npos)
        return false;
    const std::string tail = event.substr(dot + 3);
    char* end = nullptr;
    const long value = std::strtol(tail.c_str(), &end, 10);
    if (tail.empty() || *end != '\0' || value <= 0 || value > 4000)
        return false;
    *rating = static_cast<int>(value);
    return true;
}

} // namespace

PuzzleTrainer::PuzzleTrainer(ChessController& controller) : m_controller(controller)
{
    m_now = [] {
        return static_cast<int64_t>(std::chrono::duration_cast<std::chrono::seconds>(
                                        std::chrono::system_clock::now().time_since_epoch())
                                        .count());
    };
}

void PuzzleTrainer::reset()
{
    m_hintAt = nullptr;
    m_showingSolution = false;
    m_scored = false;
    m_themesAt = nullptr;
    m_themes.clear();
    syncBase();
    ChessDocument& document = m_controller.document();
    document.playerRating =
        document.isPuzzle() ? static_cast<int>(std::lround(m_rating.rating)) : 0;
    if (!document.isPuzzle())
        return;
    // Help counts for the try it was given in.
    if (!document.isSolvedPuzzle() && (document.game().flags & Game::FlagHelped))
        setPuzzleFlags(0, Game::FlagHelped);
    hideThemes();
    if (document.isSolvedPuzzle())
        showThemes();
}

void PuzzleTrainer::syncBase()
{
    ChessBase& base = m_controller.document().database;
    const std::string path = base.isOpen() ? base.path() : std::string();
    if (path == m_basePath && base.handle() == m_baseHandle && base.isReadOnly() == m_baseReadOnly)
        return;
    m_baseReadOnly = base.isReadOnly();
    m_basePath = path;
    m_baseHandle = base.handle();
    m_rating = PuzzleRating();
    m_streak = 0;
    m_bestStreak = 0;
    m_streakRating = 0;
    PuzzleTables tables(base.handle());
    m_writable = base.isOpen() && !base.isReadOnly() && tables.create();
    m_attempts = tables.attempts();
    for (const PuzzleTables::Attempt& attempt : m_attempts) {
        if (attempt.puzzleRating > 0) {
            m_rating.rating = attempt.rating;
            m_rating.deviation = attempt.deviation;
            m_rating.volatility = attempt.volatility;
        }
        m_streak = attempt.win ? m_streak + 1 : 0;
        m_streakRating = attempt.win ? attempt.puzzleRating : 0;
        m_bestStreak = std::max(m_bestStreak, m_streak);
    }
}

int64_t PuzzleTrainer::today() const
{
    return m_now() / 86400;
}

bool PuzzleTrainer::puzzleRating(int* rating, std::string* themes) const
{
    ChessBase& base = m_controller.document().database;
    PuzzleTables::Info info;
    if (PuzzleTables(base.handle()).info(base.game.id, &info)) {
        *rating = info.rating;
        *themes = info.themes;
        return true;
    }
    *themes = m_themes;
    return rating_of_heading(base.game.event, rating);
}

PuzzleDashboard PuzzleTrainer::dashboard()
{
    syncBase();
    return PuzzleDashboard::of(m_attempts, m_bestStreak);
}

void PuzzleTrainer::score(bool win)
{
    ChessDocument& document = m_controller.document();
    if (m_scored || !document.isPuzzle())
        return;
    m_scored = true;
    ChessBase& base = document.database;
    const int game = base.game.id;
    PuzzleTables::Attempt attempt;
    attempt.at = m_now();
    attempt.game = game;
    attempt.win = win;
    if (puzzleRating(&attempt.puzzleRating, &attempt.themes))
        m_rating = m_rating.after(win, attempt.puzzleRating);
    attempt.rating = m_rating.rating;
    attempt.deviation = m_rating.deviation;
    attempt.volatility = m_rating.volatility;
    m_streak = win ? m_streak + 1 : 0;
    m_streakRating = win ? attempt.puzzleRating : 0;
    m_bestStreak = std::max(m_bestStreak, m_streak);
    document.playerRating = static_cast<int>(std::lround(m_rating.rating));
    m_attempts.push_back(attempt);
    if (!m_writable || game <= 0)
        return;
    PuzzleTables tables(base.handle());
    tables.addAttempt(attempt);
    if (win)
        tables.clearRepeat(game);
    else
        tables.scheduleMiss(game, today());
}

void PuzzleTrainer::hideThemes()
{
    // The comment in front of the first move, when all its words are theme
    // names: the import's record of the themes, a give-away before the solve.
    Game& game = m_controller.document().game();
    if (!game.root)
        return;
    std::string raw;
    PGNCommentElement* first = nullptr;
    for (PGNElement* e = game.root->next; e && e->getType() != PGNElement::TypeMove; e = e->next) {
        if (e->getType() == PGNElement::TypeCommentEnd)
            break;
        if (e->getType() != PGNElement::TypeCommentElement)
            continue;
        auto* word = static_cast<PGNCommentElement*>(e);
        if (!first)
            first = word;
        if (!raw.empty())
            raw += ' ';
        raw += word->text;
    }
    if (!first || !puzzlethemes::isThemeList(raw))
        return;
    m_themesAt = first;
    m_themes = raw;
    for (PGNElement* e = first; e && e->getType() == PGNElement::TypeCommentElement; e = e->next)
        static_cast<PGNCommentElement*>(e)->text.clear();
    PGNElement::reset_layout_cache(game.root);
}

void PuzzleTrainer::showThemes()
{
    if (!m_themesAt)
        return;
    // One word for the list: the words after it stay empty.
    m_themesAt->text = puzzlethemes::translatedList(m_themes);
    PGNElement::reset_layout_cache(m_themesAt);
}

bool PuzzleTrainer::playOtherSolution(PGNMove* stored, const Move& move)
{
    ChessDocument& document = m_controller.document();
    if (!document.isPuzzle() || !stored->parent)
        return false;
    Board after = stored->boardBefore();
    after.doMove(move);
    const bool samePosition = after == stored->boardAfter();
    // On the solver's last move any mate solves the puzzle.
    const Color side = after.getColorToMove();
    const bool lastMove = stored->findNextMove() == nullptr;
    if (!samePosition && !(lastMove && after.isCheck(side) && after.isNoMoves(side)))
        return false;
    Game& game = document.game();
    // The player's move, the stored one beside it as a variation.
    game.addMove(move);
    stored->hidden = false;
    PGNElement::reset_layout_cache(game.root);
    return true;
}

void PuzzleTrainer::missed()
{
    setPuzzleFlags(Game::FlagFailed);
    score(false);
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
    score(false);
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
    Game& game = document.game();
    if (!document.isPuzzle() || document.isSolvedPuzzle() || m_showingSolution ||
        !game.errorText.empty() || !game.current)
        return;
    setPuzzleFlags(Game::FlagFailed | Game::FlagHelped);
    score(false);
    m_showingSolution = true;
    m_hintAt = nullptr;
    document.selection = Position();
    document.cursor = Position();
    // The replies too wait for their step: the list shows what the board played.
    for (PGNMove* m = game.current->findNextMove(); m; m = m->findNextMove())
        m->hidden = true;
    showThemes();
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
    ChessDocument& document = m_controller.document();
    ChessBase& base = document.database;
    syncBase();
    const int due = PuzzleTables(base.handle()).firstDue(today(), base.game.id);
    int target = due;
    if (!target) {
        target = base.getNextFailedPuzzleRowID(base.game.id > 0 ? base.game.id : base.game.parent);
        // Past the last one: round again from the first.
        if (!target)
            target = base.getNextFailedPuzzleRowID(0);
    }
    if (target == 0) {
        m_controller.platform().message(Platform::MessageInformation, translated("Puzzle"),
                                        translated("No failed puzzles to retry."), 10000);
        return;
    }
    m_controller.bases().openGame(target);
    // One solved with help is tried again from its start.
    if (document.isSolvedPuzzle()) {
        setPuzzleFlags(0, Game::FlagHelped);
        m_controller.session().resetGame();
    }
}

void PuzzleTrainer::nextPuzzle()
{
    ChessDocument& document = m_controller.document();
    ChessBase& base = document.database;
    const Settings& settings = m_controller.settings();
    const int order = settings.value(Settings::PuzzleOrder);
    PuzzleTables tables(base.handle());
    if (order == 0 || !tables.hasInfo()) {
        m_controller.bases().nextUnsolvedPuzzle();
        return;
    }
    syncBase();
    const int bit = tables.themeBit(settings.puzzleTheme());
    const int own = static_cast<int>(std::lround(m_rating.rating));
    const int offset = kDifficultyOffsets[settings.value(Settings::PuzzleDifficulty)];
    int target = 0;
    if (order == 2)
        target = tables.above(m_streak > 0 ? m_streakRating : own + kDifficultyOffsets[0], bit,
                              base.game.id);
    else
        target = tables.nearRating(own + offset, bit, base.game.id);
    if (target == 0) {
        m_controller.bases().nextUnsolvedPuzzle();
        return;
    }
    m_controller.bases().openGame(target);
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
    score(true);
    showThemes();
    document.selection = Position();
    document.cursor = Position();
    const int seconds = m_controller.settings().value(Settings::NextPuzzle);
    if (seconds > 0)
        m_controller.platform().defer(seconds * 1000, [this] { nextPuzzle(); });
}

void PuzzleTrainer::setPuzzleFlags(unsigned set, unsigned clear)
{
    const ChessDocument& document = m_controller.document();
    const unsigned before = document.game().flags;
    m_controller.document().database.setPuzzleFlags(set, clear);
    if ((before ^ document.game().flags) & (Game::FlagSolved | Game::FlagHelped))
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
