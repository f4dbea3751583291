#include "views/puzzlethemes.h"

#include "core/trans.h"

#include <cstring>

namespace {

struct Theme {
    const char* raw;
    const char* words;
};

// The words are marked for the translation file.
const Theme kThemes[] = {
    {"advancedPawn", N_("advanced pawn")},
    {"advantage", N_("advantage")},
    {"anastasiaMate", N_("Anastasia's mate")},
    {"arabianMate", N_("Arabian mate")},
    {"attackingF2F7", N_("attacking f2 or f7")},
    {"attraction", N_("attraction")},
    {"backRankMate", N_("back rank mate")},
    {"balestraMate", N_("Balestra mate")},
    {"bishopEndgame", N_("bishop endgame")},
    {"blindSwineMate", N_("blind swine mate")},
    {"bodenMate", N_("Boden's mate")},
    {"capturingDefender", N_("capturing the defender")},
    {"castling", N_("castling")},
    {"clearance", N_("clearance")},
    {"cornerMate", N_("corner mate")},
    {"crushing", N_("crushing")},
    {"defensiveMove", N_("defensive move")},
    {"deflection", N_("deflection")},
    {"discoveredAttack", N_("discovered attack")},
    {"discoveredCheck", N_("discovered check")},
    {"doubleBishopMate", N_("double bishop mate")},
    {"doubleCheck", N_("double check")},
    {"dovetailMate", N_("dovetail mate")},
    {"enPassant", N_("en passant")},
    {"endgame", N_("endgame")},
    {"equality", N_("equality")},
    {"exposedKing", N_("exposed king")},
    {"fork", N_("fork")},
    {"hangingPiece", N_("hanging piece")},
    {"hookMate", N_("hook mate")},
    {"interference", N_("interference")},
    {"intermezzo", N_("intermezzo")},
    {"killBoxMate", N_("kill box mate")},
    {"kingsideAttack", N_("kingside attack")},
    {"knightEndgame", N_("knight endgame")},
    {"long", N_("long")},
    {"master", N_("master game")},
    {"masterVsMaster", N_("master vs master")},
    {"mate", N_("mate")},
    {"mateIn1", N_("mate in 1")},
    {"mateIn2", N_("mate in 2")},
    {"mateIn3", N_("mate in 3")},
    {"mateIn4", N_("mate in 4")},
    {"mateIn5", N_("mate in 5")},
    {"middlegame", N_("middlegame")},
    {"morphysMate", N_("Morphy's mate")},
    {"oneMove", N_("one move")},
    {"opening", N_("opening")},
    {"operaMate", N_("opera mate")},
    {"pawnEndgame", N_("pawn endgame")},
    {"pillsburysMate", N_("Pillsbury's mate")},
    {"pin", N_("pin")},
    {"promotion", N_("promotion")},
    {"queenEndgame", N_("queen endgame")},
    {"queenRookEndgame", N_("queen and rook endgame")},
    {"queensideAttack", N_("queenside attack")},
    {"quietMove", N_("quiet move")},
    {"rookEndgame", N_("rook endgame")},
    {"sacrifice", N_("sacrifice")},
    {"short", N_("short")},
    {"skewer", N_("skewer")},
    {"smotheredMate", N_("smothered mate")},
    {"superGM", N_("super GM game")},
    {"trappedPiece", N_("trapped piece")},
    {"triangleMate", N_("triangle mate")},
    {"underPromotion", N_("underpromotion")},
    {"veryLong", N_("very long")},
    {"vukovicMate", N_("Vukovic mate")},
    {"xRayAttack", N_("x-ray attack")},
    {"zugzwang", N_("zugzwang")},
};

const Theme* find(std::string_view raw)
{
    for (const Theme& theme : kThemes) {
        if (raw == theme.raw)
            return &theme;
    }
    return nullptr;
}

template <typename F> void each_word(std::string_view list, F f)
{
    size_t start = 0;
    while (start < list.size()) {
        size_t end = list.find(' ', start);
        if (end == std::string_view::npos)
            end = list.size();
        if (end > start)
            f(list.substr(start, end - start));
        start = end + 1;
    }
}

} // namespace

namespace puzzlethemes {

std::string words(std::string_view raw)
{
    if (const Theme* theme = find(raw))
        return theme->words;
    std::string out;
    for (size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (i > 0 && c >= 'A' && c <= 'Z') {
            out += ' ';
            out += static_cast<char>(c - 'A' + 'a');
        } else {
            out += c;
        }
    }
    return out;
}

std::string translatedList(std::string_view rawList)
{
    std::string out;
    each_word(rawList, [&](std::string_view raw) {
        if (raw == "short" || raw == "long" || raw == "veryLong" || raw == "oneMove")
            return;
        if (!out.empty())
            out += ", ";
        out += translated(words(raw).c_str());
    });
    return out;
}

bool isThemeList(std::string_view text)
{
    bool all = !text.empty();
    each_word(text, [&](std::string_view raw) { all = all && find(raw) != nullptr; });
    return all;
}

} // namespace puzzlethemes
