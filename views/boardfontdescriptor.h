#pragma once

#include <string>

// One entry of the board font list: "KIND|name|family|file", KIND being
// "TTF" (a chess TrueType font) or "BMP" (a bitmap piece set). The file is
// relative to the program's root folder.
class BoardFontDescriptor {
public:
    enum Kind { TrueType = 0, Bitmap = 1 };

    // Parses one description; throws Exception when it is malformed.
    explicit BoardFontDescriptor(const std::string& description);

    int kind = TrueType;
    std::string name;
    std::string family;
    std::string file;
};
