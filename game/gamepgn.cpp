#include "game/game.h"

#include "core/exception.h"
#include "core/utils.h"
#include "game/pgncommentbegin.h"
#include "game/pgncommentelement.h"
#include "game/pgncommentend.h"
#include "game/pgnlexscannerfactory.h"
#include "game/pgnnag.h"
#include "game/pgntokentype.h"
#include "game/pgnvariantbegin.h"
#include "game/pgnvariantend.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <istream>
#include <ostream>

namespace {

// The longest part of a bad line quoted in a message.
const size_t kQuotedLine = 200;

// ---------------------------------------------------------------- text lines

bool is_valid_utf8(const std::string& s)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(s.data());
    const unsigned char* const end = p + s.size();
    while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int length = 0;
        unsigned min = 0;
        unsigned code = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
            min = 0x80;
            code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            min = 0x800;
            code = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            min = 0x10000;
            code = c & 0x07;
        } else {
            return false;
        }
        if (end - p < length)
            return false;
        for (int i = 1; i < length; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (p[i] & 0x3F);
        }
        if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        p += length;
    }
    return true;
}

// Windows-1252 to UTF-8; the five unassigned bytes map to the C1 controls.
std::string cp1252_to_utf8(const std::string& s)
{
    static const unsigned short kHigh[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    std::string out;
    out.reserve(s.size() + s.size() / 2);
    for (const char ch : s) {
        const unsigned char c = static_cast<unsigned char>(ch);
        append_utf8(out, c >= 0x80 && c < 0xA0 ? kHigh[c - 0x80] : c);
    }
    return out;
}

// The stream's line kept back for the next Game::load: a tag pair that ended
// the previous game's move text. It lives with the stream, so any Game
// object reading that stream next starts with it.
int pending_index()
{
    static const int index = std::ios_base::xalloc();
    return index;
}

void pending_callback(std::ios_base::event event, std::ios_base& stream, int index)
{
    if (event == std::ios_base::erase_event) {
        delete static_cast<std::string*>(stream.pword(index));
        stream.pword(index) = nullptr;
    } else if (event == std::ios_base::copyfmt_event) {
        stream.pword(index) = nullptr;
    }
}

// Reads trimmed lines: NUL bytes dropped, a line that is not UTF-8 read as
// Windows-1252, a line kept back by pushBack() returned first.
class LineReader {
public:
    explicit LineReader(std::istream& in) : m_in(in) {}

    bool next(std::string& line)
    {
        void*& slot = m_in.pword(pending_index());
        std::string* pending = static_cast<std::string*>(slot);
        if (pending != nullptr && !pending->empty()) {
            line.swap(*pending);
            pending->clear();
            return true;
        }
        if (!std::getline(m_in, m_raw))
            return false;
        if (m_raw.find('\0') != std::string::npos)
            m_raw.erase(std::remove(m_raw.begin(), m_raw.end(), '\0'), m_raw.end());
        if (!is_valid_utf8(m_raw))
            m_raw = cp1252_to_utf8(m_raw);
        line = vacuum(m_raw);
        return true;
    }

    // line must not be empty.
    void pushBack(const std::string& line)
    {
        void*& slot = m_in.pword(pending_index());
        if (slot == nullptr) {
            slot = new std::string();
            m_in.register_callback(pending_callback, pending_index());
        }
        *static_cast<std::string*>(slot) = line;
    }

private:
    std::istream& m_in;
    std::string m_raw;
};

// A tag value as written between its quotes: "\"" and "\\" stand for '"' and
// '\'; any other backslash is kept as it is (paths written by hand).
void unescape_tag_value(const std::string& line, size_t start, size_t end, std::string* value)
{
    value->clear();
    for (size_t i = start; i < end; ++i) {
        if (line[i] == '\\' && i + 1 < end && (line[i + 1] == '"' || line[i + 1] == '\\'))
            ++i;
        *value += line[i];
    }
}

// The tag pair pattern ^\[([A-Za-z0-9_]+)[\t ]+"(.*)"] : the value runs to the
// last '"]' of the line.
bool parse_header(const std::string& line, std::string* name, std::string* value)
{
    if (line.empty() || line[0] != '[')
        return false;
    size_t i = 1;
    while (i < line.size() &&
           (isalnum(static_cast<unsigned char>(line[i])) != 0 || line[i] == '_') &&
           static_cast<unsigned char>(line[i]) < 0x80)
        ++i;
    const size_t nameEnd = i;
    if (nameEnd == 1)
        return false;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
        ++i;
    if (i == nameEnd || i >= line.size() || line[i] != '"')
        return false;
    const size_t valueStart = i + 1;
    const size_t close = line.rfind("\"]");
    if (close == std::string::npos || close < valueStart)
        return false;
    if (name != nullptr)
        name->assign(line, 1, nameEnd - 1);
    if (value != nullptr)
        unescape_tag_value(line, valueStart, close, value);
    return true;
}

bool is_header(const std::string& line)
{
    return parse_header(line, nullptr, nullptr);
}

void strip_bom(std::string& line)
{
    if (line.compare(0, 3, "\xEF\xBB\xBF") == 0)
        line = vacuum(line.substr(3));
}

// Tracks whether a "{" is still open at the end of the line.
bool comment_open_after(const std::string& line, bool open)
{
    for (const char c : line) {
        if (!open && c == '{')
            open = true;
        else if (open && c == '}')
            open = false;
    }
    return open;
}

// Reads move text starting at the non-empty line first. The text ends at an
// empty line outside a comment, at a tag pair outside a comment, at a tag
// pair after an empty line inside a comment (a comment left open), or at the
// end of input. A tag pair that ends the text is kept back for the next game.
void read_move_text(LineReader& reader, std::string line, std::string* text)
{
    bool inComment = false;
    size_t blankLines = 0;
    for (;;) {
        if (line.empty()) {
            if (!inComment)
                return;
            ++blankLines;
        } else {
            if (is_header(line) && (!inComment || blankLines > 0)) {
                reader.pushBack(line);
                return;
            }
            if (text != nullptr) {
                if (!text->empty())
                    text->append(blankLines + 1, '\n');
                text->append(line);
            }
            blankLines = 0;
            inComment = comment_open_after(line, inComment);
        }
        if (!reader.next(line))
            return;
    }
}

// After an error in the tags: skips the rest of the game, so the next load
// starts at the next game. body tells whether the failing line was move
// text rather than a tag pair.
void skip_rest_of_game(LineReader& reader, bool body)
{
    std::string line;
    for (;;) {
        if (!reader.next(line))
            return;
        if (line.empty())
            break;
        if (is_header(line)) {
            if (body) {
                reader.pushBack(line);
                return;
            }
        } else {
            body = true;
        }
    }
    if (body)
        return;
    do {
        if (!reader.next(line))
            return;
    } while (line.empty());
    read_move_text(reader, line, nullptr);
}

// ---------------------------------------------------------------- writing

size_t utf8_length(const std::string& text)
{
    size_t count = 0;
    for (const char c : text)
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return count;
}

// Indentation stops growing here, so deep variations do not blow up the text.
constexpr unsigned kMaxIndentDepth = 9;
constexpr size_t kLineWidth = 80;

// "!", "?", "!!", "??", "!?", "?!" as the NAGs $1 to $6; "" for anything else.
const char* glyph_nag(const std::string& move)
{
    char glyph[3];
    size_t count = 0;
    for (const char c : move) {
        if (c == '!' || c == '?') {
            if (count == 2)
                return "";
            glyph[count++] = c;
        }
    }
    glyph[count] = '\0';
    static const char* const kGlyphs[][2] = {{"!", "$1"},  {"?", "$2"},  {"!!", "$3"},
                                             {"??", "$4"}, {"!?", "$5"}, {"?!", "$6"}};
    for (const auto& g : kGlyphs) {
        if (strcmp(glyph, g[0]) == 0)
            return g[1];
    }
    return "";
}

} // namespace

