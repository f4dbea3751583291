// PGN import, the table of contents and the export round trip.
#include "base/baseexporter.h"
#include "base/basefile.h"
#include "base/chessbase.h"
#include "base/storedrow.h"
#include "core/exception.h"
#include "tests/base/basetestutil.h"

#include <gtest/gtest.h>

#include <QDir>

#include <algorithm>

#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

using testsupport::corpusPath;
using testsupport::folderEntries;
using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;

namespace {

using Report = ChessBase::ImportReport;

Report import_text(const TempDir& dir, const std::string& pgn, const std::string& name = "t")
{
    writeFile(dir.file(name + ".pgn"), pgn);
    return ChessBase::importPgn(dir.file(name + ".cdb"), dir.file(name + ".pgn"));
}

std::vector<std::string> all_rows(const std::string& path)
{
    RawBase raw(path);
    std::vector<std::string> rows = raw.rows("select rowid, * from games order by rowid");
    for (const std::string& row : raw.rows("select rowid, * from contents order by rowid"))
        rows.push_back("contents " + row);
    return rows;
}

std::string texts(const std::vector<ChessBase::HeaderItem*>& children)
{
    std::string out;
    for (size_t i = 0; i < children.size(); ++i)
        out += (i == 0 ? "" : ",") + children[i]->text;
    return out;
}

} // namespace

TEST(ChessBaseImport, GamesKeepTheirFileOrder)
{
    TempDir dir;
    const Report report = import_text(
        dir, pgn_game("A", "1.e4 e5 *", "", "1-0") + pgn_game("B", "1.d4 *", "", "0-1") +
                 pgn_game("C", "1.c4 *", "[ECO \"A10\"]\n", "1/2-1/2"));
    EXPECT_EQ(report.games, 3);
    EXPECT_EQ(report.headings, 0);
    EXPECT_EQ(report.skipped, 0);
    // Game 1 is opened once at the end and written back in the program's layout.
    RawBase raw(dir.file("t.cdb"));
    EXPECT_EQ(raw.rows("select rowid, Parent, White, FEN, Result, Flags, MoveText from games"),
              (std::vector<std::string>{"1|0|A|NULL|1|0|1.e4 e5 1-0", "2|0|B|NULL|2|0|1.d4 *",
                                        "3|0|C|NULL|3|0|1.c4 *"}));
    EXPECT_EQ(raw.value("select value from params where name = 'gameid'"), "1");
    EXPECT_EQ(raw.value("select count(1) from contents"), "0");
    EXPECT_EQ(folderEntries(dir.path()), (std::vector<std::string>{"t.cdb", "t.pgn"}));
}

TEST(ChessBaseImport, HeadingsBecomeTheContentsTree)
{
    TempDir dir;
    const Report report = import_text(
        dir, pgn_heading("1A") + pgn_game("X", "1.e4 *") + pgn_heading("2B") +
                 pgn_game("Y", "1.d4 *") + pgn_heading("3C") + pgn_game("Z", "1.c4 *") +
                 pgn_heading("1D") + pgn_heading("3E") + pgn_heading("5F") + pgn_heading("xH") +
                 pgn_heading("") + pgn_game("W", "1.Nf3 *", "[Flags \"64\"]\n") +
                 pgn_heading("0G") + pgn_game("V", "1.g3 *") + pgn_heading("1T"));
    EXPECT_EQ(report.games, 5);
    EXPECT_EQ(report.headings, 6);
    const std::string path = dir.file("t.cdb");
    RawBase raw(path);
    // Heading games are no games; the game flagged not-stored is stored, as a stored game.
    EXPECT_EQ(raw.rows("select rowid, White, Flags from games"),
              (std::vector<std::string>{"1|X|0", "2|Y|0", "3|Z|0", "4|W|0", "5|V|0"}));
    // E skips back from level 1 to 3: it hangs under the last level-2 entry, B.
    // F (level 5) and the headings without a level are dropped, T has no game.
    EXPECT_EQ(raw.rows("select rowid, parent, gameid, text from contents"),
              (std::vector<std::string>{"1|0|1|A", "2|1|2|B", "3|2|3|C", "4|0|4|D", "5|2|4|E",
                                        "6|0|5|G"}));

    ChessBase base;
    base.open(path);
    ASSERT_EQ(base.items.size(), 6u);
    EXPECT_EQ(texts(base.contents.children), "A,D,G");
    const ChessBase::HeaderItem* a = base.contents.children[0];
    EXPECT_EQ(texts(a->children), "B");
    EXPECT_EQ(texts(a->children[0]->children), "C,E");
    const ChessBase::HeaderItem* e = a->children[0]->children[1];
    EXPECT_EQ(e->row, 1);
    EXPECT_EQ(e->parent, a->children[0]);
    EXPECT_EQ(ChessBase::headerLevel(e), 3);
    EXPECT_EQ(base.contents.children[2]->row, 2);
    EXPECT_EQ(base.contents.children[0]->parent, &base.contents);

    EXPECT_EQ(base.getHeader(0)->text, "A");
    EXPECT_EQ(base.getHeader(1)->text, "A");
    EXPECT_EQ(base.getHeader(2)->text, "B");
    EXPECT_EQ(base.getHeader(3)->text, "C");
    // D and E both start at game 4: the deeper one, read last, covers it.
    EXPECT_EQ(base.getHeader(4)->text, "E");
    EXPECT_EQ(base.getHeader(5)->text, "G");
    EXPECT_EQ(base.getHeader(1000)->text, "G");
}

