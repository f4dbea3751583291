#pragma once

#include "app/chesscontroller.h"
#include "app/platform.h"

#include <QSize>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QTimer;

// The program's only window: it holds the controller and is its platform. It
// paints the views, turns keys, touches and menu commands into controller
// calls, runs the dialogs, and gives the controller its message boxes, menu,
// progress box, timers and screen size. Every action runs inside one error
// handler: the error is logged and shown, and a critical one closes the
// window (which ends the program).
class ChessQt : public QWidget, public Platform {
    Q_OBJECT
public:
    // windowSize: a desktop window of that fixed size; invalid = full screen.
    explicit ChessQt(const QSize& windowSize = QSize());
    ~ChessQt() override;

    ChessController& controller() { return m_controller; }

    // --- Platform
    Rect getClientRect() const override;
    void invalidate(const QRect& rect) override;
    void message(MessageType type, const char* title, const char* text,
                 int timeoutMs) const override;
    bool askYesNo(const char* title, const char* text) const override;
    int askPromotion() const override;
    void createMainMenu() override;
    void showMainMenu() override;
    void fullRefresh() override;
    void defer(int delayMs, std::function<void()> call) override;
    void guard(const std::function<void()>& call) override;
    void showProgress(const std::string& text) override;

    bool eventFilter(QObject* watched, QEvent* event) override;

    // A terminate signal closes the window without asking anybody anything;
    // the teardown stores the game.
    static void setTerminating();

    QMenu* mainMenu() const { return m_menu; }
    // The import progress box (hidden between imports).
    QLabel* progressBox() const { return m_progress; }

public slots:
    void onRedrawScreen();
    void onNewGame();
    void onMovesHistory();
    void onGameSettings();
    void onViewSettings();
    void onBaseOpen();
    void onPgnImport();
    void onBaseFirstGame();
    void onContents();
    void onEvalGraph();
    void onDashboard();
    void onResetGame();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    using Step = std::function<void(ChessController&)>;
    // A controller step run inside the error handler, and a menu entry for it.
    void runStep(const Step& step);
    QAction* addStep(QMenu* menu, const char* text, Step step);
    // Checkable entries, one for each value of the setting from 0.
    void addChoice(QMenu* menu, const std::vector<const char*>& texts, Settings::Int which);
    // The puzzle trainer's choices: dashboard, next puzzle, difficulty, theme.
    void addPuzzleTraining(QMenu* menu);
    void handleKey(QKeyEvent* event);
    // An OK press or release for the hold, and its timer instruction.
    void okKeyEvent(QKeyEvent* event);
    void applyOkTimer(int timer);
    // The file chosen below the data folder, "" when none.
    std::string chooseFile(const QString& filter);
    // Opens a settings dialog; accepted settings are applied.
    template <typename Dialog> void settingsCommand();

    QMenu* m_menu;
    // The entries shown only where they do something.
    QAction* m_resign = nullptr;
    QAction* m_offerDraw = nullptr;
    QAction* m_claimDraw = nullptr;
    QAction* m_hint = nullptr;
    QAction* m_showSolution = nullptr;
    QLabel* m_progress;
    // The OK key's timer: the hold, then the wait for its real release.
    QTimer* m_okHold;
    // Last: built when the window's parts are there, gone before them.
    ChessController m_controller;
};
