#include "qt/chessqt.h"

#include "base/chessbase.h"
#include "core/configfileabstract.h"
#include "core/exception.h"
#include "core/log.h"
#include "core/trans.h"
#include "core/transqt.h"
#include "core/utils.h"
#include "qt/contentsdialog.h"
#include "qt/fileopendialog.h"
#include "qt/gamesettingsdialog.h"
#include "qt/newgamedialog.h"
#include "qt/platform.h"
#include "qt/viewsettingsdialog.h"

#include <QCloseEvent>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>

#include <exception>

namespace {

bool s_terminating = false;

QFont make_font(int pixelSize, bool bold)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize > 0 ? pixelSize : 1);
    if (bold)
        font.setWeight(QFont::Bold);
    return font;
}

QString menu_text(const char* text)
{
    return QString::fromUtf8(translated(text));
}

QMessageBox::Icon icon_for(ChessAbstract::MessageType type)
{
    switch (type) {
    case ChessAbstract::MessageInformation:
        return QMessageBox::Information;
    case ChessAbstract::MessageQuestion:
        return QMessageBox::Question;
    case ChessAbstract::MessageWarning:
        return QMessageBox::Warning;
    case ChessAbstract::MessageError:
        return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

bool same_file(const std::string& a, const std::string& b)
{
    if (a == b)
        return true;
    const QString ca = QFileInfo(QString::fromStdString(a)).absoluteFilePath();
    const QString cb = QFileInfo(QString::fromStdString(b)).absoluteFilePath();
    return ca == cb;
}

} // namespace

ChessQt::ChessQt(const QSize& windowSize)
    : QWidget(nullptr), ChessAbstract(*g_pConfig),
      m_headerBoldFont(make_font(g_pConfig->readInt("font_size_header", 27), true)),
      m_headerFont(make_font(g_pConfig->readInt("font_size_header", 27), false)),
      m_secondHeaderBoldFont(make_font(g_pConfig->readInt("font_size_header", 27), true)),
      m_annotationFont(make_font(g_pConfig->readInt("font_size_annotation", 20), false)),
      m_historyFont(make_font(g_pConfig->readInt("font_size_history", 25), false)),
      m_historyBoldFont(make_font(g_pConfig->readInt("font_size_history", 25), true)),
      m_menu(new QMenu(this)), m_progress(new QLabel(this))
{
    m_progress->setAlignment(Qt::AlignCenter);
    m_progress->setAutoFillBackground(true);
    m_progress->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_progress->setLineWidth(3);
    m_progress->hide();

    getInfoView().setPuzzleFont(&m_headerBoldFont);
    getInfoView().setResultFont(&m_headerFont);
    getInfoView().setNamesFont(&m_secondHeaderBoldFont);
    getBoardView().setAnnotationFont(&m_annotationFont);
    getHistoryView().setTextFont(&m_historyFont);
    getHistoryView().setMoveFont(&m_historyBoldFont);

    setFocusPolicy(Qt::StrongFocus);
    setWindowTitle(QStringLiteral("inkmate"));
    createMainMenu();
    applyBoardFont();

    if (windowSize.isValid()) {
        setFixedSize(windowSize);
        show();
    } else {
        showFullScreen();
    }
    eink_full_update();
}

ChessQt::~ChessQt()
{
    // The current game goes back into its base before the controller stops
    // the engine and frees the document.
    saveBaseNoThrow(getDocument().database.path().c_str());
}

// ---------------------------------------------------------------------------
// Platform operations

Rect ChessQt::getClientRect() const
{
    return Rect{0, 0, width(), height()};
}

void ChessQt::invalidate(const QRect& rect)
{
    QWidget::update(rect);
}

void ChessQt::updateAllViews(const AbstractView* except, bool full)
{
    if (!except && full) {
        QWidget::update();
        return;
    }
    AbstractView* views[] = {&getInfoView(), &getBoardView(), &getHistoryView()};
    for (AbstractView* view : views) {
        if (view == except)
            continue;
        if (full) {
            const Rect& r = view->getRect();
            QWidget::update(QRect(r.left, r.top, r.width, r.height));
        } else {
            view->update(this);
        }
    }
}

void ChessQt::completeAction(bool full)
{
    const std::string text = checkGameState();
    updateAllViews(nullptr, full);
    if (!text.empty())
        message(MessageInformation, translated("Game"), text.c_str(), 60000);
}

void ChessQt::message(MessageType type, const char* title, const char* text, int) const
{
    messageBox(icon_for(type), QString::fromUtf8(title), QString::fromUtf8(text), QMessageBox::Ok,
               nullptr);
}

bool ChessQt::askYesNo(const char* title, const char* text) const
{
    return messageBox(QMessageBox::Question, QString::fromUtf8(title), QString::fromUtf8(text),
                      QMessageBox::Yes | QMessageBox::No, nullptr) == QMessageBox::Yes;
}

void ChessQt::showHourGlassAt(int, int) const {}

void ChessQt::hideHourGlass() const {}

void ChessQt::createMainMenu()
{
    m_menu->clear();
    m_menu->addAction(menu_text("History"), this, &ChessQt::onMovesHistory);
    m_menu->addSeparator();
    m_menu->addAction(menu_text("New Game"), this, &ChessQt::onNewGame);
    m_menu->addAction(menu_text("Reset Game"), this, &ChessQt::onResetGame);
    m_menu->addSeparator();
    m_menu->addAction(menu_text("Turn Board"), this, &ChessQt::onTurnBoard);
    m_menu->addSeparator();

    QMenu* base = m_menu->addMenu(menu_text("Base"));
    base->addAction(menu_text("Open"), this, &ChessQt::onBaseOpen);
    base->addAction(menu_text("Import PGN"), this, &ChessQt::onPgnImport);
    base->addSeparator();
    base->addAction(menu_text("Contents"), this, &ChessQt::onContents);
    base->addSeparator();
    base->addAction(menu_text("Next Game"), this, &ChessQt::onBaseNextGame);
    base->addAction(menu_text("Previous Game"), this, &ChessQt::onBasePreviousGame);
    base->addAction(menu_text("First Game"), this, &ChessQt::onBaseFirstGame);
    base->addAction(menu_text("Last Game"), this, &ChessQt::onBaseLastGame);
    base->addSeparator();
    base->addAction(menu_text("Next Unsolved Puzzle"), this,
                    &ChessQt::onBaseFindNextUnsolvedPuzzle);

    QMenu* settings = m_menu->addMenu(menu_text("Settings"));
    settings->addAction(menu_text("Game"), this, &ChessQt::onGameSettings);
    settings->addAction(menu_text("View"), this, &ChessQt::onViewSettings);
    m_menu->addSeparator();
    m_menu->addAction(menu_text("Redraw Screen"), this, &ChessQt::onRedrawScreen);
    m_menu->addSeparator();
    m_menu->addAction(menu_text("Exit"), this, &QWidget::close);
}

void ChessQt::showMainMenu()
{
    m_menu->popup(mapToGlobal(QPoint(0, 0)));
}

void ChessQt::onPuzzleSolved()
{
    const int seconds = g_pConfig->readInt("next_puzzle", 0);
    if (seconds == 1 || seconds == 2)
        QTimer::singleShot(seconds * 1000, this, &ChessQt::onBaseFindNextUnsolvedPuzzle);
}

void ChessQt::onSelectGame()
{
    ChessAbstract::onSelectGame();
    eink_full_update();
}

void ChessQt::fullRefresh()
{
    eink_full_update();
}

void ChessQt::keyOkReleased()
{
    if (okOnBoard(*this))
        QTimer::singleShot(0, this, &ChessQt::onAskEngineMove);
}

void ChessQt::navigateNormal(int dx, int dy)
{
    moveBoardCursor(dx, dy, *this);
}

void ChessQt::navigateHistory(int dx, int dy)
{
    stepHistory(dx, dy, *this);
}

void ChessQt::moveFromEngine(const Move& move)
{
    // Arrives from the engine process through the event loop: errors end here.
    guarded([&] { ChessAbstract::moveFromEngine(move); });
}

// ---------------------------------------------------------------------------
// Error handling

template <typename Action> void ChessQt::guarded(Action&& action)
{
    try {
        action();
    } catch (const Exception& e) {
        if (g_pLog)
            g_pLog->write(1, e.isCritical() ? Log::Fatal : Log::Error, "Error: %s", e.what());
        message(MessageError, translated("Error"), e.what(), 0);
        if (e.isCritical())
            close();
    } catch (const std::exception& e) {
        if (g_pLog)
            g_pLog->write(1, Log::Fatal, "Error: %s", e.what());
        message(MessageError, translated("Error"), e.what(), 0);
        close();
    } catch (...) {
        if (g_pLog)
            g_pLog->write(1, Log::Fatal, "Error: Unknown error!");
        message(MessageError, translated("Error"), translated("Unknown error"), 0);
        close();
    }
}

// ---------------------------------------------------------------------------
// Events

void ChessQt::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    // Paper first: the views draw ink only where they have something.
    painter.fillRect(event->rect(), Qt::white);
    const Rect client = getClientRect();
    try {
        if (client.width != m_lastWidth || client.height != m_lastHeight) {
            m_lastWidth = client.width;
            m_lastHeight = client.height;
            ChessAbstract::layout(client);
        }
        AbstractView* views[] = {&getInfoView(), &getBoardView(), &getHistoryView()};
        for (AbstractView* view : views) {
            const Rect& r = view->getRect();
            const QRect area = event->rect() & QRect(r.left, r.top, r.width, r.height);
            if (!area.isEmpty())
                view->paint(&painter, area);
        }
    } catch (const std::exception& e) {
        // No box from inside a paint event; the next action reports again.
        if (g_pLog)
            g_pLog->write(1, Log::Error, "Error: %s", e.what());
    }
}

