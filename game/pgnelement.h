#pragma once

#include <string>

// One element of a game's move list, in the order of PGN move text: a move,
// a NAG, a comment brace or word, or a variation bracket. The list is doubly
// linked through prev/next; its first element is the root PGNMove and the
// Game owns the whole list. Deleting an element frees only that element.
//
// depth is the variation level: 0 for the main line, and every element of a
// variation, its brackets included, has the enclosing level + 1. The layout
// fields belong to the move history view (page -1 = not laid out).
class PGNElement {
public:
    enum Type {
        TypeMove = 0,
        TypeNag = 1,
        TypeCommentBegin = 2,
        TypeCommentEnd = 3,
        TypeCommentElement = 4,
        TypeVariantBegin = 5,
        TypeVariantEnd = 6
    };

    explicit PGNElement(unsigned elementDepth) : depth(elementDepth) {}
    virtual ~PGNElement() = default;
    PGNElement(const PGNElement&) = delete;
    PGNElement& operator=(const PGNElement&) = delete;

    virtual std::string getText() const = 0;
    virtual int getType() const = 0;
    virtual bool isVisible() const { return true; }

    // Forgets the layout of this element and of every element after it.
    static void reset_layout_cache(PGNElement* first);
    // Links element into the list right after where.
    static void link_after(PGNElement* where, PGNElement* element)
    {
        element->prev = where;
        element->next = where->next;
        if (where->next != nullptr)
            where->next->prev = element;
        where->next = element;
    }

    unsigned depth;
    int page = -1;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    PGNElement* prev = nullptr;
    PGNElement* next = nullptr;
    // A puzzle move not yet revealed; written as "$501" in front of the move.
    bool hidden = false;
};
