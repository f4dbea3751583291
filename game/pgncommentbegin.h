#pragma once

#include "game/pgnelement.h"

// The "{" opening a comment; not drawn.
class PGNCommentBegin : public PGNElement {
public:
    explicit PGNCommentBegin(unsigned elementDepth) : PGNElement(elementDepth) {}
    std::string getText() const override { return "{"; }
    int getType() const override { return TypeCommentBegin; }
    bool isVisible() const override { return false; }
};
