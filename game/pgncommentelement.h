#pragma once

#include "game/pgnelement.h"

// One whitespace-separated word of a comment. The words of a command such as
// "[%clk 0:04:58]" are for the program, not shown in the move list.
class PGNCommentElement : public PGNElement {
public:
    PGNCommentElement(unsigned elementDepth, std::string word)
        : PGNElement(elementDepth), text(std::move(word))
    {
    }
    std::string getText() const override { return text; }
    int getType() const override { return TypeCommentElement; }
    bool isVisible() const override
    {
        for (const PGNElement* e = this; e && e->getType() == TypeCommentElement; e = e->prev) {
            const std::string& word = static_cast<const PGNCommentElement*>(e)->text;
            if (e != this && word.find(']') != std::string::npos)
                return true;
            if (word.compare(0, 2, "[%") == 0)
                return false;
        }
        return true;
    }

    std::string text;
};
