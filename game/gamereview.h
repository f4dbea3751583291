#pragma once

#include "chess/board.h"
#include "chess/move.h"
#include "game/game.h"

#include <string>
#include <vector>

// An engine's judgement of a position, for the side to move: centipawns, or
// moves to mate (above 0 the side to move mates; 0 or below it is mated), and
// the best line from the position.
struct Evaluation {
    bool known = false;
    bool mate = false;
    int score = 0;
    Moves line;
};

// The mover's winning chances on [-1, 1]: 2 / (1 + exp(-0.004 cp)) - 1,
// a mate saturated to 1 or -1.
double winning_chances(const Evaluation& evaluation);

// How a move is marked by the loss of winning chances it caused.
enum class MoveMark { None, Inaccuracy, Mistake, Blunder };
constexpr double kInaccuracyLoss = 0.1;
constexpr double kMistakeLoss = 0.2;
constexpr double kBlunderLoss = 0.3;
MoveMark mark_for_loss(double loss);
// The NAG of a mark: 6 "?!", 2 "?", 4 "??"; 0 for none.
int mark_nag(MoveMark mark);

// Marks, counted for one side.
struct ReviewSummary {
    int moves = 0;
    int inaccuracies = 0;
    int mistakes = 0;
    int blunders = 0;
    double totalLoss = 0;
    double averageLoss() const { return moves ? totalLoss / moves : 0; }
};

// The review of a game's main line: one evaluation per position (the start
// and the position after each move), filled in any order; positions without
// a move (mate, stalemate) are judged at once. From the evaluations follow
// each move's loss and mark, the summary per side and the annotated game.
class PGNMove;

class GameReview {
public:
    // The main line of game (opened on a copy). Throws the game's Exception
    // for malformed move text.
    explicit GameReview(const Game& game);

    // Positions: 0 the start, i the position after move i.
    size_t positionCount() const { return m_positions.size(); }
    size_t moveCount() const { return m_moves.size(); }
    const Board& position(size_t index) const { return m_positions[index]; }
    // Move i leads from position i - 1 to position i (1-based).
    const Move& move(size_t index) const { return m_moves[index - 1]; }

    void setEvaluation(size_t index, const Evaluation& evaluation);
    const Evaluation& evaluation(size_t index) const { return m_evaluations[index]; }
    // The first position still without an evaluation, or positionCount().
    size_t nextPending() const;
    bool isComplete() const { return nextPending() == positionCount(); }

    // The loss of the mover's winning chances by move i (0 until both of its
    // positions are evaluated; never below 0).
    double loss(size_t index) const;
    MoveMark mark(size_t index) const { return mark_for_loss(loss(index)); }
    ReviewSummary summary(Color side) const;

    // Whether the main line is that of game.
    bool sameMoves(const GameReview& other) const
    {
        return m_moves == other.m_moves && m_positions.front() == other.m_positions.front();
    }

    // The game with the main line annotated: after each evaluated move its
    // evaluation ("[%eval 0.35]", White's view), marks as NAGs with the best
    // line as a variation, the summary in a comment at the end; annotator
    // names who reviewed. Earlier comments and variations are dropped.
    Game annotated(const std::string& annotator) const;

private:
    Game m_game;
    std::vector<Board> m_positions;
    Moves m_moves;
    std::vector<Evaluation> m_evaluations;
};

// "0.35", "-1.20", "#3", "#-2": an evaluation from White's view for the side
// to move of position.
std::string eval_text(const Evaluation& evaluation, Color toMove);
// The evaluations of a game's main line read back from "[%eval ...]"
// comments, from White's view in pawns (a mate as +-100); index 0 is the
// start (0), then one per move; a move without one repeats the value before.
std::vector<double> read_eval_curve(const Game& game);

// The mark of a move node from its NAGs ("$6", "$2", "$4").
MoveMark move_mark(const PGNMove* node);
// The nearest marked move after from in its line (forward) or before it
// (back to the start), or null.
const PGNMove* next_marked_move(const PGNMove* from, bool forward);
