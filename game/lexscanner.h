#pragma once

#include "game/lextoken.h"
#include "game/lextokenextractor.h"

#include <vector>

namespace lex {

// A scanner that tries its extractors in array order at each position of the
// text; the first whose check() and extract() both succeed produces the next
// token. Where none does, error() is called; it throws.
class Scanner {
public:
    Scanner(TokenExtractor* const* scannerExtractors, unsigned extractorCount)
        : extractors(scannerExtractors), count(extractorCount)
    {
    }
    virtual ~Scanner() = default;
    Scanner(const Scanner&) = delete;
    Scanner& operator=(const Scanner&) = delete;

    [[noreturn]] virtual void error(const char* position) const = 0;

    // Appends the tokens of the NUL-terminated text; tokens already in the
    // vector are the context of the first new one.
    void scan(const char* text, std::vector<Token>* tokens) const;
    // The first position at or after the given one that is not a space, tab,
    // LF or CR.
    static const char* skip_spaces(const char* position);

protected:
    TokenExtractor* const* extractors;
    unsigned count;
};

} // namespace lex
