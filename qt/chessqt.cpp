#include "qt/chessqt.h"

#include "base/puzzletables.h"
#include "core/configfileabstract.h"
#include "core/exception.h"
#include "core/log.h"
#include "core/trans.h"
#include "qt/contentsdialog.h"
#include "qt/dashboarddialog.h"
#include "qt/evalgraphdialog.h"
#include "qt/fileopendialog.h"
#include "qt/gamesettingsdialog.h"
#include "qt/newgamedialog.h"
#include "qt/platform.h"
#include "qt/promotiondialog.h"
#include "qt/viewsettingsdialog.h"
#include "views/puzzlethemes.h"

#include <QActionGroup>
#include <QApplication>
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

QString menu_text(const char* text)
{
    return QString::fromUtf8(translated(text));
}

QMessageBox::Icon icon_for(Platform::MessageType type)
{
    // Indexed by MessageType: information, question, warning, error.
    const QMessageBox::Icon icons[] = {QMessageBox::NoIcon, QMessageBox::Information,
                                       QMessageBox::Question, QMessageBox::Warning,
                                       QMessageBox::Critical};
    return type >= 1 && type <= 4 ? icons[type] : QMessageBox::NoIcon;
}

} // namespace

ChessQt::ChessQt(const QSize& windowSize)
    : QWidget(nullptr), m_menu(new QMenu(this)), m_progress(new QLabel(this)),
      m_okHold(new QTimer(this)), m_controller(*g_pConfig, *this)
{
    m_okHold->setSingleShot(true);
    m_okHold->setInterval(KeyHold::kHoldMs);
    connect(m_okHold, &QTimer::timeout, this,
            [this] { guard([this] { applyOkTimer(m_controller.input().okKeyTimer()); }); });

    m_progress->setAlignment(Qt::AlignCenter);
    m_progress->setAutoFillBackground(true);
    m_progress->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_progress->setLineWidth(3);
    m_progress->hide();

    // The clocks run only while the program is in the foreground.
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                m_controller.clock().setActive(state == Qt::ApplicationActive);
            });

    setFocusPolicy(Qt::StrongFocus);
    setWindowTitle(QStringLiteral("inkmate"));
    createMainMenu();
    m_controller.screen().applyBoardFont();

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
    m_controller.bases().closeBaseNoThrow();
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

void ChessQt::message(MessageType type, const char* title, const char* text, int timeoutMs) const
{
    messageBox(icon_for(type), QString::fromUtf8(title), QString::fromUtf8(text), QMessageBox::Ok,
               nullptr, timeoutMs);
}

bool ChessQt::askYesNo(const char* title, const char* text) const
{
    return messageBox(QMessageBox::Question, QString::fromUtf8(title), QString::fromUtf8(text),
                      QMessageBox::Yes | QMessageBox::No, nullptr) == QMessageBox::Yes;
}

int ChessQt::askPromotion() const
{
    if (is_noninteractive())
        return 0;
    PromotionDialog dialog(const_cast<ChessQt*>(this));
    dialog.exec();
    return dialog.choice();
}

