#include "app/viewfonts.h"

#include "app/settings.h"
#include "views/chessboardview.h"
#include "views/gameinfoview.h"
#include "views/moveshistoryview.h"

namespace {
QFont make_font(int pixelSize, bool bold)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize > 0 ? pixelSize : 1);
    if (bold)
        font.setWeight(QFont::Bold);
    return font;
}
} // namespace

ViewFonts::ViewFonts(const Settings& settings)
    : m_headerBold(make_font(settings.value(Settings::FontSizeHeader), true)),
      m_header(make_font(settings.value(Settings::FontSizeHeader), false)),
      m_secondHeaderBold(make_font(settings.value(Settings::FontSizeHeader), true)),
      m_annotation(make_font(settings.value(Settings::FontSizeAnnotation), false)),
      m_history(make_font(settings.value(Settings::FontSizeHistory), false)),
      m_historyBold(make_font(settings.value(Settings::FontSizeHistory), true))
{
}

void ViewFonts::attach(GameInfoView& info, ChessBoardView& board, MovesHistoryView& history) const
{
    info.setPuzzleFont(&m_headerBold);
    info.setResultFont(&m_header);
    info.setNamesFont(&m_secondHeaderBold);
    board.setAnnotationFont(&m_annotation);
    history.setTextFont(&m_history);
    history.setMoveFont(&m_historyBold);
}
