#pragma once

#include <string>

namespace lex {

// One token of a scanned text: its kind (PGNTokenType for PGN; -1 until an
// extractor fills it) and its characters.
struct Token {
    int type = -1;
    std::string text;
};

} // namespace lex