// ---------------------------------------------------------------- load

bool Game::load(std::istream& in)
{
    Board classic;
    classic.create_classic_board();
    init(classic);

    LineReader reader(in);
    std::string line;
    do {
        if (!reader.next(line))
            return false;
        strip_bom(line);
    } while (line.empty());

    bool viewAsRead = false;
    std::string name;
    std::string value;
    for (;;) {
        if (!parse_header(line, &name, &value)) {
            skip_rest_of_game(reader, line[0] != '[');
            throw Exception(false, "Error parsing PGN file. Game header has invalid attribute: %s",
                            excerpt(line, kQuotedLine).c_str());
        }
        if (name == "Event") {
            event = value;
        } else if (name == "Site") {
            site = value;
        } else if (name == "Date") {
            date = value;
        } else if (name == "Round") {
            round = value;
        } else if (name == "White") {
            white = value;
        } else if (name == "Black") {
            black = value;
        } else if (name == "Result") {
            result = str_to_game_result(value);
        } else if (name == "SetUp" && value == "1") {
            setUp = true;
        } else if (name == "FEN") {
            try {
                startBoard.importFromFEN(value);
            } catch (const Exception&) {
                skip_rest_of_game(reader, false);
                throw;
            }
        } else if (name == "Flags") {
            flags = static_cast<unsigned>(strtol(value.c_str(), nullptr, 10));
        } else if (name == "ViewAs") {
            const long view = strtol(value.c_str(), nullptr, 10);
            if (view == 0)
                flags &= ~static_cast<unsigned>(FlagViewAsBlack);
            else if (view == 1)
                flags |= FlagViewAsBlack;
            viewAsRead = true;
        } else {
            headers[name] = value;
        }
        if (!reader.next(line))
            throw Exception(false,
                            "Error parsing PGN file. Unexpected end of file: game body is absent");
        if (line.empty())
            break;
    }
    do {
        if (!reader.next(line))
            throw Exception(false,
                            "Error parsing PGN file. Unexpected end of file: game body is absent");
    } while (line.empty());
    read_move_text(reader, line, &moveText);

    // A FEN tag without "SetUp" still sets up the position.
    if (startBoard != classic)
        setUp = true;
    if (!viewAsRead) {
        if (startBoard.getColorToMove() == Black)
            flags |= FlagViewAsBlack;
        else
            flags &= ~static_cast<unsigned>(FlagViewAsBlack);
    }
    id = 0;
    return true;
}

