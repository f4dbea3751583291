// The game base file: schema, rejected files, the current game's life cycle,
// write-back by flags, navigation and failed writes. Real SQLite files in
// temporary folders; a second connection (RawBase) checks the rows.
#include "base/chessbase.h"
#include "core/exception.h"
#include "tests/base/basetestutil.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/stat.h>

using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;

namespace {

std::string import_pgn(const TempDir& dir, const std::string& pgn, const std::string& name = "t")
{
    writeFile(dir.file(name + ".pgn"), pgn);
    ChessBase::importPgn(dir.file(name + ".cdb"), dir.file(name + ".pgn"));
    return dir.file(name + ".cdb");
}

// Five short games; 2 and 4 are unsolved puzzles, 5 a solved one.
std::string five_games()
{
    return pgn_game("One", "1.e4 e5 2.Nf3 Nc6 *") +
           pgn_game("Two", "1.d4 d5 2.c4 *", "[Flags \"2\"]\n") + pgn_game("Three", "1.c4 *") +
           pgn_game("Four", "1.Nf3 d5 *", "[Flags \"2\"]\n") +
           pgn_game("Five", "1.g3 *", "[Flags \"6\"]\n");
}

int plies_to_current(const Game& game)
{
    int plies = 0;
    for (const PGNMove* move = game.current; move && move->parent; move = move->parent)
        ++plies;
    return plies;
}

void expect_rejected(const std::string& path, int number,
                     ChessBase::OpenMode mode = ChessBase::ReadWrite)
{
    const std::string before = readFile(path);
    ChessBase base;
    try {
        base.open(path, mode);
        ADD_FAILURE() << path << " was opened";
    } catch (const Exception& e) {
        EXPECT_TRUE(e.isCritical());
        const std::string expected =
            "Failed to load file: " + path + " {ChessBase:" + std::to_string(number) + "}";
        EXPECT_EQ(std::string(e.what()).rfind(expected, 0), 0u) << e.what();
    }
    EXPECT_FALSE(base.isOpen());
    EXPECT_EQ(base.game.id, -1);
    EXPECT_EQ(readFile(path), before) << path << " was changed";
}

} // namespace

TEST(ChessBaseFile, NewBaseHasTheSchemaVersionAndAnEmptyGame)
{
    TempDir dir;
    const std::string path = dir.file("new.cdb");
    {
        ChessBase base;
        base.open(path);
        EXPECT_TRUE(base.isOpen());
        EXPECT_EQ(base.game.id, -1);
        EXPECT_NE(base.game.root, nullptr);
        EXPECT_EQ(base.getFirstRowID(), 0);
        EXPECT_FALSE(base.firstGame());
        EXPECT_FALSE(base.nextGame());
    }
    RawBase raw(path);
    EXPECT_EQ(
        raw.rows("select name, sql from sqlite_master where type = 'table' order by name"),
        (std::vector<std::string>{
            "contents|CREATE TABLE contents (      parent INTEGER,      gameid INTEGER,"
            "      text   TEXT )",
            "games|CREATE TABLE games (      Parent INTEGER,      Event TEXT,      Site  "
            "TEXT,      Date  TEXT,      Round TEXT,      White TEXT,      Black TEXT,      "
            "FEN   TEXT,      Result INTEGER NOT NULL,      Flags INTEGER,      MoveText "
            "TEXT )",
            "params|CREATE TABLE params (      name VARCHAR(255) not NULL,      value TEXT)"}));
    // Nothing else: SQLite before 3.8 cannot read a file with a partial index.
    EXPECT_EQ(raw.value("select count(1) from sqlite_master where type <> 'table'"), "0");
    EXPECT_EQ(raw.rows("select name, value from params order by name"),
              (std::vector<std::string>{"gameid|-1", "version|1"}));
    EXPECT_EQ(raw.value("select count(1) from games"), "0");
}

