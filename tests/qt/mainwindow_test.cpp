#include "tests/qt/shell.h"

#include "base/chessbase.h"
#include "core/configfileabstract.h"
#include "qt/chessqt.h"
#include "qt/fileopendialog.h"
#include "qt/gamesettingsdialog.h"
#include "qt/newgamedialog.h"
#include "qt/platform.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTreeView>

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

// Chooses path in the file dialog (once the folder is read) with the keys.
void choose_file(QDialog* dialog, const std::string& path)
{
    auto* files = qobject_cast<FileOpenDialog*>(dialog);
    ASSERT_NE(files, nullptr);
    const QString file = QString::fromStdString(path);
    ASSERT_TRUE(wait_until([&] { return files->model()->index(file).isValid(); }));
    files->view()->setCurrentIndex(files->model()->index(file));
    press_key(files, Qt::Key_Right);
}

std::string menu_texts(const QMenu* menu)
{
    std::string text;
    for (const QAction* action : menu->actions()) {
        if (action->isSeparator())
            text += "|";
        else if (action->menu())
            text += "[" + action->text().toStdString() + ":" + menu_texts(action->menu()) + "]";
        else
            text += action->text().toStdString() + ";";
    }
    return text;
}

QAction* find_action(const QMenu* menu, const QString& text)
{
    for (QAction* action : menu->actions()) {
        if (action->text() == text)
            return action;
        if (action->menu())
            if (QAction* inner = find_action(action->menu(), text))
                return inner;
    }
    return nullptr;
}

int plies(const Game& game)
{
    int n = 0;
    for (const PGNMove* m = game.current; m && m->parent; m = m->parent)
        ++n;
    return n;
}

std::string fen(const Game& game)
{
    return game.current ? game.current->boardAfter().exportToFEN() : std::string();
}

// The first installed engine the program can drive quickly at depth 1.
std::string engine_entry(const std::string& root)
{
    std::string entry = link_engine(root, "UCI", "Stockfish", "stockfish");
    if (entry.empty())
        entry = link_engine(root, "XBOARD", "HoiChess", "hoichess", "-x");
    return entry;
}

// Lists the human and that engine in the shell's configuration, the engine as
// the opponent at level 0; false when no engine is installed.
bool add_engine_opponent(Shell& shell)
{
    const std::string entry = engine_entry(shell.root().path());
    if (entry.empty())
        return false;
    testsupport::writeFile(shell.root().file("inkmate.cfg"),
                           testsupport::readFile(shell.root().file("inkmate.cfg")) +
                               "engine_00=HUM|Human|-\nengine_01=" + entry +
                               "\nopponent=1\nlevel=0\n");
    return true;
}

} // namespace

TEST(MainWindow, FirstStartCreatesTheDefaultBaseAndShowsANewGame)
{
    Shell shell;
    shell.start();
    ChessQt& window = shell.window();
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(shell.dataPath() + "/game.cdb")));
    const ChessDocument& document = window.controller().document();
    EXPECT_EQ(document.database.path(), shell.dataPath() + "/game.cdb");
    ASSERT_NE(document.game().current, nullptr);
    EXPECT_EQ(document.game().current, document.game().root);
    EXPECT_EQ(fen(document.game()), "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    EXPECT_EQ(document.game().white, "Human");
    EXPECT_EQ(document.cursor.x, 3);
    EXPECT_EQ(document.cursor.y, 3);
    EXPECT_NE(shell.log().find("Base " + shell.dataPath() + "/game.cdb is loaded"),
              std::string::npos);
    EXPECT_NE(shell.log().find("Add application font: " + shell.root().file("chess.ttf")),
              std::string::npos);

    // The first paint lays the views out and draws the board: black and white.
    const QImage picture = window.grab().toImage();
    EXPECT_EQ(picture.size(), QSize(600, 800));
    const Rect board = window.controller().screen().boardView().getRect();
    EXPECT_GT(board.width, 300);
    int dark = 0;
    for (int y = board.top; y < board.top + board.height; y += 7)
        for (int x = board.left; x < board.left + board.width; x += 7)
            dark += qGray(picture.pixel(x, y)) < 128;
    EXPECT_GT(dark, 50);
}

