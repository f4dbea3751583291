#pragma once

#include "views/boardfontdescriptor.h"

#include <vector>

class AbstractBoardDisplayer;
class ConfigFileAbstract;

// The board font catalogue: the "board.font_%02d" entries of the configuration,
// read once at start-up, in order. The configuration key "board.font" selects
// the entry a new board displayer is made from.
class BoardFontFactory {
public:
    static BoardFontFactory* instance();
    // Fills the catalogue; throws on a malformed entry or when there is none.
    static void init(const ConfigFileAbstract* config);
    static void destroy();

    // A new displayer for the selected entry and cells of size pixels, owned by
    // the caller. An index outside the catalogue falls back to entry 0.
    AbstractBoardDisplayer* createBoardDisplayer(int size) const;

    // Registers the file of every TrueType entry with the toolkit; returns the
    // toolkit's ids of the fonts registered. Failures are logged: the family
    // is then unknown and Qt substitutes another font.
    std::vector<int> registerTrueTypeFonts() const;

    const std::vector<BoardFontDescriptor>& fonts() const { return m_fonts; }
    // The index the configuration selects, brought inside the catalogue.
    int selectedIndex() const;

    static BoardFontFactory* pFactory;

private:
    BoardFontFactory() = default;

    std::vector<BoardFontDescriptor> m_fonts;
};