TEST(ChessBaseContents, GetHeaderBoundariesAndBrokenParents)
{
    TempDir dir;
    import_text(dir, pgn_game("X", "1.e4 *"));
    const std::string path = dir.file("t.cdb");
    {
        ChessBase base;
        base.open(path);
        EXPECT_EQ(base.getHeader(1), nullptr);
        EXPECT_TRUE(base.contents.children.empty());
    }
    RawBase(path).exec("insert into contents(rowid,parent,gameid,text) values"
                       "(1,0,1,'one'),(2,0,5,'five'),(3,0,9,'nine'),"
                       "(4,99,6,'orphan'),(5,6,7,'loop a'),(6,5,8,'loop b'),(7,7,2,'self'),"
                       "(0,0,3,'zero'),(8,NULL,NULL,NULL)");
    ChessBase base;
    base.open(path);
    EXPECT_EQ(base.items.size(), 9u);
    EXPECT_EQ(texts(base.contents.children), ",one,zero,five,nine");
    int reachable = 0;
    std::vector<const ChessBase::HeaderItem*> todo{&base.contents};
    while (!todo.empty()) {
        const ChessBase::HeaderItem* item = todo.back();
        todo.pop_back();
        reachable += item != &base.contents;
        for (const ChessBase::HeaderItem* child : item->children)
            todo.push_back(child);
    }
    EXPECT_EQ(reachable, 5);
    for (const ChessBase::HeaderItem& item : base.items) {
        if (item.text == "orphan" || item.text.rfind("loop", 0) == 0 || item.text == "self") {
            EXPECT_EQ(item.parent, nullptr) << item.text;
        }
    }
    const auto at = [&](int game) { return base.getHeader(game)->text; };
    EXPECT_EQ(at(1), "one");
    EXPECT_EQ(at(2), "self");
    EXPECT_EQ(at(4), "zero");
    EXPECT_EQ(at(5), "five");
    EXPECT_EQ(at(6), "orphan");
    EXPECT_EQ(at(9), "nine");
    EXPECT_EQ(at(100), "nine");
    EXPECT_EQ(at(-5), "");
}

TEST(ChessBaseImport, MalformedGamesAreSkippedAndReported)
{
    TempDir dir;
    const Report report = import_text(
        dir, pgn_heading("1Section") + pgn_game("Good1", "1.e4 *") +
                 "[Event \"Bad\"]\n[White Nobody]\n\n1.e4 *\n\n" + pgn_game("Good2", "1.d4 *") +
                 pgn_game("BadFen", "1.e4 *", "[SetUp \"1\"]\n[FEN \"8/8/8 w\"]\n") +
                 pgn_game("Good3", "1.c4 *"));
    EXPECT_EQ(report.games, 3);
    EXPECT_EQ(report.headings, 1);
    EXPECT_EQ(report.skipped, 2);
    ASSERT_EQ(report.messages.size(), 2u);
    EXPECT_EQ(report.messages[0],
              "game 3: Error parsing PGN file. Game header has invalid attribute: [White Nobody]");
    EXPECT_EQ(report.messages[1].rfind("game 5: Error parsing FEN: 8/8/8 w", 0), 0u)
        << report.messages[1];
    EXPECT_NE(report.text().find("2 malformed games were skipped:\ngame 3: "), std::string::npos)
        << report.text();
    RawBase raw(dir.file("t.cdb"));
    EXPECT_EQ(raw.rows("select White from games"),
              (std::vector<std::string>{"Good1", "Good2", "Good3"}));
}