TEST(ChessBaseFile, RejectedFilesStayByteForByte)
{
    TempDir dir;
    const std::string good = import_pgn(dir, five_games());

    const std::string version2 = dir.file("v2.cdb");
    writeFile(version2, readFile(good));
    RawBase(version2).exec("update params set value = '2' where name = 'version'");
    expect_rejected(version2, 164);

    const std::string text = dir.file("text.cdb");
    writeFile(text, "[Event \"not a base\"]\n\n1.e4 *\n");
    expect_rejected(text, 155);

    std::string noise(5000, '\0');
    unsigned seed = 12345;
    for (char& c : noise) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 16);
    }
    const std::string random = dir.file("random.cdb");
    writeFile(random, noise);
    expect_rejected(random, 155);

    const std::string truncated = dir.file("truncated.cdb");
    writeFile(truncated, readFile(good).substr(0, 1000));
    expect_rejected(truncated, 155);

    const std::string foreign = dir.file("foreign.cdb");
    RawBase(foreign).exec("create table notes(x TEXT); insert into notes values('keep me')");
    expect_rejected(foreign, 155);

    const std::string columns = dir.file("columns.cdb");
    RawBase(columns).exec("create table params(name VARCHAR(255) not NULL, value TEXT);"
                          "insert into params values('version','1');"
                          "create table games(Parent INTEGER, Event TEXT, Result INTEGER NOT NULL);"
                          "create table contents(parent INTEGER, gameid INTEGER, text TEXT);"
                          "insert into games values(0, 'x', 0)");
    expect_rejected(columns, 155);

    // Read-only opening never creates anything.
    const std::string missing = dir.file("missing.cdb");
    {
        ChessBase base;
        EXPECT_THROW(base.open(missing, ChessBase::ReadOnly), Exception);
    }
    EXPECT_EQ(fopen(missing.c_str(), "rb"), nullptr);
    const std::string empty = dir.file("empty.cdb");
    writeFile(empty, "");
    expect_rejected(empty, 155, ChessBase::ReadOnly);
}

TEST(ChessBaseFile, ReopensAtTheGameAndPositionThatWereCurrent)
{
    TempDir dir;
    const std::string path = import_pgn(dir, five_games());
    {
        ChessBase base;
        base.open(path);
        EXPECT_EQ(base.game.id, 1);
        base.openGame(3);
        base.openGame(1);
        ASSERT_EQ(base.game.id, 1);
        ASSERT_TRUE(base.game.nextPosition());
        ASSERT_TRUE(base.game.nextPosition());
        ASSERT_TRUE(base.game.nextPosition());
        base.close();
        EXPECT_FALSE(base.isOpen());
        EXPECT_EQ(base.game.id, -1);
    }
    RawBase raw(path);
    EXPECT_EQ(raw.value("select value from params where name = 'gameid'"), "1");
    EXPECT_EQ(raw.value("select MoveText from games where rowid = 1"), "1.e4 e5 2.Nf3 $500 Nc6 *");
    ChessBase base;
    base.open(path);
    EXPECT_EQ(base.game.id, 1);
    EXPECT_EQ(plies_to_current(base.game), 3);
    EXPECT_EQ(base.game.current->text, "2.Nf3");
}

TEST(ChessBaseGames, NewGamesAreInsertedWithParentAndFen)
{
    TempDir dir;
    const std::string path = dir.file("new.cdb");
    {
        ChessBase base;
        base.open(path);
        Board classic;
        classic.create_classic_board();
        base.newGame(classic);
        EXPECT_EQ(base.game.id, 0);
        base.game.white = "Me";
        base.game.addMove(std::string("e4"));

        Board endgame;
        endgame.importFromFEN("4k3/8/8/8/8/8/8/4K2R w K - 0 1");
        base.newGame(endgame);
        EXPECT_EQ(base.game.id, 0);
        base.game.parent = 1;
        base.game.flags = Game::FlagViewAsBlack;
        base.game.addMove(std::string("Rh8+"));
        base.closeGame();
        EXPECT_EQ(base.game.id, 2);
        // Closing again writes nothing new.
        base.closeGame();
        // A game without a move is not stored.
        base.newGame(classic);
        base.closeGame();
        EXPECT_EQ(base.game.id, 0);
    }
    RawBase raw(path);
    EXPECT_EQ(raw.rows("select rowid, Parent, White, FEN, Result, Flags, MoveText from games"),
              (std::vector<std::string>{"1|0|Me|NULL|0|0|1.e4 $500 *",
                                        "2|1||4k3/8/8/8/8/8/8/4K2R w K - 0 1|0|32|1.Rh8+ $500 *"}));
    // The empty game left no row: the base opens with its first game.
    EXPECT_EQ(raw.value("select value from params where name = 'gameid'"), "1");
}

