#pragma once

#include <string>
#include <string_view>

// Puzzle theme names of the public puzzle file ("hangingPiece", "mateIn2")
// in words: the English words are the keys of the translation file.
namespace puzzlethemes {

// "hanging piece", "mate in 2"; an unknown name split at its capitals.
std::string words(std::string_view raw);
// The space-separated raw names in translated words, separated by ", ",
// without those that only tell the length.
std::string translatedList(std::string_view rawList);
// Whether every word of the text is a known raw theme name.
bool isThemeList(std::string_view text);

} // namespace puzzlethemes