TEST(MainWindow, MenuHeldOnReturnWithEveryEntry)
{
    Shell shell;
    shell.start();
    ChessQt& window = shell.window();
    EXPECT_EQ(
        menu_texts(window.mainMenu()),
        "History;|New Game;Reset Game;Take back;Resign;Offer Draw;Claim Draw;|Hint;Show Solution;|"
        "Turn Board;|[Base:Open;"
        "Import PGN;|Contents;|Next Game;Previous Game;First Game;Last Game;|"
        "Next Unsolved Puzzle;Retry Failed Puzzles;[Puzzle Training:Dashboard;"
        "[Next Puzzle:By Rating;Near My Rating;Streak;]"
        "[Difficulty:Easiest;Easier;Normal;Harder;Hardest;][Theme:]]]"
        "[Settings:Game;View;][Review:Review Game;Next Marked Move;Previous Marked Move;"
        "Evaluation Graph;]|Redraw Screen;|Exit;");

    // A short Return acts on the board; a held one opens the menu.
    send_key(&window, Qt::Key_Return);
    EXPECT_FALSE(window.mainMenu()->isVisible());
    send_key(&window, Qt::Key_Return, KeyPressOnly);
    EXPECT_TRUE(wait_until([&] { return window.mainMenu()->isVisible(); }, 5000));
    window.mainMenu()->hide();
    send_key(&window, Qt::Key_Return, KeyReleaseOnly);
    send_key(&window, Qt::Key_M);
    EXPECT_TRUE(window.mainMenu()->isVisible());
    // Between two people: resigning and a draw, no hint and no solution.
    const auto shown = [&](const char* text) {
        for (const QAction* action : window.mainMenu()->actions())
            if (action->text() == QLatin1String(text))
                return action->isVisible();
        return false;
    };
    EXPECT_TRUE(shown("Resign"));
    EXPECT_TRUE(shown("Offer Draw"));
    EXPECT_FALSE(shown("Claim Draw"));
    EXPECT_FALSE(shown("Hint"));
    EXPECT_FALSE(shown("Show Solution"));
    window.mainMenu()->hide();
    // Keys with a modifier do nothing.
    QKeyEvent shifted(QEvent::KeyPress, Qt::Key_M, Qt::ShiftModifier, QStringLiteral("M"));
    QApplication::sendEvent(&window, &shifted);
    EXPECT_FALSE(window.mainMenu()->isVisible());

    // The menu's Exit closes the window.
    find_action(window.mainMenu(), QStringLiteral("Exit"))->trigger();
    EXPECT_FALSE(window.isVisible());
}

// OK as a reader's or a desktop's keyboard sends it: held, it opens the menu
// on its first entry by time and does nothing else, whether the driver repeats
// it flagged, as plain press/release pairs or not at all, until its real
// release; a short press acts on its release.
TEST(MainWindow, HeldOkOnlyOpensTheMenuAndAShortOkActsOnRelease)
{
    Shell shell;
    shell.start();
    ChessQt& window = shell.window();
    ChessDocument& document = window.controller().document();
    QMenu* menu = window.mainMenu();
    document.cursor = Position(4, 1);
    enum Repeats { Flagged, Plain, NoRepeats };
    for (const Repeats repeats : {Flagged, Plain, NoRepeats}) {
        const bool flagged = repeats == Flagged;
        send_key(&window, Qt::Key_Return, KeyPressOnly);
        EXPECT_FALSE(menu->isVisible());
        for (int i = 0; flagged && i < 3; ++i) {
            send_key(&window, Qt::Key_Return, KeyReleaseOnly, true);
            send_key(&window, Qt::Key_Return, KeyPressOnly, true);
        }
        EXPECT_TRUE(wait_until([&] { return menu->isVisible(); }, 5000)) << repeats;
        ASSERT_NE(menu->activeAction(), nullptr);
        EXPECT_EQ(menu->activeAction()->text(), QStringLiteral("History"));
        // The repeats of the still held OK reach the menu and choose nothing.
        for (int i = 0; repeats != NoRepeats && i < 5; ++i) {
            send_key(menu, Qt::Key_Return, KeyReleaseOnly, flagged);
            send_key(menu, Qt::Key_Return, KeyPressOnly, flagged);
        }
        send_key(menu, Qt::Key_Return, KeyReleaseOnly);
        EXPECT_TRUE(wait_until([&] { return !window.controller().input().isOkKeyHeld(); }, 5000));
        EXPECT_TRUE(menu->isVisible()) << repeats;
        EXPECT_EQ(document.mode, ViewState::BoardMode) << repeats;
        EXPECT_FALSE(document.selection.isValid()) << repeats;
        if (repeats != NoRepeats) {
            menu->hide();
            continue;
        }
        // After the real release OK chooses the highlighted entry.
        send_key(menu, Qt::Key_Return);
        EXPECT_TRUE(wait_until([&] { return !menu->isVisible(); }, 2000));
        EXPECT_EQ(document.mode, ViewState::HistoryMode);
        send_key(&window, Qt::Key_Return);
        EXPECT_EQ(document.mode, ViewState::BoardMode);
    }
    send_key(&window, Qt::Key_Return, KeyPressOnly);
    EXPECT_FALSE(document.selection.isValid());
    send_key(&window, Qt::Key_Return, KeyReleaseOnly);
    EXPECT_EQ(document.selection, Position(4, 1));
    EXPECT_FALSE(wait_until([&] { return menu->isVisible(); }, KeyHold::kHoldMs + 300));
    // Back puts the piece down again.
    send_key(&window, Qt::Key_Escape);
    EXPECT_FALSE(document.selection.isValid());
}

