#include "game/lexscanner.h"

namespace lex {

void Scanner::scan(const char* text, std::vector<Token>* tokens) const
{
    const char* cursor = text;
    for (;;) {
        cursor = skip_spaces(cursor);
        if (*cursor == '\0')
            return;
        Token token;
        bool found = false;
        for (unsigned i = 0; i < count && !found; ++i) {
            if (extractors[i]->check(*tokens) && extractors[i]->extract(&token, cursor)) {
                tokens->push_back(std::move(token));
                found = true;
            }
        }
        if (!found)
            error(cursor);
    }
}

const char* Scanner::skip_spaces(const char* position)
{
    while (*position == ' ' || *position == '\t' || *position == '\n' || *position == '\r')
        ++position;
    return position;
}

} // namespace lex
