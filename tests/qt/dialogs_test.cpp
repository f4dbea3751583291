#include "tests/qt/shell.h"

#include "app/settings.h"
#include "base/chessbase.h"
#include "core/configfileabstract.h"
#include "core/configfileqt.h"
#include "qt/chessbasemodel.h"
#include "qt/chessqt.h"
#include "qt/contentsdialog.h"
#include "qt/fileopendialog.h"
#include "qt/gamesettingsdialog.h"
#include "qt/newgamedialog.h"
#include "qt/platform.h"
#include "qt/promotiondialog.h"
#include "qt/viewsettingsdialog.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeView>

#include <gtest/gtest.h>

namespace {

const char kEngines[] = "engine_00=HUM|Human|-\n"
                        "engine_01=UCI|Alpha|alpha\n"
                        "engine_02=XBOARD|Beta|beta\n";

// The stored keys a settings dialog may write.
const char* const kKeys[] = {"opponent",
                             "level",
                             "promotion",
                             "my_name",
                             "lang",
                             "header",
                             "history.size",
                             "next_puzzle",
                             "board.annotation",
                             "board.inner.frame",
                             "board.outer.frame",
                             "board.font",
                             "board.font.aa"};

std::string stored_keys()
{
    std::string text;
    for (const char* key : kKeys)
        text += std::string(key) + "=" + g_pConfig->readString(key, "<none>") + ";";
    return text;
}

} // namespace

