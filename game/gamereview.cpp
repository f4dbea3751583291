#include "game/gamereview.h"

#include "chess/san.h"
#include "game/pgnmove.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {
// Longest best line written as a variation, in plies.
constexpr size_t kLinePlies = 6;
// A mate on the curve, in pawns.
constexpr double kMatePawns = 100;

const char* mark_name(MoveMark mark)
{
    switch (mark) {
    case MoveMark::Inaccuracy:
        return "Inaccuracy";
    case MoveMark::Mistake:
        return "Mistake";
    case MoveMark::Blunder:
        return "Blunder";
    default:
        return "";
    }
}

// "12. " for White, "12... " for Black when a line starts with Black.
std::string move_number(const Board& before, bool force)
{
    const int number = before.fullMoveNumber;
    if (before.getColorToMove() == White)
        return std::to_string(number) + ". ";
    return force ? std::to_string(number) + "... " : std::string();
}

std::string summary_text(const char* side, const ReviewSummary& s)
{
    char text[160];
    snprintf(text, sizeof text, "%s: inaccuracies %d, mistakes %d, blunders %d, average loss %.3f.",
             side, s.inaccuracies, s.mistakes, s.blunders, s.averageLoss());
    return text;
}
} // namespace

double winning_chances(const Evaluation& evaluation)
{
    if (evaluation.mate)
        return evaluation.score > 0 ? 1.0 : -1.0;
    return 2.0 / (1.0 + std::exp(-0.004 * evaluation.score)) - 1.0;
}

MoveMark mark_for_loss(double loss)
{
    if (loss >= kBlunderLoss)
        return MoveMark::Blunder;
    if (loss >= kMistakeLoss)
        return MoveMark::Mistake;
    if (loss >= kInaccuracyLoss)
        return MoveMark::Inaccuracy;
    return MoveMark::None;
}

int mark_nag(MoveMark mark)
{
    switch (mark) {
    case MoveMark::Inaccuracy:
        return 6;
    case MoveMark::Mistake:
        return 2;
    case MoveMark::Blunder:
        return 4;
    default:
        return 0;
    }
}

GameReview::GameReview(const Game& game) : m_game(game)
{
    // A copy of an open game holds its stored move text: its list is read.
    if (!game.isOpen())
        m_game.open();
    const PGNMove* node = game.isOpen() ? game.root : m_game.root;
    m_positions.push_back(node->boardAfter());
    while ((node = node->findNextMove()) != nullptr) {
        m_moves.push_back(node->move);
        m_positions.push_back(node->boardAfter());
    }
    m_game.close(false);
    m_evaluations.resize(m_positions.size());
    for (size_t i = 0; i < m_positions.size(); ++i) {
        const Board& board = m_positions[i];
        const Color side = board.getColorToMove();
        if (board.generateMoves(side, nullptr) != 0)
            continue;
        Evaluation& final = m_evaluations[i];
        final.known = true;
        final.mate = board.isCheck(side);
        final.score = 0;
    }
}

void GameReview::setEvaluation(size_t index, const Evaluation& evaluation)
{
    m_evaluations.at(index) = evaluation;
    m_evaluations[index].known = true;
}

size_t GameReview::nextPending() const
{
    for (size_t i = 0; i < m_evaluations.size(); ++i) {
        if (!m_evaluations[i].known)
            return i;
    }
    return m_evaluations.size();
}

double GameReview::loss(size_t index) const
{
    const Evaluation& before = m_evaluations.at(index - 1);
    const Evaluation& after = m_evaluations.at(index);
    if (!before.known || !after.known)
        return 0;
    return std::max(0.0, winning_chances(before) + winning_chances(after));
}

ReviewSummary GameReview::summary(Color side) const
{
    ReviewSummary s;
    for (size_t i = 1; i <= m_moves.size(); ++i) {
        if (m_positions[i - 1].getColorToMove() != side || !m_evaluations[i - 1].known ||
            !m_evaluations[i].known)
            continue;
        const double moveLoss = loss(i);
        ++s.moves;
        s.totalLoss += moveLoss;
        switch (mark_for_loss(moveLoss)) {
        case MoveMark::Inaccuracy:
            ++s.inaccuracies;
            break;
        case MoveMark::Mistake:
            ++s.mistakes;
            break;
        case MoveMark::Blunder:
            ++s.blunders;
            break;
        default:
            break;
        }
    }
    return s;
}

