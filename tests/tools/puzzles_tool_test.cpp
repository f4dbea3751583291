// inkmate-tool puzzles: the puzzle CSV file's traps, end to end into a base.
#include "base/chessbase.h"
#include "game/pgnmove.h"
#include "tests/base/basetestutil.h"
#include "tests/tools/toolrun.h"

#include <gtest/gtest.h>

#include <zstd.h>

using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;
using tooltest::tool;
using tooltest::ToolRun;

namespace {

const char kHeader[] =
    "PuzzleId,FEN,Moves,Rating,RatingDeviation,Popularity,NbPlays,Themes,GameUrl,OpeningTags";

std::string row(const std::string& id, const std::string& fen, const std::string& moves,
                const std::string& rating, const std::string& popularity, const std::string& themes)
{
    return id + "," + fen + "," + moves + "," + rating + ",80," + popularity + ",10," + themes +
           ",https://example.org/" + id + "#3,";
}

const std::string kBackRank = "6k1/p4ppp/8/8/8/8/5PPP/4R1K1 b - - 0 1";
const std::string kBlackMates = "4r1k1/5ppp/8/8/8/8/P4PPP/6K1 w - - 0 1";
const std::string kPromotion = "8/4P3/8/8/8/8/k7/6K1 b - - 0 1";

// Good rows in an order that the rating sort changes, malformed rows among
// them; lines end in CR LF.
std::string sample_csv()
{
    const std::vector<std::string> lines = {
        kHeader,
        row("mA", kBackRank, "a7a6 e1e8", "1500", "90", "mate mateIn1 oneMove endgame"),
        row("mB", kBlackMates, "a2a3 e8e1", "1399", "50", "mate mateIn1 oneMove endgame"),
        "bad1,too,few,columns,here",
        row("pQ", kPromotion, "a2a1 e7e8q", "1500", "-20", "advancedPawn promotion endgame"),
        row("bad2", kBackRank, "a7a6 e1f8", "1500", "0", "mate"),
        row("bad3", kBackRank, "a7a6 e1e8", "15x0", "0", "mate"),
        row("bad4", "nonsense", "a7a6 e1e8", "1500", "0", "mate"),
        row("bad5", kPromotion, "a2a1 e7e8", "1500", "0", "promotion"),
        row("pN", kPromotion, "a2a1 e7e8n", "900", "10", "underPromotion endgame"),
    };
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

std::string zstd(const std::string& text)
{
    std::string out(ZSTD_compressBound(text.size()), '\0');
    out.resize(ZSTD_compress(&out[0], out.size(), text.data(), text.size(), 3));
    return out;
}

} // namespace

TEST(ToolPuzzles, RowsBecomePuzzlesByRatingWithBandHeadings)
{
    TempDir dir;
    writeFile(dir.file("lichess.csv"), sample_csv());
    ToolRun run = tool({"puzzles", dir.file("lichess.csv")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, dir.file("lichess.cdb") + ": 4 puzzles (9 read)\n");
    EXPECT_NE(run.err.find("5 malformed rows skipped:\n"
                           "line 4: expected 10 columns, found 5\n"
                           "line 6: move 2 (e1f8) is not legal\n"
                           "line 7: rating is not a number: \"15x0\"\n"
                           "line 8: Error parsing FEN: nonsense (1 fields instead of 6)\n"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("line 9: move 2 (e7e8) is not legal: the promotion piece is missing\n"),
              std::string::npos)
        << run.err;

    // Ascending rating, the tie at 1500 in file order; the opponent's move
    // shown, "$500" after it; mates won by the solver; the board shown from
    // the solver's side (flag 32 for Black).
    RawBase raw(dir.file("lichess.cdb"));
    const std::string dot = " \xC2\xB7 ";
    EXPECT_EQ(raw.rows("select rowid, Event, Site, Round, Result, Flags, MoveText from games"),
              (std::vector<std::string>{
                  "1|White to move" + dot + "under promotion" + dot +
                      "900|https://example.org/pN#3|pN|0|2|{underPromotion endgame} Ka1 $500 "
                      "2.e8/N *",
                  "2|Black to move" + dot + "mate in 1" + dot +
                      "1399|https://example.org/mB#3|mB|2|34|{mate mateIn1 oneMove endgame} "
                      "1.a3 $500 Re1# 0-1",
                  "3|White to move" + dot + "mate in 1" + dot +
                      "1500|https://example.org/mA#3|mA|1|2|{mate mateIn1 oneMove endgame} a6 "
                      "$500 2.Re8# 1-0",
                  "4|White to move" + dot + "advanced pawn" + dot +
                      "1500|https://example.org/pQ#3|pQ|0|2|{advancedPawn promotion endgame} "
                      "Ka1 $500 2.e8/Q *"}));
    EXPECT_EQ(raw.rows("select parent, gameid, text from contents order by rowid"),
              (std::vector<std::string>{"0|1|800-999", "0|2|1200-1399", "0|3|1400-1599"}));
    EXPECT_EQ(raw.value("select value from params where name = 'gameid'"), "1");
    // Each puzzle's data by its games row; theme bits in order of first
    // appearance among the kept rows.
    EXPECT_EQ(raw.rows("select * from puzzle_info order by game"),
              (std::vector<std::string>{"1|pN|900|80|10|10|underPromotion endgame|" +
                                            std::to_string(64 | 8) + "|0|",
                                        "2|mB|1399|80|50|10|mate mateIn1 oneMove endgame|15|0|",
                                        "3|mA|1500|80|90|10|mate mateIn1 oneMove endgame|15|0|",
                                        "4|pQ|1500|80|-20|10|advancedPawn promotion endgame|" +
                                            std::to_string(16 | 32 | 8) + "|0|"}));
    EXPECT_EQ(raw.rows("select * from puzzle_themes order by bit"),
              (std::vector<std::string>{"0|mate", "1|mateIn1", "2|oneMove", "3|endgame",
                                        "4|advancedPawn", "5|promotion", "6|underPromotion"}));
    EXPECT_EQ(raw.value("select count(1) from sqlite_master where name = 'puzzle_info_rating'"),
              "1");

    // The puzzle opens after the opponent's move with the solver's move hidden.
    ChessBase base;
    base.open(dir.file("lichess.cdb"), ChessBase::ReadOnly);
    base.openGame(3);
    ASSERT_TRUE(base.game.current && base.game.current->findNextMove());
    EXPECT_EQ(base.game.current->text, "a6");
    EXPECT_TRUE(base.game.current->findNextMove()->hidden);
    EXPECT_EQ(base.game.current->boardAfter().getColorToMove(), White);
    // The failed and helped bits are no reason for check to complain.
    raw.exec("update games set Flags = Flags | 384 where rowid > 2");
    const ToolRun check = tool({"check", dir.file("lichess.cdb")});
    EXPECT_EQ(check.status, 0) << check.out;
}

TEST(ToolPuzzles, CompressedAndStandardInputGiveTheSameBaseAndFiltersApply)
{
    TempDir dir;
    writeFile(dir.file("p.csv"), sample_csv());
    writeFile(dir.file("p.csv.zst"), zstd(sample_csv()));
    ASSERT_EQ(tool({"puzzles", dir.file("p.csv"), dir.file("plain.cdb")}).status, 1);
    ToolRun run = tool({"puzzles", dir.file("p.csv.zst")});
    EXPECT_EQ(run.out, dir.file("p.cdb") + ": 4 puzzles (9 read)\n") << run.err;
    run = tool({"puzzles", "-", dir.file("stdin.cdb")}, zstd(sample_csv()));
    EXPECT_EQ(run.out, dir.file("stdin.cdb") + ": 4 puzzles (9 read)\n") << run.err;
    const char* sql = "select rowid, * from games";
    const std::vector<std::string> rows = RawBase(dir.file("plain.cdb")).rows(sql);
    EXPECT_EQ(RawBase(dir.file("p.cdb")).rows(sql), rows);
    EXPECT_EQ(RawBase(dir.file("stdin.cdb")).rows(sql), rows);

    auto ids = [&](const std::vector<std::string>& filters) {
        std::vector<std::string> args = {"puzzles", dir.file("p.csv"), dir.file("f.cdb")};
        args.insert(args.end(), filters.begin(), filters.end());
        tool(args);
        return RawBase(dir.file("f.cdb")).rows("select Round from games");
    };
    using Ids = std::vector<std::string>;
    EXPECT_EQ(ids({"--rating", "1399-1500", "--themes", "mate+oneMove"}), (Ids{"mB", "mA"}));
    EXPECT_EQ(ids({"--min-popularity", "10"}), (Ids{"pN", "mB", "mA"}));
    // The first matching rows of the file, then sorted.
    EXPECT_EQ(ids({"--limit", "2", "--themes", "endgame"}), (Ids{"mB", "mA"}));
}

TEST(ToolPuzzles, LinesAcrossReadBuffersArriveWhole)
{
    // Half a megabyte: lines cross the reader's and the decompressor's buffers.
    std::string text = std::string(kHeader) + "\n";
    for (int i = 0; i < 5000; ++i)
        text += row("x" + std::to_string(i) + std::string(static_cast<size_t>(i % 13), 'y'),
                    kBackRank, "a7a6 e1e8", std::to_string(1000 + i % 700), "0", "mate") +
                "\n";
    TempDir dir;
    writeFile(dir.file("big.csv"), text);
    ToolRun run = tool({"puzzles", dir.file("big.csv")});
    EXPECT_EQ(run.out, dir.file("big.cdb") + ": 5000 puzzles (5000 read)\n") << run.err;
    run = tool({"puzzles", "-", dir.file("z.cdb")}, zstd(text));
    EXPECT_EQ(run.out, dir.file("z.cdb") + ": 5000 puzzles (5000 read)\n") << run.err;
    const char* sql = "select Round, Event from games";
    EXPECT_EQ(RawBase(dir.file("z.cdb")).rows(sql), RawBase(dir.file("big.cdb")).rows(sql));
    EXPECT_EQ(RawBase(dir.file("z.cdb")).value("select count(1) from contents"), "4");
}

TEST(ToolPuzzles, UnreadableOrForeignFilesLeaveTheBaseAlone)
{
    TempDir dir;
    writeFile(dir.file("p.csv"), sample_csv());
    ASSERT_EQ(tool({"puzzles", dir.file("p.csv"), dir.file("out.cdb")}).status, 1);
    const std::string before = readFile(dir.file("out.cdb"));

    writeFile(dir.file("games.csv"), "Event,Site\r\nx,y\r\n");
    ToolRun run = tool({"puzzles", dir.file("games.csv"), dir.file("out.cdb")});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("not a puzzle file"), std::string::npos) << run.err;
    run = tool({"puzzles", dir.file("missing.csv.zst"), dir.file("out.cdb")});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find(dir.file("missing.csv.zst")), std::string::npos) << run.err;
    // A broken compressed stream is an error, not an empty file.
    writeFile(dir.file("broken.zst"), zstd(sample_csv()).substr(0, 40) + "garbage");
    EXPECT_EQ(tool({"puzzles", dir.file("broken.zst"), dir.file("out.cdb")}).status, 2);
    EXPECT_EQ(tool({"puzzles", dir.file("p.csv"), "--rating", "1500"}).status, 2);
    EXPECT_EQ(tool({"puzzles", "-"}).status, 2);
    EXPECT_EQ(readFile(dir.file("out.cdb")), before);
    // The base never replaces the file it is read from.
    EXPECT_EQ(tool({"puzzles", dir.file("p.csv"), dir.file("p.csv")}).status, 2);
    EXPECT_EQ(readFile(dir.file("p.csv")), sample_csv());
    // The reason for a missing file never comes from memory that was not set
    // (valgrind cannot run a sanitized build).
#ifndef __SANITIZE_ADDRESS__
    const std::string valgrind = testsupport::findProgram("valgrind");
    if (valgrind.empty())
        return;
    run = tooltest::run(valgrind, {"-q", "--error-exitcode=9", testsupport::binPath("inkmate-tool"),
                                   "puzzles", dir.file("missing.csv"), dir.file("out.cdb")});
    EXPECT_EQ(run.status, 2) << run.err;
#endif
}

TEST(ToolPuzzles, TheShippedSampleImportsWhole)
{
    TempDir dir;
    const std::string csv = testsupport::sourcePath("assets/chess/puzzles.csv");
    ToolRun run = tool({"puzzles", csv, dir.file("sample.cdb")});
    EXPECT_EQ(run.status, 0) << run.err;
    ChessBase base;
    base.open(dir.file("sample.cdb"), ChessBase::ReadOnly);
    const int count = base.gameCount();
    EXPECT_EQ(run.out, dir.file("sample.cdb") + ": " + std::to_string(count) + " puzzles (" +
                           std::to_string(count) + " read)\n");
    EXPECT_GE(base.items.size(), 3u);
    for (int id = 1; id <= count; ++id) {
        base.openGame(id);
        ASSERT_TRUE(base.game.errorText.empty()) << id << ": " << base.game.errorText;
        const PGNMove* next = base.game.current ? base.game.current->findNextMove() : nullptr;
        ASSERT_TRUE(next && next->hidden) << "puzzle " << id;
        const Color solver = base.game.current->boardAfter().getColorToMove();
        EXPECT_EQ((base.game.flags & Game::FlagViewAsBlack) != 0, solver == Black) << id;
        // Stockfish found these mates; our rules must see the mate too.
        if (base.game.event.find("mate in") == std::string::npos)
            continue;
        EXPECT_EQ(base.game.result, solver == White ? ResultWhiteWins : ResultBlackWins)
            << base.game.event;
    }
}

namespace {

// Rows numbered from first, ratings rising, each a mate in one.
std::string mate_rows(int first, int count)
{
    std::string text;
    for (int i = first; i < first + count; ++i)
        text += row("m" + std::to_string(i), kBackRank, "a7a6 e1e8", std::to_string(1000 + i), "50",
                    "mate mateIn1 short") +
                "\n";
    return text;
}

} // namespace

TEST(ToolPuzzles, ACompressedFileCutInsideAFrameLeavesTheBaseAlone)
{
    // Two frames; a download cut anywhere inside one is an error.
    const std::string first = std::string(kHeader) + "\n" + mate_rows(0, 300);
    const std::string frames = zstd(first) + zstd(mate_rows(300, 300));
    const size_t boundary = zstd(first).size();
    TempDir dir;
    writeFile(dir.file("p.csv"), sample_csv());
    ASSERT_EQ(tool({"puzzles", dir.file("p.csv"), dir.file("out.cdb")}).status, 1);
    const std::string before = readFile(dir.file("out.cdb"));
    for (size_t cut : {size_t(6), boundary / 2, boundary - 1, boundary + 6, frames.size() - 1}) {
        writeFile(dir.file("cut.csv.zst"), frames.substr(0, cut));
        ToolRun run = tool({"puzzles", dir.file("cut.csv.zst"), dir.file("out.cdb")});
        EXPECT_EQ(run.status, 2) << cut;
        EXPECT_NE(run.err.find("the file is cut off"), std::string::npos) << cut << run.err;
        EXPECT_EQ(run.out, "") << cut;
        run = tool({"puzzles", "-", dir.file("out.cdb")}, frames.substr(0, cut));
        EXPECT_EQ(run.status, 2) << cut;
        EXPECT_EQ(readFile(dir.file("out.cdb")), before) << cut;
    }
    // Between the frames the stream is whole.
    ToolRun run = tool({"puzzles", "-", dir.file("out.cdb")}, frames.substr(0, boundary));
    EXPECT_EQ(run.out, dir.file("out.cdb") + ": 300 puzzles (300 read)\n") << run.err;
    run = tool({"puzzles", "-", dir.file("out.cdb")}, frames);
    EXPECT_EQ(run.out, dir.file("out.cdb") + ": 600 puzzles (600 read)\n") << run.err;
}

TEST(ToolPuzzles, AnImportThatKeepsNothingLeavesTheBaseAlone)
{
    TempDir dir;
    writeFile(dir.file("p.csv"), sample_csv());
    ASSERT_EQ(tool({"puzzles", dir.file("p.csv"), dir.file("out.cdb")}).status, 1);
    const std::string before = readFile(dir.file("out.cdb"));

    writeFile(dir.file("empty.csv"), std::string(kHeader) + "\n");
    ToolRun run = tool({"puzzles", dir.file("empty.csv"), dir.file("out.cdb")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(
        run.err.find("no puzzle matched (0 read); " + dir.file("out.cdb") + " was left as it was"),
        std::string::npos)
        << run.err;
    // A misspelt theme: the names that no row has are given.
    run = tool({"puzzles", dir.file("p.csv"), dir.file("out.cdb"), "--themes",
                "forks,mate+nosuch,-ENDGAME,-zugzwang"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("themes that no puzzle of " + dir.file("p.csv") +
                           " has: forks nosuch zugzwang\n"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("no puzzle matched (9 read)"), std::string::npos) << run.err;
    EXPECT_EQ(readFile(dir.file("out.cdb")), before);
}

TEST(ToolPuzzles, ImpossiblePositionsAreRefusedWithWhatIsWrong)
{
    TempDir dir;
    writeFile(dir.file("p.csv"),
              std::string(kHeader) + "\n" +
                  row("r4", "4k3/8/8/4K3 w - - 0 1", "e5e4 e8e7", "1500", "0", "mate") + "\n" +
                  row("chk", "4k3/8/8/8/8/8/8/4RK2 w - - 0 1", "f1g1 e8d8", "1500", "0", "x") +
                  "\n" + row("nok", "8/8/8/8/8/8/8/4RK2 w - - 0 1", "f1g1 e1e2", "1500", "0", "x") +
                  "\n" + row("ok", kBackRank, "a7a6 e1e8", "1500", "0", "mate") + "\n");
    ToolRun run = tool({"puzzles", dir.file("p.csv"), dir.file("p.cdb")});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("3 malformed rows skipped:\n"
                           "line 2: Error parsing FEN: 4k3/8/8/4K3 w - - 0 1 (4 ranks instead "
                           "of 8)\n"
                           "line 3: Error parsing FEN: 4k3/8/8/8/8/8/8/4RK2 w - - 0 1 (Black is "
                           "in check with White to move)\n"
                           "line 4: Error parsing FEN: 8/8/8/8/8/8/8/4RK2 w - - 0 1 (no black "
                           "king)\n"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(run.err.find(".cpp"), std::string::npos) << run.err;
    // A base written by another program: check names the fault.
    RawBase(dir.file("p.cdb")).exec("update games set FEN = '4k3/8/8/4K3 w - - 0 1'");
    run = tool({"check", dir.file("p.cdb")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "game 1: Error parsing FEN: 4k3/8/8/4K3 w - - 0 1 (4 ranks instead of 8)\n");
}

TEST(ToolPuzzles, MarkLongRowsRepeatedIdsAndThemeFilters)
{
    const std::string rows =
        row("a", kBackRank, "a7a6 e1e8", "1500", "0", "mate mateIn1 short") + "\n" +
        row("huge", kBackRank, "a7a6 e1e8", "1500", "0", std::string(size_t(3) << 19, 'y')) + "\n" +
        row("b", kBlackMates, "a2a3 e8e1", "1400", "0", "Mate long") + "\n" +
        row("a", kBlackMates, "a2a3 e8e1", "1300", "0", "mate mateIn1 short") + "\n" +
        row("c", kPromotion, "a2a1 e7e8q", "1200", "0", "promotion long") + "\n";
    TempDir dir;
    writeFile(dir.file("p.csv"), "\xEF\xBB\xBF" + std::string(kHeader) + "\r\n" + rows);
    ToolRun run = tool({"puzzles", dir.file("p.csv")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, dir.file("p.cdb") + ": 3 puzzles (5 read)\n");
    EXPECT_NE(run.err.find("1 malformed rows skipped:\nline 3: longer than 1 MiB\n"),
              std::string::npos)
        << run.err.substr(0, 500);
    EXPECT_NE(run.err.find("1 repeated puzzles skipped (the first of each is kept):\n"
                           "line 5: puzzle a came before on line 2\n"),
              std::string::npos)
        << run.err.substr(0, 500);
    EXPECT_EQ(RawBase(dir.file("p.cdb")).rows("select Round, Site from games"),
              (std::vector<std::string>{"c|https://example.org/c#3", "b|https://example.org/b#3",
                                        "a|https://example.org/a#3"}));

    auto ids = [&](const std::string& themes) {
        tool({"puzzles", dir.file("p.csv"), dir.file("f.cdb"), "--themes", themes});
        return RawBase(dir.file("f.cdb")).rows("select Round from games");
    };
    using Ids = std::vector<std::string>;
    EXPECT_EQ(ids("MATE"), (Ids{"b", "a"}));
    EXPECT_EQ(ids("mateIn1,promotion"), (Ids{"c", "a"}));
    EXPECT_EQ(ids("mate+long"), (Ids{"b"}));
    EXPECT_EQ(ids("-long"), (Ids{"a"}));
    EXPECT_EQ(ids("mate,promotion,-short"), (Ids{"c", "b"}));
    for (const char* bad : {"", "a,", "a++b", "-", "-a+b"})
        EXPECT_EQ(tool({"puzzles", dir.file("p.csv"), dir.file("f.cdb"), "--themes", bad}).status,
                  2)
            << bad;
}
