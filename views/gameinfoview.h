#pragma once

#include "core/gameresult.h"
#include "views/abstractview.h"

class ChessDocument;
class QFont;

// The one-line header above the board: a puzzle's number and task, a book
// position's heading, or the players with the result between them. It
// repaints only when the game's flags, result or row id change, so ordinary
// moves leave it alone on the e-ink panel.
class GameInfoView : public AbstractView {
public:
    explicit GameInfoView(const ChessDocument* document);

    void setRect(const Rect& rect) override;
    void update(RepaintTarget* target) override;
    void paint(QPainter* painter, const QRect& region) override;

    void drawPuzzleInfo(QPainter* painter) const;
    void drawBookInfo(QPainter* painter) const;
    void drawGameInfo(QPainter* painter) const;

    void setPuzzleFont(const QFont* font) { m_puzzleFont = font; }
    void setResultFont(const QFont* font) { m_resultFont = font; }
    void setNamesFont(const QFont* font) { m_namesFont = font; }

private:
    const ChessDocument* m_document;
    int m_shownFlags = -1;
    int m_shownResult = -1;
    int m_shownGameId = -1;
    const QFont* m_puzzleFont = nullptr;
    const QFont* m_resultFont = nullptr;
    const QFont* m_namesFont = nullptr;
};
