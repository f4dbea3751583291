#include "views/gameinfoview.h"

#include "core/trans.h"
#include "game/pgnmove.h"
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

QRect GameInfoView::clockBox(int side) const
{
    const QFont font = m_resultFont ? *m_resultFont : QFont();
    const QFontMetrics metrics(font);
    const int result = metrics.horizontalAdvance(QStringLiteral("[1/2-1/2]"));
    const int clock = metrics.horizontalAdvance(QStringLiteral("0:00:00"));
    const int centre = m_rect.left + m_rect.width / 2;
    const int left = side == 0 ? centre - result / 2 - clock - 10 : centre + result / 2 + 10;
    return QRect(left, m_rect.top, clock, m_rect.height);
}

void GameInfoView::update(RepaintTarget* target)
{
    const Game& game = m_state->game();
    const int flags = static_cast<int>(game.flags);
    const int result = static_cast<int>(game.result);
    const bool clock = m_state->clockShown && !(game.flags & Game::FlagPuzzle);
    const Mark marks[2] = {markOf(White), markOf(Black)};
    // A new game given its row when its first move is stored stays the game shown.
    const std::string names = game.white + '\n' + game.black;
    const bool sameGame =
        game.id == m_shownGameId || (m_shownGameId == 0 && game.id > 0 && names == m_shownNames);
    if (flags == m_shownFlags && result == m_shownResult && sameGame &&
        m_state->progress == m_shownProgress && clock == m_shownClock &&
        m_state->playerRating == m_shownRating) {
        m_shownGameId = game.id;
        // A new opening name or review mark repaints its own line alone.
        if (m_state->opening != m_shownOpening || m_state->reviewMark != m_shownReviewMark) {
            m_shownOpening = m_state->opening;
            m_shownReviewMark = m_state->reviewMark;
            if (target && hasOpeningLine())
                target->invalidate(openingLineBox());
        }
        // Only a clock that shows another value, or a bar that changed, is
        // repainted, in its own box.
        for (const Color side : {White, Black}) {
            if (clock && m_state->clockText[side] != m_shownClockText[side]) {
                m_shownClockText[side] = m_state->clockText[side];
                if (target)
                    target->invalidate(clockBox(side));
            }
            if (marks[side] != m_shownMarks[side] && target)
                target->invalidate(markRect(side));
            m_shownMarks[side] = marks[side];
        }
        return;
    }
    m_shownMarks[White] = marks[White];
    m_shownMarks[Black] = marks[Black];
    if (target)
        target->invalidate(viewRect());
    m_shownClock = clock;
    m_shownClockText[0] = m_state->clockText[0];
    m_shownClockText[1] = m_state->clockText[1];
    m_shownFlags = flags;
    m_shownResult = result;
    m_shownGameId = game.id;
    m_shownNames = names;
    m_shownProgress = m_state->progress;
    m_shownOpening = m_state->opening;
    m_shownReviewMark = m_state->reviewMark;
    m_shownRating = m_state->playerRating;
}

void GameInfoView::paint(QPainter* painter, const QRect& region)
{
    (void)region;
    const Game& game = m_state->game();
    painter->save();
    if (game.flags & Game::FlagPuzzle) {
        drawPuzzleInfo(painter);
        painter->restore();
        return;
    }
    // Under an opening line the game's line moves up by a sixth.
    const bool opening = hasOpeningLine();
    painter->save();
    if (opening)
        painter->translate(0, -m_rect.height / 6);
    if (is_missing(game.white) && is_missing(game.black))
        drawBookInfo(painter);
    else
        drawGameInfo(painter);
    painter->restore();
    if (opening)
        drawOpeningLine(painter);
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
    int r = painter->fontMetrics().horizontalAdvance(result);
    draw_line(painter, viewRect(), result, Qt::AlignHCenter | Qt::AlignVCenter);
    if (m_state->clockShown) {
        draw_line(painter, clockBox(0), to_qt(m_state->clockText[0]),
                  Qt::AlignRight | Qt::AlignVCenter);
        draw_line(painter, clockBox(1), to_qt(m_state->clockText[1]),
                  Qt::AlignLeft | Qt::AlignVCenter);
        r = clockBox(1).right() - clockBox(0).left();
    }

    // Each name stays in its box, clear of the result.
    const int w = m_rect.width;
    const int s = std::max(0, (w - r) / 2 - 20);
    const QRect whiteBox(m_rect.left + 10, m_rect.top, s, m_rect.height);
    if (m_namesFont)
        painter->setFont(*m_namesFont);

    const QString white = fit_text(painter, to_qt(game.white), s);
    draw_line(painter, whiteBox, white, Qt::AlignLeft | Qt::AlignVCenter);
    drawMark(painter, White, whiteBox.left(),
             std::min(s, painter->fontMetrics().horizontalAdvance(white)));

    const QRect blackBox(m_rect.left + 10 + (r + w) / 2, m_rect.top, s, m_rect.height);
    if (m_namesFont)
        painter->setFont(*m_namesFont);
    const QString black = fit_text(painter, to_qt(game.black), s);
    draw_line(painter, blackBox, black, Qt::AlignRight | Qt::AlignVCenter);
    const int blackWidth = std::min(s, painter->fontMetrics().horizontalAdvance(black));
    drawMark(painter, Black, blackBox.left() + s - blackWidth, blackWidth);
}