void ChessQt::keyPressEvent(QKeyEvent* event)
{
    guarded([&] { handleKey(event); });
}

void ChessQt::handleKey(QKeyEvent* event)
{
    const Qt::KeyboardModifiers modifiers =
        event->modifiers() & ~Qt::KeyboardModifiers(Qt::KeypadModifier);
    if (modifiers != Qt::NoModifier)
        return;
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Home:
        onRedrawScreen();
        break;
    case Qt::Key_H:
        setMode(ChessDocument::HistoryMode);
        updateAllViews(nullptr, true);
        break;
    case Qt::Key_O:
        baseOpenCommand();
        break;
    case Qt::Key_Q:
        close();
        break;
    case Qt::Key_Return:
    case Qt::Key_Select:
        if (event->isAutoRepeat())
            showMainMenu();
        else if (getMode() == ChessDocument::BoardMode)
            keyOkReleased();
        else
            continueGame();
        break;
    case Qt::Key_M:
    case Qt::Key_Menu:
        showMainMenu();
        break;
    case Qt::Key_Left:
        keyLeft();
        break;
    case Qt::Key_Up:
        keyUp();
        break;
    case Qt::Key_Right:
        keyRight();
        break;
    case Qt::Key_Down:
        keyDown();
        break;
    case Qt::Key_PageUp:
        keyPrev();
        break;
    case Qt::Key_PageDown:
        keyNext();
        break;
    default:
        break;
    }
}

