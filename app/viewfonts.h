#pragma once

#include <QFont>

class ConfigFileAbstract;
class ChessBoardView;
class GameInfoView;
class MovesHistoryView;

// The fonts the views draw with, sized by the configuration
// ("font_size_header", "font_size_annotation", "font_size_history"). The
// views keep pointers to them, so they outlive the views they are given to.
class ViewFonts {
public:
    explicit ViewFonts(const ConfigFileAbstract& config);
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
