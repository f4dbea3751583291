#pragma once

#include "game/pgnelement.h"

// A NAG as read, for example "$1".
class PGNNag : public PGNElement {
public:
    PGNNag(unsigned elementDepth, std::string nagText)
        : PGNElement(elementDepth), text(std::move(nagText))
    {
    }
    std::string getText() const override { return text; }
    int getType() const override { return TypeNag; }

    std::string text;
};