TEST(DialogKeys, LeftCancelsRightAcceptsEscapeCancelsOnRelease)
{
    Shell shell(kEngines);
    shell.start();
    {
        NewGameDialog dialog(&shell.window(), 0);
        ASSERT_TRUE(dialog.isVisible());
        press_key(&dialog, Qt::Key_Left);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    }
    {
        NewGameDialog dialog(&shell.window(), 0);
        press_key(&dialog, Qt::Key_Right);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    {
        NewGameDialog dialog(&shell.window(), 0);
        send_key(&dialog, Qt::Key_Escape, KeyPressOnly);
        EXPECT_TRUE(dialog.isVisible()) << "Escape must not cancel on the press";
        send_key(&dialog, Qt::Key_Escape, KeyReleaseOnly);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    }
    // Every dialog asks for a full refresh when it goes.
    const int before = eink_full_update_count();
    {
        GameSettingsDialog dialog(&shell.window());
    }
    EXPECT_EQ(eink_full_update_count(), before + 1);
}

TEST(GameSettingsDialog, DefaultsAndWritesOnlyWhenConfirmed)
{
    Shell shell(kEngines);
    shell.start();
    const std::string untouched = stored_keys();
    {
        GameSettingsDialog dialog(&shell.window());
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Game"));
        EXPECT_EQ(form<QComboBox>(&dialog, "cbOpponent")->count(), 3);
        EXPECT_EQ(form<QComboBox>(&dialog, "cbOpponent")->currentText(), QStringLiteral("Human"));
        EXPECT_EQ(form<QComboBox>(&dialog, "cbLevel")->count(), 15);
        // The controller stores the level at every start.
        EXPECT_EQ(form<QComboBox>(&dialog, "cbLevel")->currentIndex(),
                  g_pConfig->readInt("level", -1));
        EXPECT_EQ(form<QComboBox>(&dialog, "cbPromotion")->currentText(), QStringLiteral("Queen"));
        EXPECT_EQ(form<QLineEdit>(&dialog, "leMyName")->text(), QStringLiteral("Human"));
        form<QComboBox>(&dialog, "cbOpponent")->setCurrentIndex(2);
        form<QComboBox>(&dialog, "cbLevel")->setCurrentIndex(0);
        press_key(&dialog, Qt::Key_Left);
    }
    EXPECT_EQ(stored_keys(), untouched);
    {
        GameSettingsDialog dialog(&shell.window());
        form<QComboBox>(&dialog, "cbOpponent")->setCurrentIndex(2);
        form<QComboBox>(&dialog, "cbLevel")->setCurrentIndex(0);
        form<QComboBox>(&dialog, "cbPromotion")->setCurrentIndex(3);
        form<QLineEdit>(&dialog, "leMyName")->setText(QStringLiteral("Анна"));
        form<QComboBox>(&dialog, "cbOpponent")->setFocus();
        press_key(&dialog, Qt::Key_Right);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    EXPECT_EQ(g_pConfig->readInt("opponent", -1), 2);
    EXPECT_EQ(g_pConfig->readInt("level", -1), 0);
    EXPECT_EQ(g_pConfig->readInt("promotion", -1), 3);
    EXPECT_EQ(g_pConfig->readString("my_name", ""), "Анна");

    // Without any stored key: level "1" (index 0, as the program plays), Queen, the human.
    testsupport::TempDir empty;
    ConfigFileAbstract* running = g_pConfig;
    g_pConfig = new ConfigFileQt(QString::fromStdString(empty.path()));
    {
        GameSettingsDialog dialog(&shell.window());
        EXPECT_EQ(form<QComboBox>(&dialog, "cbLevel")->currentText(),
                  QString::fromUtf8("1 · beginner, up to 1 s"));
        EXPECT_EQ(form<QComboBox>(&dialog, "cbOpponent")->currentIndex(), 0);
        EXPECT_EQ(form<QComboBox>(&dialog, "cbPromotion")->currentText(), QStringLiteral("Queen"));
        EXPECT_EQ(form<QLineEdit>(&dialog, "leMyName")->text(), QStringLiteral("Human"));
        press_key(&dialog, Qt::Key_Right);
    }
    EXPECT_EQ(stored_keys(), "opponent=0;level=0;promotion=0;my_name=Human;lang=<none>;"
                             "header=<none>;history.size=<none>;next_puzzle=<none>;"
                             "board.annotation=<none>;board.inner.frame=<none>;"
                             "board.outer.frame=<none>;board.font=<none>;board.font.aa=<none>;");
    delete g_pConfig;
    g_pConfig = running;

    // A stored index outside a list selects nothing and is stored as the first entry.
    g_pConfig->writeInt("opponent", 7);
    g_pConfig->writeInt("level", -3);
    {
        GameSettingsDialog dialog(&shell.window());
        EXPECT_EQ(form<QComboBox>(&dialog, "cbOpponent")->currentIndex(), -1);
        EXPECT_EQ(form<QComboBox>(&dialog, "cbLevel")->currentIndex(), 0);
        dialog.accept();
    }
    EXPECT_EQ(g_pConfig->readInt("opponent", -1), 0);
}

TEST(ViewSettingsDialog, DefaultsAndWritesOnlyWhenConfirmed)
{
    Shell shell("lang_1=de:Deutsch\nlang_2=ru:Русский\n");
    shell.start();
    const std::string untouched = stored_keys();
    {
        ViewSettingsDialog dialog(&shell.window());
        EXPECT_EQ(form<QComboBox>(&dialog, "cbHistorySize")->currentText(), QStringLiteral("30%"));
        EXPECT_EQ(form<QComboBox>(&dialog, "cbHistorySize")->count(), 6);
        EXPECT_EQ(form<QComboBox>(&dialog, "cbPiecesSet")->count(), 2);
        EXPECT_EQ(form<QComboBox>(&dialog, "cbPiecesSet")->currentText(),
                  QStringLiteral("Inkmate"));
        EXPECT_EQ(form<QComboBox>(&dialog, "cbAutoNextPuzzle")->currentText(),
                  QStringLiteral("Off"));
        EXPECT_EQ(form<QComboBox>(&dialog, "cbLanguage")->count(), 3);
        EXPECT_EQ(form<QComboBox>(&dialog, "cbLanguage")->currentIndex(), 0);
        // Header and coordinates are off by default, frames and smoothing on.
        EXPECT_FALSE(form<QCheckBox>(&dialog, "chkHeader")->isChecked());
        EXPECT_FALSE(form<QCheckBox>(&dialog, "chkBoardAnnotation")->isChecked());
        for (QCheckBox* box : {form<QCheckBox>(&dialog, "chkBoardInnerFrame"),
                               form<QCheckBox>(&dialog, "chkBoardOuterFrame"),
                               form<QCheckBox>(&dialog, "chkAntialiasing")})
            EXPECT_TRUE(box->isChecked()) << box->objectName().toStdString();
        form<QCheckBox>(&dialog, "chkHeader")->setChecked(false);
        press_key(&dialog, Qt::Key_Left);
    }
    EXPECT_EQ(stored_keys(), untouched);
    {
        ViewSettingsDialog dialog(&shell.window());
        form<QComboBox>(&dialog, "cbHistorySize")->setCurrentIndex(0);
        form<QComboBox>(&dialog, "cbPiecesSet")->setCurrentIndex(1);
        form<QComboBox>(&dialog, "cbAutoNextPuzzle")->setCurrentIndex(2);
        form<QComboBox>(&dialog, "cbLanguage")->setCurrentIndex(1);
        form<QCheckBox>(&dialog, "chkHeader")->setChecked(false);
        form<QCheckBox>(&dialog, "chkAntialiasing")->setChecked(false);
        press_key(&dialog, Qt::Key_Right);
    }
    // (level and promotion are stored by the controller at start.)
    EXPECT_EQ(stored_keys(), "opponent=<none>;level=0;promotion=0;my_name=<none>;"
                             "lang=1;header=0;history.size=0;next_puzzle=2;board.annotation=0;"
                             "board.inner.frame=1;board.outer.frame=1;board.font=1;"
                             "board.font.aa=0;");
}

// The program and the dialogs share every default: from a configuration
// without the settings, confirming each settings dialog as shown changes no
// value read and nothing on the screen.
TEST(SettingsDialogs, ConfirmedAsShownChangeNothing)
{
    Shell shell(kEngines);
    shell.start();
    ChessQt& window = shell.window();
    const Settings settings(g_pConfig);
    const auto values = [&] {
        std::string text;
        for (int i = 0; i < Settings::IntCount; ++i) {
            const auto which = static_cast<Settings::Int>(i);
            text += std::string(Settings::info(which).key) + "=" +
                    std::to_string(settings.value(which)) + ";";
        }
        for (int i = 0; i < Settings::FlagCount; ++i) {
            const auto which = static_cast<Settings::Flag>(i);
            text += std::string(Settings::info(which).key) + "=" +
                    std::to_string(settings.flag(which)) + ";";
        }
        return text + "my_name=" + settings.myName();
    };
    const std::string before = values();
    EXPECT_EQ(before.find("header=1"), std::string::npos);
    EXPECT_NE(before.find("level=0"), std::string::npos);
    const QImage screen = window.grab().toImage();
    // Coordinates beside the board would make its squares smaller.
    const int cell = window.controller().screen().boardView().getCellSize();

    on_next_dialog([](QDialog* dialog) { press_key(dialog, Qt::Key_Right); });
    window.onGameSettings();
    on_next_dialog([](QDialog* dialog) { press_key(dialog, Qt::Key_Right); });
    window.onViewSettings();

    EXPECT_EQ(values(), before);
    EXPECT_EQ(window.controller().engine().getLevel(), 0);
    EXPECT_EQ(window.controller().screen().boardView().getCellSize(), cell);
    EXPECT_EQ(window.controller().screen().infoView().getRect().height, 0);
    EXPECT_TRUE(window.grab().toImage() == screen);
}

TEST(NewGameDialog, SwapsPlayersAndSetsEachSidesClock)
{
    Shell shell(kEngines);
    shell.start();
    NewGameDialog dialog(&shell.window(), 2);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("New Game"));
    EXPECT_EQ(dialog.whitePlayer(), 0);
    EXPECT_EQ(dialog.blackPlayer(), 2);
    EXPECT_EQ(form<QComboBox>(&dialog, "cbPlayerWhite")->count(), 3);
    EXPECT_EQ(form<QComboBox>(&dialog, "cbPlayerBlack")->itemText(1), QStringLiteral("Alpha"));
    form<QPushButton>(&dialog, "btnSwap")->click();
    EXPECT_EQ(dialog.whitePlayer(), 2);
    EXPECT_EQ(dialog.blackPlayer(), 0);
    form<QComboBox>(&dialog, "cbPlayerBlack")->setCurrentIndex(2);
    dialog.onSwap();
    EXPECT_EQ(dialog.whitePlayer(), 2);
    EXPECT_EQ(dialog.blackPlayer(), 2);
    EXPECT_FALSE(form<QCheckBox>(&dialog, "chkChess960")->isEnabled());

    // None, the presets, custom minutes and increment.
    QComboBox* white = form<QComboBox>(&dialog, "cbControlWhite");
    QComboBox* black = form<QComboBox>(&dialog, "cbControlBlack");
    EXPECT_EQ(white->count(), 8);
    EXPECT_FALSE(dialog.timeControl().enabled());
    white->setCurrentIndex(1);
    EXPECT_EQ(white->currentText(), QStringLiteral("5 + 3"));
    black->setCurrentIndex(black->count() - 1);
    auto spins = dialog.findChildren<QSpinBox*>();
    ASSERT_EQ(spins.size(), 4);
    EXPECT_FALSE(spins[0]->isEnabled());
    ASSERT_TRUE(spins[2]->isEnabled());
    spins[2]->setValue(12);
    spins[3]->setValue(7);
    const GameTimeControl control = dialog.timeControl();
    EXPECT_EQ(control.side[White], (TimeControl{300000, 3000}));
    EXPECT_EQ(control.side[Black], (TimeControl{720000, 7000}));
}

TEST(FileOpenDialog, FoldersOpenInTheTreeAndOnlyFilesAreChosen)
{
    Shell shell;
    shell.start();
    const std::string folder = shell.dataPath() + "/sub";
    QDir().mkpath(QString::fromStdString(folder));
    testsupport::writeFile(shell.dataPath() + "/a.pgn", "");
    testsupport::writeFile(folder + "/b.pgn", "");
    testsupport::writeFile(shell.dataPath() + "/c.txt", "");

    FileOpenDialog dialog(&shell.window(), QString::fromStdString(shell.dataPath()),
                          QStringLiteral("*.pgn"));
    QFileSystemModel* model = dialog.model();
    const QModelIndex top = model->index(QString::fromStdString(shell.dataPath()));
    ASSERT_TRUE(wait_until([&] { return model->rowCount(top) >= 2; }));
    // Only the folder and the matching file: game.cdb and c.txt are hidden.
    pump();
    EXPECT_EQ(model->rowCount(top), 2);
    // Ok without a current item keeps the dialog open.
    dialog.view()->setCurrentIndex(QModelIndex());
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());

    // Activating a folder opens it and keeps the dialog.
    const QModelIndex sub = model->index(QString::fromStdString(folder));
    dialog.view()->setCurrentIndex(sub);
    press_key(&dialog, Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.view()->isExpanded(sub));
    EXPECT_TRUE(dialog.path().isEmpty());
    ASSERT_TRUE(wait_until([&] { return model->rowCount(sub) == 1; }));

    dialog.view()->setCurrentIndex(model->index(QString::fromStdString(folder + "/b.pgn")));
    press_key(&dialog, Qt::Key_Right);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.path().toStdString(), folder + "/b.pgn");
}

