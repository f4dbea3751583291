#include "views/moveshistoryview.h"

#include "game/pgnelement.h"
#include "game/pgnmove.h"
#include "views/viewstate.h"

#include <QBrush>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPen>

#include <string>

namespace {

// The element shown before e (with a text, visible), or null.
const PGNElement* shown_before(const PGNElement* e)
{
    for (const PGNElement* p = e->prev; p; p = p->prev) {
        if (p->isVisible() && !p->getText().empty())
            return p;
    }
    return nullptr;
}

// A usual NAG's symbol, or null.
const char* nag_symbol(const std::string& text)
{
    static const char* const symbols[] = {
        nullptr, "!",     "?",     "!!",     "??", "!?", "?!",     nullptr,  nullptr, nullptr,
        "=",     nullptr, nullptr, "\u221E", "+=", "=+", "\u00B1", "\u2213", "+-",    "-+"};
    if (text.size() >= 2 && text.size() <= 3 && text[0] == '$' &&
        text.find_first_not_of("0123456789", 1) == std::string::npos) {
        const int number = std::stoi(text.substr(1));
        if (number < static_cast<int>(sizeof symbols / sizeof symbols[0]))
            return symbols[number];
    }
    return nullptr;
}

// What the reader sees of an element: the usual NAGs as their symbols, and
// a Black move that opens a line (the game, a variation, the text after a
// variation or a comment) with its number, "18...Qxa1+".
std::string shown_text(const PGNElement* e)
{
    std::string text = e->getText();
    if (e->getType() == PGNElement::TypeNag) {
        if (const char* symbol = nag_symbol(text))
            text = symbol;
        return text;
    }
    if (e->getType() != PGNElement::TypeMove || text.empty())
        return text;
    const auto* move = static_cast<const PGNMove*>(e);
    if (!move->parent || move->parent->colorToMove() != Black)
        return text;
    const PGNElement* before = shown_before(e);
    const int type = before ? before->getType() : PGNElement::TypeVariantBegin;
    if (type == PGNElement::TypeMove || type == PGNElement::TypeNag)
        return text;
    return std::to_string(move->parent->boardAfter().fullMoveNumber) + "..." + text;
}

// Written without a space before it: a move's symbol ("!?"), a variation's
// closing bracket, and the first word inside its opening one.
bool is_glued(const PGNElement* e)
{
    if (e->getType() == PGNElement::TypeVariantEnd)
        return true;
    if (e->getType() == PGNElement::TypeNag && nag_symbol(e->getText()))
        return true;
    const PGNElement* before = shown_before(e);
    return before && before->getType() == PGNElement::TypeVariantBegin;
}

struct ListFonts {
    QFont text;
    QFont move;
};

// The fonts that layout measures with and paint draws with: the text font
// (the painter's when none is set) and the move font (the text font when none
// is set). The painter is left on the text font.
ListFonts list_fonts(QPainter* painter, const QFont* textFont, const QFont* moveFont)
{
    ListFonts fonts;
    fonts.text = textFont ? *textFont : painter->font();
    fonts.move = moveFont ? *moveFont : fonts.text;
    painter->setFont(fonts.text);
    return fonts;
}

} // namespace

MovesHistoryView::MovesHistoryView(const ViewState* state) : m_state(state) {}

PGNElement* MovesHistoryView::firstElement() const
{
    return m_state->game().root;
}

void MovesHistoryView::setRect(const Rect& rect)
{
    if (rect != m_rect) {
        m_rect = rect;
        resetLayout();
    }
}

void MovesHistoryView::resetLayout()
{
    PGNElement::reset_layout_cache(firstElement());
    m_pageCount = 0;
    m_shownPage = -1;
}

void MovesHistoryView::layoutWord(QPainter* painter, int& x, int& y, const char* text, int space,
                                  Rect* out, bool& newPage, bool newLine, int depth) const
{
    const QFontMetrics metrics = painter->fontMetrics();
    const int w = metrics.horizontalAdvance(QString::fromUtf8(text));
    const int h = metrics.height();
    ++m_measuredWords;

    const int p = m_innerMargin;
    int wordX = x;
    newPage = false;
    if (newLine || x + w >= m_rect.left + m_rect.width - p) {
        y += h;
        wordX = m_rect.left + p + depth * 3 * space;
        if (y + h >= m_rect.top + m_rect.height - p) {
            // The line does not fit: the word opens the next page (and stays
            // there even if it is taller or wider than the page).
            newPage = true;
            y = m_rect.top + p;
        }
    }
    x = wordX + w + space;
    if (out)
        *out = Rect{wordX, y, w, h};
}