TEST(MainWindow, MessageWithATimeOutClosesItself)
{
    Shell shell;
    shell.start();
    // A box that waits for its reader, closed by its time-out alone.
    const QByteArray before = qgetenv("INKMATE_NONINTERACTIVE");
    qputenv("INKMATE_NONINTERACTIVE", "0");
    QString shownText;
    on_next_dialog([&](QDialog* dialog) {
        if (auto* box = qobject_cast<QMessageBox*>(dialog))
            shownText = box->text();
    });
    QElapsedTimer clock;
    clock.start();
    shell.window().message(Platform::MessageWarning, "Engine", "The engine stopped.", 300);
    const qint64 elapsed = clock.elapsed();
    qputenv("INKMATE_NONINTERACTIVE", before);
    EXPECT_EQ(shownText, QStringLiteral("The engine stopped."));
    // A coarse timer may fire up to 5% early.
    EXPECT_GE(elapsed, 285);
    EXPECT_LT(elapsed, 5000);
}

TEST(MainWindow, MenuTextsFollowTheLanguage)
{
    Shell shell("lang=1\nlang_1=de:Deutsch\n");
    QDir().mkpath(QString::fromStdString(shell.root().file("translate")));
    testsupport::writeFile(
        shell.root().file("translate/messages.lng"),
        testsupport::readFile(testsupport::sourcePath("assets/translate/messages.lng")));
    shell.start();
    EXPECT_NE(find_action(shell.window().mainMenu(), QStringLiteral("Brett drehen")), nullptr);
    EXPECT_NE(find_action(shell.window().mainMenu(), QStringLiteral("Beenden")), nullptr);
}