// The game being played is written as it stands, from its first move on, and
// is the game the base opens with even when the program never closed it.
TEST(ChessBaseGames, SavedGameSurvivesWithoutClose)
{
    TempDir dir;
    const std::string path = dir.file("mine.cdb");
    {
        ChessBase base;
        base.open(path);
        Board classic;
        classic.create_classic_board();
        base.newGame(classic);
        base.saveGame();
        EXPECT_EQ(base.game.id, 0);
        base.game.addMove(std::string("e4"));
        base.saveGame();
        EXPECT_EQ(base.game.id, 1);
        base.game.addMove(std::string("e5"));
        base.game.addMove(std::string("Nf3"));
        ASSERT_TRUE(base.game.prevPosition());
        base.saveGame();
        // Still open, where it was.
        ASSERT_NE(base.game.root, nullptr);
        EXPECT_EQ(base.game.current->text, "e5");
        EXPECT_EQ(base.game.current->next->next, nullptr) << "no marker left in the list";
        base.game.result = ResultWhiteWins;
        base.saveGame();
        RawBase raw(path);
        EXPECT_EQ(raw.rows("select rowid, Result, MoveText from games"),
                  (std::vector<std::string>{"1|1|1.e4 e5 $500 2.Nf3 1-0"}));
        EXPECT_EQ(raw.value("select value from params where name = 'gameid'"), "1");
        // As a kill would leave it: nothing written on the way out.
        base.discard();
    }
    ChessBase base;
    base.open(path);
    EXPECT_EQ(base.game.id, 1);
    EXPECT_EQ(base.game.current->text, "e5");
    EXPECT_EQ(base.game.result, ResultWhiteWins);
}

TEST(ChessBaseGames, FlagsDecideWhatIsWrittenBack)
{
    TempDir dir;
    const std::string path = import_pgn(
        dir, pgn_game("Plain", "1.e4 e5 *") + pgn_game("ReadOnly", "1.d4 d5 *", "[Flags \"1\"]\n") +
                 pgn_game("Puzzle", "1.e4 e5 2.Qh5 Nc6 *", "[Flags \"2\"]\n") +
                 pgn_game("Deleted", "1.c4 e5 *", "[Flags \"16\"]\n"));
    RawBase raw(path);
    const auto row = [&](int id) {
        return raw.value("select Result, Flags, MoveText from games where rowid = " +
                         std::to_string(id));
    };
    const std::string readOnly = row(2);
    const std::string puzzle = row(3);
    ChessBase base;
    base.open(path);

    // Read-only: played on, never written.
    base.openGame(2);
    base.game.lastPosition();
    base.game.addMove(std::string("Nf3"));
    base.game.result = ResultWhiteWins;
    base.openGame(3);
    EXPECT_EQ(row(2), readOnly);

    // Puzzle: solved flag written, the text never.
    ASSERT_TRUE(base.game.flags & Game::FlagPuzzle);
    EXPECT_FALSE(base.game.checkPuzzleSolved());
    base.game.flags |= Game::FlagSolved;
    base.openGame(4);
    EXPECT_EQ(row(3), "0|6|" + puzzle.substr(puzzle.rfind('|') + 1));

    // Deleted: stays reachable, the bit is written back with the game.
    EXPECT_EQ(base.game.id, 4);
    base.game.nextPosition();
    base.openGame(1);
    EXPECT_EQ(row(4), "0|16|1.c4 $500 e5 *");

    // Not stored: never inserted.
    Board classic;
    classic.create_classic_board();
    base.newGame(classic);
    base.game.flags |= Game::FlagNotStored;
    base.game.addMove(std::string("e4"));
    base.openGame(2);
    EXPECT_EQ(raw.value("select count(1) from games"), "4");
    base.close();
    EXPECT_EQ(row(2), readOnly);
}