TEST(ChessBaseImport, FailedImportLeavesTheOldFileByteForByte)
{
    TempDir dir;
    import_text(dir, pgn_game("Old", "1.e4 *"), "old");
    const std::string target = dir.file("old.cdb");
    const std::string before = readFile(target);
    const std::vector<std::string> entries = folderEntries(dir.path());

    try {
        ChessBase::importPgn(target, dir.file("missing.pgn"));
        ADD_FAILURE() << "imported a missing file";
    } catch (const Exception& e) {
        EXPECT_EQ(std::string(e.what()), "Failed to load PGN file: " + dir.file("missing.pgn"));
    }
    EXPECT_THROW(ChessBase::importPgn(target, dir.path()), Exception);
    EXPECT_EQ(readFile(target), before);
    // A PGN file is never replaced by the base built from it.
    writeFile(dir.file("same.pgn"), pgn_game("A", "1.e4 *"));
    EXPECT_THROW(ChessBase::importPgn(dir.file("same.pgn"), dir.file("same.pgn")), Exception);
    EXPECT_EQ(readFile(dir.file("same.pgn")), pgn_game("A", "1.e4 *"));
    remove(dir.file("same.pgn").c_str());

    // A failure in the middle of a long import (here raised by the progress
    // call after 1024 games) leaves neither a changed target nor a stray file.
    std::string many;
    for (int i = 0; i < 1100; ++i)
        many += pgn_game("G" + std::to_string(i), "1.e4 e5 *");
    writeFile(dir.file("many.pgn"), many);
    const auto stop = [](uint64_t, uint64_t, int) { throw Exception(false, "stopped"); };
    EXPECT_THROW(ChessBase::importPgn(target, dir.file("many.pgn"), stop), Exception);
    EXPECT_EQ(readFile(target), before);
    std::vector<std::string> expected = entries;
    expected.push_back("many.pgn");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(folderEntries(dir.path()), expected);

    // A target that cannot be replaced (a folder) fails after the build,
    // and the finished temporary file is removed too.
    QDir(QString::fromStdString(dir.path())).mkdir(QStringLiteral("folder.cdb"));
    EXPECT_THROW(ChessBase::importPgn(dir.file("folder.cdb"), dir.file("many.pgn")), Exception);
    EXPECT_TRUE(folderEntries(dir.file("folder.cdb")).empty());
    expected.push_back("folder.cdb");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(folderEntries(dir.path()), expected);

    // A successful import replaces the old base.
    const Report report = ChessBase::importPgn(target, dir.file("many.pgn"));
    EXPECT_EQ(report.games, 1100);
    EXPECT_EQ(RawBase(target).value("select count(1) from games"), "1100");
}

// Import, export and import again give the same rows in both tables.
class ChessBaseRoundTrip : public ::testing::TestWithParam<std::string> {};

TEST_P(ChessBaseRoundTrip, ExportAndImportKeepEveryRow)
{
    TempDir dir;
    std::string source = GetParam();
    if (source == "headings") {
        source = dir.file("headings.pgn");
        writeFile(source,
                  pgn_heading("1Part one") + pgn_heading("2Traps") + pgn_game("X", "1.e4 e5 *") +
                      pgn_game("Y", "1.d4 d5 *", "[Flags \"35\"]\n") + pgn_heading("3Deep") +
                      pgn_game("Z", "1...Kd7 *", "[FEN \"4k3/8/8/8/8/8/4P3/4K3 b - - 0 1\"]\n") +
                      pgn_heading("1Part two") + pgn_heading("3Stale") +
                      pgn_game("V", "1.e4 *", "[ViewAs \"1\"]\n") +
                      pgn_game("U", "1...Kd7 *",
                               "[FEN \"4k3/8/8/8/8/8/4P3/4K3 b - - 0 1\"]\n[ViewAs \"0\"]\n"));
    } else if (source.rfind("corpus:", 0) == 0) {
        source = source.substr(7);
        SKIP_WITHOUT_CORPUS(source);
        source = corpusPath(source);
    } else {
        source = testsupport::dataPath(source);
    }
    const std::string first = dir.file("first.cdb");
    const Report report = ChessBase::importPgn(first, source);
    EXPECT_GT(report.games, 0);

    const std::string exported = dir.file("exported.pgn");
    {
        ChessBase base;
        base.open(first, ChessBase::ReadOnly);
        std::ofstream out(exported, std::ios::binary);
        const BaseExporter::Report written = BaseExporter::write(base, out);
        EXPECT_EQ(written.games, report.games);
        EXPECT_EQ(written.headings, report.headings);
        EXPECT_TRUE(written.warnings.empty()) << written.warnings.front();
    }
    const std::string second = dir.file("second.cdb");
    const Report again = ChessBase::importPgn(second, exported);
    EXPECT_EQ(again.skipped, 0) << (again.messages.empty() ? "" : again.messages.front());
    EXPECT_EQ(again.games, report.games);
    const std::vector<std::string> a = all_rows(first);
    const std::vector<std::string> b = all_rows(second);
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i)
        ASSERT_EQ(a[i], b[i]) << "row " << i;
}

INSTANTIATE_TEST_SUITE_P(Corpus, ChessBaseRoundTrip,
                         ::testing::Values("headings", "lichess-slice.pgn", "masters-slice.pgn",
                                           "corpus:lichess.pgn", "corpus:sample-1in20.pgn"));

