#pragma once

#include "game/lexscanner.h"

#include <memory>

// The scanner of PGN move text. Its extractors (private to the source file)
// are tried in this order: result, "(", ")", NAG, "{", "}", comment word,
// move number with "...", move number with ".", move. Each extractor accepts
// its token only after certain kinds of token, so the token list follows the
// coarse grammar of move text; "$501" (a hidden move follows) is also read after
// ")", where it is written; anything else is reported by error() as
// "PGN parsing error. Context: %s".
class PGNLexScanner : public lex::Scanner {
public:
    PGNLexScanner();
    ~PGNLexScanner() override;

    [[noreturn]] void error(const char* position) const override;

private:
    struct Extractors;
    std::unique_ptr<Extractors> m_extractors;
    lex::TokenExtractor* m_table[11];
};
