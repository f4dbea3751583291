#include "game/timecontrol.h"

#include "game/game.h"
#include "game/pgncommentbegin.h"
#include "game/pgncommentelement.h"
#include "game/pgncommentend.h"
#include "game/pgnmove.h"

#include <cstdio>
#include <regex>
#include <vector>

std::string TimeControl::toTag() const
{
    if (!enabled())
        return "-";
    std::string text = std::to_string(baseMs / 1000);
    if (incrementMs > 0)
        text += "+" + std::to_string(incrementMs / 1000);
    return text;
}

TimeControl TimeControl::fromTag(const std::string& text)
{
    static const std::regex pattern("^\\s*([0-9]{1,6})(?:\\+([0-9]{1,4}))?\\s*$");
    std::smatch match;
    TimeControl control;
    if (!std::regex_match(text, match, pattern))
        return control;
    control.baseMs = std::stoll(match[1].str()) * 1000;
    if (match[2].matched)
        control.incrementMs = std::stoll(match[2].str()) * 1000;
    return control;
}

std::string clock_comment(int64_t ms)
{
    const int64_t seconds = ms > 0 ? ms / 1000 : 0;
    char text[40];
    std::snprintf(text, sizeof text, "[%%clk %lld:%02lld:%02lld]",
                  static_cast<long long>(seconds / 3600), static_cast<long long>(seconds / 60 % 60),
                  static_cast<long long>(seconds % 60));
    return text;
}

int64_t parse_clock_comment(const std::string& text)
{
    static const std::regex pattern(
        "\\[%clk\\s+([0-9]{1,4}):([0-5]?[0-9]):([0-5]?[0-9])(?:\\.([0-9]))?\\]");
    std::smatch match;
    if (!std::regex_search(text, match, pattern))
        return -1;
    int64_t ms = (std::stoll(match[1].str()) * 3600 + std::stoll(match[2].str()) * 60 +
                  std::stoll(match[3].str())) *
                 1000;
    if (match[4].matched)
        ms += std::stoll(match[4].str()) * 100;
    return ms;
}

namespace {

// The words of the comments right after the move, each followed by a space.
std::string comment_after(const PGNMove* move)
{
    std::string comment;
    for (const PGNElement* e = move ? move->next : nullptr; e; e = e->next) {
        const int type = e->getType();
        if (type == PGNElement::TypeMove || type == PGNElement::TypeVariantBegin ||
            type == PGNElement::TypeVariantEnd)
            break;
        if (type == PGNElement::TypeCommentElement)
            comment += e->getText() + " ";
    }
    return comment;
}

// Puts "{words...}" right after the move.
void put_comment(PGNMove* move, const std::vector<std::string>& words)
{
    PGNElement* where = new PGNCommentBegin(move->depth);
    PGNElement::link_after(move, where);
    for (const std::string& word : words) {
        PGNElement* e = new PGNCommentElement(move->depth, word);
        PGNElement::link_after(where, e);
        where = e;
    }
    PGNElement::link_after(where, new PGNCommentEnd(move->depth));
}

} // namespace

int64_t node_clock(const PGNMove* move)
{
    return parse_clock_comment(comment_after(move));
}

void set_node_clock(PGNMove* move, int64_t ms)
{
    const std::string text = clock_comment(ms);
    const size_t space = text.find(' ');
    put_comment(move, {text.substr(0, space), text.substr(space + 1)});
}

GameTimeControl game_time_control(const Game& game)
{
    GameTimeControl control;
    const auto tag = game.headers.find("TimeControl");
    if (tag != game.headers.end()) {
        const auto black = game.headers.find("BlackTimeControl");
        control.side[White] = TimeControl::fromTag(tag->second);
        control.side[Black] =
            black != game.headers.end() ? TimeControl::fromTag(black->second) : control.side[White];
        return control;
    }
    static const std::regex pattern("\\[%timecontrol ([-0-9+]+)(?: ([-0-9+]+))?\\]");
    const std::string comment = comment_after(game.root);
    std::smatch match;
    if (std::regex_search(comment, match, pattern)) {
        control.side[White] = TimeControl::fromTag(match[1].str());
        control.side[Black] =
            match[2].matched ? TimeControl::fromTag(match[2].str()) : control.side[White];
    }
    return control;
}

void set_game_time_control(Game& game, const GameTimeControl& control)
{
    const std::string white = control.side[White].toTag();
    const std::string black = control.side[Black].toTag();
    game.headers["TimeControl"] = white;
    if (black != white)
        game.headers["BlackTimeControl"] = black;
    if (game.root && control.enabled())
        put_comment(game.root, black == white
                                   ? std::vector<std::string>{"[%timecontrol", white + "]"}
                                   : std::vector<std::string>{"[%timecontrol", white, black + "]"});
}
