#include "core/exception.h"
#include "core/regexpsearcher.h"
#include "game/game.h"
#include "game/pgnmove.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

using testsupport::corpusPath;
using testsupport::readFile;
using namespace std::string_literals;

namespace {

// Every game of the text, loaded and closed; failures as "game N: message".
struct Loaded {
    std::vector<Game> games;
    std::vector<std::string> errors;
};

Loaded load_all(const std::string& text, bool open = false)
{
    Loaded out;
    std::istringstream in(text);
    for (int number = 1;; ++number) {
        Game game;
        try {
            if (!game.load(in))
                break;
            if (open) {
                game.open();
                game.close(true);
            }
            out.games.push_back(game);
        } catch (const Exception& e) {
            out.errors.push_back("game " + std::to_string(number) + ": " + e.what());
        }
        if (number > 1000000)
            break;
    }
    return out;
}

// The move text after open and close(true), or the error message.
std::string rewrite(const std::string& moveText, unsigned flags = 0)
{
    Game game;
    game.moveText = moveText;
    game.flags = flags;
    try {
        game.open();
    } catch (const Exception& e) {
        return std::string("error: ") + e.what();
    }
    game.close(true);
    return game.moveText;
}

std::string pgn_of(const Game& game)
{
    std::ostringstream out;
    game.writePGN(out);
    return out.str();
}

const char kTwoGames[] = "[Event \"First\"]\n"
                         "[White \"A\"]\n"
                         "[Result \"1-0\"]\n"
                         "\n"
                         "1.e4 e5\n"
                         "2.Nf3 1-0\n"
                         "\n"
                         "[Event \"Second\"]\n"
                         "[Result \"1/2\"]\n"
                         "\n"
                         "1.d4 *\n";

TEST(PGNLoad, GamesAreSeparatedByBlankLines)
{
    Loaded loaded = load_all(kTwoGames);
    ASSERT_EQ(loaded.games.size(), 2u);
    EXPECT_TRUE(loaded.errors.empty());
    const Game& first = loaded.games[0];
    EXPECT_EQ(first.event, "First");
    EXPECT_EQ(first.white, "A");
    EXPECT_EQ(first.result, ResultWhiteWins);
    EXPECT_EQ(first.moveText, "1.e4 e5\n2.Nf3 1-0");
    EXPECT_EQ(first.id, 0);
    EXPECT_FALSE(first.isOpen());
    EXPECT_EQ(loaded.games[1].result, ResultInProgress);
    EXPECT_EQ(loaded.games[1].moveText, "1.d4 *");

    std::istringstream in("\n\n  \n");
    Game game;
    EXPECT_FALSE(game.load(in));
}

TEST(PGNLoad, TagsTakeEffectInFileOrder)
{
    Loaded loaded = load_all("[SetUp \"0\"]\n[Zeta \"1\"]\n[Alpha \"x\"]\n[Alpha \"y\"]\n"
                             "[Flags \"34abc\"]\n[ViewAs \"0\"]\n[Event \"a\"]\n[Event \"b\"]\n"
                             "\n*\n\n"
                             "[ViewAs \"1\"]\n[Flags \"2\"]\n\n*\n\n"
                             "[ViewAs \"7\"]\n[FEN \"4k3/8/8/8/8/8/8/4K3 b - - 0 1\"]\n\n*\n");
    ASSERT_EQ(loaded.games.size(), 3u);
    const Game& g = loaded.games[0];
    EXPECT_FALSE(g.setUp);
    EXPECT_EQ(g.headers.size(), 3u);
    EXPECT_EQ(g.headers.at("SetUp"), "0");
    EXPECT_EQ(g.headers.at("Alpha"), "y");
    EXPECT_EQ(g.flags, 0x02u);
    EXPECT_EQ(g.event, "b");
    EXPECT_EQ(loaded.games[1].flags, 0x02u); // Flags after ViewAs wins
    // ViewAs 7 changes nothing but suppresses the default from Black to move.
    EXPECT_EQ(loaded.games[2].flags, 0u);
    EXPECT_TRUE(loaded.games[2].setUp);
}

TEST(PGNLoad, TagPatternMatchesTheRegularExpression)
{
    RegExpSearcher pattern("^\\[([A-Za-z0-9_]+)[\t ]+\"(.*)\"]", 2);
    const std::vector<std::string> lines = {"[Name \"value\"]",
                                            "[Name\t \"a \\\"quoted\\\" b\"]",
                                            "[Name \"a\"] b \"c\"] d",
                                            "[Name \"\"]",
                                            "[Name \"C:\\games\\a\\\"]",
                                            "[N_9 \"x\"]]",
                                            "[Name \"x\"",
                                            "[Name\"x\"]",
                                            "[ Name \"x\"]",
                                            "[Na-me \"x\"]",
                                            "[Name \"x]",
                                            "[Name x]",
                                            "[] \"x\"]",
                                            "[Name \"\xc3\xa9t\xc3\xa9\"]"};
    for (const std::string& line : lines) {
        std::vector<std::string> groups;
        const bool matches = pattern.search(line.c_str(), &groups);
        Loaded loaded = load_all(line + "\n\n*\n");
        if (matches) {
            ASSERT_EQ(loaded.games.size(), 1u) << line;
            ASSERT_EQ(groups.size(), 3u);
            const Game& g = loaded.games[0];
            ASSERT_EQ(g.headers.count(groups[1]), 1u) << line;
            // The value with its escapes \" and \\ read.
            std::string value;
            for (size_t i = 0; i < groups[2].size(); ++i) {
                if (groups[2][i] == '\\' && i + 1 < groups[2].size() &&
                    (groups[2][i + 1] == '"' || groups[2][i + 1] == '\\'))
                    ++i;
                value += groups[2][i];
            }
            EXPECT_EQ(g.headers.at(groups[1]), value) << line;
        } else {
            EXPECT_TRUE(loaded.games.empty()) << line;
            ASSERT_EQ(loaded.errors.size(), 1u) << line;
            EXPECT_EQ(loaded.errors[0],
                      "game 1: Error parsing PGN file. Game header has invalid attribute: " + line);
        }
    }
}

TEST(PGNLoad, MalformedGamesFailAndTheNextGameIsRead)
{
    // Tags followed by move text without a blank line.
    Loaded noBlank = load_all("[Event \"x\"]\n1.e4 e5 *\n\n[Event \"y\"]\n\n1.d4 *\n");
    ASSERT_EQ(noBlank.errors.size(), 1u);
    EXPECT_EQ(noBlank.errors[0],
              "game 1: Error parsing PGN file. Game header has invalid attribute: 1.e4 e5 *");
    ASSERT_EQ(noBlank.games.size(), 1u);
    EXPECT_EQ(noBlank.games[0].event, "y");

    // A broken tag among others: the whole game is skipped, not only the tag.
    Loaded broken = load_all("[Event \"x\"]\n[Site x]\n[White \"w\"]\n\n1.e4 {a\n\nb} *\n\n"
                             "[Event \"y\"]\n\n1.d4 *\n");
    ASSERT_EQ(broken.errors.size(), 1u);
    EXPECT_EQ(broken.errors[0],
              "game 1: Error parsing PGN file. Game header has invalid attribute: [Site x]");
    ASSERT_EQ(broken.games.size(), 1u);
    EXPECT_EQ(broken.games[0].event, "y");

    // A binary file's line: its start only, and no control character.
    const std::string binary = "\x7f"
                               "ELF\x1b[2J\x07" +
                               std::string(400, '\xe9') + "\n";
    Loaded garbage = load_all(binary);
    ASSERT_EQ(garbage.errors.size(), 1u);
    const std::string quoted = "game 1: Error parsing PGN file. Game header has invalid attribute: "
                               "?ELF?[2J?";
    EXPECT_EQ(garbage.errors[0].substr(0, quoted.size()), quoted);
    // The line, read as Latin-1, is cut after 200 bytes.
    EXPECT_EQ(garbage.errors[0].size(), quoted.size() - 9 + 199 + 3) << garbage.errors[0];

    // An unreadable FEN.
    Loaded fen = load_all("[FEN \"8/8/9 w - - 0 1\"]\n\n*\n\n[Event \"y\"]\n\n*\n");
    ASSERT_EQ(fen.errors.size(), 1u);
    EXPECT_EQ(fen.errors[0].rfind("game 1: Error parsing FEN: 8/8/9 w - - 0 1", 0), 0u)
        << fen.errors[0];
    ASSERT_EQ(fen.games.size(), 1u);
    EXPECT_EQ(fen.games[0].event, "y");

    Loaded eof = load_all("[Event \"x\"]\n\n\n");
    ASSERT_EQ(eof.errors.size(), 1u);
    EXPECT_EQ(eof.errors[0],
              "game 1: Error parsing PGN file. Unexpected end of file: game body is absent");
    Loaded eofInTags = load_all("[Event \"x\"]");
    ASSERT_EQ(eofInTags.errors.size(), 1u);
}

TEST(PGNLoad, RealFileQuirksReadAsTheyWereMeant)
{
    // A FEN without SetUp still sets up the position; Black to move turns the board.
    Loaded fen = load_all("[FEN \"4k3/8/8/8/8/8/8/R3K3 b Q - 0 1\"]\n\nKd7 *\n");
    ASSERT_EQ(fen.games.size(), 1u);
    EXPECT_TRUE(fen.games[0].setUp);
    EXPECT_EQ(fen.games[0].flags, unsigned(Game::FlagViewAsBlack));
    EXPECT_EQ(fen.games[0].startBoard.exportToFEN(), "4k3/8/8/8/8/8/8/R3K3 b Q - 0 1");

    // A blank line inside a comment belongs to the comment.
    Loaded study = load_all("[Event \"s\"]\n\n1.e4 {First paragraph.\n\nSecond one.} e5 *\n\n"
                            "[Event \"t\"]\n\n*\n");
    ASSERT_EQ(study.games.size(), 2u);
    EXPECT_EQ(study.games[0].moveText, "1.e4 {First paragraph.\n\nSecond one.} e5 *");
    EXPECT_EQ(study.games[1].event, "t");

    // The next game's tags right after a result.
    Loaded glued = load_all("[Event \"a\"]\n\n1.e4 e5 1-0\n[Event \"b\"]\n[Site \"s\"]\n\n1.d4 *");
    ASSERT_EQ(glued.games.size(), 2u);
    EXPECT_EQ(glued.games[0].moveText, "1.e4 e5 1-0");
    EXPECT_EQ(glued.games[1].event, "b");
    EXPECT_EQ(glued.games[1].site, "s");
    // The last line has no line break and is read all the same.
    EXPECT_EQ(glued.games[1].moveText, "1.d4 *");

    // Tags with no move text before the next game's tags: a game without moves.
    Loaded bare = load_all("[Event \"a\"]\n\n[Event \"b\"]\n\n1.e4 *\n", true);
    ASSERT_EQ(bare.games.size(), 2u);
    EXPECT_EQ(bare.games[0].moveText, "*");
    EXPECT_EQ(bare.games[1].event, "b");
    EXPECT_EQ(bare.games[1].moveText, "1.e4 *");

    // A comment left open does not swallow the games after it.
    Loaded open = load_all("[Event \"a\"]\n\n1.e4 {oops e5 *\n\n[Event \"b\"]\n\n1.d4 *\n", true);
    ASSERT_EQ(open.errors.size(), 1u);
    EXPECT_EQ(open.errors[0], "game 1: Error parsing PGN file [File:Game, Line:244]");
    ASSERT_EQ(open.games.size(), 1u);
    EXPECT_EQ(open.games[0].event, "b");

    // Byte-order mark, CR LF line ends, NUL bytes.
    Loaded bom = load_all("\xEF\xBB\xBF[Event \"a\"]\r\n\r\n1.e4\r\ne5 *\0\0\r\n\r\n"
                          "[Event \"b\"]\r\n\r\n*\r\n"s);
    ASSERT_EQ(bom.games.size(), 2u) << (bom.errors.empty() ? "" : bom.errors[0]);
    EXPECT_EQ(bom.games[0].event, "a");
    EXPECT_EQ(bom.games[0].moveText, "1.e4\ne5 *");
}

TEST(PGNLoad, Windows1252LinesBecomeUtf8AndUtf8IsKept)
{
    Loaded loaded = load_all(
        "[White \"Sch\xf6n, J\xfcrgen \x80\"]\n[Black \"M\xc3\xbcller \xf0\x9f\x92\x8e\"]\n"
        "\n1.e4 {Gr\xfc\xdf} *\n");
    ASSERT_EQ(loaded.games.size(), 1u);
    EXPECT_EQ(loaded.games[0].white, "Sch\xc3\xb6n, J\xc3\xbcrgen \xe2\x82\xac");
    EXPECT_EQ(loaded.games[0].black, "M\xc3\xbcller \xf0\x9f\x92\x8e");
    EXPECT_EQ(loaded.games[0].moveText, "1.e4 {Gr\xc3\xbc\xc3\x9f} *");
    // Overlong forms and surrogates are no UTF-8.
    Loaded bad = load_all("[White \"\xc0\xaf \xed\xa0\x80\"]\n\n*\n");
    ASSERT_EQ(bad.games.size(), 1u);
    EXPECT_EQ(bad.games[0].white, "\xc3\x80\xc2\xaf \xc3\xad\xc2\xa0\xe2\x82\xac");
}

TEST(PGNOpen, ErrorMessagesOfMalformedMoveText)
{
    EXPECT_EQ(rewrite("1.e4 e5"), "error: Error parsing PGN file [File:Game, Line:244]");
    EXPECT_EQ(rewrite("1.e4 ) *"), "error: Error parsing PGN file [File:Game, Line:517]");
    EXPECT_EQ(rewrite("1.e4 (1.d4 *"), "error: Error parsing PGN file [File:Game, Line:526]");
    EXPECT_EQ(rewrite("1.e4 e5 2.Ke3 *").rfind("error: Error parsing SAN: Ke3 in position: ", 0),
              0u);
    EXPECT_EQ(rewrite("1.e4 e5 2.O-O *").rfind("error: Error parsing SAN: O-O in position: ", 0),
              0u);
    EXPECT_EQ(rewrite("1.e4 [x] *"), "error: PGN parsing error. Context: [x] *");
    EXPECT_EQ(rewrite("{intro} (1.d4) 1.e4 *"),
              "error: Error parsing PGN file. Variation before the first move: d4");
    EXPECT_EQ(rewrite(""), "*");
    EXPECT_EQ(rewrite("  \n "), "*");
}

TEST(PGNOpen, PositionsFollowTheRulesOfReferenceReaders)
{
    // A rook taken on its corner takes that castling right along: a rook
    // that comes back to h8 cannot castle.
    Loaded corner =
        load_all("[Event \"e\"]\n\n1.b3 g5 2.Bb2 f5 3.Bxh8 a5 4.Bd4 Ra6 5.e3 h5 6.d3 Rh6 7.c3 Rh8 "
                 "8.a3 Nf6 9.b4 Bg7 10.c4 O-O *\n",
                 true);
    ASSERT_EQ(corner.errors.size(), 1u);
    EXPECT_EQ(corner.errors[0].find("game 1: Error parsing SAN: O-O in position: "), 0u)
        << corner.errors[0];

    // A right without its rook on the corner is dropped from the FEN: the game
    // is written with "-", reads back the same, and cannot castle later.
    const std::string fen = "[FEN \"4k3/8/8/8/8/8/8/4K1R1 w K - 0 1\"]\n\n";
    Loaded dropped = load_all(fen + "1.Rh1 Kd7 *\n", true);
    ASSERT_EQ(dropped.games.size(), 1u);
    const std::string written = pgn_of(dropped.games[0]);
    EXPECT_NE(written.find("[FEN \"4k3/8/8/8/8/8/8/4K1R1 w - - 0 1\"]"), std::string::npos);
    Loaded again = load_all(written, true);
    ASSERT_EQ(again.games.size(), 1u);
    EXPECT_EQ(pgn_of(again.games[0]), written);
    EXPECT_EQ(load_all(fen + "1.Rh1 Kd7 2.O-O *\n", true).errors.size(), 1u);

    // A pass leaves no en-passant square: the pawn on h2 cannot take on g3.
    Loaded pass = load_all("[Event \"e\"]\n\n1.e4 e5 2.d3 Be7 3.g4 -- 4.hxg3 *\n", true);
    ASSERT_EQ(pass.errors.size(), 1u);
    EXPECT_NE(pass.errors[0].find("Error parsing SAN: hxg3"), std::string::npos) << pass.errors[0];
    // An engine is asked about the position after a pass alone, with White to move.
    Loaded passed = load_all("[Event \"e\"]\n\n1.e4 -- *\n");
    ASSERT_EQ(passed.games.size(), 1u);
    Game& game = passed.games[0];
    game.open();
    ASSERT_TRUE(game.lastPosition());
    Board asked;
    Move last;
    game.current->engineRequest(&asked, &last);
    EXPECT_TRUE(last.isNull());
    EXPECT_EQ(asked.exportToFEN(), "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 0 2");
    game.current->parent->engineRequest(&asked, &last);
    EXPECT_EQ(last.getAsString(), "e2e4");

    // An en-passant square no double step can have crossed takes nothing.
    Loaded bogus = load_all("[FEN \"4k3/8/8/3PN3/8/8/8/4K3 w - e6 0 1\"]\n\n1.dxe6 *\n", true);
    ASSERT_EQ(bogus.errors.size(), 1u);
    EXPECT_NE(bogus.errors[0].find("Error parsing SAN: dxe6"), std::string::npos);

    // Lower-case promotion letters after "=" read; the program writes its own SAN.
    Loaded promotions =
        load_all("[FEN \"3r4/P3P3/8/k7/8/8/8/K7 w - - 0 1\"]\n\n1.a8=q Kb6 2.exd8=n *\n", true);
    ASSERT_EQ(promotions.games.size(), 1u);
    EXPECT_EQ(promotions.games[0].moveText, "1.a8/Q+ Kb6 2.exd8/N *");
}

TEST(PGNOpen, VariationsAndMarkers)
{
    Game game;
    game.moveText = "1.e4 (1.d4 d5) e5 *";
    game.open();
    std::string list;
    for (const PGNElement* e = game.root->next; e != nullptr; e = e->next)
        list += e->getText() + "@" + std::to_string(e->depth) + " ";
    EXPECT_EQ(list, "1.e4@0 (@1 1.d4@1 d5@1 )@1 e5@0 ");
    EXPECT_EQ(game.root->findNextMove()->findVariant(true)->parent, game.root);

    // "$500" marks the current move and comes back after it.
    Game marked;
    marked.moveText = "1.e4 e5 $500 2.Nf3 *";
    marked.open();
    EXPECT_EQ(marked.current->text, "e5");
    marked.close(true);
    EXPECT_EQ(marked.moveText, "1.e4 e5 $500 2.Nf3 *");
    marked.open();
    marked.firstPosition();
    marked.close(true);
    EXPECT_EQ(marked.moveText, "1.e4 e5 2.Nf3 *");

    // Inside a variation, and "$501" for a hidden move.
    EXPECT_EQ(rewrite("1.e4 (1.d4 $500 d5) e5 *"), "1.e4\n  ( 1.d4 $500 d5 )\ne5 *");
    EXPECT_EQ(rewrite("1.e4 $501 e5 2.Nf3 *"), "1.e4 $501 e5 2.Nf3 *");
    Game hidden;
    hidden.moveText = "1.e4 $501 e5 2.Nf3 *";
    hidden.open();
    EXPECT_TRUE(hidden.root->findNextMove()->findNextMove()->hidden);
    EXPECT_FALSE(hidden.root->findNextMove()->hidden);
    // Once a "$501" was read, "$500" is an ordinary NAG.
    EXPECT_EQ(rewrite("1.e4 $501 e5 $500 *"), "1.e4 $501 e5 $500 *");
    // A "$501" that hides no move is dropped, so it does not turn a later "$500" into a NAG
    // that would read back as the marker.
    EXPECT_EQ(rewrite("1.e4 (1.d4 $500 $501) e5 $500 *"), "1.e4\n  ( 1.d4 )\ne5 $500 *");
    EXPECT_EQ(rewrite("1.e4 (1.d4 $500 $501) e5 $500 *"),
              rewrite(rewrite("1.e4 (1.d4 $500 $501) e5 $500 *")));
    // A hidden move after a variation is written with "$501" after the ")" and read back.
    EXPECT_EQ(rewrite("1.e4 $501 (1.d4) e5 *"), "1.e4\n  ( 1.d4 )\n$501 e5 *");
    EXPECT_EQ(rewrite("1.e4 (1.d4) $501 e5 *"), "1.e4\n  ( 1.d4 )\n$501 e5 *");
    EXPECT_EQ(rewrite("1.e4 (1.d4) $5011 e5 *"), "error: PGN parsing error. Context: $5011 e5 *");

    // Only the root: just the result. Annotation glyphs become their NAGs.
    EXPECT_EQ(rewrite("1-0"), "*");
    EXPECT_EQ(rewrite("1.e4!? e5?? 2.Nf3! Nc6!!! 3.Bc4? Bc5?! 4.O-O!! *"),
              "1.e4 $5 e5 $4 2.Nf3 $1 Nc6 3.Bc4 $2 Bc5 $6 4.O-O $3 *");
    EXPECT_EQ(rewrite("1.e4 e5 2.Nf3 Nc6 3.Bb5 a6 4.Bxc6 dxc6 5.0-0 f6 *"),
              "1.e4 e5 2.Nf3 Nc6 3.Bb5 a6 4.Bxc6 dxc6 5.O-O f6 *");
    EXPECT_EQ(rewrite("1. e4 e5 2. Qh5 Nc6 3. Bc4 Nf6 4. Qxf7 1-0"),
              "1.e4 e5 2.Qh5 Nc6 3.Bc4 Nf6 4.Qxf7# *");
}

TEST(PGNWrite, LayoutBreaksLinesAfterColumnEighty)
{
    Game game;
    game.moveText = "1.d4 d5 2.c4 e6 3.Nc3 Nf6 4.Bg5 Be7 5.e3 O-O 6.Nf3 Nbd7 7.Rc1 c6 8.Bd3 dxc4 "
                    "9.Bxc4 Nd5 10.Bxe7 Qxe7 11.O-O Nxc3 12.Rxc3 e5 *";
    game.result = ResultDraw;
    game.open();
    game.close(true);
    // The first line runs past 80 by its last element; no indentation at depth 0.
    EXPECT_EQ(game.moveText, "1.d4 d5 2.c4 e6 3.Nc3 Nf6 4.Bg5 Be7 5.e3 O-O 6.Nf3 Nbd7 7.Rc1 c6 "
                             "8.Bd3 dxc4 9.Bxc4\n"
                             "Nd5 10.Bxe7 Qxe7 11.O-O Nxc3 12.Rxc3 e5 1/2-1/2");

    // Code points count, not bytes: 40 two-byte letters are 40 columns.
    const std::string word(80, 'x');
    const std::string wide = std::string(20, '\xc3') + "";
    std::string umlauts;
    for (int i = 0; i < 70; ++i)
        umlauts += "\xc3\xbc";
    EXPECT_EQ(rewrite("1.e4 {" + umlauts + "} e5 *"), "1.e4 { " + umlauts + " } e5 *");
    EXPECT_EQ(rewrite("1.e4 {" + umlauts + "xxxxxxxx} e5 *"),
              "1.e4 { " + umlauts + "xxxxxxxx\n} e5 *");

    // A comment word starting with "%" never begins a line: readers would skip
    // that line as an escape. The text reads back as written.
    const std::string escaped = "1.e4 { " + word + "\n %eval 0.3 %clk } e5 *";
    EXPECT_EQ(rewrite("1.e4 {" + word + " %eval 0.3 %clk} e5 *"), escaped);
    EXPECT_EQ(rewrite(escaped), escaped);

    // Each variation on its own line, indented two spaces per level.
    EXPECT_EQ(rewrite("1.e4 e5 (1...c5 2.Nf3 (2.c3 d5) d6) 2.Nf3 *"),
              "1.e4 e5\n  ( c5 2.Nf3\n    ( 2.c3 d5 )\n  d6 )\n2.Nf3 *");
}

TEST(PGNWrite, WrittenGamesReadBackTheSame)
{
    const char* const kGame =
        "[Event \"E\"]\n[Site \"S\"]\n[Date \"2024.01.02\"]\n"
        "[Round \"1\"]\n[White \"W\"]\n[Black \"B\"]\n[Result \"0-1\"]\n"
        "[FEN \"4k3/8/8/8/8/8/4P3/4K3 w - - 0 1\"]\n[Annotator \"a \\\"b\\\"\"]\n"
        "[Flags \"32\"]\n[ViewAs \"1\"]\n\n1.e4 Kd7 {x} 0-1\n";
    Loaded loaded = load_all(kGame, true);
    ASSERT_EQ(loaded.games.size(), 1u);
    const Game& game = loaded.games[0];
    EXPECT_EQ(pgn_of(game), "[Event \"E\"]\n[Site \"S\"]\n[Date \"2024.01.02\"]\n[Round \"1\"]\n"
                            "[White \"W\"]\n[Black \"B\"]\n[Result \"0-1\"]\n[SetUp \"1\"]\n"
                            "[FEN \"4k3/8/8/8/8/8/4P3/4K3 w - - 0 1\"]\n"
                            "[Annotator \"a \\\"b\\\"\"]\n[Flags \"32\"]\n[ViewAs \"1\"]\n\n"
                            "1.e4 Kd7 { x } 0-1\n\n");
    Loaded again = load_all(pgn_of(game), true);
    ASSERT_EQ(again.games.size(), 1u);
    EXPECT_EQ(again.games[0].flags, game.flags);
    EXPECT_EQ(pgn_of(again.games[0]), pgn_of(game));

    // Quotes and backslashes in a tag value are escaped and read back.
    Game quoted = loaded.games[0];
    quoted.event = "a\" b\\c\\";
    quoted.headers["Annotator"] = "\\\"";
    const std::string escaped = pgn_of(quoted);
    EXPECT_NE(escaped.find("[Event \"a\\\" b\\\\c\\\\\"]\n"), std::string::npos) << escaped;
    Loaded unescaped = load_all(escaped);
    ASSERT_EQ(unescaped.games.size(), 1u);
    EXPECT_EQ(unescaped.games[0].event, quoted.event);
    EXPECT_EQ(unescaped.games[0].headers.at("Annotator"), "\\\"");
    EXPECT_EQ(pgn_of(unescaped.games[0]), escaped);

    // Without "ViewAs" the side to move at the start decides over "Flags".
    Loaded flagsOnly = load_all("[Flags \"34\"]\n\n*\n");
    ASSERT_EQ(flagsOnly.games.size(), 1u);
    EXPECT_EQ(flagsOnly.games[0].flags, 0x02u);

    // A Black-to-move start shown from White's side needs "ViewAs" "0".
    Game white = loaded.games[0];
    white.startBoard.importFromFEN("4k3/8/8/8/8/8/4P3/4K3 b - - 0 1");
    white.flags = 0;
    white.moveText = "Kd7 *";
    const std::string text = pgn_of(white);
    EXPECT_NE(text.find("[ViewAs \"0\"]"), std::string::npos);
    Loaded back = load_all(text);
    ASSERT_EQ(back.games.size(), 1u);
    EXPECT_EQ(back.games[0].flags, 0u);
}

// Load, open, close and write every game; then read what was written and
// write it again: the two texts must be the same.
void check_real_games(const std::string& name, size_t games, size_t failures)
{
    const std::string text = readFile(name);
    ASSERT_FALSE(text.empty()) << name;
    Loaded first = load_all(text, true);
    EXPECT_EQ(first.games.size(), games) << name;
    EXPECT_EQ(first.errors.size(), failures) << name;
    for (const std::string& e : first.errors)
        EXPECT_NE(e.find("Error parsing SAN"), std::string::npos) << e;
    std::string written;
    for (const Game& game : first.games)
        written += pgn_of(game);
    Loaded second = load_all(written, true);
    EXPECT_TRUE(second.errors.empty()) << name << ": " << second.errors.front();
    ASSERT_EQ(second.games.size(), first.games.size());
    std::string rewritten;
    for (const Game& game : second.games)
        rewritten += pgn_of(game);
    EXPECT_TRUE(written == rewritten) << name << " is not written back the same";
}

TEST(PGNRealGames, SliceReadsAndWritesBackIdempotently)
{
    check_real_games(testsupport::dataPath("masters-slice.pgn"), 200, 0);
    // Online games and annotated studies, with the four chapters that have
    // a move other programs reject too.
    check_real_games(testsupport::dataPath("lichess-slice.pgn"), 551, 4);
}

TEST(PGNCorpus, SampleReadsAndWritesBackIdempotently)
{
    SKIP_WITHOUT_CORPUS("sample-1in20.pgn");
    check_real_games(corpusPath("sample-1in20.pgn"), 3954, 0);
}

TEST(PGNCorpus, LichessGamesAndStudiesReadAndWriteBackIdempotently)
{
    SKIP_WITHOUT_CORPUS("lichess.pgn");
    // The four chapters with a move other programs reject too.
    check_real_games(corpusPath("lichess.pgn"), 1490, 4);
}

TEST(PGNHostile, NoInputCrashesOrHangsTheReader)
{
    std::string deep = "[Event \"deep\"]\n\n1.e4";
    for (int i = 0; i < 1000; ++i)
        deep += " (1.e4";
    deep += std::string(1000, ')') + " *\n\n";
    const std::string hostile =
        deep + "[Event \"comment\"]\n\n1.e4 {" + std::string(10 * 1024 * 1024, 'c') + "} *\n\n" +
        "[Event \"brackets\"]\n\n1.e4 ((1.d4) *\n\n" + "[Event \"stray\"]\n\n1.e4 } *\n\n" +
        "[Event \"nul\"]\n\n1.e4 \0\0 e5 *\n\n"s + "[Event \"ambiguous\"]\n\n" +
        "1.d4 d5 2.Nf3 Nf6 3.Nd2 *\n\n" + "[Event \"last\"]\n\n1.e4 *\n";
    Loaded loaded = load_all(hostile, true);
    std::vector<std::string> events;
    for (const Game& g : loaded.games)
        events.push_back(g.event);
    EXPECT_EQ(events, (std::vector<std::string>{"deep", "comment", "nul", "last"}));
    ASSERT_EQ(loaded.errors.size(), 3u) << loaded.errors.front();
    EXPECT_EQ(loaded.errors[0], "game 3: PGN parsing error. Context: (1.d4) *");
    EXPECT_EQ(loaded.errors[1], "game 4: PGN parsing error. Context: } *");
    EXPECT_EQ(loaded.errors[2].rfind("game 6: Error parsing SAN: Nd2 in position: ", 0), 0u);
    EXPECT_EQ(loaded.games[2].moveText, "1.e4 e5 *");
}

TEST(PGNHostile, RandomMutationsOfRealGames)
{
    const std::string text = readFile(testsupport::dataPath("lichess-slice.pgn"));
    Loaded source = load_all(text.substr(text.size() - 200000));
    ASSERT_GT(source.games.size(), 20u);
    std::mt19937 random(20261208);
    const char kAlphabet[] = "(){}$*-/.0123456789NBRQKOabcdefgh!? \n\r\t[]\"\xff\xc3";
    int opened = 0;
    for (int round = 0; round < 1500; ++round) {
        std::string pgn = pgn_of(source.games[random() % source.games.size()]);
        const int edits = 1 + random() % 4;
        for (int i = 0; i < edits; ++i) {
            const size_t at = random() % pgn.size();
            const char c = kAlphabet[random() % (sizeof kAlphabet - 1)];
            switch (random() % 3) {
            case 0:
                pgn[at] = c;
                break;
            case 1:
                pgn.insert(pgn.begin() + at, c);
                break;
            default:
                pgn.erase(at, 1 + random() % 8);
                break;
            }
        }
        // Whatever reads must write back the same text when read again.
        Loaded first = load_all(pgn, true);
        for (const Game& game : first.games) {
            Loaded second = load_all(pgn_of(game), true);
            ASSERT_EQ(second.games.size(), 1u) << pgn;
            EXPECT_EQ(pgn_of(second.games[0]), pgn_of(game)) << pgn;
            ++opened;
        }
    }
    EXPECT_GT(opened, 400);
}

} // namespace