TEST(ChessBaseGames, NavigationStopsAtTheEnds)
{
    TempDir dir;
    const std::string path = import_pgn(dir, five_games());
    ChessBase base;
    base.open(path);
    EXPECT_TRUE(base.firstGame());
    EXPECT_EQ(base.game.id, 1);
    EXPECT_FALSE(base.prevGame());
    EXPECT_EQ(base.game.id, 1);
    EXPECT_TRUE(base.nextUnsolvedPuzzle());
    EXPECT_EQ(base.game.id, 2);
    EXPECT_TRUE(base.nextUnsolvedPuzzle());
    EXPECT_EQ(base.game.id, 4);
    // Game 5 is solved: nothing after 4, and no wrap-around.
    EXPECT_FALSE(base.nextUnsolvedPuzzle());
    EXPECT_EQ(base.game.id, 4);
    EXPECT_TRUE(base.lastGame());
    EXPECT_EQ(base.game.id, 5);
    // Past the last game: true, and the game stays.
    EXPECT_TRUE(base.nextGame());
    EXPECT_EQ(base.game.id, 5);
    EXPECT_NE(base.game.root, nullptr);
    EXPECT_TRUE(base.prevGame());
    EXPECT_EQ(base.game.id, 4);

    // A game started from game 2 steps back to game 2, and is stored as 6.
    base.openGame(2);
    Board classic;
    classic.create_classic_board();
    base.newGame(classic);
    base.game.parent = 2;
    base.game.addMove(std::string("d4"));
    EXPECT_TRUE(base.prevGame());
    EXPECT_EQ(base.game.id, 2);
    EXPECT_EQ(base.getLastRowID(), 6);
    base.close();

    // A base with the partial index an earlier version made opens, finds
    // the same puzzles and loses the index (read-only, it keeps it).
    RawBase(path).exec("create index unsolved on games(Flags & 6) where Flags & 6 = 2;"
                       "update games set Flags = 2 where rowid = 5");
    const std::string withIndex = readFile(path);
    base.open(path, ChessBase::ReadOnly);
    EXPECT_TRUE(base.nextUnsolvedPuzzle());
    base.close();
    EXPECT_EQ(readFile(path), withIndex);
    base.open(path);
    EXPECT_EQ(RawBase(path).value("select count(1) from sqlite_master where type = 'index'"), "0");
    base.openGame(3);
    EXPECT_TRUE(base.nextUnsolvedPuzzle());
    EXPECT_EQ(base.game.id, 4);
    EXPECT_TRUE(base.nextUnsolvedPuzzle());
    EXPECT_EQ(base.game.id, 5);
    EXPECT_FALSE(base.nextUnsolvedPuzzle());
    EXPECT_EQ(base.game.id, 5);
}

TEST(ChessBaseGames, UnreadableStoredGamesOpenInvalidAndStayUntouched)
{
    TempDir dir;
    const std::string path = import_pgn(dir, pgn_game("Good", "1.e4 e5 *"));
    {
        RawBase raw(path);
        raw.exec("insert into games(Parent,Event,FEN,Result,Flags,MoveText) values"
                 "(0,'illegal',NULL,0,0,'1.e4 Ke5 *'),"
                 "(0,'fen','garbage',0,0,'1.e4 *'),"
                 "(0,'flags',NULL,0,-1,'1.e4 *'),"
                 "(0,'null',NULL,0,0,NULL),"
                 "(0,'result',NULL,9,0,'1.e4 *'),"
                 "(0,'open',NULL,0,0,'1.e4 (1.d4 *'),"
                 "(0,'typed',NULL,0,'abc','1.e4 *'),"
                 "(0,'huge',NULL,0,0,substr(hex(zeroblob(9000000)),1,16800000))");
    }
    const std::string before = readFile(path);
    const std::vector<std::string> rowsBefore = RawBase(path).rows("select * from games");
    ChessBase base;
    base.open(path);
    for (int id = 2; id <= 9; ++id) {
        base.openGame(id);
        ASSERT_EQ(base.game.id, id);
        EXPECT_FALSE(base.game.errorText.empty()) << "game " << id;
        EXPECT_NE(base.game.root, nullptr);
        EXPECT_EQ(base.game.current, base.game.root);
        // Playing on an invalid game is not possible, leaving it writes nothing.
        EXPECT_FALSE(base.game.nextPosition());
    }
    base.openGame(1);
    EXPECT_TRUE(base.game.errorText.empty());
    EXPECT_EQ(RawBase(path).rows("select * from games"), rowsBefore);
    base.close();
    EXPECT_EQ(RawBase(path).rows("select * from games"), rowsBefore);
}