void ChessQt::createMainMenu()
{
    m_menu->clear();
    m_menu->addAction(menu_text("History"), this, &ChessQt::onMovesHistory);
    m_menu->addSeparator();
    m_menu->addAction(menu_text("New Game"), this, &ChessQt::onNewGame);
    addStep(m_menu, "Reset Game", [](ChessController& c) { c.session().resetGame(); });
    addStep(m_menu, "Take back", [](ChessController& c) { c.session().takeBack(); });
    m_resign = addStep(m_menu, "Resign", [](ChessController& c) { c.session().resign(); });
    m_offerDraw =
        addStep(m_menu, "Offer Draw", [](ChessController& c) { c.session().offerDraw(); });
    m_claimDraw =
        addStep(m_menu, "Claim Draw", [](ChessController& c) { c.session().claimDraw(); });
    m_menu->addSeparator();
    m_hint = addStep(m_menu, "Hint", [](ChessController& c) { c.hint(); });
    m_showSolution =
        addStep(m_menu, "Show Solution", [](ChessController& c) { c.puzzles().showSolution(); });
    m_menu->addSeparator();
    addStep(m_menu, "Turn Board", [](ChessController& c) { c.session().turnBoard(); });
    m_menu->addSeparator();

    QMenu* base = m_menu->addMenu(menu_text("Base"));
    base->addAction(menu_text("Open"), this, &ChessQt::onBaseOpen);
    base->addAction(menu_text("Import PGN"), this, &ChessQt::onPgnImport);
    base->addSeparator();
    base->addAction(menu_text("Contents"), this, &ChessQt::onContents);
    base->addSeparator();
    addStep(base, "Next Game", [](ChessController& c) { c.bases().nextGame(); });
    addStep(base, "Previous Game", [](ChessController& c) { c.bases().prevGame(); });
    addStep(base, "First Game", [](ChessController& c) { c.bases().firstGame(); });
    addStep(base, "Last Game", [](ChessController& c) { c.bases().lastGame(); });
    base->addSeparator();
    addStep(base, "Next Unsolved Puzzle", [](ChessController& c) { c.puzzles().nextPuzzle(); });
    addStep(base, "Retry Failed Puzzles",
            [](ChessController& c) { c.puzzles().retryFailedPuzzles(); });
    addPuzzleTraining(base);

    QMenu* settings = m_menu->addMenu(menu_text("Settings"));
    settings->addAction(menu_text("Game"), this, &ChessQt::onGameSettings);
    settings->addAction(menu_text("View"), this, &ChessQt::onViewSettings);

    QMenu* review = m_menu->addMenu(menu_text("Review"));
    addStep(review, "Review Game", [](ChessController& c) { c.reviewer().toggleReview(); });
    addStep(review, "Next Marked Move",
            [](ChessController& c) { c.reviewer().stepMarkedMove(true); });
    addStep(review, "Previous Marked Move",
            [](ChessController& c) { c.reviewer().stepMarkedMove(false); });
    review->addAction(menu_text("Evaluation Graph"), this, &ChessQt::onEvalGraph);
    m_menu->addSeparator();
    m_menu->addAction(menu_text("Redraw Screen"), this, &ChessQt::onRedrawScreen);
    m_menu->addSeparator();
    m_menu->addAction(menu_text("Exit"), this, &QWidget::close);
}

QAction* ChessQt::addStep(QMenu* menu, const char* text, Step step)
{
    return menu->addAction(menu_text(text), this, [this, step] { runStep(step); });
}

void ChessQt::addChoice(QMenu* menu, const std::vector<const char*>& texts, Settings::Int which)
{
    auto* group = new QActionGroup(menu);
    const int chosen = m_controller.settings().value(which);
    for (size_t i = 0; i < texts.size(); ++i) {
        QAction* action = menu->addAction(menu_text(texts[i]));
        action->setCheckable(true);
        action->setChecked(static_cast<int>(i) == chosen);
        group->addAction(action);
        connect(action, &QAction::triggered, this,
                [this, which, i] { m_controller.settings().setValue(which, static_cast<int>(i)); });
    }
}

void ChessQt::addPuzzleTraining(QMenu* menu)
{
    QMenu* training = menu->addMenu(menu_text("Puzzle Training"));
    training->addAction(menu_text("Dashboard"), this, &ChessQt::onDashboard);
    addChoice(training->addMenu(menu_text("Next Puzzle")),
              {N_("By Rating"), N_("Near My Rating"), N_("Streak")}, Settings::PuzzleOrder);
    addChoice(training->addMenu(menu_text("Difficulty")),
              {N_("Easiest"), N_("Easier"), N_("Normal"), N_("Harder"), N_("Hardest")},
              Settings::PuzzleDifficulty);
    // The themes of the base shown when the menu opens, in words.
    QMenu* themes = training->addMenu(menu_text("Theme"));
    connect(themes, &QMenu::aboutToShow, this, [this, themes] {
        themes->clear();
        auto* group = new QActionGroup(themes);
        const std::string chosen = m_controller.settings().puzzleTheme();
        std::vector<std::string> names{std::string()};
        const std::vector<std::string> present =
            PuzzleTables(m_controller.document().database.handle()).themeNames();
        names.insert(names.end(), present.begin(), present.end());
        for (const std::string& name : names) {
            const QString text =
                name.empty() ? menu_text("Any")
                             : QString::fromUtf8(translated(puzzlethemes::words(name).c_str()));
            QAction* action = themes->addAction(text);
            action->setCheckable(true);
            action->setChecked(name == chosen);
            group->addAction(action);
            connect(action, &QAction::triggered, this,
                    [this, name] { m_controller.settings().setPuzzleTheme(name); });
        }
    });
}

