#pragma once

#include "app/chessabstract.h"
#include "core/configfileabstract.h"
#include "core/log.h"
#include "tests/support/test_support.h"

#include <QFont>
#include <QObject>
#include <QRect>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace apptest {

// Catalogue indexes of the engines the environment configures.
enum EngineSlot {
    SlotHuman = 0,
    SlotStockfish = 1,
    SlotHoichess = 2,
    SlotFakeDying = 3,
    SlotFakeWrong = 4,
    SlotFake = 5,
    SlotNamedHuman = 6
};

// Settings kept in memory (the store's own writes sync to disk each time,
// which only slows the tests down).
class MemoryConfig : public ConfigFileAbstract {
public:
    explicit MemoryConfig(const std::string& root) : m_root(root) {}
    int readInt(const char* key, int defaultValue) const override;
    void writeInt(const char* key, int value) override { m_values[key] = std::to_string(value); }
    std::string readString(const char* key, const char* defaultValue) const override;
    void writeString(const char* key, const char* value) override { m_values[key] = value; }
    std::string getRootPath() const override { return m_root; }
    std::string getDataPath() const override { return m_root + "/chess"; }

private:
    std::string m_root;
    std::map<std::string, std::string> m_values;
};

// A temporary program root: configuration, log, engine catalogue (real
// engines linked below "engines/", the scripted engine of the engine tests)
// and a board font. Installs the globals for the life of the object.
class Environment {
public:
    Environment();
    ~Environment();
    Environment(const Environment&) = delete;
    Environment& operator=(const Environment&) = delete;

    ConfigFileAbstract& config() { return *m_config; }
    std::string file(const std::string& name) const { return m_dir.file(name); }
    const std::string& root() const { return m_dir.path(); }
    std::string logText() const;
    // How often the log holds the text.
    int logCount(const std::string& text) const;
    static bool haveEngine(const char* name);

private:
    testsupport::TempDir m_dir;
    std::unique_ptr<MemoryConfig> m_config;
    std::unique_ptr<Log> m_log;
};

// The controller on a test platform: it records the platform calls
// (messages, repaints, menu, refreshes), plays the engine's turn from a
// zero-delay timer like the main window, and paints into an image so that the
// move list is laid out.
class TestChess : public ChessAbstract {
public:
    struct Message {
        int type;
        std::string title;
        std::string text;
    };

    explicit TestChess(ConfigFileAbstract& config, const Rect& client = Rect{0, 0, 600, 800});
    ~TestChess() override;

    // Platform operations.
    Rect getClientRect() const override { return client; }
    void invalidate(const QRect& rect) override { invalidated.push_back(rect); }
    void message(MessageType type, const char* title, const char* text,
                 int timeoutMs) const override;
    // Recorded as a MessageQuestion; answered with `answer`.
    bool askYesNo(const char* title, const char* text) const override;
    void createMainMenu() override { ++menuBuilt; }
    void showMainMenu() override { ++menuShown; }
    void onPuzzleSolved() override { ++puzzlesSolved; }
    void fullRefresh() override { ++fullRefreshes; }
    void startEngineTurn() override;
    void showProgress(const std::string& text) override { progress.push_back(text); }

    // Lays the views out for the client rectangle and paints them into an
    // image (the move list is laid out by painting).
    void paint();
    // Moves the board cursor with the arrow keys.
    void moveCursorTo(const Position& target);
    // Enters a move in coordinate form as the user does: cursor to the
    // piece, OK, cursor to the target, OK. True when it was played.
    bool enterMove(const std::string& coordinates);
    // Runs the event loop until the condition holds; false on time-out.
    static bool waitUntil(const std::function<bool()>& condition, int milliseconds = 15000);
    // Runs the event loop for a while.
    static void spin(int milliseconds);

    // Moves of the line that leads to the current position, in coordinates.
    std::vector<std::string> lineToCurrent() const;
    const PGNMove* current() const { return getDocument().currentNode(); }
    Game& game() { return getDocument().game(); }
    // The end-of-game texts shown so far.
    std::vector<std::string> gameTexts() const;
    // Whether a repaint of the whole client area was asked for.
    bool repaintedWhole() const;
    // Whether the view's whole rectangle was asked to be repainted.
    bool repainted(const AbstractView& view) const;
    void clearRecords();

    Rect client;
    mutable std::vector<Message> messages;
    bool answer = false;
    std::vector<QRect> invalidated;
    std::vector<std::string> progress;
    int menuBuilt = 0;
    int menuShown = 0;
    int puzzlesSolved = 0;
    int fullRefreshes = 0;
    int engineTurns = 0;
    // Errors of engine turns started from the timer (the main window shows them).
    std::vector<std::string> turnErrors;

private:
    QObject m_timerContext;
    QFont m_headerFont;
    QFont m_headerBoldFont;
    QFont m_annotationFont;
    QFont m_historyFont;
    QFont m_historyBoldFont;
};

// Coordinates of a move ("e2e4", "e7e8q").
std::string coordinates(const Move& move);

} // namespace apptest