Game GameReview::annotated(const std::string& annotator) const
{
    Game out(m_game);
    out.moveText.clear();
    std::string& text = out.moveText;
    bool numberDue = true;
    for (size_t i = 1; i <= m_moves.size(); ++i) {
        const Board& before = m_positions[i - 1];
        text += move_number(before, numberDue);
        text += move_to_san(before, m_moves[i - 1]);
        numberDue = false;
        const MoveMark moveMark = mark(i);
        if (moveMark != MoveMark::None)
            text += " $" + std::to_string(mark_nag(moveMark));
        if (!m_evaluations[i].known) {
            text += ' ';
            continue;
        }
        text += " { [%eval " + eval_text(m_evaluations[i], m_positions[i].getColorToMove()) + "]";
        const Evaluation& best = m_evaluations[i - 1];
        const bool better = moveMark != MoveMark::None && !best.line.empty() &&
                            !(best.line.front() == m_moves[i - 1]);
        if (better) {
            text += std::string(" ") + mark_name(moveMark) + ". " +
                    move_to_san(before, best.line.front()) + " was best.";
        }
        text += " } ";
        if (better) {
            text += "( ";
            Board board = before;
            for (size_t ply = 0; ply < best.line.size() && ply < kLinePlies; ++ply) {
                text += move_number(board, ply == 0) + move_to_san(board, best.line[ply]) + ' ';
                board.doMove(best.line[ply]);
            }
            text += "{ [%eval " + eval_text(best, before.getColorToMove()) + "] } ) ";
        }
        numberDue = better;
    }
    text += "{ " + summary_text("White", summary(White)) + " " +
            summary_text("Black", summary(Black)) + " } ";
    text += Game::game_result_to_str(out.result);
    if (!annotator.empty())
        out.headers["Annotator"] = annotator;
    return out;
}

std::string eval_text(const Evaluation& evaluation, Color toMove)
{
    const int sign = toMove == White ? 1 : -1;
    char text[32];
    if (evaluation.mate && evaluation.score == 0)
        return sign > 0 ? "#-0" : "#0";
    if (evaluation.mate) {
        snprintf(text, sizeof text, "#%d", sign * evaluation.score);
    } else {
        snprintf(text, sizeof text, "%.2f", sign * evaluation.score / 100.0);
    }
    return text;
}

std::vector<double> read_eval_curve(const Game& game)
{
    Game copy(game);
    copy.open();
    std::vector<double> curve{0.0};
    bool pending = false;
    for (const PGNElement* e = copy.root->next; e != nullptr; e = e->next) {
        if (e->depth != 0)
            continue;
        if (e->getType() == PGNElement::TypeMove) {
            curve.push_back(curve.back());
            continue;
        }
        if (e->getType() != PGNElement::TypeCommentElement)
            continue;
        const std::string word = e->getText();
        if (word == "[%eval") {
            pending = true;
            continue;
        }
        if (!pending || curve.size() < 2)
            continue;
        pending = false;
        std::string value = word.substr(0, word.find(']'));
        if (!value.empty() && value[0] == '#')
            curve.back() = (value.size() > 1 && value[1] == '-') ? -kMatePawns : kMatePawns;
        else
            curve.back() = std::strtod(value.c_str(), nullptr);
    }
    copy.close(false);
    return curve;
}

MoveMark move_mark(const PGNMove* node)
{
    for (const PGNElement* e = node->next; e != nullptr && e->getType() == PGNElement::TypeNag;
         e = e->next) {
        const std::string text = e->getText();
        for (MoveMark mark : {MoveMark::Inaccuracy, MoveMark::Mistake, MoveMark::Blunder}) {
            if (text == "$" + std::to_string(mark_nag(mark)))
                return mark;
        }
    }
    return MoveMark::None;
}

const PGNMove* next_marked_move(const PGNMove* from, bool forward)
{
    const PGNMove* node = from;
    for (;;) {
        node = forward ? node->findNextMove() : node->parent;
        if (node == nullptr || node->parent == nullptr)
            return nullptr;
        if (move_mark(node) != MoveMark::None)
            return node;
    }
}