// Under German: translated buttons in both tree dialogs; the file dialog
// starts at the open base, selected, not at the first entry.
TEST(FileOpenDialog, StartsAtTheOpenBaseWithTranslatedButtons)
{
    Shell shell("lang=1\nlang_1=de:Deutsch\n");
    QDir().mkpath(QString::fromStdString(shell.root().file("translate")));
    testsupport::writeFile(
        shell.root().file("translate/messages.lng"),
        testsupport::readFile(testsupport::sourcePath("assets/translate/messages.lng")));
    QDir().mkpath(QString::fromStdString(shell.dataPath()));
    for (int i = 0; i < 40; ++i)
        testsupport::writeFile(shell.dataPath() + "/a" + std::to_string(10 + i) + ".cdb", "");
    shell.start();
    const QString open =
        QString::fromStdString(shell.window().controller().document().database.path());
    ASSERT_TRUE(open.endsWith(QStringLiteral("/game.cdb"))) << open.toStdString();
    const auto buttonTexts = [](const QDialog& dialog) {
        QStringList texts;
        for (const QPushButton* button : dialog.findChildren<QPushButton*>())
            texts << button->text();
        texts.sort();
        return texts;
    };
    const QStringList german{QStringLiteral("Abbrechen"), QStringLiteral("OK")};

    FileOpenDialog files(&shell.window(), QString::fromStdString(shell.dataPath()),
                         QStringLiteral("*.cdb"), open);
    const QModelIndex current = files.view()->currentIndex();
    ASSERT_TRUE(current.isValid());
    EXPECT_EQ(files.model()->filePath(current), open);
    EXPECT_TRUE(files.view()->selectionModel()->isSelected(current));
    // The list takes the window's height, the open base in view below many others.
    EXPECT_EQ(files.height(), shell.window().height());
    const auto inView = [](const QAbstractItemView* view, const QModelIndex& index) {
        const QRect rect = view->visualRect(index);
        return rect.top() >= 0 && rect.bottom() < view->viewport()->height();
    };
    EXPECT_TRUE(wait_until([&] {
        return files.model()->rowCount(current.parent()) == 41 && inView(files.view(), current);
    }));
    EXPECT_EQ(buttonTexts(files), german);
    press_key(&files, Qt::Key_Right);
    EXPECT_EQ(files.path(), open);

    ContentsDialog contents(&shell.window(), &shell.window().controller().document().database);
    EXPECT_EQ(buttonTexts(contents), german);
}