TEST(MainWindow, GameAgainstAnEngineWithTheKeysAlone)
{
    Shell shell;
    if (!add_engine_opponent(shell))
        GTEST_SKIP() << "no engine installed";
    shell.start();
    ChessQt& window = shell.window();
    const Game& game = window.controller().document().game();
    EXPECT_EQ(game.blackPlayer, 1);

    // d4 -> e2, OK picks the pawn up; e4, OK plays it.
    shell.playByKeys(4, 1, 4, 3);
    EXPECT_EQ(plies(game), 1);
    ASSERT_TRUE(wait_until([&] { return plies(game) == 2; }, 20000)) << shell.log();
    EXPECT_EQ(game.current->boardAfter().getColorToMove(), White);
    // A second move of the user gets its answer too.
    shell.playByKeys(6, 0, 5, 2); // Nf3
    ASSERT_TRUE(wait_until([&] { return plies(game) == 4; }, 20000)) << shell.log();
    const std::string log = shell.log();
    EXPECT_NE(log.find("White: fen=[rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1], "
                       "move=[e2e4]"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("Black: fen=[rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq"),
              std::string::npos)
        << log;
}

TEST(MainWindow, GameSettingsWrittenOnRightAndAppliedLeftLeavesThem)
{
    Shell shell("engine_00=HUM|Human|-\nengine_01=UCI|Alpha|alpha\n");
    shell.start();
    ChessQt& window = shell.window();

    on_next_dialog([](QDialog* dialog) {
        auto* settings = qobject_cast<GameSettingsDialog*>(dialog);
        ASSERT_NE(settings, nullptr);
        form<QComboBox>(settings, "cbLevel")->setCurrentIndex(4);
        press_key(dialog, Qt::Key_Left);
    });
    window.onGameSettings();
    EXPECT_EQ(g_pConfig->readInt("level", -1), 0);

    on_next_dialog([](QDialog* dialog) {
        auto* settings = qobject_cast<GameSettingsDialog*>(dialog);
        ASSERT_NE(settings, nullptr);
        form<QComboBox>(settings, "cbLevel")->setCurrentIndex(4);
        form<QComboBox>(settings, "cbOpponent")->setCurrentIndex(1);
        form<QComboBox>(settings, "cbPromotion")->setCurrentIndex(1);
        press_key(dialog, Qt::Key_Right);
    });
    window.onGameSettings();
    EXPECT_EQ(g_pConfig->readInt("level", -1), 4);
    EXPECT_EQ(g_pConfig->readInt("opponent", -1), 1);
    EXPECT_EQ(g_pConfig->readInt("promotion", -1), 1);
    // Applied at once by the controller.
    EXPECT_NE(shell.log().find("Set Opponent: 1 (Alpha)"), std::string::npos) << shell.log();
    EXPECT_NE(shell.log().find("Set Level: 5"), std::string::npos);

    // The view settings: a smaller move list gives the board more room.
    const int before = window.controller().screen().boardView().getRect().width;
    g_pConfig->writeInt("history.size", 3);
    on_next_dialog([](QDialog* dialog) {
        dialog->findChild<QComboBox*>(QStringLiteral("cbHistorySize"))->setCurrentIndex(5);
        press_key(dialog, Qt::Key_Right);
    });
    window.onViewSettings();
    EXPECT_EQ(g_pConfig->readInt("history.size", -1), 5);
    EXPECT_LT(window.controller().screen().boardView().getRect().width, before);
}

TEST(MainWindow, NewGameSwapGivesTheEngineWhite)
{
    Shell shell;
    if (!add_engine_opponent(shell))
        GTEST_SKIP() << "no engine installed";
    shell.start();
    ChessQt& window = shell.window();

    // Both players engines: refused with a message, the game stays.
    const Game& game = window.controller().document().game();
    const std::string date = game.date;
    on_next_dialog([](QDialog* dialog) {
        auto* newGame = qobject_cast<NewGameDialog*>(dialog);
        ASSERT_NE(newGame, nullptr);
        form<QComboBox>(newGame, "cbPlayerWhite")->setCurrentIndex(1);
        press_key(dialog, Qt::Key_Right);
    });
    window.onNewGame();
    EXPECT_EQ(game.whitePlayer, 0);
    EXPECT_EQ(game.blackPlayer, 1);

    on_next_dialog([](QDialog* dialog) {
        auto* newGame = qobject_cast<NewGameDialog*>(dialog);
        ASSERT_NE(newGame, nullptr);
        EXPECT_EQ(newGame->blackPlayer(), 1);
        form<QPushButton>(newGame, "btnSwap")->click();
        form<QCheckBox>(newGame, "chkAddToBase")->setChecked(false);
        form<QPushButton>(newGame, "btnPlay")->click();
    });
    window.onNewGame();
    EXPECT_EQ(game.whitePlayer, 1);
    EXPECT_EQ(game.blackPlayer, 0);
    EXPECT_TRUE(window.controller().document().isFlipped());
    EXPECT_TRUE(game.flags & Game::FlagNotStored);
    EXPECT_EQ(game.black, "Human");
    // The engine opens the game at once.
    ASSERT_TRUE(wait_until([&] { return plies(game) == 1; }, 20000)) << shell.log();
    EXPECT_EQ(game.current->boardAfter().getColorToMove(), Black);

    // Cancelled: nothing changes.
    on_next_dialog([](QDialog* dialog) { press_key(dialog, Qt::Key_Left); });
    window.onNewGame();
    EXPECT_EQ(game.whitePlayer, 1);
}

TEST(MainWindow, PgnImportedThroughTheFileDialogAndBrowsedByContents)
{
    Shell shell;
    shell.start();
    ChessQt& window = shell.window();
    QDir().mkpath(QString::fromStdString(shell.dataPath()));
    const std::string pgn = shell.dataPath() + "/book.pgn";
    testsupport::writeFile(pgn, "[Header \"1Openings\"]\n\n*\n\n"
                                "[White \"A\"]\n[Black \"B\"]\n\n1. e4 e5 *\n\n"
                                "[White \"C\"]\n[Black \"D\"]\n\n1. d4 d5 *\n\n"
                                "[Header \"1Endings\"]\n\n*\n\n"
                                "[White \"E\"]\n[Black \"F\"]\n\n1. c4 c5 *\n");
    on_next_dialog([&](QDialog* dialog) { choose_file(dialog, pgn); });
    window.onPgnImport();
    const ChessDocument& document = window.controller().document();
    EXPECT_EQ(document.database.path(), shell.dataPath() + "/book.cdb");
    EXPECT_EQ(g_pConfig->readString("last_opened", ""), shell.dataPath() + "/book.cdb");
    EXPECT_EQ(document.game().id, 1);
    EXPECT_EQ(document.game().white, "A");

    // Contents: the second heading leads to game 3.
    on_next_dialog([](QDialog* dialog) {
        auto* tree = dialog->findChild<QTreeView*>();
        ASSERT_NE(tree, nullptr);
        EXPECT_EQ(tree->currentIndex().data().toString(), QStringLiteral("Openings"));
        press_key(dialog, Qt::Key_Down);
        press_key(dialog, Qt::Key_Return);
    });
    window.onContents();
    EXPECT_EQ(document.game().id, 3);
    EXPECT_EQ(document.game().white, "E");

    // Page keys go through the base.
    send_key(&window, Qt::Key_PageUp);
    EXPECT_EQ(document.game().id, 2);

    // Opening the base that is open changes nothing.
    on_next_dialog([&](QDialog* dialog) { choose_file(dialog, shell.dataPath() + "/book.cdb"); });
    window.onBaseOpen();
    EXPECT_EQ(document.game().id, 2);

    // Opening the default base through the dialog, then back.
    on_next_dialog([&](QDialog* dialog) { choose_file(dialog, shell.dataPath() + "/game.cdb"); });
    window.onBaseOpen();
    EXPECT_EQ(document.database.path(), shell.dataPath() + "/game.cdb");
    EXPECT_EQ(g_pConfig->readString("last_opened", ""), shell.dataPath() + "/game.cdb");
}

namespace {

void exec_sql(const std::string& path, const char* sql)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

// Every write of a game into the base fails as on a full disk, or works again.
void set_disk_full(const std::string& path, bool full)
{
    exec_sql(path, full ? "create trigger full before insert on games begin "
                          "select raise(abort, 'database or disk is full'); end"
                        : "drop trigger full");
}

// The move text stored for the current game of the base.
std::string stored_moves(const std::string& path)
{
    ChessBase base;
    base.open(path, ChessBase::ReadOnly);
    return base.game.moveText;
}

} // namespace

TEST(MainWindow, FailedSaveBeforeLeavingTheBaseKeepsTheGame)
{
    Shell shell("engine_00=HUM|Human|-\n");
    shell.start();
    ChessQt& window = shell.window();
    const ChessDocument& document = window.controller().document();
    const std::string good = shell.dataPath() + "/game.cdb";
    ASSERT_EQ(document.database.path(), good);
    const std::string pgn = shell.dataPath() + "/other.pgn";
    testsupport::writeFile(pgn, "[White \"A\"]\n[Black \"B\"]\n\n1. d4 d5 *\n");
    ChessBase::importPgn(shell.dataPath() + "/other.cdb", pgn);

    shell.playByKeys(4, 1, 4, 3); // e4
    ASSERT_EQ(plies(document.game()), 1);
    set_disk_full(good, true);

    // Neither another base nor an import may drop the unsaved game.
    on_next_dialog([&](QDialog* dialog) { choose_file(dialog, shell.dataPath() + "/other.cdb"); });
    window.onBaseOpen();
    EXPECT_EQ(document.database.path(), good);
    EXPECT_EQ(plies(document.game()), 1);
    EXPECT_EQ(g_pConfig->readString("last_opened", ""), good);
    shell.playByKeys(4, 6, 4, 4); // e5
    on_next_dialog([&](QDialog* dialog) { choose_file(dialog, pgn); });
    window.onPgnImport();
    EXPECT_EQ(document.database.path(), good);
    EXPECT_EQ(plies(document.game()), 2);

    // Once the file can be written again, the game is stored.
    set_disk_full(good, false);
    shell.playByKeys(6, 0, 5, 2); // Nf3
    shell.stop();
    EXPECT_EQ(stored_moves(good).rfind("1.e4 e5 2.Nf3", 0), 0u) << stored_moves(good);
}

TEST(MainWindow, ExitWithAGameThatCannotBeStoredTellsAndStaysOnce)
{
    Shell shell("engine_00=HUM|Human|-\n");
    shell.start();
    ChessQt& window = shell.window();
    const ChessDocument& document = window.controller().document();
    const std::string good = shell.dataPath() + "/game.cdb";
    shell.playByKeys(4, 1, 4, 3); // e4
    set_disk_full(good, true);
    shell.key(Qt::Key_Q);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(plies(document.game()), 1);
    EXPECT_NE(shell.log().find("database or disk is full"), std::string::npos);

    set_disk_full(good, false);
    shell.playByKeys(4, 6, 4, 4); // e5
    shell.key(Qt::Key_Q);
    EXPECT_FALSE(window.isVisible());
    shell.stop();
    EXPECT_EQ(stored_moves(good).rfind("1.e4 e5", 0), 0u) << stored_moves(good);
}

TEST(MainWindow, PuzzleSolvedThenTheNextOneAfterTheDelay)
{
    Shell shell("next_puzzle=1\n");
    const std::string data = shell.root().path() + "/chess";
    QDir().mkpath(QString::fromStdString(data));
    ChessBase::importPgn(data + "/puzzles.cdb",
                         testsupport::sourcePath("assets/chess/puzzles.pgn"));
    testsupport::writeFile(shell.root().file("inkmate.cfg"),
                           testsupport::readFile(shell.root().file("inkmate.cfg")) +
                               "last_opened=" + data + "/puzzles.cdb\n");
    shell.start();
    ChessQt& window = shell.window();
    const ChessDocument& document = window.controller().document();
    const Game& game = document.game();
    ASSERT_TRUE(document.isPuzzle());
    const int first = game.id;

    // A wrong move is refused (with a message) and leaves the position.
    const std::string start = fen(game);
    ASSERT_EQ(start, "r2q3r/ppp2Bpp/8/2B1k2n/4P3/3P4/PPP3PP/R2b1RK1 w - - 0 15");
    shell.playByKeys(7, 1, 7, 2); // h3
    EXPECT_EQ(fen(game), start);
    // Play the hidden solution with the keys, reply by reply.
    for (int i = 0; i < 8 && !document.isSolvedPuzzle(); ++i) {
        const PGNMove* next = game.current->findNextMove();
        ASSERT_NE(next, nullptr);
        ASSERT_TRUE(next->hidden);
        const Move m = next->move;
        shell.playByKeys(m.fromX, m.fromY, m.toX, m.toY);
        ASSERT_NE(fen(game), start);
        // The recorded reply comes through the event loop.
        ASSERT_TRUE(wait_until([&] {
            const PGNMove* reply = game.current->findNextMove();
            return document.isSolvedPuzzle() || (reply && reply->hidden);
        }));
    }
    ASSERT_TRUE(document.isSolvedPuzzle());
    EXPECT_EQ(game.id, first);
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(wait_until([&] { return game.id != first; }, 5000));
    EXPECT_GE(clock.elapsed(), 800);
    EXPECT_TRUE(document.isPuzzle());
    EXPECT_FALSE(document.isSolvedPuzzle());

    // Reset: back to the start, unsolved again.
    window.onBaseFirstGame();
    EXPECT_TRUE(document.isSolvedPuzzle());
    window.onResetGame();
    EXPECT_FALSE(document.isSolvedPuzzle());
    EXPECT_EQ(fen(game), start);
    EXPECT_EQ(document.cursor.x, 3);
    EXPECT_EQ(document.cursor.y, 3);
}

TEST(MainWindow, BackspaceAndTheMenuTakeBackMovesOfTwoPeople)
{
    Shell shell("engine_00=HUM|Human|-\n");
    shell.start();
    const ChessDocument& document = shell.window().controller().document();
    shell.playByKeys(4, 1, 4, 3); // e4
    shell.playByKeys(4, 6, 4, 4); // e5
    shell.key(Qt::Key_I);         // no hint between two people
    shell.key(Qt::Key_Backspace);
    EXPECT_EQ(plies(document.game()), 1);
    EXPECT_EQ(document.game().current->findNextMove(), nullptr);
    ASSERT_NE(find_action(shell.window().mainMenu(), QStringLiteral("Hint")), nullptr);
    find_action(shell.window().mainMenu(), QStringLiteral("Take back"))->trigger();
    EXPECT_EQ(document.game().current, document.game().root);
}

TEST(MainWindow, RestartResumesTheSameBaseGameAndPosition)
{
    Shell shell("engine_00=HUM|Human|-\n");
    shell.start();
    {
        const ChessDocument& document = shell.window().controller().document();
        shell.playByKeys(4, 1, 4, 3); // e4
        shell.playByKeys(4, 6, 4, 4); // e5
        shell.playByKeys(6, 0, 5, 2); // Nf3
        EXPECT_EQ(plies(document.game()), 3);
        // Back one move in the move list.
        shell.key(Qt::Key_H);
        shell.key(Qt::Key_Left);
        EXPECT_EQ(plies(document.game()), 2);
    }
    const std::string position = fen(shell.window().controller().document().game());
    shell.key(Qt::Key_Q);
    EXPECT_FALSE(shell.window().isVisible());
    shell.stop();

    shell.start();
    const ChessDocument& document = shell.window().controller().document();
    EXPECT_EQ(document.database.path(), shell.dataPath() + "/game.cdb");
    EXPECT_GE(document.game().id, 1);
    EXPECT_EQ(fen(document.game()), position);
    // The whole game is there: one step on is Nf3.
    shell.key(Qt::Key_H);
    shell.key(Qt::Key_Right);
    EXPECT_EQ(plies(document.game()), 3);
}

namespace {

void touch(QWidget* window, QEvent::Type type, const QPoint& point)
{
    QMouseEvent event(type, point, window->mapToGlobal(point), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(window, &event);
}

QPoint centre_of(const ChessQt& window, int x, int y)
{
    return const_cast<ChessQt&>(window)
        .controller()
        .screen()
        .boardView()
        .cellRect(Position(x, y))
        .center();
}

} // namespace

TEST(MainWindow, TouchAloneMovesPiecesBrowsesMovesAndOpensTheMenu)
{
    Shell shell("engine_00=HUM|Human|-\nheader=1\n");
    shell.start();
    ChessQt& window = shell.window();
    const Game& game = window.controller().document().game();

    // Drag e2 to e4.
    touch(&window, QEvent::MouseButtonPress, centre_of(window, 4, 1));
    touch(&window, QEvent::MouseButtonRelease, centre_of(window, 4, 3));
    EXPECT_EQ(plies(game), 1);
    // Tap e7, then tap e5.
    touch(&window, QEvent::MouseButtonPress, centre_of(window, 4, 6));
    touch(&window, QEvent::MouseButtonRelease, centre_of(window, 4, 6));
    touch(&window, QEvent::MouseButtonPress, centre_of(window, 4, 4));
    touch(&window, QEvent::MouseButtonRelease, centre_of(window, 4, 4));
    EXPECT_EQ(plies(game), 2);
    EXPECT_EQ(fen(game), "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e6 0 2");

    // A swipe to the left in the move list goes back one move.
    const Rect list = window.controller().screen().historyView().getRect();
    ASSERT_GT(list.height, 0);
    const QPoint middle(list.left + list.width / 2, list.top + list.height / 2);
    touch(&window, QEvent::MouseButtonPress, middle);
    touch(&window, QEvent::MouseButtonRelease, middle - QPoint(100, 0));
    EXPECT_EQ(window.controller().document().mode, ViewState::HistoryMode);
    EXPECT_EQ(plies(game), 1);

    // A tap on the header opens the menu.
    const Rect header = window.controller().screen().infoView().getRect();
    ASSERT_GT(header.height, 0);
    const QPoint top(header.left + header.width / 2, header.top + header.height / 2);
    touch(&window, QEvent::MouseButtonPress, top);
    touch(&window, QEvent::MouseButtonRelease, top);
    EXPECT_TRUE(window.mainMenu()->isVisible());
    window.mainMenu()->hide();
}

TEST(MainWindow, AnUnreadableLastBaseFallsBackToTheDefaultBase)
{
    Shell shell;
    const std::string data = shell.root().path() + "/chess";
    QDir().mkpath(QString::fromStdString(data));
    testsupport::writeFile(data + "/broken.cdb", "not a game base at all");
    testsupport::writeFile(shell.root().file("inkmate.cfg"),
                           testsupport::readFile(shell.root().file("inkmate.cfg")) +
                               "last_opened=" + data + "/broken.cdb\n");
    shell.start();
    EXPECT_EQ(shell.window().controller().document().database.path(), data + "/game.cdb");
    EXPECT_NE(shell.window().controller().document().game().current, nullptr);
    // The setting keeps the broken base, to be tried again at the next start.
    EXPECT_EQ(g_pConfig->readString("last_opened", ""), data + "/broken.cdb");
    // The broken file is left as it was.
    EXPECT_EQ(testsupport::readFile(data + "/broken.cdb"), "not a game base at all");
    EXPECT_NE(shell.log().find("broken.cdb"), std::string::npos);

    // Space redraws the whole panel with a full refresh.
    const int before = eink_full_update_count();
    shell.key(Qt::Key_Space);
    EXPECT_EQ(eink_full_update_count(), before + 1);
}

namespace {
// Notes the text of the progress box each time it is drawn.
class PaintRecorder : public QObject {
public:
    explicit PaintRecorder(QLabel* label) : m_label(label) { m_clock.start(); }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_label && event->type() == QEvent::Paint)
            shown.emplace_back(m_clock.elapsed(), m_label->text());
        return false;
    }
    std::vector<std::pair<qint64, QString>> shown;

private:
    QLabel* m_label;
    QElapsedTimer m_clock;
};
} // namespace