void ChessQt::keyReleaseEvent(QKeyEvent*) {}

void ChessQt::mousePressEvent(QMouseEvent* event)
{
    setFocus();
    guarded([&] { onPointerDown(event->x(), event->y()); });
}

void ChessQt::mouseReleaseEvent(QMouseEvent* event)
{
    guarded([&] { onPointerUp(event->x(), event->y()); });
}

void ChessQt::setTerminating()
{
    s_terminating = true;
}

void ChessQt::closeEvent(QCloseEvent* event)
{
    // The game is stored while the user can still be told: one that cannot
    // be stored is reported and the window stays (closing again goes
    // without it).
    ChessBase& base = getDocument().database;
    if (!s_terminating && base.isOpen()) {
        try {
            base.closeGame();
        } catch (const Exception& e) {
            if (g_pLog)
                g_pLog->write(1, Log::Error, "Error: %s", e.what());
            message(MessageError, translated("Error"), e.what(), 0);
            event->ignore();
            return;
        }
    }
    QWidget::closeEvent(event);
}

// ---------------------------------------------------------------------------
// Commands

void ChessQt::onRedrawScreen()
{
    repaint();
    eink_full_update();
}

void ChessQt::onMovesHistory()
{
    setFocus();
    guarded([&] {
        setMode(ChessDocument::HistoryMode);
        updateAllViews(nullptr, true);
    });
}