TEST(ContentsDialog, ShowsTheTreeWithTheCurrentEntrySelected)
{
    Shell shell;
    testsupport::writeFile(shell.root().file("book.pgn"),
                           "[Header \"1Part one\"]\n\n*\n\n"
                           "[Header \"2Traps\"]\n\n*\n\n"
                           "[White \"A\"]\n[Black \"B\"]\n\n1. e4 e5 *\n\n"
                           "[White \"C\"]\n[Black \"D\"]\n\n1. d4 d5 *\n\n"
                           "[Header \"2Endings\"]\n\n*\n\n"
                           "[White \"E\"]\n[Black \"F\"]\n\n1. c4 c5 *\n\n"
                           "[Header \"1Part two\"]\n\n*\n\n"
                           "[White \"G\"]\n[Black \"H\"]\n\n1. Nf3 Nf6 *\n");
    ChessBase::importPgn(shell.root().file("book.cdb"), shell.root().file("book.pgn"));
    shell.start();

    ChessBase base;
    base.open(shell.root().file("book.cdb"));
    base.openGame(3);
    {
        ChessBaseModel model;
        EXPECT_EQ(model.rowCount(QModelIndex()), 0);
        EXPECT_FALSE(model.index(0, 0, QModelIndex()).isValid());
        model.setBase(&base);
        ASSERT_EQ(model.rowCount(QModelIndex()), 2);
        const QModelIndex one = model.index(0, 0, QModelIndex());
        EXPECT_EQ(model.data(one, Qt::DisplayRole).toString(), QStringLiteral("Part one"));
        EXPECT_FALSE(model.data(one, Qt::DecorationRole).isValid());
        EXPECT_EQ(model.columnCount(one), 1);
        ASSERT_EQ(model.rowCount(one), 2);
        const QModelIndex endings = model.index(1, 0, one);
        EXPECT_EQ(model.data(endings, Qt::DisplayRole).toString(), QStringLiteral("Endings"));
        EXPECT_EQ(model.parent(endings), one);
        EXPECT_FALSE(model.parent(one).isValid());
        EXPECT_FALSE(model.index(2, 0, one).isValid());
        EXPECT_FALSE(model.hasChildren(endings));
        EXPECT_EQ(model.gameId(endings), 3);
        EXPECT_EQ(model.currentIndex(), endings);
    }
    {
        ContentsDialog dialog(&shell.window(), &base);
        const QModelIndex current = dialog.view()->currentIndex();
        ASSERT_TRUE(current.isValid());
        EXPECT_EQ(current.data().toString(), QStringLiteral("Endings"));
        EXPECT_TRUE(dialog.view()->isExpanded(current.parent()));
        press_key(&dialog, Qt::Key_Down); // Part two
        press_key(&dialog, Qt::Key_Right);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(dialog.gameId(), 4);
    }
    {
        ContentsDialog dialog(&shell.window(), &base);
        press_key(&dialog, Qt::Key_Left);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_EQ(dialog.gameId(), 0);
    }
    // A base without contents: its games, the current one in view.
    std::string pgn;
    for (int i = 1; i <= 60; ++i)
        pgn += "[White \"W" + std::to_string(i) + "\"]\n[Black \"B" + std::to_string(i) +
               "\"]\n[Result \"" + (i % 2 ? "1-0" : "1/2-1/2") + "\"]\n\n1. e4 e5 " +
               (i % 2 ? "1-0" : "1/2-1/2") + "\n\n";
    testsupport::writeFile(shell.root().file("games.pgn"), pgn);
    ChessBase::importPgn(shell.root().file("games.cdb"), shell.root().file("games.pgn"));
    ChessBase games;
    games.open(shell.root().file("games.cdb"));
    games.openGame(45);
    {
        ContentsDialog dialog(&shell.window(), &games);
        pump();
        const QModelIndex current = dialog.view()->currentIndex();
        EXPECT_EQ(current.data().toString(), QStringLiteral("45. W45 - B45  1-0"));
        EXPECT_EQ(dialog.view()->model()->rowCount(QModelIndex()), 60);
        const QRect rect = dialog.view()->visualRect(current);
        EXPECT_TRUE(rect.top() >= 0 && rect.bottom() < dialog.view()->viewport()->height());
        press_key(&dialog, Qt::Key_Down);
        EXPECT_EQ(dialog.view()->currentIndex().data().toString(),
                  QStringLiteral("46. W46 - B46  1/2-1/2"));
        press_key(&dialog, Qt::Key_Right);
        EXPECT_EQ(dialog.gameId(), 46);
    }
    // An empty base: an empty list, and accepting yields 0.
    ChessBase plain;
    plain.open(shell.root().file("plain.cdb"));
    ContentsDialog dialog(&shell.window(), &plain);
    EXPECT_FALSE(dialog.view()->currentIndex().isValid());
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.gameId(), 0);
}

