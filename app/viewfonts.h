#pragma once

#include <QFont>

class ChessBoardView;
class GameInfoView;
class MovesHistoryView;
class Settings;

// The fonts the views draw with, sized by the settings (header, annotation
// and move list font sizes). The
// views keep pointers to them, so they outlive the views they are given to.
class ViewFonts {
public:
    explicit ViewFonts(const Settings& settings);
    ViewFonts(const ViewFonts&) = delete;
    ViewFonts& operator=(const ViewFonts&) = delete;

    void attach(GameInfoView& info, ChessBoardView& board, MovesHistoryView& history) const;

private:
    QFont m_headerBold;
    QFont m_header;
    QFont m_secondHeaderBold;
    QFont m_annotation;
    QFont m_history;
    QFont m_historyBold;
};