TEST(ChessBaseImport, StaleTemporaryFilesGoLiveOnesStay)
{
    TempDir dir;
    import_text(dir, pgn_game("Old", "1.e4 *"), "t");
    const std::string target = dir.file("t.cdb");
    // What killed imports of t.cdb left, and files that are not theirs.
    const auto leave_stale = [&] {
        writeFile(dir.file(".t.cdb.k1ll3d"), "partial");
        writeFile(dir.file(".t.cdb.k1ll3d-journal"), "journal");
        writeFile(dir.file(".t.cdb.0rphan-journal"), "journal");
    };
    writeFile(dir.file(".u.cdb.k1ll3d"), "another base's");
    writeFile(dir.file(".t.cdb.notours"), "not of our naming");
    // The folder's entries in byte order.
    const auto listing = [&] {
        std::vector<std::string> entries = folderEntries(dir.path());
        std::sort(entries.begin(), entries.end());
        return entries;
    };
    const std::vector<std::string> clean = listing();
    leave_stale();
    {
        // A running import of the same base holds its file.
        basefile::Temporary live(target);
        const std::string name = live.path().substr(dir.path().size() + 1);
        {
            ChessBase base;
            base.open(target);
        }
        std::vector<std::string> expected = clean;
        expected.push_back(name);
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(listing(), expected);

        leave_stale();
        const Report report = import_text(dir, pgn_game("New", "1.d4 *"), "t");
        EXPECT_EQ(report.games, 1);
        EXPECT_EQ(listing(), expected);
        EXPECT_EQ(readFile(live.path()), "");
    }
    EXPECT_EQ(listing(), clean);
    // Read-only, nothing is removed.
    leave_stale();
    ChessBase base;
    base.open(target, ChessBase::ReadOnly);
    EXPECT_EQ(listing().size(), clean.size() + 3);
}

TEST(ChessBaseImport, WritesThroughLinksAndRefusesWriteProtectedBases)
{
    TempDir dir;
    ASSERT_TRUE(QDir(QString::fromStdString(dir.path())).mkdir(QStringLiteral("real")));
    writeFile(dir.file("real/games.pgn"), pgn_game("Old", "1.e4 *"));
    const std::string real = dir.file("real/games.cdb");
    ChessBase::importPgn(real, dir.file("real/games.pgn"));
    ASSERT_EQ(chmod(real.c_str(), 0640), 0);
    ASSERT_EQ(symlink("real/games.cdb", dir.file("link.cdb").c_str()), 0);
    ASSERT_EQ(symlink("link.cdb", dir.file("chain.cdb").c_str()), 0);

    writeFile(dir.file("new.pgn"), pgn_game("New", "1.d4 *") + pgn_game("Newer", "1.c4 *"));
    EXPECT_EQ(ChessBase::importPgn(dir.file("chain.cdb"), dir.file("new.pgn")).games, 2);
    struct stat info;
    ASSERT_EQ(lstat(dir.file("chain.cdb").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    ASSERT_EQ(lstat(dir.file("link.cdb").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(RawBase(real).rows("select White from games"),
              (std::vector<std::string>{"New", "Newer"}));
    // The replaced base keeps the permissions it had.
    ASSERT_EQ(stat(real.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(folderEntries(dir.file("real")),
              (std::vector<std::string>{"games.cdb", "games.pgn"}));

    // A base the user made read-only is not replaced (root included).
    ASSERT_EQ(chmod(real.c_str(), 0444), 0);
    const std::string before = readFile(real);
    try {
        ChessBase::importPgn(dir.file("link.cdb"), dir.file("real/games.pgn"));
        ADD_FAILURE() << "replaced a read-only base";
    } catch (const Exception& e) {
        EXPECT_EQ(std::string(e.what()), "The game base is read-only: " + dir.file("link.cdb"));
    }
    EXPECT_EQ(readFile(real), before);
    ASSERT_EQ(stat(real.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0444u);
}

TEST(ChessBaseImport, GamesOverTheOpeningLimitAreSkipped)
{
    TempDir dir;
    const std::string huge = "1.e4 {" + std::string(StoredRow::kMaxMoveText, 'x') + "} *";
    const Report report = import_text(dir, pgn_game("A", "1.e4 *") + pgn_game("Huge", huge) +
                                               pgn_game("C", "1.c4 *"));
    EXPECT_EQ(report.games, 2);
    EXPECT_EQ(report.skipped, 1);
    EXPECT_EQ(report.messages, (std::vector<std::string>{"game 2: The move text is too long"}));
    // Every stored game opens.
    ChessBase base;
    base.open(dir.file("t.cdb"), ChessBase::ReadOnly);
    for (int64_t id : base.rowIds())
        EXPECT_EQ(base.verifyGame(id), "") << id;
    EXPECT_EQ(base.rowIds().size(), 2u);
}