TEST(MainWindow, LargeImportShowsItsProgressAtMostOnceASecond)
{
    SKIP_WITHOUT_CORPUS("masters-historical.pgn");
    Shell shell;
    shell.start();
    ChessQt& window = shell.window();
    const std::string pgn = shell.dataPath() + "/sample.pgn";
    testsupport::writeFile(
        pgn, testsupport::readFile(testsupport::corpusPath("masters-historical.pgn")));
    PaintRecorder recorder(window.progressBox());
    window.progressBox()->installEventFilter(&recorder);
    on_next_dialog([&](QDialog* dialog) { choose_file(dialog, pgn); });
    QElapsedTimer clock;
    clock.start();
    window.onPgnImport();
    const qint64 took = clock.elapsed();
    window.progressBox()->removeEventFilter(&recorder);

    EXPECT_FALSE(window.progressBox()->isVisible());
    EXPECT_EQ(window.controller().document().database.path(), shell.dataPath() + "/sample.cdb");
    ASSERT_FALSE(recorder.shown.empty());
    EXPECT_EQ(recorder.shown.front().second, QStringLiteral("Importing PGN: 0 games read"));
    // One drawing per second at most, each with more games than the last; a
    // loaded machine may paint one late and the next in time.
    int lastGames = -1;
    qint64 lastTime = -1000;
    for (const auto& [time, text] : recorder.shown) {
        const int games = text.section(QLatin1Char(' '), 2, 2).toInt();
        EXPECT_GT(games, lastGames) << text.toStdString();
        EXPECT_GE(time - lastTime, 500) << text.toStdString();
        lastGames = games;
        lastTime = time;
    }
    EXPECT_LE(recorder.shown.size(), static_cast<size_t>(took / 1000 + 2));
    EXPECT_GE(window.controller().document().database.getLastRowID(), 22000);
    if (took > 2500) {
        EXPECT_GE(recorder.shown.size(), 2u) << "import took " << took << " ms";
    }
}

