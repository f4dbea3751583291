#pragma once

#include "chess/board.h"
#include "chess/move.h"
#include "engine/engineinterfacelistener.h"

#include <QObject>
#include <QTimer>

#include <memory>
#include <string>

class EngineFactory;
class EngineProcess;

// One bounded search for the best move of a position by an engine of the
// catalogue, as a hint asks for it: the engine is started for the search
// only, never plays, and is stopped as soon as it answered, failed or ran out
// of time. The result arrives through the event loop: found() with a move
// that is legal in the position, or failed() with a translated text.
class EngineBestMove : public QObject, private EngineInterfaceListener {
    Q_OBJECT
public:
    // The level searched at unless told otherwise (a few seconds at most).
    static constexpr int kDefaultLevel = 11;
    // Time allowed beyond the level's bound for starting and greeting.
    static constexpr int kGraceMs = 10000;

    explicit EngineBestMove(QObject* parent = nullptr);
    ~EngineBestMove() override;

    // The first UCI entry of the catalogue, or -1 when there is none.
    static int defaultEngine(const EngineFactory& catalogue);
    // The configured slot ("hint_engine") when it names an engine of the
    // catalogue, else defaultEngine.
    static int hintEngine(int configured, const EngineFactory& catalogue);

    // Starts the search of the position reached by playing last in position
    // (last may be the null move); an earlier search is dropped. Returns at
    // once; throws the catalogue's Exception when the engine cannot be started.
    void start(unsigned index, const Board& position, const Move& last, int level = kDefaultLevel);
    // Drops a running search without a signal.
    void cancel();
    bool isRunning() const { return m_engine != nullptr; }

signals:
    void found(const Move& move);
    void failed(const QString& message);

private:
    void moveFromEngine(const Move& move) override;
    void engineResigned(const std::string& result, const std::string& message) override;
    void engineHasNoMove(const std::string& message) override;
    void engineStopped(const std::string& message) override;
    void onTimeout();
    // Lets the engine go once it answered or stopped.
    void finish();

    std::unique_ptr<EngineProcess> m_engine;
    QTimer m_timer;
    Board m_asked;
};
