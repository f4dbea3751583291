#include "views/gameinfoview.h"

#include "core/trans.h"
#include "views/viewstate.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QTextOption>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

// Empty or "?": what PGN writes for an unknown tag.
bool is_missing(const std::string& text)
{
    return text.empty() || text == "?";
}

QString to_qt(const std::string& text)
{
    return QString::fromUtf8(text.c_str(), static_cast<int>(text.size()));
}

// The least size a text is drawn in: two thirds of its font, not under 16 pixels.
constexpr int kLeastTextPixels = 16;

// A text in the painter's font if it fits the width, else in a smaller size
// down to the least legible one, else cut there with an ellipsis. Sets the
// painter's font to the size used.
QString fit_text(QPainter* painter, const QString& text, int width)
{
    QFont font = painter->font();
    const bool pixels = font.pixelSize() > 0;
    const double size = pixels ? font.pixelSize() : font.pointSizeF();
    const double pixelsPerUnit = pixels ? 1.0 : painter->fontMetrics().height() / size;
    const double least =
        std::min(size, std::max(kLeastTextPixels / pixelsPerUnit, size * 2.0 / 3.0));
    for (double now = size;; now = std::max(least, now - 1.0)) {
        if (pixels)
            font.setPixelSize(static_cast<int>(now));
        else
            font.setPointSizeF(now);
        painter->setFont(font);
        if (painter->fontMetrics().horizontalAdvance(text) <= width || now <= least)
            break;
    }
    return painter->fontMetrics().elidedText(text, Qt::ElideRight, width);
}

// The stored heading "White to move · mate in 3 · 513" in the user's
// language, part by part; other text as a whole.
std::string puzzle_heading(const std::string& event)
{
    static const std::string dot = " \u00b7 ";
    std::string out;
    size_t start = 0;
    for (;;) {
        const size_t end = event.find(dot, start);
        const std::string part = event.substr(start, end - start);
        if (!out.empty())
            out += dot;
        out += translated(part.c_str());
        if (end == std::string::npos)
            break;
        start = end + dot.size();
    }
    return out;
}

void draw_line(QPainter* painter, const QRect& box, const QString& text, Qt::Alignment alignment)
{
    // One line, never wrapped.
    QTextOption option(alignment);
    option.setWrapMode(QTextOption::NoWrap);
    painter->drawText(QRectF(box), text, option);
}

} // namespace

GameInfoView::GameInfoView(const ViewState* state) : m_state(state) {}

void GameInfoView::setRect(const Rect& rect)
{
    m_rect = rect;
}

void GameInfoView::update(RepaintTarget* target)
{
    const Game& game = m_state->game();
    const int flags = static_cast<int>(game.flags);
    const int result = static_cast<int>(game.result);
    if (flags == m_shownFlags && result == m_shownResult && game.id == m_shownGameId &&
        m_state->progress == m_shownProgress && m_state->playerRating == m_shownRating)
        return;
    if (target)
        target->invalidate(viewRect());
    m_shownFlags = flags;
    m_shownResult = result;
    m_shownGameId = game.id;
    m_shownProgress = m_state->progress;
    m_shownRating = m_state->playerRating;
}

void GameInfoView::paint(QPainter* painter, const QRect& region)
{
    (void)region;
    const Game& game = m_state->game();
    painter->save();
    if (game.flags & Game::FlagPuzzle)
        drawPuzzleInfo(painter);
    else if (is_missing(game.white) && is_missing(game.black))
        drawBookInfo(painter);
    else
        drawGameInfo(painter);
    painter->restore();
}

std::string GameInfoView::puzzleText() const
{
    const Game& game = m_state->game();
    char number[16];
    std::snprintf(number, sizeof number, "%d. ", game.id);
    std::string text = number;
    text += is_missing(game.event) ? translated("Find the best move") : puzzle_heading(game.event);
    // Solved/total under the heading, then in the whole base.
    const ViewState::PuzzleProgress& progress = m_state->progress;
    if (progress.known) {
        char counts[64];
        if (progress.heading.total != progress.base.total)
            std::snprintf(counts, sizeof counts, " \u00b7 %d/%d \u00b7 %d/%d",
                          progress.heading.solved, progress.heading.total, progress.base.solved,
                          progress.base.total);
        else
            std::snprintf(counts, sizeof counts, " \u00b7 %d/%d", progress.base.solved,
                          progress.base.total);
        text += counts;
    }
    if (m_state->playerRating > 0) {
        char rating[48];
        std::snprintf(rating, sizeof rating, translated("rating %d"), m_state->playerRating);
        text += " \u00b7 ";
        text += rating;
    }
    if (game.flags & Game::FlagSolved) {
        text += " - ";
        // Finished with a hint or after a shown solution: not a clean solve.
        text += translated((game.flags & Game::FlagHelped) ? "solved with help" : "solved!");
    }
    return text;
}

void GameInfoView::drawPuzzleInfo(QPainter* painter) const
{
    if (m_puzzleFont)
        painter->setFont(*m_puzzleFont);
    const QRect box = viewRect();
    draw_line(painter, box, fit_text(painter, to_qt(puzzleText()), box.width() - 20),
              Qt::AlignHCenter | Qt::AlignVCenter);
}

void GameInfoView::drawBookInfo(QPainter* painter) const
{
    const Game& game = m_state->game();
    std::string text = game.event;
    if (is_missing(text)) {
        text = m_state->heading(game.id);
        if (text.empty())
            text = "?";
    }
    if (m_namesFont)
        painter->setFont(*m_namesFont);
    const QRect box(m_rect.left + 20, m_rect.top, m_rect.width - 40, m_rect.height);
    draw_line(painter, box, to_qt(text), Qt::AlignHCenter | Qt::AlignVCenter);
}

void GameInfoView::drawGameInfo(QPainter* painter) const
{
    const Game& game = m_state->game();
    if (m_resultFont)
        painter->setFont(*m_resultFont);
    const QString result = QLatin1Char('[') +
                           QString::fromLatin1(Game::game_result_to_str(game.result)) +
                           QLatin1Char(']');
    const int r = painter->fontMetrics().horizontalAdvance(result);
    draw_line(painter, viewRect(), result, Qt::AlignHCenter | Qt::AlignVCenter);

    // Each name stays in its box, clear of the result.
    const int w = m_rect.width;
    const int s = std::max(0, (w - r) / 2 - 20);
    const QRect whiteBox(m_rect.left + 10, m_rect.top, s, m_rect.height);
    if (m_namesFont)
        painter->setFont(*m_namesFont);
    draw_line(painter, whiteBox, fit_text(painter, to_qt(game.white), s),
              Qt::AlignLeft | Qt::AlignVCenter);

    const QRect blackBox(m_rect.left + 10 + (r + w) / 2, m_rect.top, s, m_rect.height);
    if (m_namesFont)
        painter->setFont(*m_namesFont);
    draw_line(painter, blackBox, fit_text(painter, to_qt(game.black), s),
              Qt::AlignRight | Qt::AlignVCenter);
}