void MovesHistoryView::layout(QPainter* painter)
{
    PGNElement* root = firstElement();
    if (!root)
        return;
    const auto [textFont, moveFont] = list_fonts(painter, m_textFont, m_moveFont);
    const int space = painter->fontMetrics().horizontalAdvance(QLatin1Char(' '));
    const int p = m_innerMargin;

    root->page = 0;
    int x = m_rect.left + p;
    int y = m_rect.top + p;
    int page = 0;
    unsigned prevDepth = 0;
    bool placed = false;
    const QFont* selected = &textFont;
    for (PGNElement* e = root; e; e = e->next) {
        if (e->hidden)
            break;
        const std::string text = shown_text(e);
        if (text.empty() || !e->isVisible()) {
            prevDepth = e->depth;
            continue;
        }
        if (e->page != -1 && Rect{e->x, e->y, e->width, e->height}) {
            // Laid out before: the cursor moves behind it, nothing measured.
            x = e->x + e->width + space;
            y = e->y;
            page = e->page;
        } else {
            const bool isMove = e->getType() == PGNElement::TypeMove;
            const QFont* font = isMove ? &moveFont : &textFont;
            if (font != selected) {
                painter->setFont(*font);
                selected = font;
            }
            const bool newLine =
                e->getType() == PGNElement::TypeVariantBegin || e->depth != prevDepth;
            if (!newLine && is_glued(e))
                x -= space;
            Rect out;
            bool newPage = false;
            layoutWord(painter, x, y, text.c_str(), space, &out, newPage, newLine,
                       static_cast<int>(e->depth));
            if (newPage)
                ++page;
            e->page = page;
            e->x = out.left;
            e->y = out.top;
            e->width = out.width;
            e->height = out.height;
            placed = true;
        }
        prevDepth = e->depth;
    }
    m_pageCount = page + 1;
    // The shown page follows the current move after new words were placed,
    // and never stays on a page that no longer exists (another game shown).
    if (placed || m_shownPage >= m_pageCount) {
        const PGNMove* current = m_state->game().current;
        m_shownPage = current && current->page >= 0 ? current->page : 0;
    }
    painter->setFont(textFont);
}

void MovesHistoryView::paint(QPainter* painter, const QRect& region)
{
    layout(painter);
    PGNElement* root = firstElement();
    if (!root)
        return;
    const auto [textFont, moveFont] = list_fonts(painter, m_textFont, m_moveFont);
    const int textAscent = QFontMetrics(textFont).ascent();
    const int moveAscent = QFontMetrics(moveFont).ascent();
    if (!root->next && !m_state->tip.empty()) {
        const int width = m_rect.width - 2 * m_innerMargin;
        painter->drawText(m_rect.left + m_innerMargin, m_rect.top + m_innerMargin + textAscent,
                          painter->fontMetrics().elidedText(QString::fromUtf8(m_state->tip.c_str()),
                                                            Qt::ElideRight, width));
        return;
    }

    const QPen pen = painter->pen();
    const QBrush brush = painter->brush();
    const QPen inversePen(painter->background().color());
    const QBrush inverseBrush(pen.color());
    const bool historyMode = m_state->mode == ViewState::HistoryMode;
    const PGNElement* current = m_state->game().current;

    for (const PGNElement* e = root; e; e = e->next) {
        if (e->hidden || e->page > m_shownPage)
            break;
        if (e->page != m_shownPage || !Rect{e->x, e->y, e->width, e->height} || !e->isVisible())
            continue;
        const QRect box(e->x, e->y, e->width, e->height);
        if (!box.intersects(region))
            continue;
        const std::string text = shown_text(e);
        if (text.empty())
            continue;
        const bool isMove = e->getType() == PGNElement::TypeMove;
        if (e == current) {
            if (historyMode) {
                // A solid block in the pen colour, the word in the background colour.
                painter->setPen(inversePen);
                painter->setBrush(inverseBrush);
            } else {
                painter->setBrush(Qt::NoBrush);
            }
            painter->drawRect(
                QRect(QPoint(e->x, e->y), QPoint(e->x + e->width - 1, e->y + e->height - 1)));
        }
        painter->setFont(isMove ? moveFont : textFont);
        painter->drawText(e->x, e->y + (isMove ? moveAscent : textAscent),
                          QString::fromUtf8(text.c_str(), static_cast<int>(text.size())));
        painter->setPen(pen);
        painter->setBrush(brush);
    }
}

void MovesHistoryView::update(RepaintTarget* target)
{
    if (target)
        target->invalidate(viewRect());
}

PGNMove* MovesHistoryView::findMoveFromXY(int x, int y) const
{
    for (PGNElement* e = firstElement(); e; e = e->next) {
        if (e->hidden || e->page > m_shownPage)
            break;
        if (e->page != m_shownPage)
            continue;
        if (x > e->x && x < e->x + e->width && y > e->y && y < e->y + e->height &&
            e->getType() == PGNElement::TypeMove)
            return static_cast<PGNMove*>(e);
    }
    return nullptr;
}
