#pragma once

#include "chess/board.h"
#include "chess/move.h"
#include "engine/engineinfo.h"
#include "engine/engineinterfacelistener.h"

#include <QObject>
#include <QString>

#include <memory>
#include <string>

class EngineProcess;
struct EngineSettings;

// Evaluations of positions, one after another, by one UCI engine of the
// catalogue that keeps running between them. Each request is answered through
// the event loop: analysed() with the engine's last scored "info" line (score
// for the side to move of the position asked) and the legal part of its line,
// which starts with the engine's best move; or failed() with a translated
// text, after which the engine is gone.
class EngineAnalysis : public QObject, private EngineInterfaceListener {
    Q_OBJECT
public:
    explicit EngineAnalysis(QObject* parent = nullptr);
    ~EngineAnalysis() override;

    // Starts engine index of the catalogue; throws the catalogue's Exception
    // when it cannot be started.
    void start(unsigned index, const EngineSettings& settings);
    // Asks for the position reached by playing last on position (last may be
    // the null move).
    void analyse(const Board& position, const Move& last);
    // Ends the engine without a signal (it may be called from inside a signal
    // of this object: the process is deleted from the event loop).
    void stop();
    bool isRunning() const { return m_engine != nullptr; }
    std::string engineName() const;

signals:
    void analysed(const EngineInfo& info, const Moves& line);
    void failed(const QString& message);

private:
    void moveFromEngine(const Move& move) override;
    void engineResigned(const std::string& result, const std::string& message) override;
    void engineHasNoMove(const std::string& message) override;
    void engineStopped(const std::string& message) override;
    void engineInfo(const EngineInfo& info) override;
    void finish();

    std::unique_ptr<EngineProcess> m_engine;
    std::string m_name;
    Board m_asked;
    EngineInfo m_info;
    bool m_scored = false;
};

// The legal beginning of a line of coordinate moves played from position.
Moves legal_line(const Board& position, const std::vector<std::string>& line);
