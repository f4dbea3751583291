// inkmate-tool import, export and check, run as a user runs them.
#include "tests/base/basetestutil.h"
#include "tests/tools/toolrun.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using testsupport::binPath;
using testsupport::folderEntries;
using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;

using tooltest::tool;
using tooltest::ToolRun;

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
    // A failed import, nothing written, has a status of its own.
    run = tool({"import", dir.file("missing.pgn"), dir.file("out.cdb")});
    EXPECT_EQ(run.status, 2);
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

TEST(ToolBase, CheckAndExportAgreeOnEveryRow)
{
    TempDir dir;
    writeFile(dir.file("games.pgn"), sample_pgn());
    ASSERT_EQ(tool({"import", dir.file("games.pgn")}).status, 0);
    const std::string path = dir.file("games.cdb");
    // Row ids outside what a game id holds, and Flags that are no number.
    RawBase(path).exec("insert into games(rowid,Parent,Result,Flags,MoveText) values"
                       "(4294967296,0,1,0,'1.e4 1-0'),(-5,0,0,0,'1.d4 *'),"
                       "(7,0,0,'x2','1.c4 *')");
    ToolRun run = tool({"check", path});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "game 7: Invalid flags in the stored game: x2\n");
    EXPECT_EQ(run.err, "6 games checked, 1 invalid\n");

    run = tool({"export", path, dir.file("out.pgn")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "game 7: invalid flags x2, written as 0\n6 games, 2 headings\n");
    const std::string pgn = readFile(dir.file("out.pgn"));
    EXPECT_NE(pgn.find("\n1.d4 *\n"), std::string::npos) << pgn;
    EXPECT_NE(pgn.find("\n1.e4 1-0\n"), std::string::npos) << pgn;
}

TEST(ToolBase, FaultsNameTheUsersFileAndTheReason)
{
    TempDir dir;
    std::string many;
    for (int i = 0; i < 2000; ++i)
        many += pgn_game("G" + std::to_string(i), "1.e4 e5 2.Nf3 Nc6 *");
    writeFile(dir.file("many.pgn"), many);
    writeFile(dir.file("one.pgn"), sample_pgn());
    ASSERT_EQ(tool({"import", dir.file("one.pgn"), dir.file("out.cdb")}).status, 0);
    const std::string before = readFile(dir.file("out.cdb"));
    const std::vector<std::string> entries = folderEntries(dir.path());

    // A full disk, as a file size limit: writes fail with EFBIG.
    const auto limited = [&](const std::string& command) {
        return tooltest::run("/bin/sh", {"-c", "trap '' XFSZ; ulimit -f 64; exec '" +
                                                   binPath("inkmate-tool") + "' " + command});
    };
    ToolRun run = limited("import '" + dir.file("many.pgn") + "' '" + dir.file("out.cdb") + "'");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "inkmate-tool import: Failed to import " + dir.file("many.pgn") + " into " +
                           dir.file("out.cdb") + ": disk I/O error\n");
    EXPECT_EQ(readFile(dir.file("out.cdb")), before);
    EXPECT_EQ(folderEntries(dir.path()), entries);

    ASSERT_EQ(tool({"import", dir.file("many.pgn"), dir.file("big.cdb")}).status, 0);
    run = limited("export '" + dir.file("big.cdb") + "' '" + dir.file("big.pgn") + "'");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
              "inkmate-tool export: Cannot write " + dir.file("big.pgn") + ": File too large\n");
    EXPECT_FALSE(exists(dir.file("big.pgn")));
    EXPECT_FALSE(exists(dir.file("big.pgn.part")));
}

TEST(ToolBase, KilledImportLeavesNothingTheNextImportKeeps)
{
    TempDir dir;
    writeFile(dir.file("one.pgn"), sample_pgn());
    ASSERT_EQ(tool({"import", dir.file("one.pgn"), dir.file("out.cdb")}).status, 0);
    const std::vector<std::string> clean = folderEntries(dir.path());
    // An import that reads from a pipe stays in the middle of its work
    // until the test writes more.
    const std::string pipe = dir.file("slow.pgn");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const int writer = open(pipe.c_str(), O_RDWR);
    ASSERT_GE(writer, 0);
    const std::string first = pgn_game("Slow", "1.e4 *");
    ASSERT_EQ(write(writer, first.data(), first.size()), static_cast<ssize_t>(first.size()));
    QProcess slow;
    slow.start(QString::fromStdString(binPath("inkmate-tool")),
               {QStringLiteral("import"), QString::fromStdString(pipe),
                QString::fromStdString(dir.file("out.cdb"))});
    // Its hidden file appears under its own name (it is made as "...~" and
    // renamed once locked), and the journal of the empty tables' creation
    // goes again: the import itself keeps none (the pipe is not listed).
    std::vector<std::string> during;
    ASSERT_TRUE(testsupport::waitUntil([&] {
        during = folderEntries(dir.path());
        const bool passing = std::any_of(during.begin(), during.end(), [](const std::string& name) {
            return (name.size() > 8 && name.compare(name.size() - 8, 8, "-journal") == 0) ||
                   name.back() == '~';
        });
        return during.size() > clean.size() && !passing;
    }));
    // A second import meanwhile leaves the running one's file alone.
    EXPECT_EQ(tool({"import", dir.file("one.pgn"), dir.file("out.cdb")}).status, 0);
    EXPECT_EQ(folderEntries(dir.path()), during);

    slow.kill();
    ASSERT_TRUE(slow.waitForFinished(10000));
    close(writer);
    EXPECT_EQ(folderEntries(dir.path()), during);
    // The next import removes what the killed one left.
    EXPECT_EQ(tool({"import", dir.file("one.pgn"), dir.file("out.cdb")}).status, 0);
    EXPECT_EQ(folderEntries(dir.path()), clean);
}
