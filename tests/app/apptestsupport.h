#pragma once

#include "app/chesscontroller.h"
#include "app/platform.h"
#include "core/configfileabstract.h"
#include "core/log.h"
#include "tests/support/test_support.h"

#include <QObject>
#include <QRect>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace apptest {

// Four real puzzles of the public file (CSV rows without the header), rated
// 1250, 1250, 1400 and 1550: imported, rows 1 and 2 fall under "1200-1399",
// rows 3 and 4 under "1400-1599".
extern const char kPuzzles[];

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
// (messages, repaints, menu, refreshes, deferred calls), runs a deferred call
// from a timer like the main window, and paints into an image so that the
// move list is laid out. The parts are reached through their accessors.
class TestChess : public Platform {
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
    // Counted in promotionAsked; answered with promotionAnswer.
    int askPromotion() const override
    {
        ++promotionAsked;
        return promotionAnswer;
    }
    void createMainMenu() override { ++menuBuilt; }
    void showMainMenu() override { ++menuShown; }
    void fullRefresh() override { ++fullRefreshes; }
    // Recorded in `deferred`. A call without delay runs from a zero-delay
    // timer like the main window's, its errors kept in `turnErrors` (the
    // main window shows them); one with a delay waits for runTimed (a fake
    // clock).
    void defer(int delayMs, std::function<void()> call) override;
    // Runs the calls deferred with a delay so far.
    void runTimed();
    // How many calls were deferred by delayMs.
    int deferredBy(int delayMs) const;
    // Waits until every call deferred without delay has run.
    bool settle();
    void showProgress(const std::string& text) override { progress.push_back(text); }

    ChessController& controller() { return m_controller; }
    ChessDocument& document() { return m_controller.document(); }
    const ChessDocument& document() const { return m_controller.document(); }
    GameSession& session() { return m_controller.session(); }
    EngineTurn& engine() { return m_controller.engine(); }
    const EngineTurn& engine() const { return m_controller.engine(); }
    PuzzleTrainer& puzzles() { return m_controller.puzzles(); }
    BaseBrowser& bases() { return m_controller.bases(); }
    InputRouter& input() { return m_controller.input(); }
    ScreenLayout& screen() { return m_controller.screen(); }

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

    // Moves of the line that leads to the current position, in coordinates.
    std::vector<std::string> lineToCurrent() const;
    const PGNMove* current() const { return document().currentNode(); }
    Game& game() { return document().game(); }
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
    int promotionAnswer = 0;
    mutable int promotionAsked = 0;
    std::vector<QRect> invalidated;
    std::vector<std::string> progress;
    int menuBuilt = 0;
    int menuShown = 0;
    int fullRefreshes = 0;
    // The delays of the calls deferred so far.
    std::vector<int> deferred;
    // Calls deferred without delay that have run.
    int deferredRun = 0;
    std::vector<std::string> turnErrors;

private:
    void run(const std::function<void()>& call);

    QObject m_timerContext;
    std::vector<std::function<void()>> m_timed;
    ChessController m_controller;
};

// Coordinates of a move ("e2e4", "e7e8q").
std::string coordinates(const Move& move);

} // namespace apptest
