#pragma once

#include "game/pgnelement.h"

// The ")" closing a variation; its depth is the variation's level.
class PGNVariantEnd : public PGNElement {
public:
    explicit PGNVariantEnd(unsigned elementDepth) : PGNElement(elementDepth) {}
    std::string getText() const override { return ")"; }
    int getType() const override { return TypeVariantEnd; }
};
