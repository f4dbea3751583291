#pragma once

#include "game/lextoken.h"

#include <vector>

namespace lex {

// Recogniser of one kind of token. check() tells from the tokens produced so
// far whether this kind may come next; extract() reads one token at the
// cursor and moves the cursor past it, or leaves the cursor alone and fails.
class TokenExtractor {
public:
    virtual ~TokenExtractor() = default;
    virtual bool check(const std::vector<Token>& tokens) const = 0;
    virtual bool extract(Token* token, const char*& cursor) const = 0;
};

} // namespace lex