TEST(MainWindow, SettingsReachedThroughTheMenuWithKeys)
{
    Shell shell("engine_00=HUM|Human|-\nengine_01=UCI|Alpha|alpha\n");
    shell.start();
    ChessQt& window = shell.window();
    send_key(&window, Qt::Key_Return, KeyPressOnly); // OK held
    QMenu* menu = window.mainMenu();
    ASSERT_TRUE(wait_until([&] { return menu->isVisible(); }, 5000));
    send_key(menu, Qt::Key_Return, KeyReleaseOnly);
    ASSERT_TRUE(wait_until([&] { return !window.controller().input().isOkKeyHeld(); }, 5000));
    // From History: New Game, Reset Game, Take back, Hint, Show Solution, Turn Board, Base,
    // Settings.
    for (int i = 0; i < 8; ++i)
        send_key(menu, Qt::Key_Down);
    ASSERT_NE(menu->activeAction(), nullptr);
    EXPECT_EQ(menu->activeAction()->text(), QStringLiteral("Settings"));
    send_key(menu, Qt::Key_Right);
    QMenu* settings = menu->activeAction()->menu();
    ASSERT_TRUE(wait_until([&] { return settings->isVisible(); }, 2000));
    if (!settings->activeAction())
        send_key(settings, Qt::Key_Down);
    ASSERT_NE(settings->activeAction(), nullptr);
    EXPECT_EQ(settings->activeAction()->text(), QStringLiteral("Game"));
    bool shown = false;
    on_next_dialog([&](QDialog* dialog) {
        shown = qobject_cast<GameSettingsDialog*>(dialog) != nullptr;
        press_key(dialog, Qt::Key_Down);   // Level
        press_key(dialog, Qt::Key_Up);     // back to Opponent
        press_key(dialog, Qt::Key_Return); // its list
        QAbstractItemView* list =
            dialog->findChild<QComboBox*>(QStringLiteral("cbOpponent"))->view();
        ASSERT_TRUE(wait_until([&] { return list->isVisible(); }, 2000));
        send_key(list, Qt::Key_Down);
        send_key(list, Qt::Key_Return);
        ASSERT_TRUE(wait_until([&] { return !list->isVisible(); }, 2000));
        press_key(dialog, Qt::Key_Right);
    });
    send_key(settings, Qt::Key_Return);
    ASSERT_TRUE(wait_until([&] { return shown && !QApplication::activeModalWidget(); }, 5000));
    EXPECT_EQ(g_pConfig->readInt("opponent", -1), 1);
    EXPECT_NE(shell.log().find("Set Opponent: 1 (Alpha)"), std::string::npos);
    EXPECT_FALSE(menu->isVisible());
}

