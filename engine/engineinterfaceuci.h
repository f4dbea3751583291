#pragma once

#include "chess/board.h"
#include "chess/move.h"
#include "core/regexpsearcher.h"
#include "engine/engineinterfaceabstract.h"
#include "engine/ucioptions.h"

#include <string>
#include <vector>

// Driver for engines speaking the Universal Chess Interface. Greets with
// "uci", waits for "uciok" and "readyok", then answers each request with
// "position fen ..." and "go depth N"; the "bestmove" line carries the answer
// ("bestmove (none)" or "0000": no move). A request made before the engine is
// ready waits (only the newest one). A search still running is stopped with
// "stop" before "quit". The "option" lines of the greeting are kept: at a
// level of the ladder the request starts with the level's "setoption" lines
// (when they changed) and its "go" line.
class EngineInterfaceUCI : public EngineInterfaceAbstract {
public:
    enum State { WaitingUciOk = 0, WaitingReadyOk = 1, Ready = 2 };

    EngineInterfaceUCI(const EngineDescriptor& descriptor, int depth);
    ~EngineInterfaceUCI() override;

    void playMove(const Board& position, const Move& last) override;
    void process() override;

    int getState() const { return m_state; }
    const UciOptions& getOptions() const { return m_options; }

private:
    void sendRequest(const Board& position, const Move& last) override;

    int m_state;
    RegExpSearcher m_movePattern;
    RegExpSearcher m_noMovePattern;
    UciOptions m_options;
    std::vector<std::string> m_sentOptions;
};
