#pragma once

#include "app/viewfonts.h"
#include "views/chessboardview.h"
#include "views/gameinfoview.h"
#include "views/moveshistoryview.h"
#include "views/rect.h"

#include <string>
#include <vector>

class AbstractView;
class ChessDocument;
class Settings;
class Platform;
class QPainter;
class QRect;

// The screen: the three views over the document, their fonts, the division
// of the client rectangle among them, painting and the views' redraw.
class ScreenLayout {
public:
    ScreenLayout(Settings& settings, const ChessDocument& document, Platform& platform);
    ScreenLayout(const ScreenLayout&) = delete;
    ScreenLayout& operator=(const ScreenLayout&) = delete;

    // "Off", "10%" ... "50%": share of the screen height for the move list.
    static const std::vector<std::string>& get_history_sizes();

    ChessBoardView& boardView() { return m_boardView; }
    MovesHistoryView& historyView() { return m_historyView; }
    GameInfoView& infoView() { return m_infoView; }
    const MovesHistoryView& historyView() const { return m_historyView; }

    // Redraws every view but except; full repaints whole rectangles (the
    // whole client area without except), otherwise each view invalidates
    // what changed.
    void updateViews(const AbstractView* except, bool full);
    // Divides the client rectangle among the info, board and history views;
    // the header is there when the setting asks or the game has clocks.
    void layout(const Rect& client);
    // The game has clocks (they show in the header); true when that laid the
    // screen out anew.
    bool setClockHeader(bool shown);
    // Paints the views' parts of area, laying them out first when the client
    // rectangle changed since.
    void paint(QPainter& painter, const QRect& area);

    // Rebuilds the board displayer; on failure "board.font" goes back to 0
    // and the Exception is passed on.
    void applyBoardFont();
    // Coordinates and frames as the settings say.
    void setBoardAnnotation();

private:
    Settings& m_settings;
    Platform& m_platform;
    // The client rectangle of the last layout.
    Rect m_laidOut{0, 0, 0, 0};
    bool m_clockHeader = false;
    ViewFonts m_fonts;
    GameInfoView m_infoView;
    ChessBoardView m_boardView;
    MovesHistoryView m_historyView;
};
