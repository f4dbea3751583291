#include "app/viewfonts.h"

#include "core/configfileabstract.h"
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

ViewFonts::ViewFonts(const ConfigFileAbstract& config)
    : m_headerBold(make_font(config.readInt("font_size_header", 27), true)),
      m_header(make_font(config.readInt("font_size_header", 27), false)),
      m_secondHeaderBold(make_font(config.readInt("font_size_header", 27), true)),
      m_annotation(make_font(config.readInt("font_size_annotation", 20), false)),
      m_history(make_font(config.readInt("font_size_history", 25), false)),
      m_historyBold(make_font(config.readInt("font_size_history", 25), true))
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
