#include "game/pgnlexscanner.h"

#include "core/exception.h"
#include "game/pgntokentype.h"

#include <cstring>

namespace {

// Context masks: bit 0 = no token yet, bit 1 + t = after a token of type t.
constexpr unsigned kEmpty = 1u << 0;
constexpr unsigned after(PGNTokenType type)
{
    return 1u << (1 + static_cast<int>(type));
}
constexpr unsigned kAfterResult = after(PGNTokenType::Result);
constexpr unsigned kAfterVariationBegin = after(PGNTokenType::VariationBegin);
constexpr unsigned kAfterVariationEnd = after(PGNTokenType::VariationEnd);
constexpr unsigned kAfterNag = after(PGNTokenType::Nag);
constexpr unsigned kAfterCommentBegin = after(PGNTokenType::CommentBegin);
constexpr unsigned kAfterCommentEnd = after(PGNTokenType::CommentEnd);
constexpr unsigned kAfterCommentElement = after(PGNTokenType::CommentElement);
constexpr unsigned kAfterMoveNumber =
    after(PGNTokenType::MoveNumber) | after(PGNTokenType::MoveNumberEllipsis);
constexpr unsigned kAfterMove = after(PGNTokenType::Move);

// Where a move, a comment, a NAG or the end of a variation may follow.
constexpr unsigned kAfterUnit = kAfterVariationEnd | kAfterNag | kAfterCommentEnd | kAfterMove;

// An extractor whose check() is a fixed set of contexts.
class PGNTokenExtractor : public lex::TokenExtractor {
public:
    explicit PGNTokenExtractor(unsigned contexts) : m_contexts(contexts) {}
    bool check(const std::vector<lex::Token>& tokens) const override
    {
        if (tokens.empty())
            return (m_contexts & kEmpty) != 0;
        const int type = tokens.back().type;
        return type >= 0 && type < 31 && (m_contexts & (1u << (1 + type))) != 0;
    }

private:
    unsigned m_contexts;
};

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

bool is_space(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

class PGNResultTokenExtractor : public PGNTokenExtractor {
public:
    PGNResultTokenExtractor() : PGNTokenExtractor(kEmpty | kAfterUnit) {}
    bool extract(lex::Token* token, const char*& cursor) const override
    {
        static const char* const kResults[] = {"1-0", "0-1", "1/2-1/2", "*"};
        for (const char* result : kResults) {
            const size_t length = strlen(result);
            if (strncmp(cursor, result, length) == 0) {
                token->type = static_cast<int>(PGNTokenType::Result);
                token->text.assign(result, length);
                cursor += length;
                return true;
            }
        }
        return false;
    }
};

// A token of one fixed character.
class PGNCharTokenExtractor : public PGNTokenExtractor {
public:
    PGNCharTokenExtractor(unsigned contexts, char c, PGNTokenType type)
        : PGNTokenExtractor(contexts), m_char(c), m_type(type)
    {
    }
    bool extract(lex::Token* token, const char*& cursor) const override
    {
        if (*cursor != m_char)
            return false;
        token->type = static_cast<int>(m_type);
        token->text.assign(1, m_char);
        ++cursor;
        return true;
    }

private:
    char m_char;
    PGNTokenType m_type;
};

class PGNVariationBeginTokenExtractor : public PGNCharTokenExtractor {
public:
    PGNVariationBeginTokenExtractor()
        : PGNCharTokenExtractor(kAfterUnit, '(', PGNTokenType::VariationBegin)
    {
    }
};

class PGNVariationEndTokenExtractor : public PGNCharTokenExtractor {
public:
    PGNVariationEndTokenExtractor()
        : PGNCharTokenExtractor(kAfterUnit, ')', PGNTokenType::VariationEnd)
    {
    }
};

class PGNCommentBeginTokenExtractor : public PGNCharTokenExtractor {
public:
    PGNCommentBeginTokenExtractor()
        : PGNCharTokenExtractor(kEmpty | kAfterVariationBegin | kAfterUnit, '{',
                                PGNTokenType::CommentBegin)
    {
    }
};

class PGNCommentEndTokenExtractor : public PGNCharTokenExtractor {
public:
    PGNCommentEndTokenExtractor()
        : PGNCharTokenExtractor(kAfterCommentBegin | kAfterCommentElement, '}',
                                PGNTokenType::CommentEnd)
    {
    }
};

class PGNNagTokenExtractor : public PGNTokenExtractor {
public:
    PGNNagTokenExtractor() : PGNTokenExtractor(kEmpty | kAfterNag | kAfterCommentEnd | kAfterMove)
    {
    }
    bool extract(lex::Token* token, const char*& cursor) const override
    {
        if (*cursor != '$')
            return false;
        const char* end = cursor + 1;
        while (is_digit(*end))
            ++end;
        token->type = static_cast<int>(PGNTokenType::Nag);
        token->text.assign(cursor, end);
        cursor = end;
        return true;
    }
};

// "$501" marks the next move hidden; a hidden move after a variation is written
// with it right after the ")".
class PGNHiddenMoveNagTokenExtractor : public PGNTokenExtractor {
public:
    PGNHiddenMoveNagTokenExtractor() : PGNTokenExtractor(kAfterVariationEnd) {}
    bool extract(lex::Token* token, const char*& cursor) const override
    {
        if (strncmp(cursor, "$501", 4) != 0 || is_digit(cursor[4]))
            return false;
        token->type = static_cast<int>(PGNTokenType::Nag);
        token->text.assign(cursor, 4);
        cursor += 4;
        return true;
    }
};

class PGNCommentElementTokenExtractor : public PGNTokenExtractor {
public:
    PGNCommentElementTokenExtractor() : PGNTokenExtractor(kAfterCommentBegin | kAfterCommentElement)
    {
    }
    bool extract(lex::Token* token, const char*& cursor) const override
    {
        const char* end = cursor;
        while (*end != '\0' && !is_space(*end) && *end != '{' && *end != '}')
            ++end;
        if (end == cursor)
            return false;
        token->type = static_cast<int>(PGNTokenType::CommentElement);
        token->text.assign(cursor, end);
        cursor = end;
        return true;
    }
};

class PGNMoveNumberTokenExtractor : public PGNTokenExtractor {
public:
    explicit PGNMoveNumberTokenExtractor(bool isEllipsis)
        : PGNTokenExtractor(kEmpty | kAfterVariationBegin | kAfterUnit), ellipsis(isEllipsis)
    {
    }
    bool extract(lex::Token* token, const char*& cursor) const override
    {
        const char* end = cursor;
        while (is_digit(*end))
            ++end;
        if (end == cursor)
            return false;
        const size_t dots = ellipsis ? 3 : 1;
        if (strncmp(end, "...", dots) != 0)
            return false;
        token->type = static_cast<int>(ellipsis ? PGNTokenType::MoveNumberEllipsis
                                                : PGNTokenType::MoveNumber);
        token->text.assign(cursor, end);
        cursor = end + dots;
        return true;
    }

    const bool ellipsis;
};

class PGNMoveTokenExtractor : public PGNTokenExtractor {
public:
    PGNMoveTokenExtractor()
        : PGNTokenExtractor(kEmpty | kAfterVariationBegin | kAfterUnit | kAfterMoveNumber)
    {
    }
    bool extract(lex::Token* token, const char*& cursor) const override
    {
        const char* end = cursor;
        while (is_move_char(*end))
            ++end;
        if (end == cursor)
            return false;
        token->type = static_cast<int>(PGNTokenType::Move);
        token->text.assign(cursor, end);
        cursor = end;
        return true;
    }

private:
    static bool is_move_char(char c)
    {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || is_digit(c) ||
               (c != '\0' && strchr("-!?+#/=", c) != nullptr);
    }
};

// Longest context quoted in an error when the line has no end in sight.
constexpr size_t kMaxContext = 20;

} // namespace

struct PGNLexScanner::Extractors {
    PGNResultTokenExtractor result;
    PGNVariationBeginTokenExtractor variationBegin;
    PGNVariationEndTokenExtractor variationEnd;
    PGNNagTokenExtractor nag;
    PGNHiddenMoveNagTokenExtractor hiddenMoveNag;
    PGNCommentBeginTokenExtractor commentBegin;
    PGNCommentEndTokenExtractor commentEnd;
    PGNCommentElementTokenExtractor commentElement;
    PGNMoveNumberTokenExtractor moveNumberEllipsis{true};
    PGNMoveNumberTokenExtractor moveNumber{false};
    PGNMoveTokenExtractor move;
};

PGNLexScanner::PGNLexScanner()
    : lex::Scanner(m_table, 11), m_extractors(std::make_unique<Extractors>())
{
    Extractors& e = *m_extractors;
    lex::TokenExtractor* const table[11] = {&e.result,
                                            &e.variationBegin,
                                            &e.variationEnd,
                                            &e.nag,
                                            &e.hiddenMoveNag,
                                            &e.commentBegin,
                                            &e.commentEnd,
                                            &e.commentElement,
                                            &e.moveNumberEllipsis,
                                            &e.moveNumber,
                                            &e.move};
    for (int i = 0; i < 11; ++i)
        m_table[i] = table[i];
}

PGNLexScanner::~PGNLexScanner() = default;

void PGNLexScanner::error(const char* position) const
{
    // The rest of the line; at most 20 characters when no line end follows.
    const char* end = position;
    while (*end != '\0' && *end != '\n' && *end != '\r' && *end != '\t')
        ++end;
    if (*end == '\0' && static_cast<size_t>(end - position) > kMaxContext) {
        end = position + kMaxContext;
        // Do not cut a UTF-8 sequence.
        while (end > position && (static_cast<unsigned char>(*end) & 0xC0) == 0x80)
            --end;
    }
    throw Exception(false, "PGN parsing error. Context: %s", std::string(position, end).c_str());
}