void ChessQt::onTurnBoard()
{
    guarded([&] { turnBoard(); });
}

void ChessQt::onBaseNextGame()
{
    guarded([&] { keyNext(); });
}

void ChessQt::onBasePreviousGame()
{
    guarded([&] { keyPrev(); });
}

void ChessQt::onBaseFirstGame()
{
    guarded([&] { firstGame(); });
}

void ChessQt::onBaseLastGame()
{
    guarded([&] { lastGame(); });
}

void ChessQt::onBaseFindNextUnsolvedPuzzle()
{
    guarded([&] { nextUnsolvedPuzzle(); });
}

void ChessQt::onAskEngineMove()
{
    guarded([&] { playEngineMove(); });
}

void ChessQt::onResetGame()
{
    guarded([&] {
        Game& game = getDocument().game();
        if (game.flags & Game::FlagPuzzle)
            game.flags &= ~static_cast<unsigned>(Game::FlagSolved);
        game.close(false);
        game.open();
        onSelectGame();
    });
}

void ChessQt::onGameSettings()
{
    guarded([&] {
        GameSettingsDialog dialog(this);
        if (dialog.exec() == QDialog::Accepted)
            onSettings();
    });
}

void ChessQt::onViewSettings()
{
    guarded([&] {
        ViewSettingsDialog dialog(this);
        if (dialog.exec() == QDialog::Accepted)
            onSettings();
    });
}

void ChessQt::onContents()
{
    guarded([&] {
        ChessBase& base = getDocument().database;
        int gameId = 0;
        {
            ContentsDialog dialog(this, &base);
            if (dialog.exec() == QDialog::Accepted)
                gameId = dialog.gameId();
        }
        if (gameId != 0) {
            base.openGame(gameId);
            onSelectGame();
        }
    });
}

void ChessQt::onNewGame()
{
    guarded([&] { newGameCommand(); });
}

void ChessQt::newGameCommand()
{
    int white = 0;
    int black = 0;
    bool fromCurrent = false;
    bool addToBase = true;
    {
        NewGameDialog dialog(this, getOpponent());
        if (dialog.exec() != QDialog::Accepted)
            return;
        white = dialog.whitePlayer();
        black = dialog.blackPlayer();
        fromCurrent = dialog.fromCurrentPosition();
        addToBase = dialog.addToBase();
    }
    if (white != 0 && black != 0) {
        message(MessageInformation, translated("New Game"),
                translated("Two engines cannot play here: choose a human for one side."), 0);
        return;
    }

    const Game& current = getDocument().game();
    Board start;
    if (fromCurrent && current.current)
        start = current.current->boardAfter();
    else
        start.create_classic_board();
    const int parentRow = current.id >= 1 ? current.id : current.parent;

    setOpponent(white != 0 ? white : black);
    newGame(start, white, black, white != 0 ? Black : White, parentRow);
    if (!addToBase)
        getDocument().game().flags |= Game::FlagNotStored;
}

void ChessQt::onBaseOpen()
{
    guarded([&] { baseOpenCommand(); });
}