// Without a keyboard: Up and Down walk the fields, OK opens a list, toggles a
// box or presses a button.
TEST(DialogKeys, FormsAreUsableWithArrowsAndOk)
{
    Shell shell(kEngines);
    shell.start();
    {
        NewGameDialog dialog(&shell.window(), 1);
        ASSERT_EQ(dialog.focusWidget(), form<QComboBox>(&dialog, "cbPlayerWhite"));
        press_key(&dialog, Qt::Key_Down);
        EXPECT_EQ(dialog.focusWidget(), form<QComboBox>(&dialog, "cbControlWhite"));
        press_key(&dialog, Qt::Key_Down); // no clock: its fields are passed over
        EXPECT_EQ(dialog.focusWidget(), form<QComboBox>(&dialog, "cbPlayerBlack"));
        press_key(&dialog, Qt::Key_Down);
        press_key(&dialog, Qt::Key_Down);
        EXPECT_EQ(dialog.focusWidget(), form<QCheckBox>(&dialog, "chkAddToBase"));
        press_key(&dialog, Qt::Key_Return);
        EXPECT_FALSE(form<QCheckBox>(&dialog, "chkAddToBase")->isChecked());
        press_key(&dialog, Qt::Key_Down);
        press_key(&dialog, Qt::Key_Return);
        EXPECT_TRUE(form<QCheckBox>(&dialog, "chkCurrPos")->isChecked());
        press_key(&dialog, Qt::Key_Down); // Chess 960 is disabled
        EXPECT_EQ(dialog.focusWidget(), form<QPushButton>(&dialog, "btnPlay"));
        press_key(&dialog, Qt::Key_Down);
        press_key(&dialog, Qt::Key_Return); // Swap
        EXPECT_EQ(dialog.whitePlayer(), 1);
        EXPECT_EQ(dialog.blackPlayer(), 0);
        EXPECT_TRUE(dialog.isVisible());
        press_key(&dialog, Qt::Key_Up);
        press_key(&dialog, Qt::Key_Return); // Play
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    {
        GameSettingsDialog dialog(&shell.window());
        const int level = form<QComboBox>(&dialog, "cbLevel")->currentIndex();
        press_key(&dialog, Qt::Key_Down);
        ASSERT_EQ(dialog.focusWidget(), form<QComboBox>(&dialog, "cbLevel"));
        press_key(&dialog, Qt::Key_Return);
        QAbstractItemView* list = form<QComboBox>(&dialog, "cbLevel")->view();
        ASSERT_TRUE(wait_until([&] { return list->isVisible(); }, 2000));
        send_key(list, Qt::Key_Down);
        send_key(list, Qt::Key_Down);
        send_key(list, Qt::Key_Return);
        ASSERT_TRUE(wait_until([&] { return !list->isVisible(); }, 2000));
        EXPECT_EQ(form<QComboBox>(&dialog, "cbLevel")->currentIndex(), level + 2);
        EXPECT_TRUE(dialog.isVisible());
        // Back (Escape) in an open list closes the list, not the dialog.
        press_key(&dialog, Qt::Key_Return);
        ASSERT_TRUE(wait_until([&] { return list->isVisible(); }, 2000));
        send_key(list, Qt::Key_Escape, KeyPressOnly);
        ASSERT_TRUE(wait_until([&] { return !list->isVisible(); }, 2000));
        send_key(dialog.focusWidget(), Qt::Key_Escape, KeyReleaseOnly);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(form<QComboBox>(&dialog, "cbLevel")->currentIndex(), level + 2);
        // Left and Right edit the name, not the dialog.
        press_key(&dialog, Qt::Key_Down);
        press_key(&dialog, Qt::Key_Down);
        ASSERT_EQ(dialog.focusWidget(), form<QLineEdit>(&dialog, "leMyName"));
        press_key(&dialog, Qt::Key_Left);
        EXPECT_TRUE(dialog.isVisible());
        press_key(&dialog, Qt::Key_Down);
        EXPECT_EQ(dialog.focusWidget(), form<QPushButton>(&dialog, "btnOk"));
        press_key(&dialog, Qt::Key_Right);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    EXPECT_EQ(g_pConfig->readInt("level", -1), 2);
}

// A text field keeps Left and Right for its cursor; Up and Down leave it and
// OK confirms the dialog.
TEST(DialogKeys, TextFieldIsLeftWithUpAndDownAndConfirmedWithOk)
{
    Shell shell(kEngines);
    shell.start();
    GameSettingsDialog dialog(&shell.window());
    QLineEdit* name = form<QLineEdit>(&dialog, "leMyName");
    for (int i = 0; i < 10 && dialog.focusWidget() != name; ++i)
        press_key(&dialog, Qt::Key_Down);
    ASSERT_EQ(dialog.focusWidget(), name);
    name->setText(QStringLiteral("Ann"));
    press_key(&dialog, Qt::Key_Left);
    EXPECT_EQ(name->cursorPosition(), 2);
    press_key(&dialog, Qt::Key_Up);
    EXPECT_NE(dialog.focusWidget(), name);
    press_key(&dialog, Qt::Key_Down);
    ASSERT_EQ(dialog.focusWidget(), name);
    EXPECT_TRUE(dialog.isVisible());
    press_key(&dialog, Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(g_pConfig->readString("my_name", ""), "Ann");
}

// The piece of a promotion: Queen first; Down and OK pick another, a touch
// picks its button, Right takes the one with the focus, Left takes it back.
TEST(PromotionDialog, KeysAndTouchChooseThePiece)
{
    Shell shell(kEngines);
    shell.start();
    {
        PromotionDialog dialog(&shell.window());
        dialog.show();
        EXPECT_EQ(dialog.focusWidget(), dialog.button(0));
        press_key(&dialog, Qt::Key_Right);
        EXPECT_EQ(dialog.choice(), 0);
    }
    {
        PromotionDialog dialog(&shell.window());
        dialog.show();
        press_key(&dialog, Qt::Key_Down);
        press_key(&dialog, Qt::Key_Down);
        press_key(&dialog, Qt::Key_Return);
        EXPECT_EQ(dialog.choice(), 2);
    }
    {
        PromotionDialog dialog(&shell.window());
        dialog.show();
        dialog.button(3)->click();
        EXPECT_EQ(dialog.choice(), 3);
    }
    {
        PromotionDialog dialog(&shell.window());
        dialog.show();
        press_key(&dialog, Qt::Key_Left);
        EXPECT_EQ(dialog.choice(), -1);
    }
}
