#pragma once

// Kinds of the tokens of PGN move text (lex::Token::type).
enum class PGNTokenType {
    Result = 0,
    VariationBegin = 1,
    VariationEnd = 2,
    Nag = 3,
    CommentBegin = 4,
    CommentEnd = 5,
    CommentElement = 6,
    MoveNumberEllipsis = 7,
    MoveNumber = 8,
    Move = 9
};