// ---------------------------------------------------------------- open

void Game::open()
{
    if (root != nullptr)
        return;
    root = new PGNMove(nullptr, 0);
    root->setBoardAfter(startBoard);
    root->updateGameState(startBoard);
    current = root;

    if (!moveText.empty()) {
        std::vector<lex::Token> tokens;
        tokens.reserve(moveText.size() / 4);
        const lex::Scanner* scanner = PGNLexScannerFactory::instanse();
        if (moveText.find('\0') == std::string::npos) {
            scanner->scan(moveText.c_str(), &tokens);
        } else {
            // NUL bytes are no text: read them as spaces.
            std::string text = moveText;
            std::replace(text.begin(), text.end(), '\0', ' ');
            scanner->scan(text.c_str(), &tokens);
        }
        if (tokens.empty())
            return;
        if (tokens.back().type != static_cast<int>(PGNTokenType::Result))
            throw Exception(false, "Error parsing PGN file [File:%s, Line:%d]", "Game", 244);
        PGNMove* marker = build_moves_history(root, tokens);
        if (marker != nullptr)
            current = marker;
    }
    if ((flags & FlagPuzzle) != 0)
        setupPuzzle();
}

namespace {

// Settles the mate and stalemate searches the builder left open.
void resolve_moves(PGNElement* first)
{
    for (PGNElement* e = first; e != nullptr; e = e->next) {
        if (e->getType() == PGNElement::TypeMove)
            static_cast<PGNMove*>(e)->resolveMoves(false);
    }
}

} // namespace

PGNMove* Game::build_moves_history(PGNMove* root, const std::vector<lex::Token>& tokens)
{
    try {
        PGNMove* marker = build_moves(root, tokens);
        resolve_moves(root->next);
        return marker;
    } catch (...) {
        resolve_moves(root->next);
        throw;
    }
}

PGNMove* Game::build_moves(PGNMove* root, const std::vector<lex::Token>& tokens)
{
    struct Level {
        PGNMove* move;
        bool hideNext;
    };
    std::vector<Level> stack{{root, false}};
    PGNElement* tail = root;
    while (tail->next != nullptr)
        tail = tail->next;
    PGNMove* marker = nullptr;
    bool hiddenSeen = false;
    // The position after boardOwner, kept unpacked for the next move.
    const PGNMove* boardOwner = root;
    // The positions before and after the move being read, swapped by pointer,
    // each with its generator: what is found about a position (its kings,
    // whether its side to move is in check) serves the move after it too.
    Board boards[2];
    MoveGenerator generators[2] = {MoveGenerator(boards[0]), MoveGenerator(boards[1])};
    Board* board = &boards[0];
    Board* after = &boards[1];
    MoveGenerator* boardMoves = &generators[0];
    MoveGenerator* afterMoves = &generators[1];
    root->packedBoardAfter().unpack(board);
    boardMoves->reset();

    auto append = [&tail](PGNElement* element) {
        PGNElement::link_after(tail, element);
        tail = element;
    };

    for (const lex::Token& token : tokens) {
        const unsigned depth = static_cast<unsigned>(stack.size() - 1);
        switch (static_cast<PGNTokenType>(token.type)) {
        case PGNTokenType::VariationBegin:
            stack.push_back({stack.back().move, false});
            append(new PGNVariantBegin(depth + 1));
            break;
        case PGNTokenType::VariationEnd:
            if (stack.size() < 2)
                throw Exception(false, "Error parsing PGN file [File:%s, Line:%d]", "Game", 517);
            stack.pop_back();
            append(new PGNVariantEnd(depth));
            break;
        case PGNTokenType::Nag:
            if (token.text == "$500" && !hiddenSeen) {
                marker = stack.back().move;
            } else if (token.text == "$501") {
                // Only a move it hides makes later "$500" ordinary NAGs: a "$501"
                // followed by no move is not written back.
                stack.back().hideNext = true;
            } else {
                append(new PGNNag(depth, token.text));
            }
            break;
        case PGNTokenType::CommentBegin:
            append(new PGNCommentBegin(depth));
            break;
        case PGNTokenType::CommentEnd:
            append(new PGNCommentEnd(depth));
            break;
        case PGNTokenType::CommentElement:
            append(new PGNCommentElement(depth, token.text));
            break;
        case PGNTokenType::Move: {
            Level& level = stack.back();
            PGNMove* from = level.move;
            if (from->depth < depth)
                from = from->parent;
            if (from == nullptr)
                throw Exception(false,
                                "Error parsing PGN file. Variation before the first move: %s",
                                token.text.c_str());
            if (from != boardOwner) {
                from->packedBoardAfter().unpack(board);
                boardMoves->reset();
                boardOwner = from;
            }
            const Move move = read_san_move(*boardMoves, token.text, after);
            afterMoves->reset();
            // A legal move from a position settles its search for mate.
            if (!move.isNull())
                from->resolveMoves(true);
            PGNMove* node = from->addLegalMove(*boardMoves, depth, move, *afterMoves, true);
            std::swap(board, after);
            std::swap(boardMoves, afterMoves);
            boardOwner = node;
            append(node);
            if (level.hideNext) {
                node->hidden = true;
                level.hideNext = false;
                hiddenSeen = true;
            }
            level.move = node;
            const char* nag = glyph_nag(token.text);
            if (*nag != '\0')
                append(new PGNNag(depth, nag));
            break;
        }
        case PGNTokenType::Result:
        case PGNTokenType::MoveNumber:
        case PGNTokenType::MoveNumberEllipsis:
            break;
        }
    }
    if (stack.size() > 1)
        throw Exception(false, "Error parsing PGN file [File:%s, Line:%d]", "Game", 526);
    return marker;
}

