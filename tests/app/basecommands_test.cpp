// Opening and importing bases: a failure always leaves a base open.

#include "tests/app/apptestsupport.h"

#include "base/chessbase.h"
#include "game/game.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

using apptest::Environment;
using apptest::TestChess;

namespace {

// The controller as the program starts it: the last base, else the default.
void open_at_start(TestChess& chess)
{
    chess.bases().openBaseOrRestore(chess.bases().defaultBasePath(), std::string());
    chess.controller().onSelectGame();
}

bool shows_error(const TestChess& chess)
{
    for (const TestChess::Message& m : chess.messages)
        if (m.type == Platform::MessageError)
            return true;
    return false;
}

} // namespace

TEST(BaseCommands, FailedOpenOrImportKeepsTheBaseOpenBefore)
{
    Environment env;
    TestChess chess(env.config());
    open_at_start(chess);
    const ChessDocument& document = chess.document();
    const std::string good = env.file("chess/game.cdb");
    ASSERT_EQ(document.database.path(), good);

    // Not a game base: the error is shown, the old base is open again.
    const std::string junk = env.file("chess/junk.cdb");
    testsupport::writeFile(junk, std::string(4096, 'x'));
    chess.bases().openBase(junk);
    EXPECT_TRUE(shows_error(chess));
    EXPECT_EQ(document.database.path(), good);
    ASSERT_NE(document.game().current, nullptr);
    EXPECT_EQ(env.config().readString("last_opened", good.c_str()), good);
    EXPECT_EQ(testsupport::readFile(junk), std::string(4096, 'x'));

    // An import whose target cannot be written: reported, nothing else
    // changes, and the progress box is gone again.
    chess.clearRecords();
    const std::string pgn = env.file("chess/blocked.pgn");
    testsupport::writeFile(pgn, "[White \"A\"]\n[Black \"B\"]\n\n1. e4 e5 *\n");
    QDir().mkpath(QString::fromStdString(env.file("chess/blocked.cdb/inside")));
    chess.bases().importPgn(pgn);
    EXPECT_TRUE(shows_error(chess));
    EXPECT_EQ(document.database.path(), good);
    ASSERT_NE(document.game().current, nullptr);
    EXPECT_TRUE(QFileInfo(QString::fromStdString(env.file("chess/blocked.cdb"))).isDir());
    ASSERT_FALSE(chess.progress.empty());
    EXPECT_EQ(chess.progress.back(), "");
}

TEST(BaseCommands, ImportOverTheOpenBaseReplacesIt)
{
    Environment env;
    const std::string book = env.file("chess/book");
    testsupport::writeFile(book + ".pgn", "[White \"A\"]\n[Black \"B\"]\n\n1. e4 e5 *\n");
    ChessBase::importPgn(book + ".cdb", book + ".pgn");
    env.config().writeString("last_opened", (book + ".cdb").c_str());
    TestChess chess(env.config());
    open_at_start(chess);
    ASSERT_EQ(chess.game().white, "A");

    testsupport::writeFile(book + ".pgn", "[White \"X\"]\n[Black \"Y\"]\n\n1. d4 d5 *\n\n"
                                          "[White \"Z\"]\n[Black \"W\"]\n\n1. c4 c5 *\n");
    chess.bases().importPgn(book + ".pgn");
    EXPECT_EQ(chess.document().database.path(), book + ".cdb");
    EXPECT_EQ(chess.game().white, "X");
    EXPECT_EQ(chess.document().database.getLastRowID(), 2);
    EXPECT_FALSE(shows_error(chess));
}
