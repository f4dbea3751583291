#pragma once

#include <string>

// One entry of the board font list: "KIND|name|family|file", KIND being
// "TTF" (a chess TrueType font) or "BMP" (a bitmap piece set). The file is
// relative to the program's root folder, root.
class BoardFontDescriptor {
public:
    enum Kind { TrueType = 0, Bitmap = 1 };

    // Parses one description; throws Exception when it is malformed.
    BoardFontDescriptor(const std::string& description, const std::string& root);

    int kind = TrueType;
    std::string name;
    std::string family;
    std::string file;
};
