// inkmate-tool import, export and check, run as a user runs them.
#include "tests/base/basetestutil.h"
#include "tests/tools/toolrun.h"

#include <gtest/gtest.h>

#include <cstdio>

using testsupport::binPath;
using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;

namespace {

std::string sample_pgn()
{
    return pgn_heading("1Openings") + pgn_game("A", "1.e4 e5 2.Nf3 *", "", "1-0") +
           pgn_heading("2Closed") + pgn_game("B", "1.d4 d5 *", "[Flags \"2\"]\n") +
           pgn_game("C", "1...Kd7 *", "[FEN \"4k3/8/8/8/8/8/4P3/4K3 b - - 0 1\"]\n");
}

bool exists(const std::string& path)
{
    FILE* file = fopen(path.c_str(), "rb");
    if (file)
        fclose(file);
    return file != nullptr;
}

} // namespace

TEST(ToolBase, ImportExportImportKeepsTheRows)
{
    TempDir dir;
    writeFile(dir.file("games.pgn"), sample_pgn());
    ToolRun run = tool({"import", dir.file("games.pgn")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, dir.file("games.cdb") + ": 3 games, 2 headings\n");

    run = tool({"export", dir.file("games.cdb")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind("[Header \"1Openings\"]\n\n*\n\n[Event \"Test\"]\n", 0), 0u) << run.out;
    EXPECT_NE(run.out.find("[SetUp \"1\"]\n[FEN \"4k3/8/8/8/8/8/4P3/4K3 b - - 0 1\"]\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("[Flags \"2\"]\n"), std::string::npos) << run.out;

    run = tool({"export", dir.file("games.cdb"), dir.file("back.pgn")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readFile(dir.file("back.pgn")), tool({"export", dir.file("games.cdb"), "-"}).out);
    run = tool({"import", dir.file("back.pgn"), dir.file("again.cdb")});
    EXPECT_EQ(run.status, 0) << run.err;
    for (const char* sql : {"select rowid, * from games", "select rowid, * from contents"})
        EXPECT_EQ(RawBase(dir.file("games.cdb")).rows(sql),
                  RawBase(dir.file("again.cdb")).rows(sql));
}

TEST(ToolBase, ExportNeverWritesOverTheBaseItReads)
{
    TempDir dir;
    writeFile(dir.file("games.pgn"), sample_pgn());
    ASSERT_EQ(tool({"import", dir.file("games.pgn"), dir.file("games.cdb")}).status, 0);
    const std::string before = readFile(dir.file("games.cdb"));
    ToolRun run = tool({"export", dir.file("games.cdb"), dir.file("games.cdb")});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("The PGN file would replace the game base: " + dir.file("games.cdb")),
              std::string::npos)
        << run.err;
    EXPECT_EQ(readFile(dir.file("games.cdb")), before);
    // Nor over it as the temporary file.
    ASSERT_EQ(rename(dir.file("games.cdb").c_str(), dir.file("out.pgn.part").c_str()), 0);
    run = tool({"export", dir.file("out.pgn.part"), dir.file("out.pgn")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(readFile(dir.file("out.pgn.part")), before);
    EXPECT_FALSE(exists(dir.file("out.pgn")));
}

TEST(ToolBase, ImportReportsSkippedGamesAndFailures)
{
    TempDir dir;
    writeFile(dir.file("bad.pgn"), pgn_game("A", "1.e4 *") +
                                       "[White \"B\"]\n[Black C]\n\n1.d4 *\n\n" +
                                       pgn_game("C", "1.c4 *"));
    ToolRun run = tool({"import", dir.file("bad.pgn"), dir.file("out.cdb")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, dir.file("out.cdb") + ": 2 games, 0 headings\n");
    EXPECT_NE(run.err.find("1 malformed games skipped:\ngame 2: Error parsing PGN file. Game "
                           "header has invalid attribute: [Black C]\n"),
              std::string::npos)
        << run.err;

    const std::string before = readFile(dir.file("out.cdb"));
    run = tool({"import", dir.file("missing.pgn"), dir.file("out.cdb")});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Failed to load PGN file: " + dir.file("missing.pgn")),
              std::string::npos)
        << run.err;
    EXPECT_EQ(readFile(dir.file("out.cdb")), before);
    EXPECT_EQ(tool({"import"}).status, 2);
}

TEST(ToolBase, CheckListsUnreadableGamesAndNeverWrites)
{
    TempDir dir;
    writeFile(dir.file("games.pgn"), sample_pgn());
    ASSERT_EQ(tool({"import", dir.file("games.pgn")}).status, 0);
    const std::string path = dir.file("games.cdb");
    ToolRun run = tool({"check", path});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");

    RawBase(path).exec("insert into games(Parent,Result,Flags,MoveText) values"
                       "(0,0,0,'1.e4 e5 2.Ke3 *'),(0,0,0,'1.e4 (1.d4 *')");
    const std::string before = readFile(path);
    run = tool({"check", path});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out.rfind("game 4: ", 0), 0u) << run.out;
    EXPECT_NE(run.out.find("\ngame 5: Error parsing PGN file [File:Game, Line:526]\n"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(readFile(path), before);

    // Nothing is created or converted.
    run = tool({"check", dir.file("missing.cdb")});
    EXPECT_EQ(run.status, 2);
    EXPECT_FALSE(exists(dir.file("missing.cdb")));
    writeFile(dir.file("empty.cdb"), "");
    run = tool({"check", dir.file("empty.cdb")});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("{ChessBase:155}"), std::string::npos) << run.err;
    EXPECT_EQ(readFile(dir.file("empty.cdb")), "");

    run = tool({"export", dir.file("missing.cdb"), dir.file("out.pgn")});
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(exists(dir.file("missing.cdb")));
    EXPECT_FALSE(exists(dir.file("out.pgn")));
}