void ChessQt::baseOpenCommand()
{
    const QString chosen = getOpenFileName(QString::fromUtf8(g_pConfig->getDataPath().c_str()),
                                           QStringLiteral("*.cdb"));
    const std::string path = chosen.toUtf8().toStdString();
    const std::string open = getDocument().database.path();
    if (!path.empty() && !same_file(path, open)) {
        // A game that could not be stored keeps its base open: the error
        // reaches the user and the game stays on screen.
        saveBase(open.c_str());
        openBaseOrRestore(path, open);
    }
    updateAllViews(nullptr, true);
    onSelectGame();
}

void ChessQt::onPgnImport()
{
    guarded([&] { pgnImportCommand(); });
}

void ChessQt::pgnImportCommand()
{
    const QString chosen = getOpenFileName(QString::fromUtf8(g_pConfig->getDataPath().c_str()),
                                           QStringLiteral("*.pgn"));
    if (chosen.isEmpty())
        return;
    const std::string file = chosen.toUtf8().toStdString();
    const std::string target = get_base(file) + ".cdb";
    const std::string open = getDocument().database.path();

    // The base that is replaced must not stay open under the import.
    if (same_file(target, open))
        saveBase(open.c_str());

    ChessBase::ImportReport report;
    try {
        QElapsedTimer shown;
        shown.start();
        const QString format = trans(QStringLiteral("Importing PGN: %1 games read"));
        showProgress(format.arg(0));
        report = ChessBase::imp(target, file, [&](uint64_t, uint64_t, int games) {
            if (shown.elapsed() >= 1000) {
                shown.restart();
                showProgress(format.arg(games));
            }
        });
        hideProgress();
    } catch (const Exception& e) {
        hideProgress();
        if (g_pLog)
            g_pLog->write(1, Log::Error, "Error: %s", e.what());
        message(MessageError, translated("Error"), e.what(), 0);
        if (!getDocument().database.isOpen())
            openBaseOrRestore(open, std::string());
        updateAllViews(nullptr, true);
        onSelectGame();
        return;
    }

    saveBase(open.c_str());
    if (openBaseOrRestore(target, open) && report.skipped > 0)
        message(MessageWarning, translated("Import PGN"), report.text().c_str(), 0);
    updateAllViews(nullptr, true);
    onSelectGame();
}

bool ChessQt::openBaseOrRestore(const std::string& path, const std::string& previous)
{
    try {
        loadBase(path.c_str());
        g_pConfig->writeString("last_opened", path.c_str());
        return true;
    } catch (const Exception& e) {
        if (g_pLog)
            g_pLog->write(1, Log::Error, "Error: %s", e.what());
        message(MessageError, translated("Error"), e.what(), 0);
    }
    // Back to the base open before, else the default base: the window always
    // shows a game of an open base. "last_opened" keeps its path, so a base on
    // a card that is not mounted yet is opened again at the next start.
    for (const std::string& fallback :
         {previous, std::string(g_pConfig->getDataPath() + "/game.cdb")}) {
        if (fallback.empty() || same_file(fallback, path))
            continue;
        try {
            loadBase(fallback.c_str());
            return false;
        } catch (const Exception& e) {
            if (g_pLog)
                g_pLog->write(1, Log::Error, "Error: %s", e.what());
        }
    }
    throw Exception(true, translated("No game base can be opened."));
}

QString ChessQt::getOpenFileName(const QString& directory, const QString& filter)
{
    FileOpenDialog dialog(this, directory, filter);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.path();
}

std::string ChessQt::defaultBasePath()
{
    const std::string fallback = g_pConfig->getDataPath() + "/game.cdb";
    return g_pConfig->readString("last_opened", fallback.c_str());
}

void ChessQt::showProgress(const QString& text)
{
    m_progress->setText(text);
    const int w = width() * 4 / 5;
    const int h = 120;
    m_progress->setGeometry((width() - w) / 2, (height() - h) / 2, w, h);
    m_progress->show();
    m_progress->raise();
    m_progress->repaint();
}

void ChessQt::hideProgress()
{
    m_progress->hide();
}