void ChessQt::runStep(const Step& step)
{
    guard([&] { step(m_controller); });
}

namespace {
bool is_ok_key(const QKeyEvent* event)
{
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
           event->key() == Qt::Key_Select;
}
} // namespace

bool ChessQt::eventFilter(QObject* watched, QEvent* event)
{
    // The OK that opened the menu is part of the hold until its real
    // release: its repeats reach the hold, not the menu.
    if ((event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) &&
        is_ok_key(static_cast<const QKeyEvent*>(event)) && m_controller.input().isOkKeyHeld()) {
        okKeyEvent(static_cast<QKeyEvent*>(event));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void ChessQt::okKeyEvent(QKeyEvent* event)
{
    guard([&] {
        InputRouter& input = m_controller.input();
        applyOkTimer(event->type() == QEvent::KeyPress ? input.okKeyDown(event->isAutoRepeat())
                                                       : input.okKeyUp(event->isAutoRepeat()));
    });
}

void ChessQt::applyOkTimer(int timer)
{
    if (timer == KeyHold::kStopTimer)
        m_okHold->stop();
    else if (timer >= 0)
        m_okHold->start(timer);
}

void ChessQt::showMainMenu()
{
    // Only the commands that do something here.
    m_resign->setVisible(m_controller.session().isGameInPlay());
    m_offerDraw->setVisible(m_controller.session().isGameInPlay());
    m_claimDraw->setVisible(m_controller.session().isGameInPlay() &&
                            m_controller.document().isClaimableDraw());
    m_hint->setVisible(m_controller.canHint());
    m_showSolution->setVisible(m_controller.canShowSolution());
    m_menu->installEventFilter(this);
    for (QMenu* submenu : m_menu->findChildren<QMenu*>())
        submenu->installEventFilter(this);
    m_menu->popup(mapToGlobal(QPoint(0, 0)));
    // Opened on its first entry, so the panel shows where the focus is.
    const QList<QAction*> entries = m_menu->actions();
    if (!entries.isEmpty())
        m_menu->setActiveAction(entries.first());
}

void ChessQt::fullRefresh()
{
    eink_full_update();
}

void ChessQt::defer(int delayMs, std::function<void()> call)
{
    QTimer::singleShot(delayMs, this, [this, call = std::move(call)] { guard(call); });
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

// ---------------------------------------------------------------------------
// Error handling

void ChessQt::guard(const std::function<void()>& call)
{
    try {
        call();
    } catch (const Exception& e) {
        m_controller.showError(e.what(), e.isCritical() ? Log::Fatal : Log::Error);
        if (e.isCritical())
            close();
    } catch (const std::exception& e) {
        m_controller.showError(e.what(), Log::Fatal);
        close();
    } catch (...) {
        m_controller.showError(translated("Unknown error"), Log::Fatal);
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
        m_controller.screen().paint(painter, event->rect());
    } catch (const std::exception& e) {
        // No box from inside a paint event; the next action reports again.
        if (g_pLog)
            g_pLog->write(1, Log::Error, "Error: %s", e.what());
    }
}

void ChessQt::keyPressEvent(QKeyEvent* event)
{
    guard([&] { handleKey(event); });
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
        m_controller.bases().openBase(chooseFile(QStringLiteral("*.cdb")));
        return;
    case Qt::Key_Q:
        close();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Select:
        // OK acts on its release; held down it opens the menu instead.
        applyOkTimer(m_controller.input().okKeyDown(event->isAutoRepeat()));
        return;
    default:
        break;
    }
    // Keys that run one controller step.
    static const std::pair<int, Step> steps[] = {
        {Qt::Key_H, [](ChessController& c) { c.showHistory(); }},
        {Qt::Key_I, [](ChessController& c) { c.hint(); }},
        {Qt::Key_N, [](ChessController& c) { c.reviewer().stepMarkedMove(true); }},
        {Qt::Key_P, [](ChessController& c) { c.reviewer().stepMarkedMove(false); }},
        {Qt::Key_Backspace, [](ChessController& c) { c.session().takeBack(); }},
        {Qt::Key_Escape, [](ChessController& c) { c.input().keyBack(); }},
        {Qt::Key_Back, [](ChessController& c) { c.input().keyBack(); }},
        {Qt::Key_M, [](ChessController& c) { c.platform().showMainMenu(); }},
        {Qt::Key_Menu, [](ChessController& c) { c.platform().showMainMenu(); }},
        {Qt::Key_Left, [](ChessController& c) { c.input().keyLeft(); }},
        {Qt::Key_Up, [](ChessController& c) { c.input().keyUp(); }},
        {Qt::Key_Right, [](ChessController& c) { c.input().keyRight(); }},
        {Qt::Key_Down, [](ChessController& c) { c.input().keyDown(); }},
        {Qt::Key_PageUp, [](ChessController& c) { c.bases().prevGame(); }},
        {Qt::Key_PageDown, [](ChessController& c) { c.bases().nextGame(); }}};
    for (const auto& [key, step] : steps) {
        if (event->key() == key) {
            step(m_controller);
            return;
        }
    }
}

void ChessQt::keyReleaseEvent(QKeyEvent* event)
{
    if (is_ok_key(event))
        okKeyEvent(event);
}

void ChessQt::mousePressEvent(QMouseEvent* event)
{
    setFocus();
    guard([&] { m_controller.input().onPointerDown(event->x(), event->y()); });
}

void ChessQt::mouseReleaseEvent(QMouseEvent* event)
{
    guard([&] { m_controller.input().onPointerUp(event->x(), event->y()); });
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
    if (!s_terminating && !m_controller.bases().storeGame()) {
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
    runStep([](ChessController& c) { c.showHistory(); });
}

void ChessQt::onBaseFirstGame()
{
    runStep([](ChessController& c) { c.bases().firstGame(); });
}

void ChessQt::onResetGame()
{
    runStep([](ChessController& c) { c.session().resetGame(); });
}

template <typename Dialog> void ChessQt::settingsCommand()
{
    guard([&] {
        Dialog dialog(this);
        if (dialog.exec() == QDialog::Accepted)
            m_controller.onSettings();
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

void ChessQt::onEvalGraph()
{
    guard([&] {
        const Game& game = m_controller.document().game();
        if (!game.isOpen())
            return;
        EvalGraphDialog dialog(this, game);
        dialog.exec();
    });
}

void ChessQt::onDashboard()
{
    guard([&] {
        DashboardDialog dialog(this, m_controller.puzzles().dashboard());
        dialog.exec();
    });
}

void ChessQt::onContents()
{
    guard([&] {
        int gameId = 0;
        {
            ContentsDialog dialog(this, &m_controller.document().database);
            if (dialog.exec() == QDialog::Accepted)
                gameId = dialog.gameId();
        }
        m_controller.bases().openGame(gameId);
    });
}

void ChessQt::onNewGame()
{
    guard([&] {
        GameSession::NewGameChoice choice;
        {
            NewGameDialog dialog(this, m_controller.engine().getOpponent());
            if (dialog.exec() != QDialog::Accepted)
                return;
            choice.white = dialog.whitePlayer();
            choice.black = dialog.blackPlayer();
            choice.fromCurrentPosition = dialog.fromCurrentPosition();
            choice.addToBase = dialog.addToBase();
            choice.timeControl = dialog.timeControl();
        }
        m_controller.session().newGame(choice);
    });
}

void ChessQt::onBaseOpen()
{
    guard([&] { m_controller.bases().openBase(chooseFile(QStringLiteral("*.cdb"))); });
}

void ChessQt::onPgnImport()
{
    guard([&] {
        const std::string file = chooseFile(QStringLiteral("*.pgn"));
        if (!file.empty())
            m_controller.bases().importPgn(file);
    });
}

std::string ChessQt::chooseFile(const QString& filter)
{
    FileOpenDialog dialog(this, QString::fromStdString(m_controller.settings().dataPath()), filter,
                          QString::fromStdString(m_controller.document().database.path()));
    if (dialog.exec() != QDialog::Accepted)
        return std::string();
    return dialog.path().toUtf8().toStdString();
}
