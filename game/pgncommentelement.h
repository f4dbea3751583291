#pragma once

#include "game/pgnelement.h"

// One whitespace-separated word of a comment.
class PGNCommentElement : public PGNElement {
public:
    PGNCommentElement(unsigned elementDepth, std::string word)
        : PGNElement(elementDepth), text(std::move(word))
    {
    }
    std::string getText() const override { return text; }
    int getType() const override { return TypeCommentElement; }

    std::string text;
};
