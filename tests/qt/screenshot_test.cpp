#include "tests/qt/shell.h"

#include "base/chessbase.h"
#include "qt/chessqt.h"
#include "qt/gamesettingsdialog.h"
#include "qt/platform.h"

#include <QApplication>
#include <QDir>
#include <QImage>

#include <gtest/gtest.h>

// Renders the main window as a reader sees it into the PNG file named by
// INKMATE_SCREENSHOT (scripts/screenshot.sh); skipped without it.
TEST(Screenshot, MainWindowPicture)
{
    const QString target = qEnvironmentVariable("INKMATE_SCREENSHOT");
    if (target.isEmpty())
        GTEST_SKIP() << "set INKMATE_SCREENSHOT to a PNG path";

    Shell shell("header=1\nboard.annotation=1\nhistory.size=3\nengine_00=HUM|Human|-\n"
                "engine_01=UCI|Stockfish|engines/stockfish\n");
    const std::string data = shell.root().path() + "/chess";
    QDir().mkpath(QString::fromStdString(data));
    ChessBase::importPgn(data + "/classics.cdb",
                         testsupport::sourcePath("assets/chess/classics.pgn"));
    testsupport::writeFile(shell.root().file("inkmate.cfg"),
                           testsupport::readFile(shell.root().file("inkmate.cfg")) +
                               "last_opened=" + data + "/classics.cdb\n");

    // Dressed as main dresses the application.
    const QFont oldFont = QApplication::font();
    QFont font = oldFont;
    font.setPixelSize(25);
    QApplication::setFont(font);
    qApp->setStyleSheet(
        readStyleSheet(QString::fromStdString(testsupport::sourcePath("assets/default.qss"))));

    shell.start();
    ChessQt& window = shell.window();
    // Into the game: the position after 9. Nf5 of the first game.
    shell.key(Qt::Key_H);
    shell.key(Qt::Key_Up);
    for (int i = 0; i < 17; ++i)
        shell.key(Qt::Key_Right);
    shell.key(Qt::Key_Return);
    pump();

    const QImage picture = window.grab().toImage();
    EXPECT_TRUE(picture.save(target, "PNG")) << target.toStdString();

    // A form beside it: the game settings, full screen as on the reader.
    {
        GameSettingsDialog dialog(&window);
        dialog.showNormal();
        dialog.setFixedSize(600, 800);
        pump();
        QString formTarget = target;
        formTarget.replace(QStringLiteral(".png"), QStringLiteral("-settings.png"));
        EXPECT_TRUE(dialog.grab().toImage().save(formTarget, "PNG")) << formTarget.toStdString();
        dialog.reject();
    }
    shell.stop();
    qApp->setStyleSheet(QString());
    QApplication::setFont(oldFont);
}
