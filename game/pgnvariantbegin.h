#pragma once

#include "game/pgnelement.h"

// The "(" opening a variation; its depth is the variation's level.
class PGNVariantBegin : public PGNElement {
public:
    explicit PGNVariantBegin(unsigned elementDepth) : PGNElement(elementDepth) {}
    std::string getText() const override { return "("; }
    int getType() const override { return TypeVariantBegin; }
};