// The bars: 5 pixels high, 5 above the header's bottom edge, in strips that
// are fixed halves of the header (so their repaint does not depend on the
// names or the result).
namespace {
constexpr int kMarkHeight = 5;
constexpr int kMarkBottom = 5;
constexpr int kDash = 12;
} // namespace

QRect GameInfoView::markRect(Color side) const
{
    const int half = m_rect.width / 2;
    // Over an opening line the bars sit just above it.
    const int bottom =
        hasOpeningLine() ? openingLineBox().top() - 1 : m_rect.top + m_rect.height - kMarkBottom;
    const int top = bottom - kMarkHeight;
    return side == White ? QRect(m_rect.left, top, half, kMarkHeight)
                         : QRect(m_rect.left + half, top, m_rect.width - half, kMarkHeight);
}

GameInfoView::Mark GameInfoView::markOf(Color side) const
{
    const Game& game = m_state->game();
    const PGNMove* node = m_state->currentNode();
    // Only the players' layout has names to mark.
    if (!node || node->result != ResultInProgress || game.result != ResultInProgress ||
        (game.flags & Game::FlagPuzzle) || (is_missing(game.white) && is_missing(game.black)) ||
        node->colorToMove() != side)
        return NoMark;
    return m_state->isEngineThinking() ? Thinking : ToMove;
}

void GameInfoView::drawMark(QPainter* painter, Color side, int left, int width) const
{
    const Mark mark = markOf(side);
    if (mark == NoMark || width <= 0)
        return;
    const QRect strip = markRect(side);
    const QColor ink = painter->pen().color();
    painter->save();
    // The names are drawn moved up over an opening line; the bars are not.
    if (hasOpeningLine())
        painter->translate(0, m_rect.height / 6);
    for (int x = left; x < left + width; x += mark == Thinking ? 2 * kDash : width) {
        const int length = mark == Thinking ? std::min(kDash, left + width - x) : width;
        painter->fillRect(QRect(x, strip.top(), length, kMarkHeight) & strip, ink);
    }
    painter->restore();
}

bool GameInfoView::hasOpeningLine() const
{
    // A game's header keeps the line for the opening and the review mark, so
    // a new name repaints the line alone.
    return !(m_state->game().flags & Game::FlagPuzzle);
}

int GameInfoView::openingLinePixels() const
{
    // A third of the view's height at most.
    return std::max(kLeastTextPixels, m_rect.height / 3);
}

QRect GameInfoView::openingLineBox() const
{
    const int pixels = openingLinePixels();
    return QRect(m_rect.left + 10, m_rect.top + m_rect.height - pixels - 4, m_rect.width - 20,
                 pixels + 4);
}

void GameInfoView::drawOpeningLine(QPainter* painter) const
{
    std::string text = m_state->opening;
    if (!m_state->reviewMark.empty())
        text += (text.empty() ? "" : " \u00b7 ") + m_state->reviewMark;
    if (text.empty())
        return;
    if (m_puzzleFont)
        painter->setFont(*m_puzzleFont);
    QFont font = painter->font();
    const int pixels = openingLinePixels();
    if (font.pixelSize() > pixels || font.pixelSize() <= 0)
        font.setPixelSize(pixels);
    painter->setFont(font);
    const QRect box = openingLineBox();
    draw_line(painter, box, fit_text(painter, to_qt(text), box.width()),
              Qt::AlignHCenter | Qt::AlignBottom);
}
