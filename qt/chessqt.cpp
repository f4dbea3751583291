#include "qt/chessqt.h"

#include "core/configfileabstract.h"
#include "core/exception.h"
#include "core/log.h"
#include "core/trans.h"
#include "qt/contentsdialog.h"
#include "qt/fileopendialog.h"
#include "qt/gamesettingsdialog.h"
#include "qt/newgamedialog.h"
#include "qt/platform.h"
#include "qt/viewsettingsdialog.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>

#include <exception>
#include <utility>

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
    // Indexed by MessageType: information, question, warning, error.
    const QMessageBox::Icon icons[] = {QMessageBox::NoIcon, QMessageBox::Information,
                                       QMessageBox::Question, QMessageBox::Warning,
                                       QMessageBox::Critical};
    return type >= 1 && type <= 4 ? icons[type] : QMessageBox::NoIcon;
}

} // namespace

ChessQt::ChessQt(const QSize& windowSize)
    : QWidget(nullptr), ChessAbstract(*g_pConfig),
      m_headerBoldFont(make_font(m_settings.value(Settings::FontSizeHeader), true)),
      m_headerFont(make_font(m_settings.value(Settings::FontSizeHeader), false)),
      m_secondHeaderBoldFont(make_font(m_settings.value(Settings::FontSizeHeader), true)),
      m_annotationFont(make_font(m_settings.value(Settings::FontSizeAnnotation), false)),
      m_historyFont(make_font(m_settings.value(Settings::FontSizeHistory), false)),
      m_historyBoldFont(make_font(m_settings.value(Settings::FontSizeHistory), true)),
      m_menu(new QMenu(this)), m_progress(new QLabel(this)), m_okHold(new QTimer(this))
{
    m_okHold->setSingleShot(true);
    m_okHold->setInterval(KeyHold::kHoldMs);
    connect(m_okHold, &QTimer::timeout, this, [this] { runStep(&ChessAbstract::okKeyHoldTime); });

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

void ChessQt::createMainMenu()
{
    m_menu->clear();
    m_menu->addAction(menu_text("History"), this, &ChessQt::onMovesHistory);
    m_menu->addSeparator();
    m_menu->addAction(menu_text("New Game"), this, &ChessQt::onNewGame);
    addStep(m_menu, "Reset Game", &ChessAbstract::resetGame);
    addStep(m_menu, "Take back", &ChessAbstract::takeBack);
    m_menu->addSeparator();
    addStep(m_menu, "Hint", &ChessAbstract::hint);
    addStep(m_menu, "Show Solution", &ChessAbstract::showSolution);
    m_menu->addSeparator();
    addStep(m_menu, "Turn Board", &ChessAbstract::turnBoard);
    m_menu->addSeparator();

    QMenu* base = m_menu->addMenu(menu_text("Base"));
    base->addAction(menu_text("Open"), this, &ChessQt::onBaseOpen);
    base->addAction(menu_text("Import PGN"), this, &ChessQt::onPgnImport);
    base->addSeparator();
    base->addAction(menu_text("Contents"), this, &ChessQt::onContents);
    base->addSeparator();
    addStep(base, "Next Game", &ChessAbstract::keyNext);
    addStep(base, "Previous Game", &ChessAbstract::keyPrev);
    addStep(base, "First Game", &ChessAbstract::firstGame);
    addStep(base, "Last Game", &ChessAbstract::lastGame);
    base->addSeparator();
    addStep(base, "Next Unsolved Puzzle", &ChessAbstract::nextUnsolvedPuzzle);
    addStep(base, "Retry Failed Puzzles", &ChessAbstract::retryFailedPuzzles);

    QMenu* settings = m_menu->addMenu(menu_text("Settings"));
    settings->addAction(menu_text("Game"), this, &ChessQt::onGameSettings);
    settings->addAction(menu_text("View"), this, &ChessQt::onViewSettings);
    m_menu->addSeparator();
    m_menu->addAction(menu_text("Redraw Screen"), this, &ChessQt::onRedrawScreen);
    m_menu->addSeparator();
    m_menu->addAction(menu_text("Exit"), this, &QWidget::close);
}

void ChessQt::addStep(QMenu* menu, const char* text, Step step)
{
    menu->addAction(menu_text(text), this, [this, step] { runStep(step); });
}

void ChessQt::runStep(Step step)
{
    guarded([&] { (this->*step)(); });
}

bool ChessQt::eventFilter(QObject* watched, QEvent* event)
{
    // The repeats of the OK that opened the menu are no choice in it.
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        const auto* key = static_cast<const QKeyEvent*>(event);
        if (key->isAutoRepeat() && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
                                    key->key() == Qt::Key_Select))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

void ChessQt::showMainMenu()
{
    m_menu->installEventFilter(this);
    for (QMenu* submenu : m_menu->findChildren<QMenu*>())
        submenu->installEventFilter(this);
    m_menu->popup(mapToGlobal(QPoint(0, 0)));
}

void ChessQt::onPuzzleSolved()
{
    const int seconds = m_settings.value(Settings::NextPuzzle);
    if (seconds > 0)
        QTimer::singleShot(seconds * 1000, this,
                           [this] { runStep(&ChessAbstract::nextUnsolvedPuzzle); });
}

void ChessQt::fullRefresh()
{
    eink_full_update();
}

void ChessQt::startEngineTurn()
{
    QTimer::singleShot(0, this, [this] { runStep(&ChessAbstract::playEngineMove); });
}

void ChessQt::showProgress(const std::string& text)
{
    if (text.empty()) {
        m_progress->hide();
        return;
    }
    m_progress->setText(QString::fromStdString(text));
    const int w = width() * 4 / 5;
    const int h = 120;
    m_progress->setGeometry((width() - w) / 2, (height() - h) / 2, w, h);
    m_progress->show();
    m_progress->raise();
    m_progress->repaint();
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
        showError(e.what(), e.isCritical() ? Log::Fatal : Log::Error);
        if (e.isCritical())
            close();
    } catch (const std::exception& e) {
        showError(e.what(), Log::Fatal);
        close();
    } catch (...) {
        showError(translated("Unknown error"), Log::Fatal);
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
    try {
        ChessAbstract::paint(painter, event->rect());
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
        return;
    case Qt::Key_O:
        openBase(chooseFile(QStringLiteral("*.cdb")));
        return;
    case Qt::Key_Q:
        close();
        return;
    case Qt::Key_Return:
    case Qt::Key_Select:
        // OK acts on its release; held down it opens the menu instead.
        if (okKeyDown(event->isAutoRepeat()))
            m_okHold->start();
        return;
    default:
        break;
    }
    // Keys that run one controller step.
    static const std::pair<int, Step> steps[] = {
        {Qt::Key_H, &ChessAbstract::showHistory},      {Qt::Key_I, &ChessAbstract::hint},
        {Qt::Key_Backspace, &ChessAbstract::takeBack}, {Qt::Key_M, &ChessAbstract::showMainMenu},
        {Qt::Key_Menu, &ChessAbstract::showMainMenu},  {Qt::Key_Left, &ChessAbstract::keyLeft},
        {Qt::Key_Up, &ChessAbstract::keyUp},           {Qt::Key_Right, &ChessAbstract::keyRight},
        {Qt::Key_Down, &ChessAbstract::keyDown},       {Qt::Key_PageUp, &ChessAbstract::keyPrev},
        {Qt::Key_PageDown, &ChessAbstract::keyNext}};
    for (const auto& [key, step] : steps) {
        if (event->key() == key) {
            (this->*step)();
            return;
        }
    }
}

void ChessQt::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Select)
        return;
    if (!event->isAutoRepeat())
        m_okHold->stop();
    guarded([&] { okKeyUp(event->isAutoRepeat()); });
}

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
    if (!s_terminating && !storeGame()) {
        event->ignore();
        return;
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
    runStep(&ChessAbstract::showHistory);
}