TEST(ChessBaseGames, FailedWriteIsReportedAndKeepsTheGame)
{
    TempDir dir;
    const std::string path = import_pgn(dir, five_games());
    RawBase raw(path);
    const std::string first = raw.value("select MoveText from games where rowid = 1");
    raw.exec("create trigger full before update on games begin "
             "select raise(abort, 'database or disk is full'); end");
    ChessBase base;
    base.open(path);
    ASSERT_EQ(base.game.id, 1);
    ASSERT_TRUE(base.game.nextPosition());
    try {
        base.openGame(2);
        ADD_FAILURE() << "the write-back did not fail";
    } catch (const Exception& e) {
        EXPECT_FALSE(e.isCritical());
        EXPECT_NE(std::string(e.what()).find("database or disk is full"), std::string::npos)
            << e.what();
    }
    // The game is still current, open, at its position.
    EXPECT_EQ(base.game.id, 1);
    ASSERT_NE(base.game.root, nullptr);
    EXPECT_EQ(plies_to_current(base.game), 1);
    // Playing on and leaving tries again.
    ASSERT_TRUE(base.game.nextPosition());
    EXPECT_THROW(base.close(), Exception);
    EXPECT_TRUE(base.isOpen());
    // Leaving once more with the same content goes on without it.
    base.openGame(2);
    EXPECT_EQ(base.game.id, 2);
    EXPECT_EQ(raw.value("select MoveText from games where rowid = 1"), first);

    // A new game whose insert fails stays current as well.
    raw.exec("create trigger full2 before insert on games begin "
             "select raise(abort, 'disk I/O error'); end");
    Board classic;
    classic.create_classic_board();
    base.newGame(classic);
    base.game.addMove(std::string("d4"));
    EXPECT_THROW(base.openGame(3), Exception);
    EXPECT_EQ(base.game.id, 0);
    EXPECT_NE(base.game.root, nullptr);
    // Leaving it unchanged again drops it (the user was told); changed, it is stored.
    raw.exec("drop trigger full2");
    base.game.addMove(std::string("d5"));
    base.openGame(3);
    EXPECT_EQ(raw.value("select MoveText from games where rowid = 6"), "1.d4 d5 $500 *");
}

TEST(ChessBaseGames, DroppedFailedGameDoesNotBlockALaterEqualGame)
{
    TempDir dir;
    const std::string path = import_pgn(dir, five_games());
    RawBase raw(path);
    raw.exec("create trigger full before insert on games begin "
             "select raise(abort, 'database or disk is full'); end");
    ChessBase base;
    base.open(path);
    Board classic;
    classic.create_classic_board();
    base.newGame(classic);
    base.game.addMove(std::string("d4"));
    EXPECT_THROW(base.openGame(1), Exception);
    // Told once, the user leaves it behind.
    base.openGame(1);
    ASSERT_EQ(base.game.id, 1);

    // Space again; a later game that happens to read the same is stored.
    raw.exec("drop trigger full");
    base.newGame(classic);
    base.game.addMove(std::string("d4"));
    base.openGame(2);
    EXPECT_EQ(raw.value("select MoveText from games where rowid = 6"), "1.d4 $500 *");

    // The same for a stored game that is opened again and edited alike.
    raw.exec("create trigger full before update on games begin "
             "select raise(abort, 'database or disk is full'); end");
    base.openGame(3);
    ASSERT_TRUE(base.game.nextPosition());
    base.game.addMove(std::string("e5"));
    EXPECT_THROW(base.openGame(1), Exception);
    base.openGame(1);
    raw.exec("drop trigger full");
    base.openGame(3);
    ASSERT_TRUE(base.game.nextPosition());
    base.game.addMove(std::string("e5"));
    base.openGame(1);
    EXPECT_EQ(raw.value("select MoveText from games where rowid = 3"), "1.c4 e5 $500 *");
}

TEST(ChessBaseFile, WriteProtectedBaseOpensReadOnlyAndIsNeverWritten)
{
    TempDir dir;
    const std::string path = import_pgn(dir, five_games());
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    const std::string before = readFile(path);
    {
        ChessBase base;
        base.open(path);
        EXPECT_TRUE(base.isReadOnly());
        // Browsing, playing and solving go on; nothing is saved, nothing fails.
        base.game.addMove(std::string("d4"));
        EXPECT_TRUE(base.nextUnsolvedPuzzle());
        EXPECT_EQ(base.game.id, 2);
        base.game.flags |= Game::FlagSolved;
        EXPECT_TRUE(base.nextGame());
        EXPECT_TRUE(base.nextUnsolvedPuzzle());
        EXPECT_EQ(base.game.id, 4);
        Board classic;
        classic.create_classic_board();
        base.newGame(classic);
        base.game.addMove(std::string("e4"));
        EXPECT_NO_THROW(base.close());
    }
    EXPECT_EQ(readFile(path), before);

    ASSERT_EQ(chmod(path.c_str(), 0644), 0);
    ChessBase base;
    base.open(path);
    EXPECT_FALSE(base.isReadOnly());
    EXPECT_EQ(base.game.id, 1);
    EXPECT_TRUE(base.nextUnsolvedPuzzle());
    EXPECT_EQ(base.game.id, 2);
}