// ---------------------------------------------------------------- close

void Game::close(bool store)
{
    if (root == nullptr)
        return;
    if (store && errorText.empty() && (flags & FlagPuzzle) == 0) {
        if (current != nullptr && current != root)
            PGNElement::link_after(current, new PGNNag(current->depth, "$500"));
        std::string text;
        text.reserve(moveText.size() + 64);
        if (root->next != nullptr) {
            store_to_string(root->next, &text);
            text += ' ';
        }
        text += game_result_to_str(result);
        moveText.swap(text);
    }
    clear(root);
    root = nullptr;
    current = nullptr;
}

void Game::store_to_string(const PGNElement* first, std::string* out)
{
    if (first == nullptr)
        return;
    unsigned lineDepth = first->depth;
    size_t column = 0;
    std::string text;
    for (const PGNElement* e = first; e != nullptr; e = e->next) {
        const int type = e->getType();
        // A move's text is read in place: this runs once per node.
        const std::string& shown = type == PGNElement::TypeMove
                                       ? static_cast<const PGNMove*>(e)->text
                                       : (text = e->getText());
        if ((e->depth != lineDepth && e->depth <= kMaxIndentDepth) || column > kLineWidth) {
            // A line starting with "%" is an escape line that readers skip.
            size_t indent = 2 * std::min(e->depth, kMaxIndentDepth);
            if (indent == 0 && !shown.empty() && shown[0] == '%')
                indent = 1;
            *out += '\n';
            out->append(indent, ' ');
            lineDepth = e->depth;
            column = indent;
        } else if (e != first) {
            *out += ' ';
            ++column;
        }
        if (e->hidden && type == PGNElement::TypeMove)
            *out += "$501 ";
        *out += shown;
        column += utf8_length(shown);
    }
}

void Game::writePGN(std::ostream& out) const
{
    auto tag = [&out](const char* name, const std::string& value) {
        out << '[' << name << " \"";
        for (const char c : value) {
            if (c == '"' || c == '\\')
                out << '\\';
            out << c;
        }
        out << "\"]\n";
    };
    tag("Event", event);
    tag("Site", site);
    tag("Date", date);
    tag("Round", round);
    tag("White", white);
    tag("Black", black);
    tag("Result", game_result_to_str(result));
    if (setUp) {
        tag("SetUp", "1");
        tag("FEN", startBoard.exportToFEN());
    }
    for (const auto& header : headers) {
        if (setUp && header.first == "SetUp")
            continue;
        tag(header.first.c_str(), header.second);
    }
    if (flags != 0)
        tag("Flags", std::to_string(flags));
    const bool viewAsBlack = (flags & FlagViewAsBlack) != 0;
    if (viewAsBlack != (startBoard.getColorToMove() == Black))
        tag("ViewAs", viewAsBlack ? "1" : "0");
    out << '\n' << (moveText.empty() ? game_result_to_str(result) : moveText) << "\n\n";
}