void ChessQt::onBaseFirstGame()
{
    runStep(&ChessAbstract::firstGame);
}

void ChessQt::onResetGame()
{
    runStep(&ChessAbstract::resetGame);
}

template <typename Dialog> void ChessQt::settingsCommand()
{
    guarded([&] {
        Dialog dialog(this);
        if (dialog.exec() == QDialog::Accepted)
            onSettings();
    });
}

void ChessQt::onGameSettings()
{
    settingsCommand<GameSettingsDialog>();
}

void ChessQt::onViewSettings()
{
    settingsCommand<ViewSettingsDialog>();
}

void ChessQt::onContents()
{
    guarded([&] {
        int gameId = 0;
        {
            ContentsDialog dialog(this, &getDocument().database);
            if (dialog.exec() == QDialog::Accepted)
                gameId = dialog.gameId();
        }
        openGame(gameId);
    });
}

void ChessQt::onNewGame()
{
    guarded([&] {
        NewGameChoice choice;
        {
            NewGameDialog dialog(this, getOpponent());
            if (dialog.exec() != QDialog::Accepted)
                return;
            choice.white = dialog.whitePlayer();
            choice.black = dialog.blackPlayer();
            choice.fromCurrentPosition = dialog.fromCurrentPosition();
            choice.addToBase = dialog.addToBase();
        }
        newGame(choice);
    });
}

void ChessQt::onBaseOpen()
{
    guarded([&] { openBase(chooseFile(QStringLiteral("*.cdb"))); });
}

void ChessQt::onPgnImport()
{
    guarded([&] {
        const std::string file = chooseFile(QStringLiteral("*.pgn"));
        if (!file.empty())
            importPgn(file);
    });
}

std::string ChessQt::chooseFile(const QString& filter)
{
    FileOpenDialog dialog(this, QString::fromStdString(m_settings.dataPath()), filter,
                          QString::fromStdString(getDocument().database.path()));
    if (dialog.exec() != QDialog::Accepted)
        return std::string();
    return dialog.path().toUtf8().toStdString();
}
