#pragma once

#include "app/chessabstract.h"
#include "views/repainttarget.h"

#include <QFont>
#include <QSize>
#include <QWidget>

#include <string>

class QLabel;
class QMenu;

// The program's only window, and at the same time the controller: it paints
// the three views, turns keys, touches and menu commands into controller
// calls, and gives the controller its message boxes, menu and screen size.
// It owns the fonts the views draw with. Every action runs inside one error
// handler: the error is logged and shown, and a critical one closes the
// window (which ends the program).
class ChessQt : public QWidget, public ChessAbstract, public RepaintTarget {
    Q_OBJECT
public:
    // windowSize: a desktop window of that fixed size; invalid = full screen.
    explicit ChessQt(const QSize& windowSize = QSize());
    ~ChessQt() override;

    // --- Platform operations of the controller
    Rect getClientRect() const override;
    void updateAllViews(const AbstractView* except, bool full) override;
    void completeAction(bool full) override;
    void message(MessageType type, const char* title, const char* text,
                 int timeoutMs) const override;
    bool askYesNo(const char* title, const char* text) const override;
    void showHourGlassAt(int x, int y) const override;
    void hideHourGlass() const override;
    void createMainMenu() override;
    void showMainMenu() override;
    void onPuzzleSolved() override;
    void onSelectGame() override;
    void fullRefresh() override;
    void keyOkReleased() override;
    void navigateNormal(int dx, int dy) override;
    void navigateHistory(int dx, int dy) override;
    void moveFromEngine(const Move& move) override;

    // --- Views ask for repaints here
    void invalidate(const QRect& rect) override;

    // The file chosen in the file dialog below directory, "" when none.
    QString getOpenFileName(const QString& directory, const QString& filter);
    // The game base opened at start: "last_opened", else the default base.
    static std::string defaultBasePath();

    // Opens path as the game base. On failure the error is shown and the base
    // open before (then the default base) is opened again, so a game base is
    // always open afterwards; throws a critical Exception if none opens.
    // True when path itself was opened.
    bool openBaseOrRestore(const std::string& path, const std::string& previous);

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
    void onTurnBoard();
    void onGameSettings();
    void onViewSettings();
    void onBaseOpen();
    void onPgnImport();
    void onBaseNextGame();
    void onBasePreviousGame();
    void onBaseFirstGame();
    void onBaseLastGame();
    void onBaseFindNextUnsolvedPuzzle();
    void onContents();
    void onResetGame();
    void onAskEngineMove();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Runs an action inside the window's error handler.
    template <typename Action> void guarded(Action&& action);
    void handleKey(QKeyEvent* event);
    void newGameCommand();
    void baseOpenCommand();
    void pgnImportCommand();
    // Import progress, drawn at most once a second.
    void showProgress(const QString& text);
    void hideProgress();

    int m_lastWidth = 0;
    int m_lastHeight = 0;
    QFont m_headerBoldFont;
    QFont m_headerFont;
    QFont m_secondHeaderBoldFont;
    QFont m_annotationFont;
    QFont m_historyFont;
    QFont m_historyBoldFont;
    QMenu* m_menu;
    QLabel* m_progress;
};
