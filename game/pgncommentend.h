#pragma once

#include "game/pgnelement.h"

// The "}" closing a comment; not drawn.
class PGNCommentEnd : public PGNElement {
public:
    explicit PGNCommentEnd(unsigned elementDepth) : PGNElement(elementDepth) {}
    std::string getText() const override { return "}"; }
    int getType() const override { return TypeCommentEnd; }
    bool isVisible() const override { return false; }
};
