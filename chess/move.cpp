#include "chess/move.h"

#include <cstdio>

std::string Move::getAsString() const
{
    const char* promo = "";
    switch (promotion) {
    case 2:
        promo = "n";
        break;
    case 3:
        promo = "b";
        break;
    case 4:
        promo = "r";
        break;
    case 5:
        promo = "q";
        break;
    default:
        break;
    }
    char buffer[64];
    snprintf(buffer, sizeof buffer, "%c%d%c%d%s", static_cast<char>('a' + fromX), fromY + 1,
             static_cast<char>('a' + toX), toY + 1, promo);
    return buffer;
}

bool Move::setFromString(const std::string& text)
{
    if (text.size() != 4 && text.size() != 5)
        return false;
    fromX = text[0] - 'a';
    fromY = text[1] - '1';
    toX = text[2] - 'a';
    toY = text[3] - '1';
    promotion = 0;
    if (text.size() == 4)
        return true;
    switch (text[4]) {
    case 'N':
    case 'n':
        promotion = 2;
        return true;
    case 'B':
    case 'b':
        promotion = 3;
        return true;
    case 'R':
    case 'r':
        promotion = 4;
        return true;
    case 'Q':
    case 'q':
        promotion = 5;
        return true;
    default:
        return false;
    }
}
