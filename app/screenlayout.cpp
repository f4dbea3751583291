#include "app/screenlayout.h"

#include "app/chessdocument.h"
#include "app/platform.h"
#include "app/settings.h"
#include "core/exception.h"
#include "core/trans.h"

#include <QRect>

#include <algorithm>

namespace {
// Height of the info area.
constexpr int kHeaderHeight = 60;
} // namespace

ScreenLayout::ScreenLayout(Settings& settings, const ChessDocument& document, Platform& platform)
    : m_settings(settings), m_platform(platform), m_fonts(settings), m_infoView(&document),
      m_boardView(&document, ChessBoardView::DefaultMargin), m_historyView(&document)
{
    m_fonts.attach(m_infoView, m_boardView, m_historyView);
}

const std::vector<std::string>& ScreenLayout::get_history_sizes()
{
    static const std::vector<std::string> sizes = {N_("Off"), "10%", "20%", "30%", "40%", "50%"};
    return sizes;
}

void ScreenLayout::updateViews(const AbstractView* except, bool full)
{
    if (!except && full) {
        const Rect client = m_platform.getClientRect();
        m_platform.invalidate(QRect(client.left, client.top, client.width, client.height));
        return;
    }
    AbstractView* views[] = {&m_infoView, &m_boardView, &m_historyView};
    for (AbstractView* view : views) {
        if (view == except)
            continue;
        if (full) {
            const Rect& r = view->getRect();
            m_platform.invalidate(QRect(r.left, r.top, r.width, r.height));
        } else {
            view->update(&m_platform);
        }
    }
}

void ScreenLayout::paint(QPainter& painter, const QRect& area)
{
    const Rect client = m_platform.getClientRect();
    if (client.width != m_laidOut.width || client.height != m_laidOut.height)
        layout(client);
    AbstractView* views[] = {&m_infoView, &m_boardView, &m_historyView};
    for (AbstractView* view : views) {
        const Rect& r = view->getRect();
        const QRect part = area & QRect(r.left, r.top, r.width, r.height);
        if (!part.isEmpty())
            view->paint(&painter, part);
    }
}

bool ScreenLayout::setClockHeader(bool shown)
{
    if (shown == m_clockHeader)
        return false;
    m_clockHeader = shown;
    if (m_settings.flag(Settings::Header))
        return false;
    layout(m_platform.getClientRect());
    return true;
}

void ScreenLayout::layout(const Rect& client)
{
    m_laidOut = client;
    const bool header = m_settings.flag(Settings::Header) || m_clockHeader;
    const int width = std::max(0, client.width);
    const int height = std::max(0, client.height);
    m_infoView.setRect(
        Rect{client.left, client.top, header ? width : 0, header ? kHeaderHeight : 0});

    const int share = m_settings.value(Settings::HistorySize);
    const int historyHeight = height * share / 10;
    const int available = height - (header ? kHeaderHeight : 0) - historyHeight;
    const int side = std::max(0, std::min(width, available));

    m_boardView.setRect(
        Rect{client.left + (width - side) / 2, header ? kHeaderHeight + 1 : 1, side, side});
    m_historyView.setRect(Rect{0, side + (header ? kHeaderHeight + 2 : 2), width, historyHeight});
    applyBoardFont();
}

void ScreenLayout::applyBoardFont()
{
    try {
        m_boardView.applyBoardFont(m_settings.value(Settings::BoardFont),
                                   m_settings.flag(Settings::BoardFontAntiAliasing));
    } catch (const Exception&) {
        m_settings.setValue(Settings::BoardFont, 0);
        throw;
    }
}

void ScreenLayout::setBoardAnnotation()
{
    m_boardView.setAnnotation(m_settings.flag(Settings::BoardAnnotation));
    m_boardView.setFrames(m_settings.flag(Settings::BoardInnerFrame),
                          m_settings.flag(Settings::BoardOuterFrame));
}
