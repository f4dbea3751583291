#include "game/pgnelement.h"

void PGNElement::reset_layout_cache(PGNElement* first)
{
    for (PGNElement* e = first; e != nullptr; e = e->next) {
        e->page = -1;
        e->x = 0;
        e->y = 0;
        e->width = 0;
        e->height = 0;
    }
}
