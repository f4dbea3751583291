#include "tests/qt/shell.h"

#include "qt/chessqt.h"
#include "qt/contentsdialog.h"
#include "qt/fileopendialog.h"
#include "qt/gamesettingsdialog.h"
#include "qt/newgamedialog.h"
#include "qt/platform.h"
#include "qt/viewsettingsdialog.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLabel>

#include <gtest/gtest.h>

#include <memory>

namespace {

// What a widget of a dialog shown on a w x h screen must meet: inside the
// screen, not squeezed below its least size, a wrapped label tall enough
// for its text, a list that opens no wider than the screen.
void expect_fits(const QDialog& dialog, const QSize& screen, const std::string& where)
{
    EXPECT_EQ(dialog.size(), screen) << where;
    const QRect area(QPoint(0, 0), screen);
    for (const QWidget* widget : dialog.findChildren<QWidget*>()) {
        if (!widget->isVisible() || widget->isWindow())
            continue;
        const std::string name = where + " " + widget->metaObject()->className() + " " +
                                 widget->objectName().toStdString();
        const QRect rect(widget->mapTo(&dialog, QPoint(0, 0)), widget->size());
        EXPECT_TRUE(area.contains(rect)) << name << " at " << rect.x() << "," << rect.y() << " "
                                         << rect.width() << "x" << rect.height();
        const QSize least = widget->minimumSizeHint();
        if (least.isValid() && !qobject_cast<const QAbstractItemView*>(widget->parentWidget())) {
            EXPECT_GE(widget->width(), least.width()) << name;
        }
        if (const auto* label = qobject_cast<const QLabel*>(widget)) {
            EXPECT_GE(label->height(), label->heightForWidth(label->width())) << name;
        }
        if (const auto* box = qobject_cast<const QComboBox*>(widget)) {
            EXPECT_LE(box->view()->sizeHintForColumn(0), screen.width()) << name;
        }
    }
}

} // namespace

// Every dialog fits the readers' portrait screens in every language: its
// size is the screen's, each widget lies within it at its least size.
TEST(DialogFit, EveryDialogFitsEveryReaderScreenInEveryLanguage)
{
    const QFont oldFont = QApplication::font();
    QFont font = oldFont;
    font.setPixelSize(25);
    QApplication::setFont(font);
    qApp->setStyleSheet(
        readStyleSheet(QString::fromStdString(testsupport::sourcePath("assets/default.qss"))));
    const QString shots = qEnvironmentVariable("INKMATE_DIALOG_SHOTS");

    const QSize screens[] = {{600, 800}, {758, 1024}, {1072, 1448}, {1264, 1680}};
    const char* const languages[] = {"en", "de", "ru"};
    for (int lang = 0; lang < 3; ++lang) {
        Shell shell("lang=" + std::to_string(lang) +
                    "\nlang_1=de:Deutsch\nlang_2=ru:Русский\n"
                    "engine_00=HUM|Human|-\nengine_01=UCI|Stockfish 16.1|stockfish\n"
                    "engine_02=XBOARD|GNU Chess|gnuchess\n");
        QDir().mkpath(QString::fromStdString(shell.root().file("translate")));
        testsupport::writeFile(
            shell.root().file("translate/messages.lng"),
            testsupport::readFile(testsupport::sourcePath("assets/translate/messages.lng")));
        shell.start();
        ChessQt& window = shell.window();
        const QString data = QString::fromStdString(shell.dataPath());
        const QString base = QString::fromStdString(window.controller().document().database.path());
        for (const QSize& screen : screens) {
            window.setFixedSize(screen);
            pump();
            const std::string where = std::string(languages[lang]) + " " +
                                      std::to_string(screen.width()) + "x" +
                                      std::to_string(screen.height());
            std::unique_ptr<QDialog> dialogs[] = {
                std::make_unique<GameSettingsDialog>(&window),
                std::make_unique<ViewSettingsDialog>(&window),
                std::make_unique<NewGameDialog>(&window, 1),
                std::make_unique<FileOpenDialog>(&window, data, QStringLiteral("*.cdb"), base),
                std::make_unique<ContentsDialog>(&window,
                                                 &window.controller().document().database)};
            for (const auto& dialog : dialogs) {
                pump();
                expect_fits(*dialog, screen, where + " " + dialog->metaObject()->className());
            }
            if (!shots.isEmpty() && screen == QSize(600, 800)) {
                const QString file = shots + QStringLiteral("/game-settings-%1-600x800.png")
                                                 .arg(QLatin1String(languages[lang]));
                EXPECT_TRUE(dialogs[0]->grab().toImage().save(file, "PNG"));
            }
        }
        shell.stop();
    }
    qApp->setStyleSheet(QString());
    QApplication::setFont(oldFont);
}
