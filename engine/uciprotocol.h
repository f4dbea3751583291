#pragma once

#include "chess/board.h"
#include "chess/move.h"
#include "engine/engineprotocol.h"
#include "engine/ucioptions.h"

#include <string>
#include <vector>

// The Universal Chess Interface. Greets with "uci", waits for "uciok" and
// "readyok", then answers each request with the level's "setoption" lines
// (when they changed), "position fen ..." and the level's "go" line; the
// "bestmove" line carries the answer ("bestmove (none)" or "0000": no move).
// The "option" lines of the greeting are kept for the level ladder. A search
// is stopped with "stop", answered by "bestmove".
class UciProtocol : public EngineProtocol {
public:
    enum State { WaitingUciOk = 0, WaitingReadyOk = 1, Ready = 2 };

    explicit UciProtocol(const std::string& name);

    void start() override;
    bool isReady() const override { return m_state == Ready; }
    void stopSearch() override;
    bool answersStop(const std::string& line) const override;

    int getState() const { return m_state; }
    const UciOptions& getOptions() const { return m_options; }

protected:
    void handleLine(const std::string& line) override;
    void sendRequest(const Board& position, const Move& last) override;

private:
    int m_state = WaitingUciOk;
    UciOptions m_options;
    std::vector<std::string> m_sentOptions;
};
