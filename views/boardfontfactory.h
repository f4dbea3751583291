#pragma once

#include "views/boardfontdescriptor.h"

#include <vector>

class AbstractBoardDisplayer;
class ConfigFileAbstract;

// The board font catalogue: the "board.font_%02d" entries of the configuration
// it is given, read once at start-up, in order; their files lie below that
// configuration's root folder.
class BoardFontFactory {
public:
    static BoardFontFactory* instance();
    // Fills the catalogue; throws on a malformed entry or when there is none.
    static void init(const ConfigFileAbstract* config);
    static void destroy();

    // A new displayer for entry index and cells of size pixels, owned by the
    // caller; antialias applies to TrueType entries. An index outside the
    // catalogue falls back to entry 0.
    AbstractBoardDisplayer* createBoardDisplayer(int index, int size, bool antialias) const;

    // Registers the file of every TrueType entry with the toolkit; returns the
    // toolkit's ids of the fonts registered. Failures are logged: the family
    // is then unknown and Qt substitutes another font.
    std::vector<int> registerTrueTypeFonts() const;

    const std::vector<BoardFontDescriptor>& fonts() const { return m_fonts; }
    // index, or 0 when it is outside the catalogue.
    int usableIndex(int index) const;

    static BoardFontFactory* pFactory;

private:
    BoardFontFactory() = default;

    std::vector<BoardFontDescriptor> m_fonts;
};