TEST(MainWindow, EveryTrueTypeEntryIsRegisteredAndBitmapsAreNot)
{
    Shell shell("board.font_02=TTF|Again|Inkmate Chess|chess.ttf\n");
    shell.start();
    const std::string log = shell.log();
    const std::string line = "Add application font: " + shell.root().file("chess.ttf");
    const size_t first = log.find(line);
    ASSERT_NE(first, std::string::npos) << log;
    EXPECT_NE(log.find(line, first + 1), std::string::npos) << log;
    EXPECT_EQ(log.find("Add application font: " + shell.root().file("pieces.png")),
              std::string::npos);
}

// The header follows a new opponent at once, and the default name the
// language: "Human" is stored in English and shown translated.
TEST(MainWindow, HeaderFollowsTheOpponentAndNamesTheLanguage)
{
    Shell shell("lang=2\nlang_1=de:Deutsch\nlang_2=ru:Русский\n"
                "engine_00=HUM|Human|-\nengine_01=UCI|Alpha|alpha\n");
    QDir().mkpath(QString::fromStdString(shell.root().file("translate")));
    testsupport::writeFile(
        shell.root().file("translate/messages.lng"),
        testsupport::readFile(testsupport::sourcePath("assets/translate/messages.lng")));
    shell.start();
    ChessQt& window = shell.window();
    const Game& game = window.controller().document().game();
    EXPECT_EQ(game.white, "Человек");
    EXPECT_EQ(game.black, "Человек");
    // The first start tells how to reach the menu.
    EXPECT_EQ(window.controller().document().tip, "Меню: держите OK или клавиша «Меню»");
    {
        GameSettingsDialog dialog(&window);
        form<QComboBox>(&dialog, "cbOpponent")->setCurrentIndex(1);
        dialog.accept();
    }
    EXPECT_EQ(g_pConfig->readString("my_name", ""), "Human");
    window.controller().onSettings();
    EXPECT_EQ(game.white, "Человек");
    EXPECT_EQ(game.black, "Alpha");
    EXPECT_EQ(game.blackPlayer, 1);
    shell.stop();
    shell.start();
    EXPECT_EQ(shell.window().controller().document().tip, "");
}
